#include "Widgets.h"

#include <QButtonGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QCalendarWidget>
#include <QGridLayout>
#include <QLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QRadioButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTimer>
#include <QValidator>

#include "framework/Prompter.h"
#include "runtime/Clock.h"
#include "runtime/Sjis.h"
#include "store/BarRow.h"
#include "store/Kdatetime.h"

namespace vinta {

namespace {

QString Unencodable(const QString& text) {
    return QString::fromStdString(sjis::FirstUnencodable(text.toStdString()));
}

void SetInputMethod(QWidget* w, bool hiragana) {
    w->setAttribute(Qt::WA_InputMethodEnabled, hiragana);
    if (!hiragana) w->setInputMethodHints(Qt::ImhLatinOnly | Qt::ImhNoPredictiveText);
}

// Refuses edits that bring in a character Shift-JIS cannot hold, or that
// make the text longer than its byte limit.
class SjisValidator : public QValidator {
public:
    SjisValidator(Prompter* prompter, int maxBytes, QObject* parent)
        : QValidator(parent), prompter_(prompter), maxBytes_(maxBytes) {}
    State validate(QString& input, int&) const override {
        QString bad = Unencodable(input);
        if (!bad.isEmpty()) {
            Prompter* p = prompter_;
            QTimer::singleShot(0, [p, bad] { RefuseCharacter(p, bad); });
            return Invalid;
        }
        if (maxBytes_ > 0 && static_cast<int>(sjis::FromUtf8(input.toStdString())->size()) > maxBytes_)
            return Invalid;
        return Acceptable;
    }

private:
    Prompter* prompter_;
    int maxBytes_;
};

}  // namespace

void RefuseCharacter(Prompter* prompter, const QString& character) {
    if (!prompter) return;
    prompter->Notice(QStringLiteral("「%1」はこのプログラムでは扱えない文字です。\r\n入力できません。").arg(character));
}

QString CellToQt(std::string_view cell) {
    if (cell == " ") return {};
    return QString::fromStdString(sjis::ToUtf8(cell));
}

std::string QtToCell(const QString& text) {
    auto s = sjis::FromUtf8(text.toStdString());
    return s ? *s : std::string();
}

SjisLineEdit::SjisLineEdit(Prompter* prompter, int maxBytes, bool hiragana, QWidget* parent)
    : QLineEdit(parent), maxBytes_(maxBytes) {
    setValidator(new SjisValidator(prompter, maxBytes, this));
    SetInputMethod(this, hiragana);
}

std::string SjisLineEdit::SjisText() const { return QtToCell(text()); }
void SjisLineEdit::SetSjisText(std::string_view cell) { setText(CellToQt(cell)); }

SjisTextEdit::SjisTextEdit(Prompter* prompter, bool hiragana, QWidget* parent)
    : QPlainTextEdit(parent), prompter_(prompter) {
    SetInputMethod(this, hiragana);
    // Tab leaves the memo, as in every dialog field; it never types a tab.
    setTabChangesFocus(true);
}

bool SjisTextEdit::Acceptable(const QString& text) {
    QString bad = Unencodable(text);
    if (bad.isEmpty()) return true;
    RefuseCharacter(prompter_, bad);
    return false;
}

void SjisTextEdit::keyPressEvent(QKeyEvent* event) {
    if (!event->text().isEmpty() && !Acceptable(event->text())) return;
    QPlainTextEdit::keyPressEvent(event);
}

void SjisTextEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty() && !Acceptable(event->commitString())) {
        QInputMethodEvent cleared;
        QPlainTextEdit::inputMethodEvent(&cleared);
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void SjisTextEdit::insertFromMimeData(const QMimeData* source) {
    if (source->hasText() && !Acceptable(source->text())) return;
    QPlainTextEdit::insertFromMimeData(source);
}

std::string SjisTextEdit::SjisText() const {
    QString text = toPlainText();
    if (text.isEmpty()) return {};
    QStringList lines = text.split('\n');
    if (lines.size() > 1 && lines.back().isEmpty()) lines.removeLast();
    std::string out;
    for (const QString& line : lines) out += QtToCell(line) + "\r\n";
    return out;
}

void SjisTextEdit::SetSjisText(std::string_view cell) {
    QString text = CellToQt(cell);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.endsWith('\n')) text.chop(1);
    setPlainText(text);
}

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(caption, parent) {
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        b->setObjectName(QStringLiteral("item%1").arg(i));
        // A choice drawn without a word (none chosen) is still named aloud.
        if (items[i].isEmpty()) b->setAccessibleName(caption + QStringLiteral(": なし"));
        group->addButton(b, i);
        layout->addWidget(b, i / std::max(1, columns), i % std::max(1, columns));
        buttons_.push_back(b);
    }
    connect(group, &QButtonGroup::idClicked, this, &RadioGroup::clicked);
}

