#include "Mainform.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QStatusBar>
#include <QTabWidget>
#include <QUndoStack>
#include <QVBoxLayout>
#include <cstdio>
#include <exception>

#include "app/DiskWatch.h"
#include "app/DocumentFiles.h"
#include "app/ExchangeFiles.h"
#include "app/ScheduleEdits.h"
#include "runtime/SafeFile.h"
#include "store/FileImage.h"
#include "store/Identity.h"
#include "app/RecoveryOffer.h"
#include "dialogs/ResEdit.h"
#include "dialogs/TaskEdit.h"
#include "framework/GridWidget.h"
#include "framework/Interface.h"
#include "framework/WindowBounds.h"
#include "print/Printpreview.h"
#include "recovery/Recovery.h"
#include "undo/ScheduleHistory.h"
#include "update/Newversion.h"
#include "update/UpdateCheck.h"
#include "runtime/Profile.h"
#include "runtime/Sjis.h"
#include "store/BarRow.h"
#include "store/ChartScale.h"
#include "store/Folding.h"
#include "store/TextSearch.h"
#include "views/ChartView.h"
#include "views/FindBar.h"
#include "app/LinkCommands.h"
#include "views/OutlineCommands.h"
#include "views/OutlineView.h"
#include "views/SchedulePanes.h"

