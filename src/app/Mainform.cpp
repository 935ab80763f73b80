#include "Mainform.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMenuBar>
#include <QScrollBar>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QUndoStack>
#include <QVBoxLayout>
#include <QToolBar>
#include <QToolButton>
#include <cstdio>
#include <exception>

#include "dialogs/ResEdit.h"
#include "dialogs/TaskEdit.h"
#include "framework/GridWidget.h"
#include "framework/Interface.h"
#include "framework/WindowBounds.h"
#include "print/Printpreview.h"
#include "app/RecoveryOffer.h"
#include "recovery/Recovery.h"
#include "undo/ScheduleHistory.h"
#include "update/Newversion.h"
#include "update/UpdateCheck.h"
#include "runtime/Profile.h"
#include "runtime/Sjis.h"
#include "store/TextSearch.h"
#include "views/FindBar.h"
#include "views/OutlineCommands.h"
#include "views/OutlineView.h"
#include "views/SchedulePanes.h"

namespace vinta {

const QString AppTitle = QStringLiteral("Vinta");

namespace {

const QRect kDesignBounds(394, 123, 757, 454);
const QString kFilter = QStringLiteral("Vinta files(*.kts)|*.kts|All files(*.*)|*.*");
const QString kSaveCaption = QStringLiteral("データの保存");
const QString kSaveQuestion = QStringLiteral("データが未保存のようです\r\n保存しますか？");


}  // namespace

QString DefaultSettingsPath() {
    QString dir = QCoreApplication::applicationDirPath();
    QString beside = QDir(dir).filePath(QStringLiteral("VINTA.ini"));
    if (QFileInfo::exists(beside) || QFileInfo(dir).isWritable()) return beside;
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QDir(config).mkpath(QStringLiteral("Vinta"));
    return QDir(config).filePath(QStringLiteral("Vinta/VINTA.ini"));
}

TForm1::TForm1(Prompter* prompter, QString settingsPath, QWidget* parent, QString startFile)
    : QMainWindow(parent), prompter_(prompter), settingsPath_(std::move(settingsPath)), startFile_(std::move(startFile)) {
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
    openDialog = {kFilter, QString(), QStringLiteral("*.kts"), QStringLiteral(".")};
    saveDialog = {kFilter, QStringLiteral("kts"), QStringLiteral("新規"), QStringLiteral(".")};
    BuildPanes();
    history_ = std::make_unique<ScheduleHistory>(
        HistoryTarget{store, outlineSlot, resourceSlot, grids.Schedule1, grids.Resource,
                      [this](int first, int end, bool viewMoved) {
                          MatchChartToOutline();
                          if (viewMoved) {
                              FoldTarget t = Folds();
                              ShowFoldState(t, first, end);
                          }
                          RepaintPanes();
                      }});
    connect(&history_->Stack(), &QUndoStack::cleanChanged, this, [this](bool clean) { isModified = !clean; });
    BuildMenus();
    defaultOutlineRowHeight = grids.Schedule1.DefaultRowHeight();
    defaultChartRowHeight = chartGrid.DefaultRowHeight();
    CoupleScrolling();
    store.SetTextWidth(WindowTextWidth);
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::BuildPanes() {
    auto* pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("PageControl1"));
    auto* panel = new SchedulePanes(
        {store, outlineSlot, resourceSlot, grids.Schedule1, chartGrid, chart, ImgSch, ImgTask, ImgInfo});
    Schedule1 = panel->Outline();
    Schedule2 = panel->Chart();
    auto* sheet = new QWidget;
    sheet->setObjectName(QStringLiteral("TabSheet1"));
    auto* sheetLayout = new QVBoxLayout(sheet);
    sheetLayout->setContentsMargins(0, 0, 0, 0);
    sheetLayout->addWidget(panel);
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
    findBar_->onShown = [this](bool shown) { Schedule1->SetMarkCurrent(shown); };
    column->addWidget(findBar_);
    setCentralWidget(centre);
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->setSizeGripEnabled(true);

    connect(Schedule1, &GridWidget::cellMouseUp, this,
            [this](Qt::MouseButton b, QPoint p) { Guard([&] { Schedule1MouseUp(b, p); }); });
    connect(Schedule1, &GridWidget::cellDoubleClicked, this, [this] { Guard([this] { Schedule1DblClick(); }); });
    connect(Schedule2, &GridWidget::cellDoubleClicked, this, [this] { Guard([this] { Schedule2DblClick(); }); });
}

QAction* TForm1::Action(const char* name) const { return findChild<QAction*>(QString::fromLatin1(name)); }


void TForm1::CoupleScrolling() {
    auto couple = [this](GridWidget* from, GridWidget* to) {
        connect(from->verticalScrollBar(), &QScrollBar::valueChanged, this, [this, to](int v) {
            if (scrollForwarding) return;
            scrollForwarding = true;
            to->verticalScrollBar()->setValue(v);
            scrollForwarding = false;
        });
        from->afterKey = [this, to](QKeyEvent* e) {
            // Moves between rows follow in the other pane; moves between columns do not.
            bool toRow = e->key() == Qt::Key_Up || e->key() == Qt::Key_Down ||
                         ((e->key() == Qt::Key_Home || e->key() == Qt::Key_End) &&
                          (e->modifiers() & Qt::ControlModifier));
            if (scrollForwarding || !toRow) return;
            scrollForwarding = true;
            QKeyEvent copy(e->type(), e->key(), e->modifiers());
            to->HandleKey(&copy);
            scrollForwarding = false;
        };
    };
    couple(Schedule1, Schedule2);
    couple(Schedule2, Schedule1);
}

void TForm1::FormCreate() {
    store.version = 1.0;
    currentFileName.clear();
    isModified = false;
    InitTables();
    ReadSettings();
    // Nothing is open until a file has been read: a name that cannot be is
    // not what the caption shows or a save writes to.
    const QString toOpen = startFile_.isEmpty() ? currentFileName : startFile_;
    currentFileName.clear();
    UpdateCaption();
    chart.today = clock::LocalNow();
    grids.Schedule1.SetRowHeights(0, 40);
    chartGrid.SetRowHeights(0, 40);
    // Unsaved work from a run that did not end is offered before the remembered
    // file; a file named on the command line is opened whatever the answer.
    const bool restored = OfferRecovery();
    if (restored && !startFile_.isEmpty()) {
        OpenFile(startFile_);
    } else if (!restored && !toOpen.isEmpty()) {
        openDialog.fileName = toOpen;
        FileOpenAccept();
    }
    SetView(chart, chartGrid, kYearView, {chart.today.wYear, chart.today.wMonth, chart.today.wDay});
    RepaintPanes();
}

bool TForm1::OfferRecovery() {
    const std::optional<RecoveryCopy> copy = OfferRecoveryCopy(recovery_, prompter());
    if (!copy) return false;
    if (store.LoadFromFile(copy->dataPath.toStdString()) != kLoadRead) {
        RecoveryFolder::SetAside(*copy);
        prompter().Notice(QStringLiteral("復元用のコピーが壊れているため読み込めませんでした。\r\n\r\n") +
                          copy->dataPath + QStringLiteral(".damaged"));
        return false;
    }
    currentFileName = copy->originalPath;
    openDialog.fileName = currentFileName;
    // The work stays unsaved work: no step of the history is the file on disk.
    history_->Clear();
    history_->Stack().resetClean();
    isModified = true;
    base_ = copy->base.value_or(FileStamp::Of(currentFileName));
    MatchChartToOutline();
    UpdateCaption();
    // The work is safe under this run's copy before the old one goes.
    autoSaver_->WriteNow();
    autoSaver_->Wait();
    if (copy->dataPath != recovery_.DataPathFor(currentFileName)) RecoveryFolder::Discard(*copy);
    return true;
}

void TForm1::InitTables() {
    TableSlots s = vinta::InitTables(store, grids);
    optionSlot = s.optionSlot;
    outlineSlot = s.outlineSlot;
    resourceSlot = s.resourceSlot;
    taskSlot = s.taskSlot;
}

void TForm1::ReadSettings() {
    Profile ini(settingsPath_.toStdString());
    currentFileName = QString::fromStdString(ini.ReadString("OPT", "FileName", ""));
    history_->Stack().setUndoLimit(std::max(1, ini.ReadInteger("ENV", "UndoLimit", ScheduleHistory::kDefaultLimit)));
    autoSaver_ = std::make_unique<AutoSaver>(
        recovery_, ini.ReadInteger("ENV", "AutoSave", 2), [this] { return isModified; },
        [this] { return RecoverySnapshot{currentFileName, store.SaveToBytes(), base_}; }, this);
    connect(autoSaver_.get(), &AutoSaver::WriteFailed, this, [this](const QString& folder) {
        const QString text = QStringLiteral("復元用のコピーを書き込めません: ") + folder;
        statusBar()->showMessage(text);
        std::fprintf(stderr, "vinta: cannot write a recovery copy in %s\n", QFile::encodeName(folder).constData());
    });
    setGeometry(RememberedBounds(ini, "", geometry(), kDesignBounds.size()));
}

void TForm1::WriteSettings() {
    Profile ini(settingsPath_.toStdString());
    ini.WriteString("OPT", "FileName", currentFileName.toStdString());
    RememberBounds(ini, "", geometry());
}

void TForm1::UpdateCaption() {
    setWindowTitle(currentFileName.isEmpty() ? AppTitle + QStringLiteral(" - 新規")
                                             : AppTitle + QStringLiteral(" - ") + currentFileName);
}

void TForm1::RepaintPanes() {
    Schedule1->Refresh();
    Schedule2->Refresh();
}

void TForm1::MatchChartToOutline() { MatchChartRows(grids.Schedule1, chartGrid); }

// File commands.

bool TForm1::SaveTo(const QString& path) {
    if (store.SaveToFile(path.toStdString())) {
        base_ = FileStamp::Of(path);
        history_->SetClean();
        autoSaver_->Forget(currentFileName);
        autoSaver_->Forget(path);
        return true;
    }
    prompter().Notice(QStringLiteral("ファイルを保存できませんでした。\r\n\r\n") + path);
    return false;
}

bool TForm1::ConfirmDiscard() {
    if (!isModified) return true;
    switch (prompter().Ask(kSaveCaption, kSaveQuestion)) {
        case Answer::kYes: return SaveClick();
        case Answer::kNo:
            // Dropped on purpose: no copy to offer later.
            autoSaver_->Forget(currentFileName);
            return true;
        case Answer::kCancel: break;
    }
    return false;
}

void TForm1::NewFileClick() {
    if (!ConfirmDiscard()) return;
    autoSaver_->Forget(currentFileName);
    currentFileName.clear();
    base_ = {};
    isModified = false;
    UpdateCaption();
    for (int r = 1; r < grids.Schedule1.RowCount(); ++r) {
        grids.Schedule1.SetRowHeights(r, defaultOutlineRowHeight);
        chartGrid.SetRowHeights(r, defaultChartRowHeight);
    }
    for (StringGrid* g : {&grids.Schedule1, &grids.Resource, &grids.Task}) g->ClearRows(1, g->RowCount());
    grids.Schedule1.SetRowCount(10);
    chartGrid.SetRowCount(10);
    InitTables();
    history_->Clear();
    RepaintPanes();
}

bool TForm1::FileOpenExecute() {
    auto path = prompter().OpenFileName(openDialog);
    return path && OpenFile(*path);
}

bool TForm1::OpenFile(const QString& path) {
    if (!ConfirmDiscard()) return false;
    autoSaver_->Forget(currentFileName);
    openDialog.fileName = path;
    FileOpenAccept();
    return true;
}

void TForm1::FileOpenAccept() {
    const QString path = openDialog.fileName;
    if (!QFileInfo::exists(path)) {
        prompter().Notice(QStringLiteral("ファイルが見つかりません。\r\n読み込みを中止します。\r\n\r\n") + path);
        return;
    }
    int r = store.LoadFromFile(path.toStdString());
    if (r == kLoadUnreadable) {
        prompter().Notice(QStringLiteral("ファイルを読み込めませんでした。\r\n\r\n") + path);
        return;
    }
    if (r == kLoadTooLarge) {
        prompter().Notice(QStringLiteral("ファイルが大きすぎるため読み込めません（1 GB まで）。\r\n\r\n") + path);
        return;
    }
    if (r == kLoadNoTables) return;
    if (r == kLoadNewerVersion || r == kLoadNotSchedule) {
        prompter().Notice(r == kLoadNewerVersion ? QStringLiteral("このバージョンのファイルは読み込めません")
                                                 : QStringLiteral("このファイルは読み込めません"));
        openDialog.fileName.clear();
    }
    currentFileName = openDialog.fileName;
    base_ = FileStamp::Of(currentFileName);
    history_->Clear();
    isModified = false;
    MatchChartToOutline();
    SetView(chart, chartGrid, kYearView, {clock::LocalNow().wYear, 1, 1});
    UpdateCaption();
    RepaintPanes();
}

bool TForm1::FileSaveAsExecute() {
    auto path = prompter().SaveFileName(saveDialog);
    if (!path) return false;
    saveDialog.fileName = *path;
    return FileSaveAsAccept();
}

bool TForm1::FileSaveAsAccept() {
    const QString path = saveDialog.fileName;
    if (QFileInfo::exists(path) &&
        !prompter().Confirm(QStringLiteral("名前をつけて保存"),
                            QStringLiteral("同じ名前のファイルがあります。\r\n上書きしますか？")))
        return false;
    // A schedule that could not be written under the new name keeps its old one.
    if (!SaveTo(path)) return false;
    currentFileName = path;
    UpdateCaption();
    isModified = false;
    return true;
}

bool TForm1::SaveClick() {
    if (currentFileName.isEmpty()) return FileSaveAsExecute();
    if (!SaveTo(currentFileName)) return false;
    isModified = false;
    return true;
}

// Outline commands: each works on the store, marks a change, repaints.

bool TForm1::RecordChange(const QString& name, int first, int end, const std::function<bool()>& change) {
    ScheduleHistory::Pending pending = history_->Begin(first, end);
    const bool changed = change();
    history_->Commit(pending, name);
    autoSaver_->Changed();
    return changed;
}

void TForm1::RunOutlineCommand(bool (*command)(OutlineEdit&, int), const QString& name, int first, int end) {
    OutlineEdit e{store, outlineSlot, grids.Schedule1, chartGrid, prompter(), LocalToday()};
    const int row = Schedule1->Row();
    if (RecordChange(name, first, end, [&] { return command(e, row); })) isModified = true;
    RepaintPanes();
}

// The rows each command may touch: the row, the one above, and what hangs below it.
int TForm1::SubtreeChangeEnd(int row) const { return SubtreeEnd(store, outlineSlot, grids.Schedule1, row) + 2; }

void TForm1::AppendClick() {
    const int n = grids.Schedule1.RowCount();
    RunOutlineCommand([](OutlineEdit& e, int) { return AppendCommand(e); }, QStringLiteral("行の追加"), n - 1, n);
}
void TForm1::InsertClick() {
    const int r = Schedule1->Row();
    RunOutlineCommand(InsertCommand, QStringLiteral("行の挿入"), r - 1, r + 1);
}
void TForm1::DeleteClick() {
    // Delete takes the row and its assignment rows, and sets the row above.
    const int r = Schedule1->Row();
    int last = r;
    while (outline::IsRowType(store.CellText(outlineSlot, outline::Type, last), outline::Assignment)) ++last;  // data row last = grid row last + 1
    RunOutlineCommand(DeleteCommand, QStringLiteral("行の削除"), r - 1, last + 2);
}
void TForm1::LevelUpClick() {
    const int t = OwnerRow(store, outlineSlot, grids.Schedule1, Schedule1->Row());
    RunOutlineCommand(LevelUpCommand, QStringLiteral("レベルを上げる"), t - 1, SubtreeChangeEnd(t));
}
void TForm1::LevelDownClick() {
    const int t = OwnerRow(store, outlineSlot, grids.Schedule1, Schedule1->Row());
    RunOutlineCommand(LevelDownCommand, QStringLiteral("レベルを下げる"), t - 1, SubtreeChangeEnd(t));
}

// Chart commands: they move the period and repaint.

void TForm1::RunChartCommand(const std::function<void()>& command) {
    command();
    RepaintPanes();
}

void TForm1::YearClick() { RunChartCommand([this] { YearCommand(chart, chartGrid); }); }
void TForm1::MonthClick() { RunChartCommand([this] { MonthCommand(chart, chartGrid, Schedule2->Col()); }); }
void TForm1::PriorClick() { RunChartCommand([this] { PriorCommand(chart, chartGrid); }); }
void TForm1::TomonthClick() { RunChartCommand([this] { ThisMonthCommand(chart, chartGrid); }); }
void TForm1::NextClick() { RunChartCommand([this] { NextCommand(chart, chartGrid); }); }

void TForm1::Schedule1MouseUp(Qt::MouseButton button, QPoint pos) {
    if (button != Qt::LeftButton) return;
    int col, row;
    if (!Schedule1->MouseToCell(pos, col, row)) return;
    FoldTarget t = Folds();
    if (FoldAt(t, col, row, Schedule1->CellRect(col, row), pos)) RepaintPanes();
}

FoldTarget TForm1::Folds() {
    return {store, outlineSlot, grids.Schedule1, chartGrid, defaultOutlineRowHeight, defaultChartRowHeight};
}

void TForm1::FoldCurrentRow(bool expand) {
    const int row = Schedule1->Row();
    if (row < 1 || OutlineLevel(store, outlineSlot, row) < 0 ||
        store.CellText(outlineSlot, outline::HasChildren, row - 1) != "1")
        return;
    FoldTarget t = Folds();
    SetFolded(t, row, expand);
    RepaintPanes();
}

bool TForm1::FindRow(const QString& text, bool forward) {
    auto needle = sjis::FromUtf8(text.toStdString());
    if (!needle) return false;  // a character no cell can hold
    int found = FindOutlineRow(store, outlineSlot, resourceSlot, *needle, Schedule1->Row() - 1, forward);
    if (found < 0) return false;
    const int row = found + 1;
    FoldTarget t = Folds();
    RevealRow(t, row);
    Schedule1->SetRow(row);
    Schedule2->SetRow(row);
    RepaintPanes();
    return true;
}

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
    return {store, outlineSlot, resourceSlot, taskSlot, ImgRes, ImgInfo, prompter(),
            [this](QDialog& d) { return RunModal(d); }, this};
}

