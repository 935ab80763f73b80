#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "runtime/StringGrid.h"

namespace vinta {
namespace {

// Reads outside the grid never fail; they give empty text.
TEST(StringGrid, ReadsOutsideTheGridGiveEmptyText) {
    StringGrid g(3, 2, 18);
    g.SetCells(1, 1, "x");
    EXPECT_EQ(g.Cells(1, 1), "x");
    EXPECT_EQ(g.Cells(3, 1), "");
    EXPECT_EQ(g.Cells(-1, 0), "");
    EXPECT_EQ(g.Cells(0, 2), "");
    g.SetCells(5, 0, "ignored");
    EXPECT_EQ(g.Rows(0), (std::vector<std::string>{"", "", ""}));
}

// Like a grid control, a grid keeps one row and its fixed rows stay above the last.
TEST(StringGrid, KeepsOneRowAndFixedRowsAboveTheLast) {
    StringGrid g(2, 3, 18);
    g.SetFixedRows(1);
    g.SetRowCount(0);
    EXPECT_EQ(g.RowCount(), 1);
    EXPECT_EQ(g.FixedRows(), 0);
    g.SetRowCount(4);
    EXPECT_EQ(g.RowHeights(3), 18) << "new rows take the default height";
    g.SetFixedRows(9);
    EXPECT_EQ(g.FixedRows(), 3);
}

TEST(StringGrid, ShrinkingColumnsDropsTheirCells) {
    StringGrid g(3, 1, 18);
    g.SetCells(2, 0, "gone");
    g.SetColCount(2);
    g.SetColCount(3);
    EXPECT_EQ(g.Cells(2, 0), "");
    EXPECT_EQ(g.ColWidths(2), StringGrid::kDefaultColWidth);
}

// Block moves keep cells and heights together.
TEST(StringGrid, InsertAndRemoveMoveCellsWithHeights) {
    StringGrid g(2, 3, 18);
    for (int r = 0; r < 3; ++r) {
        g.SetCells(0, r, std::to_string(r));
        g.SetRowHeights(r, 10 + r);
    }
    g.InsertRowAt(1, 0);
    ASSERT_EQ(g.RowCount(), 4);
    EXPECT_EQ(g.Cells(0, 1), "");
    EXPECT_EQ(g.RowHeights(1), 0);
    EXPECT_EQ(g.Cells(0, 2), "1");
    EXPECT_EQ(g.RowHeights(2), 11);
    g.RemoveRowAt(0);
    EXPECT_EQ(g.RowCount(), 3);
    EXPECT_EQ(g.Cells(0, 1), "1");
    EXPECT_EQ(g.RowHeights(1), 11);
    StringGrid one(1, 1, 12);
    one.SetCells(0, 0, "last");
    one.SetRowHeights(0, 0);
    one.RemoveRowAt(0);
    EXPECT_EQ(one.RowCount(), 1);
    EXPECT_EQ(one.Cells(0, 0), "");
    EXPECT_EQ(one.RowHeights(0), 12);
}

// A reference never reaches a destroyed grid, and a copy is another grid.
TEST(StringGrid, ReferencesExpireWithTheirGrid) {
    GridRef ref;
    {
        StringGrid g(1, 1, 18);
        ref = GridRef(&g);
        EXPECT_EQ(ref.Get(), &g);
        StringGrid copy(g);
        GridRef toCopy(&copy);
        EXPECT_EQ(toCopy.Get(), &copy);
    }
    EXPECT_EQ(ref.Get(), nullptr);
    EXPECT_FALSE(ref);
}

// What is derived from rows can mend those that changed, came or went; a
// change the journal cannot tell, or too many, means deriving everything.
TEST(StringGrid, TellsItsRowEditsInOrder) {
    using E = StringGrid::RowEdit;
    auto same = [](const std::vector<E>& a, const std::vector<E>& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                          [](E x, E y) { return x.at == y.at && x.count == y.count && x.n == y.n; });
    };
    StringGrid g(3, 10);
    std::vector<E> edits;
    const uint64_t start = g.TextStamp();
    g.SetCells(1, 4, "a");
    g.SetRows(7, {"x", "y", "z"});
    g.ReplaceRows(2, 1, g.CopyRows(2, 1));  // an undo puts a row back
    g.InsertRowAt(3, 18);
    g.RemoveRowAt(5);
    g.SetRowCount(12);
    g.ClearRows(0, 2);
    g.SetRowHeights(5, 40);
    g.SetCells(1, 40, "outside");
    ASSERT_TRUE(g.EditsSince(start, edits));
    EXPECT_TRUE(same(edits, {{4, 1, 1}, {7, 1, 1}, {2, 1, 1}, {3, 0, 1}, {5, 1, 0}, {10, 0, 2}, {0, 2, 2}}));
    const uint64_t quiet = g.TextStamp();
    ASSERT_TRUE(g.EditsSince(quiet, edits));
    EXPECT_TRUE(edits.empty()) << "heights and cells outside are not edits";

    const std::function<void(StringGrid&)> untold[] = {
        [](StringGrid& g) { g = StringGrid(3, 4); },
        [](StringGrid& g) { g.SetColCount(4); },
        [](StringGrid& g) {
            for (int i = 0; i < 5000; ++i) g.SetCells(0, i % 3, std::to_string(i));
        },
    };
    for (size_t i = 0; i < std::size(untold); ++i) {
        const uint64_t before = g.TextStamp();
        untold[i](g);
        EXPECT_FALSE(g.EditsSince(before, edits)) << i;
        g.SetCells(2, 1, "after");
        EXPECT_TRUE(g.EditsSince(g.TextStamp() - 1, edits) && same(edits, {{1, 1, 1}})) << i << ": told again";
    }
}

}  // namespace
}  // namespace vinta