namespace vinta {

const QString AppTitle = QStringLiteral("Vinta");

TForm1::TForm1(Prompter* prompter, QString settingsPath, QWidget* parent)
    : QMainWindow(parent), doc_(WindowTextWidth), prompter_(prompter), settingsPath_(std::move(settingsPath)) {
    if (!prompter_) {
        ownPrompter_ = std::make_unique<QtPrompter>(this);
        prompter_ = ownPrompter_.get();
    }
    counting_ = std::make_unique<CountingPrompter>(*prompter_, modal_);
    setObjectName(QStringLiteral("Form1"));
    setFont(WindowFont());
    setGeometry(kDesignBounds);
    ImageList1 = MakeCommandImages();
    ImgRes = MakeResourceImages();
    ImgSch = MakeOutlineImages();
    ImgTask = MakeTaskImages();
    ImgInfo = MakeStateImages();
    setWindowIcon(ImageList1.Icon(13));
    BuildPanes();
    history_ = std::make_unique<ScheduleHistory>(HistoryTarget{doc_, [this](int first, int end, bool viewMoved) {
                                                                   MatchChartRows(doc_.Outline(), doc_.chartGrid);
                                                                   if (viewMoved) ShowFoldState(doc_, first, end);
                                                                   RepaintPanes();
                                                               }});
    connect(&history_->Stack(), &QUndoStack::cleanChanged, this, [this](bool clean) { doc_.SetModified(!clean); });
    autoSaver_ = std::make_unique<AutoSaver>(
        recovery_, kAutoSaveMinutes, [this] { return doc_.Modified(); },
        [this] {
            // Copies of the tables here; the file image made on the copy's
            // thread. The schedule's identity first, so that the copy and the
            // save it stands in for carry the same one.
            EnsureScheduleIdentity(doc_);
            auto image = std::make_shared<FileImage>(doc_.store.Snapshot());
            return RecoverySnapshot{FileName(), {}, files_->Base(), [image](const safefile::PieceWriter& put) {
                                        return image->WriteTo(put);
                                    }};
        },
        this);
    connect(autoSaver_.get(), &AutoSaver::WriteFailed, this, [this](const QString& folder) {
        statusBar()->showMessage(QStringLiteral("復元用のコピーを書き込めません: ") + folder);
        std::fprintf(stderr, "vinta: cannot write a recovery copy in %s\n", QFile::encodeName(folder).constData());
    });
    doc_.onModifiedChanged = [this](bool modified) { setWindowModified(modified); };
    edits_ = std::make_unique<ScheduleEdits>(doc_, *history_, *autoSaver_, [this] { RepaintPanes(); });
    links_ = std::make_unique<LinkCommands>(
        doc_, *edits_, *counting_,
        LinkCommands::Hooks{[this] { return Schedule1()->Row(); }, [this](int row) { ShowRow(row); },
                            [this](const QString& line) { statusBar()->showMessage(line); }});
    files_ = std::make_unique<DocumentFiles>(doc_, *counting_, *history_, *autoSaver_);
    exchange_ = std::make_unique<ExchangeFiles>(doc_, *counting_, *files_, this);
    diskWatch_ = std::make_unique<DiskWatch>(
        *files_, *counting_, modal_,
        DiskWatch::Hooks{[this] { return ReloadFromDisk(); },
                         [this](const QString& line) { statusBar()->showMessage(line); },
                         [this] { return doc_.Modified(); }},
        this);
    BuildMenus();
    doc_.Outline().SetRowHeights(0, 40);
    doc_.chartGrid.SetRowHeights(0, 40);
    const SystemTime now = clock::LocalNow();
    SetView(doc_.chart, doc_.chartGrid, kYearView, {now.wYear, now.wMonth, 1});
    UpdateCaption();
}

TForm1::~TForm1() {
    // The bar is hidden as the widgets go: by then there is no window to tell.
    if (findBar_) findBar_->onShown = nullptr;
}

void TForm1::BuildPanes() {
    auto* pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("PageControl1"));
    panes_ = new SchedulePanes({doc_, ImgSch, ImgTask, ImgInfo});
    auto* sheet = new QWidget;
    sheet->setObjectName(QStringLiteral("TabSheet1"));
    auto* sheetLayout = new QVBoxLayout(sheet);
    sheetLayout->setContentsMargins(0, 0, 0, 0);
    sheetLayout->addWidget(panes_);
    pages->addTab(sheet, QStringLiteral("スケジュール"));
    // The find bar sits under the panes, hidden until Ctrl+F.
    auto* centre = new QWidget(this);
    auto* column = new QVBoxLayout(centre);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(pages, 1);
    findBar_ = new FindBar([this](const QString& text, bool forward) { return FindRow(text, forward); }, centre);
    findBar_->hide();
    // While finding, the row found stays marked in the outline.
    findBar_->onShown = [this](bool shown) {
        Schedule1()->SetMarkCurrent(shown);
        // Closed, the bar hands the focus back to the row it found.
        if (!shown && isVisible()) Schedule1()->setFocus(Qt::OtherFocusReason);
    };
    column->addWidget(findBar_);
    setCentralWidget(centre);
    // The keyboard starts in the outline, on its current cell.
    Schedule1()->setFocus();
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->setSizeGripEnabled(true);
    connect(Schedule1(), &GridWidget::cellMouseUp, this,
            [this](Qt::MouseButton b, QPoint p) { Guard([&] { Schedule1MouseUp(b, p); }); });
    connect(Schedule1(), &GridWidget::cellDoubleClicked, this, [this] { Guard([this] { Schedule1DblClick(); }); });
    connect(Schedule2(), &GridWidget::cellDoubleClicked, this, [this] { Guard([this] { Schedule2DblClick(); }); });
    // A drag from one bar to another links the two.
    Schedule2()->SetRowDrag(true);
    connect(Schedule2(), &GridWidget::rowDragged, this, [this](int from, int to) { Guard([&] { links_->LinkRows(from, to); }); });
}

QAction* TForm1::Action(const char* name) const { return findChild<QAction*>(QString::fromLatin1(name)); }
GridWidget* TForm1::Schedule1() const { return panes_->Outline(); }
GridWidget* TForm1::Schedule2() const { return panes_->Chart(); }
QString TForm1::FileName() const { return files_->FileName(); }
FileDialogSpec& TForm1::OpenDialog() { return files_->openDialog; }

void TForm1::FormCreate(const QString& startFile) {
    ReadSettings();
    // Nothing is open until a file has been read: a name that cannot be is
    // not what the caption shows or a save writes to.
    const QString toOpen = startFile.isEmpty() ? QString::fromStdString(doc_.fileName) : startFile;
    doc_.fileName.clear();
    UpdateCaption();
    // Unsaved work from a run that did not end is offered before the remembered
    // file; a file named on the command line is opened whatever the answer.
    const std::optional<RecoveryCopy> copy = OfferRecoveryCopy(recovery_, prompter());
    const bool restored = copy && files_->Restore(*copy, recovery_);
    if (restored && !startFile.isEmpty()) {
        OpenFile(startFile);
    } else if (!restored && !toOpen.isEmpty()) {
        OpenDialog().fileName = toOpen;
        FileOpenAccept();
    }
    ShowDocument();
}

