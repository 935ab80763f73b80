#include "TaskEdit2.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/Numedit.h"
#include "dialogs/Widgets.h"
#include "framework/Prompter.h"
#include "runtime/StringGrid.h"
#include "store/ScheduleDocument.h"
#include "store/ScheduleStore.h"
#include "store/Tables.h"

namespace vinta {

ResourceChoices BuildResourceChoices(const ScheduleStore& store, int slot) {
    ResourceChoices c;
    for (int r = 0; r < store.DataRowCount(slot); ++r) {
        std::string no = store.CellText(slot, resource::No, r);
        QString name = CellToQt(store.CellText(slot, resource::Name, r));
        if (!CellHoldsNumber(no) || name.isEmpty()) continue;
        c.numbers.push_back(no);
        c.names << name;
    }
    return c;
}

TTaskEditDlg2::TTaskEditDlg2(Prompter& prompter, QWidget* parent) : QDialog(parent), prompter_(prompter) {
    setWindowTitle(QStringLiteral("リソースの割り当て"));
    setObjectName(QStringLiteral("TaskEditDlg2"));
    auto* grid = new QGridLayout;
    eNo = new TNumEdit;
    eNo->setObjectName(QStringLiteral("eNo"));
    eNo->setEnabled(false);
    eNo->setFocusPolicy(Qt::NoFocus);
    eNo->setMaximumWidth(80);
    cbRes = new QComboBox;
    cbRes->setObjectName(QStringLiteral("cbRes"));
    cbRes->setEditable(true);
    cbRes->setInsertPolicy(QComboBox::NoInsert);
    cbRes->setLineEdit(new SjisLineEdit(&prompter, 0, true));
    cbRes->setMinimumWidth(200);
    dtFrom = MakeDatePicker(QStringLiteral("dtFrom"), this);
    dtTo = MakeDatePicker(QStringLiteral("dtTo"), this);
    eProgress = new TNumEdit;
    eProgress->setObjectName(QStringLiteral("eProgress"));
    eProgress->setMaximumWidth(60);
    rgType = new RadioGroup(QStringLiteral("作業状態"),
                            {QString(), QStringLiteral("余裕"), QStringLiteral("快調"), QStringLiteral("普通"),
                             QStringLiteral("不調"), QStringLiteral("危険")},
                            6);
    rgType->setObjectName(QStringLiteral("rgType"));
    eMemo = new SjisTextEdit(&prompter, true);
    eMemo->setObjectName(QStringLiteral("eMemo"));
    int row = 0;
    grid->addWidget(BuddyLabel(QStringLiteral("No."), eNo), row, 0);
    grid->addWidget(eNo, row++, 1, Qt::AlignLeft);
    grid->addWidget(BuddyLabel(QStringLiteral("リソース(&R)"), cbRes), row, 0);
    grid->addWidget(cbRes, row++, 1, 1, 3);
    grid->addWidget(BuddyLabel(QStringLiteral("開始日(&S)"), dtFrom), row, 0);
    grid->addWidget(dtFrom, row, 1);
    grid->addWidget(BuddyLabel(QStringLiteral("終了日(&E)"), dtTo), row, 2);
    grid->addWidget(dtTo, row++, 3);
    grid->addWidget(BuddyLabel(QStringLiteral("進捗(&P)"), eProgress), row, 0);
    auto* progress = new QHBoxLayout;
    progress->addWidget(eProgress);
    progress->addWidget(new QLabel(QStringLiteral("％")));
    progress->addStretch();
    grid->addLayout(progress, row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("状態")), row, 0);
    grid->addWidget(rgType, row++, 1, 1, 3);
    grid->addWidget(BuddyLabel(QStringLiteral("メモ(&M)"), eMemo), row, 0, Qt::AlignTop);
    grid->addWidget(eMemo, row++, 1, 1, 3);
    QDialogButtonBox* buttons = MakeOkCancel(this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    // The pickers were made before the fields above them: Tab follows the page.
    SetTabChain({cbRes, dtFrom, dtTo, eProgress, rgType, eMemo, findChild<QPushButton*>(QStringLiteral("OKBtn"))});
    FitToDesign(this, {425, 315});
}

void TTaskEditDlg2::accept() {
    if (ConfirmDateOrder(prompter_, dtFrom, dtTo)) QDialog::accept();
}

bool EditAssignmentLine(const DialogContext& ctx, StringGrid& lines, int y, QDate taskStart, QDate taskEnd) {
    if (y < 1 || y >= lines.RowCount()) return false;
    ResourceChoices choices = BuildResourceChoices(ctx.doc.store, ctx.doc.resourceSlot);
    if (choices.numbers.empty()) {
        ctx.prompter.Notice(QStringLiteral("リソースを登録してからにして下さい。"));
        return false;
    }
    TTaskEditDlg2 dlg(ctx.prompter, ctx.parent);
    dlg.cbRes->addItems(choices.names);
    dlg.cbRes->setCurrentIndex(-1);
    auto cell = [&](int col) { return lines.Cells(col, y); };
    if (CellHoldsNumber(cell(5))) {
        dlg.eNo->SetValue(TNumEdit::ReadInteger(CellToQt(cell(0))));
        for (size_t i = 0; i < choices.numbers.size(); ++i) {
            if (choices.numbers[i] == cell(1)) {
                dlg.cbRes->setCurrentIndex(static_cast<int>(i));
                break;
            }
        }
        // A damaged date shows today; the line changes only on OK.
        dlg.dtFrom->setDate(CellDate(cell(2)));
        dlg.dtTo->setDate(CellDate(cell(3)));
        dlg.eProgress->SetValue(TNumEdit::ReadInteger(CellToQt(cell(4))));
        dlg.rgType->SetItemIndex(TNumEdit::ReadInteger(CellToQt(cell(5))));
        dlg.eMemo->SetSjisText(cell(6));
    } else {
        dlg.eNo->SetValue(0);
        dlg.dtFrom->setDate(taskStart);
        dlg.dtTo->setDate(taskEnd);
        dlg.eProgress->SetValue(0);
        dlg.rgType->SetItemIndex(0);
    }
    if (ctx.Run(dlg) != QDialog::Accepted) return false;
    int chosen = dlg.cbRes->currentIndex();
    // A typed name that is not the chosen entry names no resource.
    bool picked = chosen >= 0 && dlg.cbRes->currentText() == dlg.cbRes->itemText(chosen);
    lines.SetCells(0, y, std::to_string(dlg.eNo->Value()));
    lines.SetCells(1, y, picked ? choices.numbers[static_cast<size_t>(chosen)] : "0");
    lines.SetCells(2, y, DateCell(dlg.dtFrom->date()));
    lines.SetCells(3, y, DateCell(dlg.dtTo->date()));
    lines.SetCells(4, y, QtToCell(dlg.eProgress->Text()));
    lines.SetCells(5, y, std::to_string(std::max(0, dlg.rgType->ItemIndex())));
    lines.SetCells(6, y, dlg.eMemo->SjisText());
    return true;
}

}  // namespace vinta
