#include "Numedit.h"

#include <QKeyEvent>
#include <QLocale>
#include <QRegularExpressionValidator>

namespace vinta {

TNumEdit::TNumEdit(QWidget* parent) : QLineEdit(parent) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setInputMethodHints(Qt::ImhDigitsOnly);
    // Pasted text goes through the same door as typed keys: digits only, so
    // the field never shows what OK would then store as 0.
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    Modified = false;
    SetValue(0);
}

int TNumEdit::ReadInteger(const QString& text) {
    bool ok = false;
    int v = text.toInt(&ok, 10);
    return ok ? v : 0;
}

void TNumEdit::SetValue(int value) {
    Modified = false;
    value_ = value;
    QString text;
    if (comma_) {
        // The program's own (Japanese) locale, not the desktop's: 1,234,567.
        QLocale locale;
        locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
        text = locale.toString(static_cast<qlonglong>(value));
    } else {
        text = QString::number(value);
    }
    // Shown as the yen sign; kept as the byte 0x5C in Shift-JIS text.
    if (yen_) text.prepend(QChar(0x00A5));
    setText(text);
}

void TNumEdit::SetComma(bool on) {
    if (on == comma_) return;
    comma_ = on;
    SetValue(value_);
}

void TNumEdit::SetYen(bool on) {
    if (on == yen_) return;
    yen_ = on;
    SetValue(value_);
}

void TNumEdit::SetText(const QString& text) {
    Modified = false;
    SetValue(ReadInteger(text));
}

void TNumEdit::keyPressEvent(QKeyEvent* event) {
    const QString t = event->text();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter never breaks the line; it commits a typed change.
        if (Modified && OnModified) {
            SetValue(ReadInteger(text()));
            OnModified(this, value_);
        }
        event->accept();
        return;
    }
    if (t.size() == 1) {
        char16_t c = t[0].unicode();
        if (c >= u'0' && c <= u'9') {
            QLineEdit::keyPressEvent(event);
            Modified = true;
            return;
        }
        if (c >= 0x21 && c < 0x80) {  // letters, signs, separators
            event->accept();
            return;
        }
    }
    // Control keys, editing keys and everything beyond ASCII pass unchanged.
    QLineEdit::keyPressEvent(event);
}

void TNumEdit::focusInEvent(QFocusEvent* event) {
    bool modified = Modified;
    setText(QString::number(value_));
    Modified = modified;
    QLineEdit::focusInEvent(event);
}

void TNumEdit::focusOutEvent(QFocusEvent* event) {
    bool modified = Modified;
    SetValue(ReadInteger(text()));
    if (modified && OnModified) OnModified(this, value_);
    QLineEdit::focusOutEvent(event);
}

}  // namespace vinta