void TForm1::UpdateCaption() {
    const bool readOnly = files_->ReadOnly();
    setWindowTitle((doc_.fileName.empty() ? AppTitle + QStringLiteral(" - 新規") : AppTitle + QStringLiteral(" - ") + FileName()) +
                   (readOnly ? QStringLiteral(" (読み取り専用)") : QString()));
    for (const char* save : {"Save", "tbSaveAs"})
        if (QAction* a = Action(save)) a->setEnabled(!readOnly);
    diskWatch_->Follow(FileName());
}

void TForm1::ShowDocument() {
    UpdateCaption();
    if (!files_->ReadOnlyReason().isEmpty()) statusBar()->showMessage(files_->ReadOnlyReason());
    RepaintPanes();
}

// The current row stays where it was, or on the last row when fewer came back.
bool TForm1::ReloadFromDisk() {
    const int row = Schedule1()->Row();
    if (!files_->Reload()) return false;
    ShowDocument();
    Schedule1()->SetRow(row);
    Schedule2()->SetRow(Schedule1()->Row());
    return true;
}

void TForm1::RepaintPanes() { panes_->Refresh(); }

// Outline commands: each changes the schedule as one step of the history, and repaints.

void TForm1::RunOutlineCommand(OutlineCommand command, const QString& name) {
    OutlineEdit e{doc_, prompter(), LocalToday()};
    const int row = Schedule1()->Row();
    const RowSpan rows = RowsTouched(doc_, command, row);
    edits_->Run(name, rows.first, rows.end, [&](ScheduleEdits::Step&) { return RunCommand(e, command, row); });
}

void TForm1::AppendClick() { RunOutlineCommand(OutlineCommand::Append, QStringLiteral("行の追加")); }
void TForm1::InsertClick() { RunOutlineCommand(OutlineCommand::Insert, QStringLiteral("行の挿入")); }
void TForm1::DeleteClick() { RunOutlineCommand(OutlineCommand::Delete, QStringLiteral("行の削除")); }
void TForm1::LevelUpClick() { RunOutlineCommand(OutlineCommand::LevelUp, QStringLiteral("レベルを上げる")); }
void TForm1::LevelDownClick() { RunOutlineCommand(OutlineCommand::LevelDown, QStringLiteral("レベルを下げる")); }

// Chart commands: they move the period and repaint.

void TForm1::RunChartCommand(const std::function<void()>& command) {
    command();
    RepaintPanes();
}

void TForm1::YearClick() { RunChartCommand([this] { YearCommand(doc_.chart, doc_.chartGrid); }); }
void TForm1::MonthClick() { RunChartCommand([this] { MonthCommand(doc_.chart, doc_.chartGrid, Schedule2()->Col()); }); }
void TForm1::WeekClick() {
    RunChartCommand([this] { ViewCommand(doc_.chart, doc_.chartGrid, kWeekView, Schedule2()->Col()); });
}
void TForm1::PriorClick() { RunChartCommand([this] { PriorCommand(doc_.chart, doc_.chartGrid); }); }
void TForm1::TomonthClick() { RunChartCommand([this] { ThisMonthCommand(doc_.chart, doc_.chartGrid); }); }
void TForm1::NextClick() { RunChartCommand([this] { NextCommand(doc_.chart, doc_.chartGrid); }); }

void TForm1::ShowHolidays(bool show) {
    doc_.chart.showHolidays = show;
    Action("Holidays")->setChecked(show);
    RepaintPanes();
}

void TForm1::Schedule1MouseUp(Qt::MouseButton button, QPoint pos) {
    if (button != Qt::LeftButton) return;
    int col, row;
    if (!Schedule1()->MouseToCell(pos, col, row)) return;
    if (FoldAt(doc_, col, row, Schedule1()->CellRect(col, row), pos)) RepaintPanes();
}

void TForm1::FoldCurrentRow(bool expand) {
    const int row = Schedule1()->Row();
    if (row < 1 || OutlineLevel(doc_.store, doc_.outlineSlot, row) < 0 ||
        doc_.store.CellText(doc_.outlineSlot, outline::HasChildren, row - 1) != "1")
        return;
    SetFolded(doc_, row, expand);
    RepaintPanes();
}

