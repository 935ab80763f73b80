// The main window's menus and toolbar: what each command is called, its key
// and picture, and the handler it runs.
#include <QAction>
#include <QEvent>
#include <QMenuBar>
#include <QRegularExpression>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>
#include <string_view>
#include <vector>

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

namespace {

using Run = void (*)(TForm1&);

// A menu command: its name (what tests and the toolbar find it by), text,
// picture (-1: none), keys and handler. A row without a name is a separator.
struct Command {
    const char* name;
    const char* text;
    int image;
    std::vector<QKeySequence> keys;
    Run run;
};

struct Menu {
    const char* title;
    const char* name;  // object name, when tests look for the menu
    std::vector<Command> commands;
};

const Command kSeparator{nullptr, nullptr, -1, {}, nullptr};

// "開く(&O)..." as it is said: "開く".
QString PlainCommandText(QString text) {
    text.remove(QRegularExpression(QStringLiteral("\\(&.\\)|&|\\.\\.\\.$|: .*$")));
    return text.trimmed();
}

std::vector<Menu> MenuTable() {
    using K = QKeySequence;
    return {
        {"ファイル(&F)", nullptr,
         {{"NewFile", "新規作成(&N)", 0, {K(Qt::CTRL | Qt::Key_N)}, [](TForm1& f) { f.NewFileClick(); }},
          {"Open", "開く(&O)...", 1, {K(Qt::CTRL | Qt::Key_O)}, [](TForm1& f) { f.FileOpenExecute(); }},
          {"Save", "上書き保存(&S)", 2, {K(Qt::CTRL | Qt::Key_S)}, [](TForm1& f) { f.SaveClick(); }},
          {"SaveAs1", "名前を付けて保存(&A)...", -1, {K(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
           [](TForm1& f) { f.FileSaveAsExecute(); }},
          kSeparator,
          {"Import", "インポート(&I)...", -1, {}, [](TForm1& f) { f.ImportClick(); }},
          {"Export", "エクスポート(&E)...", -1, {}, [](TForm1& f) { f.ExportClick(); }},
          kSeparator,
          {"Print1", "印刷(&P)...", 3, {K(Qt::CTRL | Qt::Key_P)}, [](TForm1& f) { f.Print1Click(); }},
          kSeparator,
          {"Exit1", "終了(&X)", -1, {K(Qt::CTRL | Qt::Key_Q)}, [](TForm1& f) { f.close(); }}}},
        {"編集(&E)", "EditMenu",
         {{"Undo", "元に戻す(&U)", -1, {K(Qt::CTRL | Qt::Key_Z)}, [](TForm1& f) { f.UndoClick(); }},
          {"Redo", "やり直し(&R)", -1, {K(Qt::CTRL | Qt::Key_Y), K(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
           [](TForm1& f) { f.RedoClick(); }}}},
        {"スケジュール(&S)", nullptr,
         {{"ResEdit", "リソース(&R)", 6, {}, [](TForm1& f) { f.ResEditClick(); }},
          kSeparator,
          {"Insert", "挿入(&I)", 5, {K(Qt::Key_Insert)}, [](TForm1& f) { f.InsertClick(); }},
          {"Delete", "削除(&D)", 4, {K(Qt::Key_Delete)}, [](TForm1& f) { f.DeleteClick(); }},
          {"Edit", "編集(&E)", 14, {}, [](TForm1& f) { f.Schedule1DblClick(); }},
          {"Append", "追加(&A)", -1, {K(Qt::SHIFT | Qt::Key_Insert)}, [](TForm1& f) { f.AppendClick(); }},
          kSeparator,
          {"LevelUp", "レベルを上げる(&U)", 7, {}, [](TForm1& f) { f.LevelUpClick(); }},
          {"LevelDown", "レベルを下げる(&L)", 8, {}, [](TForm1& f) { f.LevelDownClick(); }},
          kSeparator,
          {"LinkAbove", "上の作業とリンク(&K)", -1, {K(Qt::CTRL | Qt::Key_F2)}, [](TForm1& f) { f.LinkAboveClick(); }}}},
        {"表示(&V)", nullptr,
         {{"Year", "年表示(&Y)", 13, {}, [](TForm1& f) { f.YearClick(); }},
          {"Week", "週表示(&W)", -1, {}, [](TForm1& f) { f.WeekClick(); }},
          {"Month", "月表示(&M)", 12, {}, [](TForm1& f) { f.MonthClick(); }},
          kSeparator,
          {"Prior", "前を表示(&P)", 9, {K(Qt::ALT | Qt::Key_Left)}, [](TForm1& f) { f.PriorClick(); }},
          {"Tomonth", "今月を表示(&T)", 10, {}, [](TForm1& f) { f.TomonthClick(); }},
          {"Next", "次を表示(&N)", 11, {K(Qt::ALT | Qt::Key_Right)}, [](TForm1& f) { f.NextClick(); }},
          kSeparator,
          {"Holidays", "祝日を表示(&H)", -1, {}, [](TForm1& f) { f.ShowHolidays(f.Action("Holidays")->isChecked()); }},
          kSeparator,
          {"BrokenLinks", "依存関係の矛盾(&C)", -1, {K(Qt::Key_F8)}, [](TForm1& f) { f.BrokenLinksClick(true); }}}},
        {"ヘルプ(&H)", nullptr,
         {{"Contents1", "目次(&C)", -1, {}, nullptr},
          kSeparator,
          {"NewVersion", "最新バージョンのチェック", -1, {}, [](TForm1& f) { f.NewVersionClick(); }},
          {"About1", "バージョン情報(&A)...", -1, {}, [](TForm1& f) { f.About1Click(); }}}},
    };
}

// The toolbar: which command each button runs (nullptr: a separator).
const std::pair<const char*, const char*> kToolBar[] = {
    {"tbNewFile", "NewFile"}, {"tbOpenFile", "Open"},  {"tbSaveAs", "Save"},        {nullptr, nullptr},
    {"tbPrint", "Print1"},    {nullptr, nullptr},      {"tbDelete", "Delete"},      {"tbEdit", "Edit"},
    {"tbInsert", "Insert"},   {nullptr, nullptr},      {"tbResEdit", "ResEdit"},    {nullptr, nullptr},
    {"tbLevelUp", "LevelUp"}, {"tbLevelDown", "LevelDown"}, {nullptr, nullptr},     {"tbPrev", "Prior"},
    {"tbToMonth", "Tomonth"}, {"tbNext", "Next"},      {nullptr, nullptr},          {"tbMonth", "Month"},
    {"tbYear", "Year"},       {nullptr, nullptr},      {"tbUndo", "Undo"},          {"tbRedo", "Redo"},
};

}  // namespace

void TForm1::BuildMenus() {
    for (const Menu& m : MenuTable()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(m.title));
        if (m.name) menu->setObjectName(QString::fromLatin1(m.name));
        for (const Command& c : m.commands) {
            if (!c.name) {
                menu->addSeparator();
                continue;
            }
            auto* a = new QAction(QString::fromUtf8(c.text), this);
            a->setObjectName(QString::fromLatin1(c.name));
            if (c.image >= 0) a->setIcon(ImageList1.Icon(c.image));
            a->setShortcuts(QList<QKeySequence>(c.keys.begin(), c.keys.end()));
            // Every handler runs to completion; an error it raises is shown
            // and the program goes on.
            if (c.run) connect(a, &QAction::triggered, this, [this, run = c.run] { Guard([this, run] { run(*this); }); });
            a->setEnabled(c.run != nullptr);
            menu->addAction(a);
        }
    }
    Action("Holidays")->setCheckable(true);
    Action("Holidays")->setChecked(doc_.chart.showHolidays);
    NameHistorySteps();
    BuildFindKeys();
    BuildToolBar();
}

// Undo and redo: the step's name in the item, off when there is none.
void TForm1::NameHistorySteps() {
    QAction* undo = Action("Undo");
    QAction* redo = Action("Redo");
    undo->setIcon(HistoryIcon(false));
    redo->setIcon(HistoryIcon(true));
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
}

// Finding has keys but no menu item: the menus stay as designed.
void TForm1::BuildFindKeys() {
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
    key("BrokenLinksPrior", QKeySequence(Qt::SHIFT | Qt::Key_F8), [this] { BrokenLinksClick(false); });
    // Folding without the mouse: minus (or Ctrl+Left) folds the current row,
    // plus (or Ctrl+Right) unfolds it. A text field takes these keys first.
    key("FoldRow", QKeySequence(Qt::Key_Minus), [this] { FoldCurrentRow(false); });
    key("UnfoldRow", QKeySequence(Qt::Key_Plus), [this] { FoldCurrentRow(true); });
    Action("FoldRow")->setShortcuts({QKeySequence(Qt::Key_Minus), QKeySequence(Qt::KeypadModifier | Qt::Key_Minus),
                                     QKeySequence(Qt::CTRL | Qt::Key_Left)});
    Action("UnfoldRow")->setShortcuts({QKeySequence(Qt::Key_Plus), QKeySequence(Qt::KeypadModifier | Qt::Key_Plus),
                                       QKeySequence(Qt::CTRL | Qt::Key_Right)});
}

// Buttons without texts or tips, each running its menu command.
void TForm1::BuildToolBar() {
    toolBar_ = addToolBar(QStringLiteral("ツールバー"));  // its title is what a screen reader says
    toolBar_->setObjectName(QStringLiteral("ToolBar1"));
    toolBar_->setObjectName(QStringLiteral("ToolBar1"));
    toolBar_->setMovable(false);
    toolBar_->setIconSize(QSize(16, 16));
    auto* noTips = new NoTips(this);
    for (const auto& [button, command] : kToolBar) {
        if (!button) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* menuAction = Action(command);
        const bool shared = std::string_view(button) == "tbUndo" || std::string_view(button) == "tbRedo";
        // Undo and redo are the menu's own actions, so they share its state.
        QAction* a = shared ? menuAction : toolBar_->addAction(menuAction->icon(), QString());
        if (shared) {
            toolBar_->addAction(a);
        } else {
            a->setObjectName(QString::fromLatin1(button));
            connect(a, &QAction::triggered, menuAction, &QAction::trigger);
        }
        QWidget* w = toolBar_->widgetForAction(a);
        w->setObjectName(QString::fromLatin1(button));
        w->installEventFilter(noTips);
        // The buttons show no text: a screen reader still says what they do.
        w->setAccessibleName(PlainCommandText(menuAction->text()));
    }
}

}  // namespace vinta