int TForm1::RunModal(QDialog& dialog) {
    ModalCount::Scope open(modal_);
    return runDialog ? runDialog(dialog) : dialog.exec();
}

void TForm1::Schedule1DblClick() {
    TaskRowPanes panes{grids.Schedule1, chartGrid, defaultOutlineRowHeight, defaultChartRowHeight};
    const int row = Schedule1->Row();
    const int t = OwnerRow(store, outlineSlot, grids.Schedule1, row);
    if (RecordChange(QStringLiteral("タスクの編集"), t - 1, SubtreeChangeEnd(t),
                     [&] { return EditTaskRow(Dialogs(), panes, row); }))
        isModified = true;
    RepaintPanes();
}

void TForm1::Print1Click() {
    TForm2 preview(printState, printers, {store, optionSlot, outlineSlot, resourceSlot, grids.Schedule1, chart},
                   prompter(), settingsPath_, this);
    preview.runPrintDialog = runPrintDialog;
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
    isModified = true;
    RecordChange(QStringLiteral("リソースの編集"), 1, 1, [&] {
        OpenResourceList(Dialogs());
        return true;
    });
    RepaintPanes();
}

void TForm1::UndoClick() {
    history_->Stack().undo();
    autoSaver_->Changed();
}

void TForm1::RedoClick() {
    history_->Stack().redo();
    autoSaver_->Changed();
}

void TForm1::Schedule2DblClick() {
    if (Schedule2->Row() <= 0) return;
    Schedule1->SetRow(Schedule2->Row());
    Schedule1DblClick();
}

// Closing.

// Unsaved work is never thrown away by accident: only an explicit No
// discards it; a failed or cancelled save keeps the window open.
bool TForm1::FormCloseQuery() { return ConfirmDiscard(); }

void TForm1::FormClose() {
    // Settings that cannot be written must not keep the program from ending.
    try {
        WriteSettings();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vinta: %s\n", e.what());
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    bool mayClose = true;
    Guard([&] { mayClose = FormCloseQuery(); });
    if (!mayClose) {
        event->ignore();
        return;
    }
    FormClose();
    // A clean exit leaves no copy behind.
    autoSaver_->Forget(currentFileName);
    event->accept();
}

}  // namespace vinta
