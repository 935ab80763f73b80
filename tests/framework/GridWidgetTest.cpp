#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QScrollBar>

#include "framework/GridWidget.h"
#include "runtime/StringGrid.h"

namespace vinta {
namespace {

struct GridFixture : ::testing::Test {
    GridFixture() : model(5, 100, 18), grid(&model) {
        model.SetFixedRows(1);
        model.SetRowHeights(0, 40);
        for (int c = 0; c < 5; ++c) model.SetColWidths(c, 30);
        model.SetColWidths(2, 0);
        grid.SetFixedCols(1);
        grid.setFrameShape(QFrame::NoFrame);
        grid.resize(200, 40 + 18 * 5 + 20);
        grid.show();
        grid.Refresh();
    }
    StringGrid model;
    GridWidget grid;
};

// The overlay is drawn after the cells and told what was painted: each
// shown row's rectangle (hidden ones left out) and each painted column's
// place, so that a drawing over them can span rows.
TEST_F(GridFixture, TheOverlayIsToldWhatWasPainted) {
    model.SetRowHeights(2, 0);
    GridWidget::Painted told;
    int cellsBefore = -1, cells = 0;
    grid.SetDrawCell([&](Canvas&, int, int, const QRect&, CellState) { ++cells; });
    grid.SetOverlay([&](Canvas&, const GridWidget::Painted& p) {
        told = p;
        cellsBefore = cells;
    });
    grid.grab();
    EXPECT_EQ(cellsBefore, cells) << "after every cell";
    ASSERT_GE(told.rows.size(), 4u);
    EXPECT_EQ(told.rows[0].row, 0);
    EXPECT_EQ(told.rows[0].rect, QRect(0, 0, 120, 40)) << "four shown columns of 30";
    EXPECT_EQ(told.rows[1].row, 1);
    EXPECT_EQ(told.rows[2].row, 3) << "row 2 is hidden";
    EXPECT_EQ(told.rows[2].rect.top(), 58);
    ASSERT_EQ(told.columns.size(), 4u);
    EXPECT_EQ(told.columns[2].col, 3) << "column 2 has no width";
    EXPECT_EQ(told.columns[2].x, 60);
    EXPECT_EQ(told.columns[2].width, 30);
}

// Rows of height 0 take no space and are skipped by scrolling and keys.
TEST_F(GridFixture, HiddenRowsAndColumnsTakeNoSpace) {
    model.SetRowHeights(2, 0);
    model.SetRowHeights(3, 0);
    grid.Refresh();
    EXPECT_EQ(grid.CellRect(0, 0), QRect(0, 0, 30, 40));
    EXPECT_EQ(grid.CellRect(1, 1), QRect(30, 40, 30, 18));
    EXPECT_TRUE(grid.CellRect(1, 2).isEmpty());
    EXPECT_EQ(grid.CellRect(1, 4), QRect(30, 58, 30, 18));
    EXPECT_EQ(grid.CellRect(3, 4), QRect(60, 58, 30, 18)) << "a zero-width column takes no space";
    int col, row;
    ASSERT_TRUE(grid.MouseToCell({35, 60}, col, row));
    EXPECT_EQ(col, 1);
    EXPECT_EQ(row, 4);
    grid.SetCurrent(1, 1);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    grid.HandleKey(&down);
    EXPECT_EQ(grid.Row(), 4);
}

TEST_F(GridFixture, ScrollingMovesByShownRows) {
    model.SetRowHeights(3, 0);
    grid.Refresh();
    grid.verticalScrollBar()->setValue(2);
    EXPECT_EQ(grid.TopRow(), 4);
    EXPECT_EQ(grid.CellRect(1, 4).top(), 40);
    EXPECT_TRUE(grid.CellRect(1, 1).isEmpty());
    EXPECT_EQ(grid.verticalScrollBar()->maximum(), 98 - grid.VisibleRowCount());
    grid.SetCurrent(1, 99);
    EXPECT_FALSE(grid.CellRect(1, 99).isEmpty()) << "the current row is brought into view";
    grid.SetTopRow(3);
    EXPECT_EQ(grid.TopRow(), 4) << "a hidden row cannot be on top";
}

// Jumping far down brings the row to the bottom of the view at once.
TEST(GridJumps, AFarRowIsBroughtIntoViewWithoutWalkingEveryRow) {
    StringGrid model(3, 200001, 18);
    model.SetFixedRows(1);
    GridWidget grid(&model);
    grid.setFrameShape(QFrame::NoFrame);
    grid.resize(200, 18 * 10 + 20);
    grid.show();
    grid.Refresh();
    grid.SetCurrent(1, 200000);
    QRect r = grid.CellRect(1, 200000);
    ASSERT_FALSE(r.isEmpty());
    EXPECT_LE(r.bottom(), grid.viewport()->height());
    EXPECT_GE(r.top(), grid.viewport()->height() - 2 * 18) << "the row ends up at the bottom";
    grid.SetCurrent(1, 5);
    EXPECT_EQ(grid.TopRow(), 5);
}

TEST_F(GridFixture, ClicksSelectDataCellsOnly) {
    grid.SetCurrent(1, 1);
    int col, row;
    ASSERT_TRUE(grid.MouseToCell({5, 10}, col, row));
    EXPECT_EQ(col, 0);
    EXPECT_EQ(row, 0);
    EXPECT_FALSE(grid.MouseToCell({199, 10}, col, row) && col > 4);
}

}  // namespace
}  // namespace vinta
