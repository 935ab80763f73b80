#include "TaskEdit.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "dialogs/Numedit.h"
#include "dialogs/PredecessorsPage.h"
#include "dialogs/ResEdit.h"
#include "dialogs/TaskEdit2.h"
#include "dialogs/Widgets.h"
#include "framework/Canvas.h"
#include "framework/GridWidget.h"
#include "framework/ImageList.h"
#include "framework/Prompter.h"
#include "store/ScheduleDocument.h"
#include "store/ScheduleStore.h"
#include "store/Tables.h"
#include "store/Folding.h"

namespace vinta {

namespace {


struct State {
    const char* text;
    QColor colour;
};
const State kStates[] = {{"", QColor()},
                         {"余裕", QColor(0, 50, 200)},
                         {"快調", QColor(0, 150, 50)},
                         {"普通", QColor()},
                         {"不調", QColor(200, 100, 0)},
                         {"危険", QColor(255, 0, 0)}};

}  // namespace

TTaskEditDlg::TTaskEditDlg(const DialogContext& context) : QDialog(context.parent), ctx_(context) {
    setWindowTitle(QStringLiteral("タスク"));
    setObjectName(QStringLiteral("TaskEditDlg"));
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->addTab(TaskPage(), QStringLiteral("タスク情報"));
    PageControl1->addTab(LinesPage(), QStringLiteral("リソース情報"));
    auto* memo = new QWidget;
    auto* mv = new QVBoxLayout(memo);
    eMemo = new SjisTextEdit(&ctx_.prompter, true);
    eMemo->setObjectName(QStringLiteral("eMemo"));
    eMemo->setAccessibleName(QStringLiteral("メモ"));
    mv->addWidget(eMemo);
    PageControl1->addTab(memo, QStringLiteral("メモ"));
    predecessors = new PredecessorsPage(ctx_.doc, ctx_.prompter);
    PageControl1->addTab(predecessors, QStringLiteral("先行タスク"));

    QDialogButtonBox* buttons = MakeOkCancel(this);
    connect(rgType, &RadioGroup::clicked, this, &TTaskEditDlg::rgTypeClick);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addWidget(buttons);
    SetTabChain({eName, dtStart, dtEnd, eProgress, rgType, rgDisp});
    FitToDesign(this, {458, 211});
    StringGrid1->SetCurrent(1, 1);
    TurnPagesByKeys(this, PageControl1);
    eName->setFocus();  // where the user starts, not the tab bar
}

QWidget* TTaskEditDlg::TaskPage() {
    auto* info = new QWidget;
    auto* form = new QGridLayout(info);
    eName = new SjisLineEdit(&ctx_.prompter, 0, true);
    eName->setObjectName(QStringLiteral("eName"));
    dtStart = MakeDatePicker(QStringLiteral("dtStart"), this);
    dtEnd = MakeDatePicker(QStringLiteral("dtEnd"), this);
    eProgress = new TNumEdit;
    eProgress->setObjectName(QStringLiteral("eProgress"));
    eProgress->setMaxLength(3);
    eProgress->setMaximumWidth(50);
    rgType = new RadioGroup(QStringLiteral("種別"),
                            {QStringLiteral("プロジェクト"), QStringLiteral("タスク"), QStringLiteral("コメント")}, 1);
    rgType->setObjectName(QStringLiteral("rgType"));
    rgDisp = new RadioGroup(QStringLiteral("スケジュール描画"), {QStringLiteral("表示しない"), QStringLiteral("表示する")}, 1);
    rgDisp->setObjectName(QStringLiteral("rgDisp"));
    eNo = new TNumEdit;
    eNo->setObjectName(QStringLiteral("eNo"));
    eNo->setReadOnly(true);
    eNo->setEnabled(false);
    eNo->setFocusPolicy(Qt::NoFocus);
    eNo->setMaximumWidth(70);
    form->addWidget(BuddyLabel(QStringLiteral("タスク名(&N)"), eName), 0, 0);
    form->addWidget(eName, 0, 1, 1, 3);
    form->addWidget(BuddyLabel(QStringLiteral("開始日(&S)"), dtStart), 1, 0);
    form->addWidget(dtStart, 1, 1);
    form->addWidget(BuddyLabel(QStringLiteral("終了日(&E)"), dtEnd), 2, 0);
    form->addWidget(dtEnd, 2, 1);
    form->addWidget(BuddyLabel(QStringLiteral("進捗率(&P)"), eProgress), 3, 0);
    auto* progress = new QHBoxLayout;
    progress->addWidget(eProgress);
    progress->addWidget(new QLabel(QStringLiteral("％")));
    progress->addStretch();
    form->addLayout(progress, 3, 1);
    // Four rows, so that the page keeps the dialog's designed 458 x 211 with
    // the fonts at hand: the two radio groups stand side by side to the right
    // of the dates, each in one column.
    form->addWidget(rgType, 1, 2, 3, 1);
    form->addWidget(new QLabel(QStringLiteral("CD")), 0, 4);
    form->addWidget(eNo, 0, 5);
    form->addWidget(rgDisp, 1, 3, 3, 3);
    form->setRowStretch(4, 1);
    return info;
}

QWidget* TTaskEditDlg::LinesPage() {
    auto* res = new QWidget;
    auto* rv = new QVBoxLayout(res);
    auto* bar = new QToolBar;
    AddToolButton(bar, "TaskAdd", QStringLiteral("割り当て"), [this] { TaskAddClick(); },
                  QStringLiteral("タスクの割り当て"));
    AddToolButton(bar, "TaskDel", QStringLiteral("削除"), [this] { TaskDelClick(); }, QStringLiteral("割り当ての削除"));
    AddToolButton(bar, "sbEdit", QStringLiteral("編集"), [this] { StringGrid1DblClick(); });
    AddToolButton(bar, "ResAdd", QStringLiteral("リソース追加"), [this] { ResAddClick(); },
                  QStringLiteral("リソースの追加"));
    rv->addWidget(bar);
    lines.SetFixedRows(1);
    static const char* const kHeaders[] = {"No.", "リソース", "開始日", "終了日", "進捗", "状況", "メモ"};
    static const int kWidths[] = {30, 100, 65, 65, 30, 46, 200};
    // Dates must fit their columns in the font at hand.
    QFont gridFont(QStringLiteral("ＭＳ Ｐゴシック"));
    gridFont.setPixelSize(12);
    const int dateWidth = QFontMetrics(gridFont).horizontalAdvance(QStringLiteral("0000/00/00")) + 6;
    for (int c = 0; c < 7; ++c) {
        lines.SetCells(c, 0, QtToCell(QString::fromUtf8(kHeaders[c])));
        lines.SetColWidths(c, c == 2 || c == 3 ? std::max(kWidths[c], dateWidth) : kWidths[c]);
    }
    StringGrid1 = new GridWidget(&lines);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setAccessibleName(QStringLiteral("割り当て"));
    StringGrid1->SetFixedCols(1);
    StringGrid1->SetGridLines(true);
    StringGrid1->SetRowSelect(true);
    StringGrid1->SetDrawCell([this](Canvas& c, int col, int row, const QRect& r, CellState st) { DrawLine(c, col, row, r, st); });
    connect(StringGrid1, &GridWidget::cellDoubleClicked, this, &TTaskEditDlg::StringGrid1DblClick);
    // Read as drawn: the person's name, the dates, the progress and the state's word.
    StringGrid1->SetCellText([this](int col, int row) { return LineText(col, row).trimmed(); });
    StringGrid1->SetEnterActivates(true);
    rv->addWidget(StringGrid1, 1);
    return res;
}

void TTaskEditDlg::Fill(int r) {
    ScheduleStore& st = ctx_.doc.store;
    const int o = ctx_.doc.outlineSlot;
    row_ = r;
    auto text = [&](int col, int row) { return st.CellText(o, col, row); };
    if (st.HasNumber(o, outline::Level, r)) {
        keptNo_ = st.CellNumber(o, outline::No, r);
        int type = st.CellNumber(o, outline::Type, r);
        keptLevel_ = st.CellNumber(o, outline::Level, r);
        eNo->SetValue(keptNo_);
        eName->SetSjisText(text(outline::Name, r));
        if (type == outline::Comment) {
            eProgress->SetValue(0);
            dtStart->setDate(TodayDate());
            dtEnd->setDate(TodayDate());
        } else {
            eProgress->SetValue(TNumEdit::ReadInteger(CellToQt(text(outline::Progress, r))));
            dtStart->setDate(CellDate(text(outline::StartDate, r)));
            dtEnd->setDate(CellDate(text(outline::EndDate, r)));
            const int linked = LinkedRowCount(ctx_.doc, r, keptNo_);
            for (int t = 1; t <= linked; ++t) {
                if (t >= lines.RowCount()) ScheduleStore::InsertGridRow(&lines, lines.RowCount());
                static constexpr int kFrom[] = {outline::No, outline::Name, outline::StartDate, outline::EndDate,
                                                outline::Progress, outline::WorkState, outline::Memo};
                for (int c = 0; c < 7; ++c) lines.SetCells(c, t, text(kFrom[c], r + t));
            }
            if (linked > 0) linesLoaded_ = true;
        }
        rgType->SetItemIndex(type);
        typeIndex_ = rgType->ItemIndex();
        eMemo->SetSjisText(text(outline::Memo, r));
        rgDisp->SetItemIndex(TNumEdit::ReadInteger(CellToQt(text(outline::ShowBar, r))));
    } else {
        isNew_ = true;
        keptLevel_ = 0;
        keptNo_ = TNumEdit::ReadInteger(CellToQt(text(outline::No, r)));
        eNo->SetValue(keptNo_);
        eProgress->SetValue(0);
        QDate start = TodayDate(), end = TodayDate();
        if (r > 0 && st.HasNumber(o, outline::Type, r - 1) && st.HasNumber(o, outline::Level, r - 1) &&
            st.CellNumber(o, outline::Type, r - 1) != outline::Comment) {
            start = CellDate(text(outline::StartDate, r - 1));
            end = CellDate(text(outline::EndDate, r - 1));
        }
        dtStart->setDate(start);
        dtEnd->setDate(end);
        rgType->SetItemIndex(outline::Task);
        typeIndex_ = outline::Task;
        rgDisp->SetItemIndex(1);
    }
    predecessors->Fill(keptNo_);
    EnableForType(typeIndex_);
    StringGrid1->Refresh();
}

void TTaskEditDlg::accept() {
    // A comment keeps no dates to compare.
    if (typeIndex_ == kComment || ConfirmDateOrder(ctx_.prompter, dtStart, dtEnd)) QDialog::accept();
}

void TTaskEditDlg::EnableForType(int index) {
    bool dated = index != kComment;
    PageControl1->setTabEnabled(1, dated);
    PageControl1->setTabEnabled(PageControl1->indexOf(predecessors), dated);  // a comment takes no links
    dtStart->setEnabled(dated);
    dtEnd->setEnabled(dated);
}

void TTaskEditDlg::rgTypeClick(int index) {
    if (index == kComment && typeIndex_ != kComment) {
        bool yes = ctx_.prompter.Confirm(
            QStringLiteral("注意"),
            QStringLiteral("コメントにはリソースの割当ができません。\r\n既に割当てられたデータは削除されます。\r\n"
                           "戻す場合は、[OK]する前にコメント以外を選択してください。"),
            BoxIcon::kInformation);
        if (!yes) {
            rgType->SetItemIndex(typeIndex_);
            return;
        }
    }
    typeIndex_ = index;
    EnableForType(index);
}

void TTaskEditDlg::TaskAddClick() {
    int y = ScheduleStore::InsertGridRow(&lines, lines.RowCount());
    StringGrid1->Refresh();
    StringGrid1->SetCurrent(StringGrid1->Col(), y);
    StringGrid1DblClick();
}

void TTaskEditDlg::TaskDelClick() {
    int y = StringGrid1->Row();
    if (y <= 0) return;
    int last = lines.RowCount() - 1;
    if (y == last) {
        lines.ClearRow(y);
    } else {
        for (int s = y; s < last; ++s) lines.SetRows(s, lines.Rows(s + 1));
        lines.ClearRow(last);
        lines.SetRowCount(last);
    }
    StringGrid1->Refresh();
}

void TTaskEditDlg::StringGrid1DblClick() {
    EditAssignmentLine(ctx_, lines, StringGrid1->Row(), dtStart->date(), dtEnd->date());
    StringGrid1->Refresh();
}

void TTaskEditDlg::ResAddClick() {
    DialogContext list = ctx_;
    list.parent = this;
    OpenResourceList(list);
    StringGrid1->Refresh();
}

QString TTaskEditDlg::LineText(int col, int row) const {
    const std::string text(lines.Cells(col, row));
    if (row > 0 && col == 0) return QString::number(row);
    if (row > 0 && col == 1) {
        const int res = CellHoldsNumber(text) ? ctx_.doc.store.FindRow(ctx_.doc.resourceSlot, resource::No, text) : -1;
        if (res >= 0) return CellToQt(ctx_.doc.store.CellText(ctx_.doc.resourceSlot, resource::Name, res));
    }
    if (row > 0 && col == 5 && CellHoldsNumber(text)) {
        const int code = TNumEdit::ReadInteger(CellToQt(text));
        return QString::fromUtf8(kStates[code >= 1 && code <= 5 ? code : 0].text);
    }
    return CellToQt(text);
}

void TTaskEditDlg::DrawLine(Canvas& c, int col, int row, const QRect& r, const CellState& st) {
    PrepareDialogCell(c, st);
    const int left = r.left(), top = r.top(), right = left + r.width(), bottom = top + r.height();
    std::string text(lines.Cells(col, row));
    const QString shown = LineText(col, row);
    c.FillRect(left, top, right, bottom);
    auto centredY = [&](const QString& t) { return top + (r.height() - c.TextExtent(t).height()) / 2; };
    int iconY = top + (r.height() - 16) / 2;
    int x = left + 2;
    bool rightAligned = false;
    if (row == 0) {
        x = left + (r.width() - c.TextExtent(shown).width()) / 2;
    } else if (col == 0) {
        x = right - c.TextExtent(shown).width() - 2;
        rightAligned = true;
    } else if (col == 1) {
        int res = CellHoldsNumber(text) ? ctx_.doc.store.FindRow(ctx_.doc.resourceSlot, resource::No, text) : -1;
        if (res >= 0) {
            std::string kind = ctx_.doc.store.CellText(ctx_.doc.resourceSlot, resource::Kind, res);
            if (kind == "0" || kind == "1" || kind == "2") ctx_.imgRes.Draw(c, left, iconY, kind[0] - '0');
            x = left + ctx_.imgRes.Width() + 4;
        } else {
            x = left + (r.width() - c.TextExtent(shown).width()) / 2;
        }
    } else if (col == 4) {
        x = right - c.TextExtent(shown).width() - 2;
        rightAligned = true;
    } else if (col == 5) {
        if (CellHoldsNumber(text)) {
            int code = TNumEdit::ReadInteger(shown);
            const State& s = kStates[code >= 1 && code <= 5 ? code : 0];
            if (s.colour.isValid() && !st.selected) c.SetFontColor(s.colour);
            ctx_.imgInfo.Draw(c, left, iconY, code >= 1 && code <= 5 ? code : 0);
        }
        x = left + ctx_.imgInfo.Width() + 4;
    }
    // A right-aligned text wider than its cell keeps its end in view; the
    // cell clips its start.
    c.TextRect(left, top, right, bottom, rightAligned ? x : std::max(x, left), centredY(shown), shown);
}

TaskEntry TTaskEditDlg::Entry() const {
    TaskEntry e;
    e.dataRow = row_;
    e.no = eNo->Value();
    e.type = std::max(0, rgType->ItemIndex());
    e.level = keptLevel_;
    e.name = eName->SjisText();
    e.progress = QtToCell(eProgress->Text());
    e.start = DateCell(dtStart->date());
    e.end = DateCell(dtEnd->date());
    e.memo = eMemo->SjisText();
    e.showBar = std::max(0, rgDisp->ItemIndex());
    e.isNew = isNew_;
    e.linesLoaded = linesLoaded_;
    if (predecessors->Changed()) e.predecessors = predecessors->Links();
    // Only lines with a resource number are kept; a comment keeps none.
    if (e.type == kComment) return e;
    for (int y = 1; y < lines.RowCount(); ++y) {
        if (!CellHoldsNumber(lines.Cells(1, y))) continue;
        e.assignments.push_back({TNumEdit::ReadInteger(CellToQt(lines.Cells(0, y))), std::string(lines.Cells(1, y)),
                                 std::string(lines.Cells(2, y)), std::string(lines.Cells(3, y)),
                                 std::string(lines.Cells(4, y)), std::string(lines.Cells(5, y)),
                                 std::string(lines.Cells(6, y))});
    }
    return e;
}

std::optional<TaskEntry> AskTaskEntry(const DialogContext& ctx, int g) {
    TTaskEditDlg dlg(ctx);
    if (g < 1) return std::nullopt;
    ScheduleStore& st = ctx.doc.store;
    int r = g - 1;
    if (st.HasNumber(ctx.doc.outlineSlot, outline::Type, r) &&
        st.CellNumber(ctx.doc.outlineSlot, outline::Type, r) == outline::Assignment) {
        r = st.FindRow(ctx.doc.outlineSlot, outline::No, st.CellText(ctx.doc.outlineSlot, outline::LinkNo, r));
        if (r < 0) return std::nullopt;
    }
    dlg.Fill(r);
    if (ctx.Run(dlg) != QDialog::Accepted) return std::nullopt;
    return dlg.Entry();
}

bool EditTaskRow(const DialogContext& ctx, int g) {
    std::optional<TaskEntry> entry = AskTaskEntry(ctx, g);
    if (entry) ApplyTaskEntry(ctx.doc, *entry);
    return entry.has_value();
}

}  // namespace vinta
