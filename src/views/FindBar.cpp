#include "FindBar.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace vinta {

namespace {
QToolButton* Button(const char* name, const QString& text, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setAutoRaise(true);
    return b;
}
}  // namespace

FindBar::FindBar(FindFn find, QWidget* parent) : QWidget(parent), find_(std::move(find)) {
    setObjectName(QStringLiteral("FindBar"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    // K, not F: Alt+F stays the File menu's while the bar is open.
    auto* label = new QLabel(QStringLiteral("検索(&K):"), this);
    text_ = new QLineEdit(this);
    text_->setObjectName(QStringLiteral("eFind"));
    text_->setClearButtonEnabled(true);
    // The clear button is a picture only: a screen reader says what it does.
    for (QToolButton* b : text_->findChildren<QToolButton*>()) b->setAccessibleName(QStringLiteral("消去"));
    label->setBuddy(text_);
    QToolButton* next = Button("bFindNext", QStringLiteral("次へ"), this);
    QToolButton* prior = Button("bFindPrior", QStringLiteral("前へ"), this);
    QToolButton* close = Button("bFindClose", QStringLiteral("閉じる"), this);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lFindStatus"));
    row->addWidget(label);
    row->addWidget(text_, 1);
    row->addWidget(next);
    row->addWidget(prior);
    row->addWidget(status_);
    row->addStretch();
    row->addWidget(close);
    text_->installEventFilter(this);
    connect(text_, &QLineEdit::textChanged, this, [this] { status_->clear(); });
    connect(next, &QToolButton::clicked, this, [this] { Step(true); });
    connect(prior, &QToolButton::clicked, this, [this] { Step(false); });
    connect(close, &QToolButton::clicked, this, &QWidget::hide);
}

void FindBar::Open() {
    show();
    text_->setFocus(Qt::ShortcutFocusReason);
    text_->selectAll();
}

void FindBar::Step(bool forward) {
    if (text_->text().isEmpty()) {
        Open();
        return;
    }
    const Found found = find_(text_->text(), forward);
    status_->setText(found.count ? QStringLiteral("%1 件中 %2 件目").arg(found.count).arg(found.position)
                                 : QStringLiteral("見つかりません"));
    // A screen reader hears the count though the focus stays in the text.
    if (QAccessible::isActive()) {
        QAccessibleEvent said(status_, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&said);
    }
}

void FindBar::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (onShown) onShown(true);
}

void FindBar::hideEvent(QHideEvent* e) {
    QWidget::hideEvent(e);
    if (onShown) onShown(false);
}

QString FindBar::Status() const { return status_->text(); }

bool FindBar::eventFilter(QObject* watched, QEvent* e) {
    if (watched != text_ || e->type() != QEvent::KeyPress) return false;
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->key() == Qt::Key_Escape) {
        hide();
        return true;
    }
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
        // Shift+Enter steps back, as in every find bar.
        Step(!(k->modifiers() & Qt::ShiftModifier));
        return true;
    }
    return false;
}

}  // namespace vinta
