// The main window's menus and toolbar: what each command is called, its key
// and picture, and the handler it runs.
#include <QAction>
#include <QEvent>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>
#include <type_traits>

#include "app/Mainform.h"
#include "undo/ScheduleHistory.h"
#include "views/FindBar.h"

namespace vinta {

namespace {

// Keeps tooltips and status hints off the toolbar.
class NoTips : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject*, QEvent* e) override { return e->type() == QEvent::ToolTip || e->type() == QEvent::StatusTip; }
};

}  // namespace

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

}  // namespace vinta
