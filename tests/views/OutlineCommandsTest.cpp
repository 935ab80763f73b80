#include <gtest/gtest.h>

#include "ViewFixture.h"
#include "framework/Prompter.h"
#include "views/OutlineCommands.h"

namespace vinta {
namespace {

using testing::Schedule;

class Commands : public ::testing::Test {
protected:
    Schedule sch;
    ScriptedPrompter prompter;
    OutlineEdit edit{sch.s, prompter, {2005, 3, 16}};
    int Level(int g) { return std::stoi(sch.Cell(g, outline::Level)); }
    std::string Flags(int g) { return sch.Cell(g, outline::HasChildren) + sch.Cell(g, outline::Expanded); }
};

TEST_F(Commands, AppendAddsADefaultRowAfterTheBlankOnes) {
    EXPECT_TRUE(AppendCommand(edit));
    EXPECT_EQ(sch.grid.RowCount(), 11);
    EXPECT_EQ(sch.chart.RowCount(), 11);
    EXPECT_EQ(sch.Cell(10, outline::No), "10");
    EXPECT_EQ(sch.Cell(10, outline::Name), sjis::Lit("新規"));
    EXPECT_EQ(sch.Cell(10, outline::StartDate), "2005/03/16");
    EXPECT_EQ(sch.Cell(10, outline::EndDate), "2005/03/16");
    EXPECT_EQ(sch.Cell(10, outline::Level), "0");
    EXPECT_EQ(sch.Cell(10, outline::Type), "0");
    EXPECT_EQ(sch.Cell(10, outline::ShowBar), "0");
    EXPECT_EQ(sch.Cell(10, outline::Progress), "0");
}

TEST_F(Commands, AppendInheritsFromTheRowAbove) {
    sch.Tree(10, 2, outline::Task, 1, 1);
    AppendCommand(edit);
    EXPECT_EQ(Level(11), 2);
    EXPECT_EQ(sch.Cell(11, outline::Type), "1");
    EXPECT_EQ(Flags(11), "11") << "the new row takes over the children";
    EXPECT_EQ(Flags(10), "00");
    sch.Tree(12, 3, outline::Assignment);
    AppendCommand(edit);
    EXPECT_EQ(Level(13), 0) << "nothing inherited from an assignment row";
    EXPECT_EQ(sch.Cell(13, outline::Type), "0");
}

TEST_F(Commands, InsertMakesTheNewRowTheParent) {
    sch.Tree(1, 0, outline::Project, 1, 1);
    sch.Tree(2, 1, outline::Task);
    EXPECT_TRUE(InsertCommand(edit, 2));
    EXPECT_EQ(Flags(2), "11");
    EXPECT_EQ(Flags(1), "00");
    EXPECT_EQ(Level(2), 0);
    EXPECT_EQ(sch.Cell(2, outline::No), "10");
    EXPECT_EQ(Level(3), 1);
    EXPECT_EQ(sch.chart.RowCount(), sch.grid.RowCount());
}

// A row inserted above a sibling has nothing below it to fold.
TEST_F(Commands, InsertAboveASiblingGivesNoFoldBox) {
    sch.Tree(1, 1, outline::Task);
    sch.Tree(2, 1, outline::Task);
    EXPECT_TRUE(InsertCommand(edit, 2));
    EXPECT_EQ(Level(2), 1);
    EXPECT_EQ(Flags(2), "00");
    EXPECT_EQ(Flags(3), "00");
    sch.Tree(5, 2, outline::Task);
    sch.Tree(6, 1, outline::Task);
    EXPECT_TRUE(InsertCommand(edit, 6));
    EXPECT_EQ(Flags(6), "00") << "the row below is shallower";
}

TEST_F(Commands, InsertBelowAnAssignmentRowAndAboveOne) {
    sch.Tree(1, 0, outline::Task, 1, 1);
    sch.Tree(2, 1, outline::Assignment);
    sch.Tree(3, 1, outline::Task);
    EXPECT_TRUE(InsertCommand(edit, 3));
    EXPECT_EQ(Level(3), 0);
    EXPECT_EQ(sch.Cell(3, outline::Type), "0");
    EXPECT_EQ(Flags(3), "11") << "the former current row below is deeper";
    int rows = sch.grid.RowCount();
    EXPECT_FALSE(InsertCommand(edit, 2));
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].text, QStringLiteral("この位置に行を挿入することはできません。"));
    EXPECT_EQ(sch.grid.RowCount(), rows);
    EXPECT_FALSE(InsertCommand(edit, 0));
}

