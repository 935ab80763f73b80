#include "dialogs/PredecessorsPage.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

#include "dialogs/Widgets.h"
#include "framework/Prompter.h"
#include "runtime/Sjis.h"
#include "store/LinkEdits.h"
#include "store/LinkRows.h"
#include "store/ScheduleDocument.h"
#include "store/Tables.h"

namespace vinta {

namespace {
QString NameOfRow(const ScheduleDocument& doc, int row) {
    const QString name = QString::fromStdString(sjis::ToUtf8(doc.OutlineCell(outline::Name, row + 1))).trimmed();
    return name.isEmpty() ? QStringLiteral("（名前なし）") : name;
}
}  // namespace

PredecessorsPage::PredecessorsPage(const ScheduleDocument& doc, Prompter& prompter, QWidget* parent)
    : QWidget(parent), doc_(doc), prompter_(prompter) {
    setObjectName(QStringLiteral("PredecessorsPage"));
    lbLinks = new QListWidget;
    lbLinks->setObjectName(QStringLiteral("lbLinks"));
    cbTask = new QComboBox;
    cbTask->setObjectName(QStringLiteral("cbTask"));
    cbKind = new QComboBox;
    cbKind->setObjectName(QStringLiteral("cbKind"));
    for (int k = 0; k < kLinkKinds; ++k) cbKind->addItem(QString::fromStdString(KindWords(static_cast<LinkKind>(k))));
    eLag = new QSpinBox;
    eLag->setObjectName(QStringLiteral("eLag"));
    eLag->setRange(-kMaxLagDays, kMaxLagDays);
    eLag->setSuffix(QStringLiteral(" 日"));
    auto* add = new QPushButton(QStringLiteral("追加・変更(&A)"));
    add->setObjectName(QStringLiteral("bLinkAdd"));
    auto* del = new QPushButton(QStringLiteral("削除(&D)"));
    del->setObjectName(QStringLiteral("bLinkDel"));
    // Return stays the dialog's OK wherever the focus is on this page.
    for (QPushButton* b : {add, del}) b->setAutoDefault(false);
    // The list beside the fields, so that the page keeps the dialog's designed height.
    lbLinks->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    lbLinks->setMinimumSize(150, 40);
    auto* grid = new QGridLayout(this);
    grid->addWidget(BuddyLabel(QStringLiteral("先行タスクの一覧(&L)"), lbLinks), 0, 0);
    grid->addWidget(lbLinks, 1, 0, 4, 1);
    grid->addWidget(BuddyLabel(QStringLiteral("先行タスク(&T)"), cbTask), 0, 1);
    grid->addWidget(cbTask, 0, 2, 1, 2);
    grid->addWidget(BuddyLabel(QStringLiteral("種類(&K)"), cbKind), 1, 1);
    grid->addWidget(cbKind, 1, 2, 1, 2);
    grid->addWidget(BuddyLabel(QStringLiteral("ずれ(&G)"), eLag), 2, 1);
    grid->addWidget(eLag, 2, 2, 1, 2);
    grid->addWidget(add, 3, 2);
    grid->addWidget(del, 3, 3);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(0, 1);
    connect(add, &QPushButton::clicked, this, &PredecessorsPage::AddClick);
    connect(del, &QPushButton::clicked, this, &PredecessorsPage::DeleteClick);
    connect(lbLinks, &QListWidget::currentRowChanged, this, &PredecessorsPage::Pick);
}

void PredecessorsPage::Fill(int32_t no) {
    no_ = no;
    links_.clear();
    // Only links whose predecessor is there: one to a deleted row is not shown, nor kept.
    for (const LinkEnds& l : doc_.linkRows.Live(doc_))
        if (l.link.to == no) links_.push_back(l.link);
    changed_ = false;
    Show();
}

void PredecessorsPage::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    ListTasks();
}

void PredecessorsPage::ListTasks() {
    if (listed_) return;
    listed_ = true;
    for (int r = 0; r + 1 < doc_.Outline().RowCount(); ++r) {
        const std::optional<int32_t> no = SerialOf(doc_, r);
        if (!no || *no == no_ || !TakesLinks(doc_, r)) continue;
        cbTask->addItem(QStringLiteral("%1  %2").arg(*no).arg(NameOfRow(doc_, r)), *no);
    }
}

void PredecessorsPage::Show() {
    lbLinks->clear();
    for (const TaskLink& l : links_) {
        const int row = doc_.store.FindRow(doc_.outlineSlot, outline::No, std::to_string(l.from));
        lbLinks->addItem(QStringLiteral("%1 (%2)").arg(row >= 0 ? NameOfRow(doc_, row) : QString::number(l.from),
                                                       QString::fromStdString(LinkWords(l))));
    }
}

void PredecessorsPage::Pick(int index) {
    if (index < 0 || static_cast<size_t>(index) >= links_.size()) return;
    ListTasks();
    const TaskLink& l = links_[static_cast<size_t>(index)];
    cbTask->setCurrentIndex(cbTask->findData(l.from));
    cbKind->setCurrentIndex(static_cast<int>(l.kind));
    eLag->setValue(l.lag);
}

void PredecessorsPage::AddClick() {
    ListTasks();
    if (cbTask->currentIndex() < 0) return;
    const TaskLink link{cbTask->currentData().toInt(), no_, static_cast<LinkKind>(cbKind->currentIndex()), eLag->value()};
    // A link into this task closes a circle only through the links out of it,
    // which the page does not change: the schedule's links tell.
    if (doc_.store.links.WouldCycle(link.from, link.to)) {
        prompter_.Notice(QString::fromStdString(RefusalWords(LinkVerdict::Cycle)));
        return;
    }
    auto same = std::find_if(links_.begin(), links_.end(), [&](const TaskLink& l) { return l.from == link.from; });
    if (same != links_.end()) *same = link;
    else links_.push_back(link);
    changed_ = true;
    Show();
    lbLinks->setCurrentRow(static_cast<int>(same != links_.end() ? same - links_.begin() : links_.size() - 1));
}

void PredecessorsPage::DeleteClick() {
    const int at = lbLinks->currentRow();
    if (at < 0 || static_cast<size_t>(at) >= links_.size()) return;
    links_.erase(links_.begin() + at);
    changed_ = true;
    Show();
    lbLinks->setCurrentRow(std::min(at, static_cast<int>(links_.size()) - 1));
}

}  // namespace vinta
