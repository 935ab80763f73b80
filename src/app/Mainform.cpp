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

// Keeps tooltips and status hints off the toolbar.
class NoTips : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject*, QEvent* e) override { return e->type() == QEvent::ToolTip || e->type() == QEvent::StatusTip; }
};

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
                          FoldTarget t{store, outlineSlot, grids.Schedule1, chartGrid, defaultOutlineRowHeight,
                                       defaultChartRowHeight};
                          if (viewMoved) ShowFoldState(t, first, end);
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

void TForm1::BuildMenus() {
    // Every handler runs to completion; an error it raises is shown and the
    // program goes on.
    auto guarded = [this](auto fn) {
        return [this, fn] { Guard([this, fn] { (this->*fn)(); }); };
    };
    auto make = [&](const char* name, const QString& text, int image, auto fn) {
        auto* a = new QAction(text, this);
        a->setObjectName(QString::fromLatin1(name));
        if (image >= 0) a->setIcon(ImageList1.Icon(image));
        if constexpr (!std::is_null_pointer_v<decltype(fn)>) connect(a, &QAction::triggered, this, guarded(fn));
        return a;
    };
    auto openAction = [this] { Guard([this] { FileOpenExecute(); }); };
    auto saveAsAction = [this] { Guard([this] { FileSaveAsExecute(); }); };

    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    QAction* newFile = make("NewFile", QStringLiteral("新規作成(&N)"), 0, &TForm1::NewFileClick);
    newFile->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    file->addAction(newFile);
    QAction* open = make("Open", QStringLiteral("開く(&O)..."), 1, nullptr);
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(open, &QAction::triggered, this, openAction);
    file->addAction(open);
    QAction* save = make("Save", QStringLiteral("上書き保存(&S)"), 2, &TForm1::SaveClick);
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    file->addAction(save);
    QAction* saveAs = make("SaveAs1", QStringLiteral("名前を付けて保存(&A)..."), -1, nullptr);
    saveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(saveAs, &QAction::triggered, this, saveAsAction);
    file->addAction(saveAs);
    file->addSeparator();
    QAction* print = make("Print1", QStringLiteral("印刷(&P)..."), 3, &TForm1::Print1Click);
    print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    file->addAction(print);
    file->addSeparator();
    QAction* exit = make("Exit1", QStringLiteral("終了(&X)"), -1, nullptr);
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(exit, &QAction::triggered, this, &QWidget::close);
    file->addAction(exit);

    // Undo and redo: the step's name in the item, off when there is none.
    QMenu* editMenu = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    editMenu->setObjectName(QStringLiteral("EditMenu"));
    QAction* undo = make("Undo", QStringLiteral("元に戻す(&U)"), -1, &TForm1::UndoClick);
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    undo->setIcon(HistoryIcon(false));
    QAction* redo = make("Redo", QStringLiteral("やり直し(&R)"), -1, &TForm1::RedoClick);
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    redo->setIcon(HistoryIcon(true));
    editMenu->addAction(undo);
    editMenu->addAction(redo);
    QUndoStack& stack = history_->Stack();
    auto name = [&stack, undo, redo] {
        undo->setEnabled(stack.canUndo());
        redo->setEnabled(stack.canRedo());
        undo->setText(stack.canUndo() ? QStringLiteral("元に戻す: %1(&U)").arg(stack.undoText())
                                      : QStringLiteral("元に戻す(&U)"));
        redo->setText(stack.canRedo() ? QStringLiteral("やり直し: %1(&R)").arg(stack.redoText())
                                      : QStringLiteral("やり直し(&R)"));
    };
    connect(&stack, &QUndoStack::indexChanged, this, name);
    connect(&stack, &QUndoStack::cleanChanged, this, name);
    name();

    QMenu* sched = menuBar()->addMenu(QStringLiteral("スケジュール(&S)"));
    sched->addAction(make("ResEdit", QStringLiteral("リソース(&R)"), 6, &TForm1::ResEditClick));
    sched->addSeparator();
    QAction* ins = make("Insert", QStringLiteral("挿入(&I)"), 5, &TForm1::InsertClick);
    ins->setShortcut(QKeySequence(Qt::Key_Insert));
    sched->addAction(ins);
    QAction* del = make("Delete", QStringLiteral("削除(&D)"), 4, &TForm1::DeleteClick);
    del->setShortcut(QKeySequence(Qt::Key_Delete));
    sched->addAction(del);
    sched->addAction(make("Edit", QStringLiteral("編集(&E)"), 14, &TForm1::Schedule1DblClick));
    QAction* app = make("Append", QStringLiteral("追加(&A)"), -1, &TForm1::AppendClick);
    app->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Insert));
    sched->addAction(app);
    sched->addSeparator();
    sched->addAction(make("LevelUp", QStringLiteral("レベルを上げる(&U)"), 7, &TForm1::LevelUpClick));
    sched->addAction(make("LevelDown", QStringLiteral("レベルを下げる(&L)"), 8, &TForm1::LevelDownClick));

    QMenu* view = menuBar()->addMenu(QStringLiteral("表示(&V)"));
    view->addAction(make("Year", QStringLiteral("年表示(&Y)"), 13, &TForm1::YearClick));
    view->addAction(make("Month", QStringLiteral("月表示(&M)"), 12, &TForm1::MonthClick));
    view->addSeparator();
    view->addAction(make("Prior", QStringLiteral("前を表示(&P)"), 9, &TForm1::PriorClick));
    view->addAction(make("Tomonth", QStringLiteral("今月を表示(&T)"), 10, &TForm1::TomonthClick));
    view->addAction(make("Next", QStringLiteral("次を表示(&N)"), 11, &TForm1::NextClick));
    view->addSeparator();

    QMenu* help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    QAction* contents = make("Contents1", QStringLiteral("目次(&C)"), -1, nullptr);
    contents->setEnabled(false);
    help->addAction(contents);
    help->addSeparator();
    help->addAction(make("NewVersion", QStringLiteral("最新バージョンのチェック"), -1, &TForm1::NewVersionClick));
    help->addAction(make("About1", QStringLiteral("バージョン情報(&A)..."), -1, &TForm1::About1Click));

    // Finding has keys but no menu item: the menus stay as designed.
    auto key = [this](const char* name, QKeySequence seq, const std::function<void()>& run) {
        auto* a = new QAction(this);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(seq);
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, run);
        addAction(a);
    };
    key("Find", QKeySequence(Qt::CTRL | Qt::Key_F), [this] { findBar_->Open(); });
    key("FindNext", QKeySequence(Qt::Key_F3), [this] { findBar_->Step(true); });
    key("FindPrior", QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { findBar_->Step(false); });

    toolBar_ = addToolBar(QStringLiteral("ToolBar1"));
    toolBar_->setObjectName(QStringLiteral("ToolBar1"));
    toolBar_->setMovable(false);
    toolBar_->setIconSize(QSize(16, 16));
    auto* noTips = new NoTips(this);
    auto button = [&](const char* name, int image, const std::function<void()>& run) {
        QAction* a = toolBar_->addAction(ImageList1.Icon(image), QString());
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, run);
        QWidget* w = toolBar_->widgetForAction(a);
        w->setObjectName(QString::fromLatin1(name));
        w->installEventFilter(noTips);
    };
    button("tbNewFile", 0, guarded(&TForm1::NewFileClick));
    button("tbOpenFile", 1, openAction);
    button("tbSaveAs", 2, guarded(&TForm1::SaveClick));
    toolBar_->addSeparator();
    button("tbPrint", 3, guarded(&TForm1::Print1Click));
    toolBar_->addSeparator();
    button("tbDelete", 4, guarded(&TForm1::DeleteClick));
    button("tbEdit", 14, guarded(&TForm1::Schedule1DblClick));
    button("tbInsert", 5, guarded(&TForm1::InsertClick));
    toolBar_->addSeparator();
    button("tbResEdit", 6, guarded(&TForm1::ResEditClick));
    toolBar_->addSeparator();
    button("tbLevelUp", 7, guarded(&TForm1::LevelUpClick));
    button("tbLevelDown", 8, guarded(&TForm1::LevelDownClick));
    toolBar_->addSeparator();
    button("tbPrev", 9, guarded(&TForm1::PriorClick));
    button("tbToMonth", 10, guarded(&TForm1::TomonthClick));
    button("tbNext", 11, guarded(&TForm1::NextClick));
    toolBar_->addSeparator();
    button("tbMonth", 12, guarded(&TForm1::MonthClick));
    button("tbYear", 13, guarded(&TForm1::YearClick));
    toolBar_->addSeparator();
    for (QAction* a : {undo, redo}) {
        toolBar_->addAction(a);
        QWidget* w = toolBar_->widgetForAction(a);
        w->setObjectName(a == undo ? QStringLiteral("tbUndo") : QStringLiteral("tbRedo"));
        w->installEventFilter(noTips);
    }
}

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
                                                 : QStringLiteral("このは読み込めません"));
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
    while (store.CellText(outlineSlot, outline::Type, last) == "3") ++last;  // data row last = grid row last + 1
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
    FoldTarget t{store, outlineSlot, grids.Schedule1, chartGrid, defaultOutlineRowHeight, defaultChartRowHeight};
    if (FoldAt(t, col, row, Schedule1->CellRect(col, row), pos)) RepaintPanes();
}

bool TForm1::FindRow(const QString& text, bool forward) {
    auto needle = sjis::FromUtf8(text.toStdString());
    if (!needle) return false;  // a character no cell can hold
    int found = FindOutlineRow(store, outlineSlot, resourceSlot, *needle, Schedule1->Row() - 1, forward);
    if (found < 0) return false;
    const int row = found + 1;
    FoldTarget t{store, outlineSlot, grids.Schedule1, chartGrid, defaultOutlineRowHeight, defaultChartRowHeight};
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