TEST_F(Commands, DeletingATaskWithAssignmentsAsksFirst) {
    sch.Tree(1, 0, outline::Task, 1, 1, "task");
    sch.Tree(2, 1, outline::Assignment, 0, 0, "1");
    sch.Tree(3, 1, outline::Assignment, 0, 0, "2");
    sch.Tree(4, 0, outline::Task, 0, 0, "next");
    int rows = sch.grid.RowCount();
    prompter.confirmAnswers = {false};
    EXPECT_FALSE(DeleteCommand(edit, 1));
    EXPECT_EQ(sch.grid.RowCount(), rows);
    EXPECT_EQ(prompter.asked.back().caption, QStringLiteral("削除"));
    prompter.confirmAnswers = {true};
    EXPECT_TRUE(DeleteCommand(edit, 1));
    EXPECT_EQ(sch.grid.RowCount(), rows - 3);
    EXPECT_EQ(sch.Cell(1, outline::Name), "next");
    EXPECT_EQ(sch.chart.RowCount(), sch.grid.RowCount());
}

TEST_F(Commands, DeletingAdjustsTheRowAbove) {
    // The last row: its parent loses its children.
    sch.Tree(9, 0, outline::Task, 1, 1);
    sch.Tree(10, 1, outline::Task);
    EXPECT_TRUE(DeleteCommand(edit, 10));
    EXPECT_EQ(Flags(9), "00");
    // A level-0 row with a folded sub-row, under a childless level-0 row.
    sch.Tree(1, 0, outline::Task, 0, 0, "above");
    sch.Tree(2, 0, outline::Task, 1, 0, "gone");
    sch.Tree(3, 1, outline::Task, 0, 0, "child");
    sch.grid.SetRowHeights(3, 0);
    EXPECT_TRUE(DeleteCommand(edit, 2));
    EXPECT_EQ(sch.Cell(2, outline::Name), "child");
    EXPECT_EQ(Flags(1), "10");
    EXPECT_EQ(sch.chart.RowHeights(2), sch.grid.RowHeights(2)) << "panes stay side by side";
}

TEST_F(Commands, DeletingTheOnlyRowEmptiesIt) {
    while (sch.grid.RowCount() > 2) sch.store.DeleteRow(sch.outline, 0);
    sch.Tree(1, 0, outline::Task, 0, 0, "x");
    sch.grid.SetRowHeights(1, 0);
    EXPECT_TRUE(DeleteCommand(edit, 1));
    EXPECT_EQ(sch.grid.RowCount(), 2);
    EXPECT_EQ(sch.Cell(1, outline::Name), "");
    EXPECT_EQ(sch.Cell(1, outline::No), "");
    EXPECT_EQ(sch.grid.RowHeights(1), 18);
}

TEST_F(Commands, LevelDown) {
    sch.Tree(1, 0, outline::Task, 0, 0);
    sch.Tree(2, 0, outline::Task, 1, 1);
    sch.Tree(3, 1, outline::Assignment);
    sch.Tree(4, 1, outline::Task);
    EXPECT_FALSE(LevelDownCommand(edit, 1)) << "never on the first row";
    EXPECT_TRUE(LevelDownCommand(edit, 2));
    EXPECT_EQ(Level(2), 1);
    EXPECT_EQ(Flags(1), "11");
    EXPECT_EQ(Level(3), 2);
    EXPECT_EQ(Level(4), 2) << "sub-rows move with the row";
    EXPECT_FALSE(LevelDownCommand(edit, 2)) << "at most one below the task above";
    sch.Tree(6, 5, outline::Task);
    sch.Tree(5, 5, outline::Task);
    EXPECT_FALSE(LevelDownCommand(edit, 6)) << "level 5 is the deepest";
}

TEST_F(Commands, LevelUpAndAssignmentRowsActOnTheirTask) {
    sch.Tree(1, 0, outline::Task, 1, 1);
    sch.Tree(2, 1, outline::Task, 1, 1);
    sch.Row(2, {{outline::No, "50"}});
    sch.Tree(3, 2, outline::Assignment);
    sch.Row(3, {{outline::LinkNo, "50"}});
    sch.Tree(4, 2, outline::Task);
    sch.Tree(5, 1, outline::Task);
    EXPECT_TRUE(LevelUpCommand(edit, 3));
    EXPECT_EQ(Level(2), 0) << "the task moved, not the assignment";
    EXPECT_EQ(Level(3), 1);
    EXPECT_EQ(Flags(1), "00") << "the parent lost its first child";
    EXPECT_EQ(Level(4), 1);
    EXPECT_EQ(Level(5), 1) << "a former sibling falls under the moved row";
    EXPECT_FALSE(LevelUpCommand(edit, 2)) << "already at the top";
    EXPECT_FALSE(LevelUpCommand(edit, 8)) << "a blank row";
}

}  // namespace
}  // namespace vinta