FindBar::Found TForm1::FindRow(const QString& text, bool forward) {
    auto needle = sjis::FromUtf8(text.toStdString());
    if (!needle) return {};  // a character no cell can hold
    int found = doc_.names.Find(doc_.store, doc_.outlineSlot, doc_.resourceSlot, *needle, Schedule1()->Row() - 1, forward);
    if (found < 0) return {};
    ShowRow(found + 1);
    const NameIndex::Tally tally = doc_.names.Count(*needle, found);
    return {tally.count, tally.position};
}

void TForm1::ShowRow(int row) {
    RevealRow(doc_, row);
    // The bar's start shown: the period steps to it as the next and previous commands would.
    if (const std::optional<Date> start = DateOfCell(doc_.store.CellText(doc_.outlineSlot, outline::StartDate, row - 1))) {
        const Date from = StartShowing(doc_.chart, *start);
        if (!(from == PeriodAnchor(doc_.chart))) SetView(doc_.chart, doc_.chartGrid, doc_.chart.viewMode, from);
    }
    Schedule1()->SetRow(row);
    Schedule2()->SetRow(row);
    RepaintPanes();
}

void TForm1::LinkAboveClick() { links_->LinkToRowAbove(); }
void TForm1::BrokenLinksClick(bool forward) { links_->StepBrokenLinks(forward); }

void TForm1::Guard(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        prompter().Error(QString::fromUtf8(e.what()));
    } catch (...) {
        prompter().Error(QString());
    }
}

DialogContext TForm1::Dialogs() {
    return {doc_, ImgRes, ImgInfo, prompter(),
            [this](QDialog& d) { return RunModal(d); }, this};
}

int TForm1::RunModal(QDialog& dialog) {
    ModalCount::Scope open(modal_);
    return runDialog_ ? runDialog_(dialog) : dialog.exec();
}

void TForm1::Schedule1DblClick() {
    // The dialog can open the resource list: what changes there belongs to this step.
    edits_->Run(QStringLiteral("タスクの編集"), 1, 1, [&](ScheduleEdits::Step& step) {
        const std::optional<TaskEntry> entry = AskTaskEntry(Dialogs(), Schedule1()->Row());
        if (!entry) return false;
        const RowSpan rows = TaskEntrySpan(doc_, *entry);
        step.SetRows(rows.first, rows.end);
        ApplyTaskEntry(doc_, *entry);
        if (const size_t outside = AssignmentsOutsideTask(*entry).size())
            statusBar()->showMessage(QStringLiteral("割当 %1 件の期間がタスク「%2」の期間の外にあります")
                                         .arg(outside)
                                         .arg(QString::fromStdString(sjis::ToUtf8(entry->name))));
        return true;
    });
}

void TForm1::Print1Click() {
    TForm2 preview(printState_, printers_, doc_, prompter(), settingsPath_, this);
    preview.runPrintDialog = runPrintDialog_;
    RunModal(preview);
}

void TForm1::About1Click() {
    TAboutDlg about(this);
    RunModal(about);
}

void TForm1::NewVersionClick() {
    TNewVersionDlg check(ProgramUpdateTexts(), VersionUrl(settingsPath_), prompter(), this);
    RunModal(check);
}

void TForm1::ResEditClick() {
    // The list edits the table as it goes: whatever it was, it is unsaved work.
    edits_->Run(QStringLiteral("リソースの編集"), 1, 1, [&](ScheduleEdits::Step&) {
        OpenResourceList(Dialogs());
        return true;
    });
}

void TForm1::UndoClick() { edits_->Undo(); }
void TForm1::RedoClick() { edits_->Redo(); }

void TForm1::Schedule2DblClick() {
    if (Schedule2()->Row() <= 0) return;
    Schedule1()->SetRow(Schedule2()->Row());
    Schedule1DblClick();
}

// Closing.

void TForm1::closeEvent(QCloseEvent* event) {
    bool mayClose = true;
    Guard([&] { mayClose = FormCloseQuery(); });
    if (!mayClose) {
        event->ignore();
        return;
    }
    FormClose();
    // A clean exit leaves no copy behind, and no lock.
    autoSaver_->Forget(FileName());
    files_->Close();
    event->accept();
}

}  // namespace vinta