int RadioGroup::ItemIndex() const {
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i]->isChecked()) return static_cast<int>(i);
    return -1;
}

void RadioGroup::SetItemIndex(int index) {
    if (buttons_.empty()) return;
    if (index < 0) {
        for (QRadioButton* b : buttons_) {
            b->setAutoExclusive(false);
            b->setChecked(false);
            b->setAutoExclusive(true);
        }
        return;
    }
    buttons_[static_cast<size_t>(std::min(index, Count() - 1))]->setChecked(true);
}

void FitToDesign(QDialog* dialog, QSize client) {
    for (QLayout* l : dialog->findChildren<QLayout*>()) {
        l->setSpacing(3);
        l->setContentsMargins(4, 3, 4, 3);
    }
    QSize need = dialog->layout() ? dialog->layout()->minimumSize() : QSize();
    dialog->setFixedSize(client.expandedTo(need));
}

QLabel* BuddyLabel(const QString& text, QWidget* buddy) {
    auto* l = new QLabel(text);
    l->setBuddy(buddy);
    return l;
}

void SetTabChain(std::initializer_list<QWidget*> widgets) {
    std::vector<QWidget*> chain;
    for (QWidget* w : widgets) {
        if (auto* group = qobject_cast<RadioGroup*>(w)) {
            for (int i = 0; i < group->Count(); ++i) chain.push_back(group->Button(i));
        } else {
            chain.push_back(w);
        }
    }
    for (size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

QDialogButtonBox* MakeOkCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox;
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("CancelBtn"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

void AddToolButton(QToolBar* bar, const char* name, const QString& text, const std::function<void()>& run,
                   const QString& hint) {
    auto* b = new QToolButton;
    b->setToolTip(hint);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QObject::connect(b, &QToolButton::clicked, bar, run);
    bar->addWidget(b);
}

QDate TodayDate() {
    Date d = LocalToday();
    return QDate(d.year, d.month, d.day);
}

QDate CellDate(std::string_view cell) {
    if (auto d = DateOfCell(cell)) return QDate(d->year, d->month, d->day);
    return TodayDate();
}

std::string DateCell(const QDate& date) { return FormatDate(date.year(), date.month(), date.day()); }

}  // namespace vinta

namespace vinta {

void TurnPagesByKeys(QDialog* dialog, QTabWidget* pages) {
    auto turn = [pages](int step) {
        const int n = pages->count();
        if (n == 0) return;
        // The focus first on the tabs: a field hidden with its page would
        // hand it on through the dialog's buttons, taking OK's default away.
        pages->setFocus(Qt::TabFocusReason);
        pages->setCurrentIndex((pages->currentIndex() + step + n) % n);
        QWidget* page = pages->currentWidget();
        for (QWidget* w = page->nextInFocusChain(); w && w != page; w = w->nextInFocusChain())
            if (page->isAncestorOf(w) && w->isVisibleTo(page) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
                w->setFocus(Qt::TabFocusReason);
                return;
            }
    };
    QObject::connect(new QShortcut(QKeySequence::NextChild, dialog), &QShortcut::activated, pages, [turn] { turn(1); });
    QObject::connect(new QShortcut(QKeySequence::PreviousChild, dialog), &QShortcut::activated, pages,
                     [turn] { turn(-1); });
}

}  // namespace vinta
