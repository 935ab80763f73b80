#include "dialogs/DatePicker.h"

#include <QCalendarWidget>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>

#include "framework/Prompter.h"

namespace vinta {

namespace {

constexpr int kFirstYear = 1753;

bool IsSeparator(const QString& t) { return t == QLatin1String("/") || t == QLatin1String("-") || t == QLatin1String("."); }
bool IsDigit(const QString& t) { return t.size() == 1 && t[0] >= QLatin1Char('0') && t[0] <= QLatin1Char('9'); }

// Four digits typed first are a year when they can be one: no month and day
// typed together make a number from 1753 on.
bool StartsWithYear(const QString& typed) {
    if (typed.size() != 4) return false;
    bool ok = false;
    const int year = typed.toInt(&ok);
    return ok && year >= kFirstYear;
}

}  // namespace

DatePicker::DatePicker(QWidget* parent) : QDateEdit(parent) { lineEdit()->installEventFilter(this); }

bool DatePicker::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        RestartTyping();
        if (!lineEdit()->hasSelectedText()) setSelectedSection(currentSection());
    }
    return QDateEdit::eventFilter(watched, event);
}

// Reached by Tab or the access key: the year selected, so that a date typed
// replaces the whole date rather than landing after the caret.
void DatePicker::focusInEvent(QFocusEvent* event) {
    QDateEdit::focusInEvent(event);
    RestartTyping();
    if (event->reason() != Qt::MouseFocusReason && event->reason() != Qt::PopupFocusReason) {
        setCurrentSection(YearSection);
        setSelectedSection(YearSection);
    }
}

void DatePicker::RestartTyping() {
    typed_.clear();
    autoMoved_ = false;
}

void DatePicker::PrepareCalendar() {
    if (calendarReady_) return;
    calendarReady_ = true;
    calendarWidget()->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
}

void DatePicker::mousePressEvent(QMouseEvent* event) {
    PrepareCalendar();
    QDateEdit::mousePressEvent(event);
}

void DatePicker::keyPressEvent(QKeyEvent* event) {
    const bool opens = event->key() == Qt::Key_F4 ||
                       ((event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) && (event->modifiers() & Qt::AltModifier));
    if (opens) PrepareCalendar();
    const QString t = event->text();
    if (!IsDigit(t) && !IsSeparator(t)) {
        RestartTyping();
        QDateEdit::keyPressEvent(event);
        return;
    }
    if (typed_.isEmpty()) {
        before_ = date();
        startSection_ = currentSection();
    }
    typed_ += t;
    if (startSection_ != YearSection && StartsWithYear(typed_)) {
        // A whole date typed from the month or day: read again from the year.
        const QString replay = typed_;
        setDate(before_);
        setCurrentSection(YearSection);
        setSelectedSection(YearSection);
        autoMoved_ = false;
        startSection_ = YearSection;
        for (const QChar c : replay) Type(QString(c));
        return;
    }
    Type(t);
    event->accept();
}

// Hyphens and full stops, as in 2027-01-11 or 2027.1.11, separate as the
// slash the field shows does.
void DatePicker::Type(const QString& t) {
    if (IsSeparator(t) && autoMoved_) {
        autoMoved_ = false;
        return;
    }
    const bool digit = IsDigit(t);
    const QString text = digit ? t : QStringLiteral("/");
    QKeyEvent key(QEvent::KeyPress, digit ? Qt::Key_0 + (t[0].unicode() - '0') : Qt::Key_Slash, Qt::NoModifier, text);
    const Section before = currentSection();
    QDateEdit::keyPressEvent(&key);
    autoMoved_ = digit && currentSection() != before;
}

bool ConfirmDateOrder(Prompter& prompter, QDateEdit* start, QDateEdit* end) {
    if (end->date() >= start->date()) return true;
    const int kNo = 1;
    if (prompter.Choose(QStringLiteral("確認"), QStringLiteral("終了日が開始日より前です。このまま保存しますか？"),
                        {QStringLiteral("はい"), QStringLiteral("いいえ")}, kNo, kNo) != kNo)
        return true;
    end->setFocus(Qt::OtherFocusReason);
    return false;
}

QDateEdit* MakeDatePicker(const QString& name, QWidget* parent) {
    auto* d = new DatePicker(parent);
    d->setObjectName(name);
    d->setCalendarPopup(true);
    d->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    d->setMinimumDate(QDate(kFirstYear, 1, 1));
    return d;
}

}  // namespace vinta
