// The keys every grid and document window has, and finding a row by name.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <algorithm>
#include <QToolBar>
#include <QMenuBar>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <tuple>

#include "AppFixture.h"
#include "views/ChartView.h"
#include "framework/GridWidget.h"
#include "runtime/Sjis.h"
#include "views/FindBar.h"
#include "views/OutlineView.h"

namespace vinta {
namespace {

class Keys : public MainWindow {
protected:
    TForm1& Shown(int rows) {
        TForm1& f = Open();
        for (int i = 0; i < rows; ++i) f.AppendClick();
        f.Document().SetModified(false);
        f.resize(700, 300);
        f.show();
        QApplication::processEvents();
        return f;
    }
    static void Press(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent e(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(w, &e);
    }
    void Name(int gridRow, const char* name) {
        form->Document().store.SetCellText(form->Document().outlineSlot, outline::Name, gridRow - 1, sjis::Lit(name));
    }
};

// Every command's keys, in one table: the designed ones and the usual ones.
TEST_F(Keys, EveryCommandHasItsKeys) {
    TForm1& f = Open();
    const std::pair<const char*, const char*> keys[] = {
        {"NewFile", "Ctrl+N"},        {"Open", "Ctrl+O"},         {"Save", "Ctrl+S"},
        {"SaveAs1", "Ctrl+Shift+S"},  {"Print1", "Ctrl+P"},       {"Exit1", "Ctrl+Q"},
        {"Undo", "Ctrl+Z"},           {"Redo", "Ctrl+Y, Ctrl+Shift+Z"}, {"Insert", "Ins"},
        {"Delete", "Del"},            {"Append", "Shift+Ins"},    {"Find", "Ctrl+F"},
        {"FindNext", "F3"},           {"FindPrior", "Shift+F3"},  {"FoldRow", "-, Num+-, Ctrl+Left"},
        {"UnfoldRow", "+, Num++, Ctrl+Right"}, {"Prior", "Alt+Left"}, {"Next", "Alt+Right"}};
    for (const auto& [name, sequence] : keys) {
        QStringList said;
        for (const QKeySequence& k : f.Action(name)->shortcuts()) said << k.toString(QKeySequence::PortableText);
        EXPECT_EQ(said.join(QStringLiteral(", ")), QString::fromLatin1(sequence)) << name;
    }
    // Ctrl+S on a named schedule saves it.
    f.show();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    f.Document().fileName = Path("k.kts").toStdString();
    f.Document().SetModified(true);
    QTest::keyClick(&f, Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(f.Document().Modified());
    EXPECT_TRUE(fs::exists(dir_ / "k.kts"));
}

// Ctrl+Home and Ctrl+End: first and last row, in both panes. Home and End:
// first and last column of the row, in that pane only.
// The menus' letters stay theirs while the find bar is open (Alt+F opens
// ファイル, not the find text), and the toolbar is named in words.
TEST_F(Keys, TheWindowsAccessKeysAreUsedOnce) {
    TForm1& f = Shown(0);
    f.Action("Find")->trigger();
    QStringList used;
    auto take = [&](const QString& text) {
        const int at = text.indexOf(QLatin1Char('&'));
        if (at >= 0 && at + 1 < text.size()) used << text.mid(at + 1, 1).toUpper() + QLatin1Char(' ') + text;
    };
    for (QAction* menu : f.menuBar()->actions()) take(menu->text());
    for (QLabel* l : f.findChildren<QLabel*>())
        if (l->buddy() && l->isVisible()) take(l->text());
    std::sort(used.begin(), used.end());
    ASSERT_GE(used.size(), 6) << "five menus and the find bar";
    for (int i = 1; i < used.size(); ++i) EXPECT_NE(used[i].left(1), used[i - 1].left(1)) << used.join(" | ").toStdString();
    EXPECT_EQ(f.findChild<QToolBar*>("ToolBar1")->windowTitle(), QStringLiteral("ツールバー"));
}

TEST_F(Keys, HomeAndEnd) {
    TForm1& f = Shown(60);
    const int last = f.Document().grids.Schedule1.RowCount() - 1;
    f.Schedule1()->SetCurrent(3, 30);
    f.Schedule2()->SetCurrent(7, 30);
    Press(f.Schedule1(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(f.Schedule1()->Row(), last);
    EXPECT_EQ(f.Schedule2()->Row(), last);
    EXPECT_EQ(f.Schedule2()->TopRow(), f.Schedule1()->TopRow());
    Press(f.Schedule2(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(f.Schedule1()->Row(), 1);
    EXPECT_EQ(f.Schedule2()->Row(), 1);
    int lastShown = 14;
    while (f.Document().grids.Schedule1.ColWidths(lastShown) <= 0) --lastShown;
    Press(f.Schedule1(), Qt::Key_End);
    EXPECT_EQ(f.Schedule1()->Col(), lastShown);
    EXPECT_EQ(f.Schedule1()->Row(), 1);
    EXPECT_EQ(f.Schedule2()->Col(), 7) << "columns stay in their pane";
    Press(f.Schedule1(), Qt::Key_Home);
    EXPECT_EQ(f.Schedule1()->Col(), 1);
    Press(f.Schedule2(), Qt::Key_End);
    EXPECT_EQ(f.Schedule2()->Col(), f.Document().chartGrid.ColCount() - 1);
}

// Enter and F2 open the task dialog like a double click, from either pane.
TEST_F(Keys, EnterAndF2OpenTheTaskDialog) {
    TForm1& f = Shown(3);
    QStringList shown;
    f.AnswerDialogsWith([&](QDialog& d) {
        shown << d.objectName();
        return static_cast<int>(QDialog::Rejected);
    });
    f.Schedule1()->SetRow(2);
    Press(f.Schedule1(), Qt::Key_Return);
    Press(f.Schedule1(), Qt::Key_F2);
    f.Schedule2()->SetRow(4);
    Press(f.Schedule2(), Qt::Key_Enter);
    EXPECT_EQ(shown, (QStringList{"TaskEditDlg", "TaskEditDlg", "TaskEditDlg"}));
    EXPECT_EQ(f.Schedule1()->Row(), 4);
}

// Ctrl+F: next and previous, wrapping, unfolding what hides the row.
TEST_F(Keys, FindingARowByName) {
    TForm1& f = Shown(40);
    Name(5, "基本設計");
    Name(20, "ＤＢ詳細設計");
    Name(35, "ﾃｽﾄ");
    auto* bar = f.findChild<FindBar*>("FindBar");
    auto* text = f.findChild<QLineEdit*>("eFind");
    ASSERT_TRUE(bar && text);
    EXPECT_FALSE(bar->isVisible());
    QApplication::setActiveWindow(&f);
    f.Action("Find")->trigger();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(text->hasFocus());
    text->setText(QStringLiteral("設計"));
    Press(text, Qt::Key_Return);
    EXPECT_EQ(f.Schedule1()->Row(), 5);
    EXPECT_EQ(f.Schedule2()->Row(), 5);
    EXPECT_EQ(bar->Status(), QStringLiteral("2 件中 1 件目")) << "how many, and which";
    Press(text, Qt::Key_Return);
    EXPECT_EQ(f.Schedule1()->Row(), 20);
    EXPECT_EQ(bar->Status(), QStringLiteral("2 件中 2 件目"));
    Press(text, Qt::Key_Return);
    EXPECT_EQ(f.Schedule1()->Row(), 5) << "wraps";
    EXPECT_EQ(bar->Status(), QStringLiteral("2 件中 1 件目"));
    Press(text, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(f.Schedule1()->Row(), 20) << "Shift+Enter steps back";
    text->setText(QStringLiteral("db"));
    f.Action("FindNext")->trigger();
    EXPECT_EQ(f.Schedule1()->Row(), 20) << "case and width";
    text->setText(QStringLiteral("テスト"));
    f.Action("FindPrior")->trigger();
    EXPECT_EQ(f.Schedule1()->Row(), 35);
    EXPECT_GT(f.Schedule1()->CellRect(2, 35).height(), 0) << "scrolled into view";
    text->setText(QStringLiteral("どこにもない"));
    Press(text, Qt::Key_Return);
    EXPECT_EQ(bar->Status(), QStringLiteral("見つかりません"));
    EXPECT_EQ(f.Schedule1()->Row(), 35);
    Press(text, Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_TRUE(f.Schedule1()->hasFocus()) << "the focus back on the row found";
    EXPECT_FALSE(f.Document().Modified()) << "finding changes nothing";
}

TEST_F(Keys, AFoundRowInsideAFoldIsUnfolded) {
    TForm1& f = Shown(0);
    auto tree = [&](int g, const char* level, const char* has, const char* name) {
        for (auto [col, v] : {std::pair{outline::Level, level}, std::pair{outline::HasChildren, has},
                              std::pair{outline::Expanded, has}, std::pair{outline::Type, "1"}})
            f.Document().store.SetCellText(f.Document().outlineSlot, col, g - 1, v);
        Name(g, name);
    };
    tree(1, "0", "1", "project");
    tree(2, "1", "1", "phase");
    tree(3, "2", "0", "hidden task");
    tree(4, "0", "0", "after");
    ScheduleDocument& t = f.Document();
    SetFolded(t, 2, false);
    SetFolded(t, 1, false);
    ASSERT_EQ(f.Document().grids.Schedule1.RowHeights(3), 0);
    f.Schedule1()->SetRow(4);
    EXPECT_GT(f.FindRow(QStringLiteral("HIDDEN"), true).count, 0);
    EXPECT_EQ(f.Schedule1()->Row(), 3);
    for (int g : {2, 3}) {
        EXPECT_EQ(f.Document().grids.Schedule1.RowHeights(g), 18) << g;
        EXPECT_EQ(f.Document().chartGrid.RowHeights(g), 18) << g;
    }
    EXPECT_EQ(f.Document().store.CellText(f.Document().outlineSlot, outline::Expanded, 0), "1");
    EXPECT_EQ(f.Document().store.CellText(f.Document().outlineSlot, outline::Expanded, 1), "1");
}

// A found row's bar is shown: the period steps (as Next and Prior do) until
// the bar's start is in it, in both views, and stays where it shows already.
TEST_F(Keys, FindShowsTheBar) {
    TForm1& f = Shown(0);
    ScheduleDocument& t = f.Document();
    auto task = [&](int g, const char* name, const char* start) {
        for (auto [col, v] : {std::pair{outline::Level, "0"}, std::pair{outline::Type, "1"},
                              std::pair{outline::StartDate, start}, std::pair{outline::EndDate, start}})
            t.store.SetCellText(t.outlineSlot, col, g - 1, v);
        Name(g, name);
    };
    task(1, "early", "2019/05/20");
    task(2, "late", "2035/02/03");
    task(3, "within", "2027/06/01");
    task(4, "undated", "");
    const struct {
        int view;
        const char* name;
        Date start;  // the period's start after finding
    } cases[] = {
        {kYearView, "within", {2026, 1, 1}}, {kYearView, "late", {2033, 1, 1}}, {kYearView, "early", {2019, 1, 1}},
        {kYearView, "undated", {2019, 1, 1}}, {kMonthView, "early", {2019, 5, 1}}, {kMonthView, "late", {2034, 12, 1}},
        {kMonthView, "within", {2027, 6, 1}}, {kMonthView, "early", {2019, 5, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (t.chart.viewMode != c.view) SetView(t.chart, t.chartGrid, c.view, {2026, 12, 1});
        f.Schedule1()->SetRow(1);
        ASSERT_TRUE(f.FindRow(QString::fromLatin1(c.name), true).count || f.FindRow(QString::fromLatin1(c.name), false).count);
        EXPECT_EQ(t.chart.viewStart, c.start);
        EXPECT_EQ(t.chart.viewMode, c.view);
    }
}

// Without a mouse: minus or Ctrl+Left folds the current row, plus or
// Ctrl+Right unfolds it, Alt+Left and Alt+Right move the chart's period; the
// toolbar's picture buttons say what they do to a screen reader.
TEST_F(Keys, FoldingByKeyAndNamedButtons) {
    TForm1& f = Shown(0);
    for (auto [g, level, has] : {std::tuple{1, "0", "1"}, std::tuple{2, "1", "0"}, std::tuple{3, "1", "0"}})
        for (auto [col, v] : {std::pair{outline::Level, level}, std::pair{outline::HasChildren, has},
                              std::pair{outline::Expanded, has}, std::pair{outline::Type, "1"}})
            f.Document().store.SetCellText(f.Document().outlineSlot, col, g - 1, v);
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    f.Schedule1()->setFocus();
    f.Schedule1()->SetRow(1);
    QTest::keyClick(f.Schedule1(), Qt::Key_Minus);
    EXPECT_EQ(f.Document().grids.Schedule1.RowHeights(2), 0);
    EXPECT_EQ(f.Document().chartGrid.RowHeights(3), 0);
    QTest::keyClick(f.Schedule1(), Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(f.Document().grids.Schedule1.RowHeights(2), 18);
    QTest::keyClick(f.Schedule1(), Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(f.Document().grids.Schedule1.RowHeights(2), 0) << "Ctrl+Left folds too";
    QTest::keyClick(f.Schedule1(), Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(f.Document().grids.Schedule1.RowHeights(2), 18) << "Ctrl+Right unfolds";
    // The chart's period moves by key as by its buttons.
    const int year = f.Document().chart.viewStart.year;
    QTest::keyClick(f.Schedule1(), Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(f.Document().chart.viewStart.year, year + 1);
    QTest::keyClick(f.Schedule1(), Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(f.Document().chart.viewStart.year, year);
    f.Schedule1()->SetRow(2);
    QTest::keyClick(f.Schedule1(), Qt::Key_Minus);
    EXPECT_EQ(f.Document().grids.Schedule1.RowHeights(3), 18) << "a row without rows under it folds nothing";
    const std::pair<const char*, const char*> buttons[] = {
        {"tbOpenFile", "開く"}, {"tbPrint", "印刷"}, {"tbLevelDown", "レベルを下げる"}, {"tbUndo", "元に戻す"}};
    for (const auto& [name, said] : buttons)
        EXPECT_EQ(f.findChild<QWidget*>(QString::fromLatin1(name))->accessibleName(), QString::fromUtf8(said)) << name;
}

}  // namespace
}  // namespace vinta
