#include <gtest/gtest.h>

#include "ViewFixture.h"
#include "framework/Interface.h"
#include "views/OutlineView.h"

namespace vinta {
namespace {

using testing::Picture;
using testing::Schedule;

class OutlineDrawing : public ::testing::Test {
protected:
    Schedule sch;
    ImageList imgSch = MakeOutlineImages(), imgTask = MakeTaskImages(), imgInfo = MakeStateImages();
    Picture pic;
    // Draws cell (col, row) at rect and returns it.
    QRect Draw(int col, int row, QRect rect = QRect(10, 10, 200, 18), CellState st = {}) {
        QPainter p(&pic.image);
        Canvas c(p);
        FontSpec f;
        c.SetFont(f);
        DrawOutlineCell(c, sch.s, {imgSch, imgTask, imgInfo}, col, row, rect, st);
        return rect;
    }
};

// The date columns are as wide as a whole date in the window's face: each
// date draws in its column exactly as in a cell with room to spare.
TEST_F(OutlineDrawing, DatesFitTheirColumnsWhole) {
    ScheduleDocument window(WindowTextWidth);
    for (int col : {outline::StartDate, outline::EndDate}) {
        const int width = window.grids.Schedule1.ColWidths(col);
        EXPECT_GE(width, WindowTextWidth(window.grids.Schedule1, std::string(window.grids.Schedule1.Cells(col, 0))) + 4)
            << "never narrower than the caption";
        for (const char* date : {"2027/01/18", "2888/08/28", "2000/10/10"}) {
            SCOPED_TRACE(date);
            sch.Row(1, {{col, date}});
            pic.image.fill(QColor(1, 2, 3));
            Draw(col, 1, {0, 0, width, 18});
            const int inColumn = pic.DarkIn(0, 0, width, 18);
            pic.image.fill(QColor(1, 2, 3));
            Draw(col, 1, {0, 40, 300, 18});
            EXPECT_GT(inColumn, 20);
            EXPECT_EQ(inColumn, pic.DarkIn(0, 40, 300, 58)) << "a digit is cut off at " << width << " px";
        }
    }
}

// Row colours: window on odd rows, grey on even rows, assignment rows khaki.
TEST_F(OutlineDrawing, RowFills) {
    sch.Tree(4, 1, outline::Assignment);
    sch.Tree(5, 1, outline::Assignment);
    QRect r1 = Draw(outline::Progress, 1, {0, 0, 40, 18});
    QRect r2 = Draw(outline::Progress, 2, {0, 20, 40, 18});
    QRect r4 = Draw(outline::Progress, 4, {0, 40, 40, 18});
    QRect r5 = Draw(outline::Progress, 5, {0, 60, 40, 18});
    EXPECT_EQ(pic.At(r1.left() + 3, r1.top() + 3), Colors::Window());
    EXPECT_EQ(pic.At(r2.left() + 3, r2.top() + 3), QColor(220, 220, 220));
    EXPECT_EQ(pic.At(r4.left() + 3, r4.top() + 3), QColor(220, 220, 170));
    EXPECT_EQ(pic.At(r5.left() + 3, r5.top() + 3), QColor(220, 220, 170));
}

// Cell lines on the right and bottom edges; captions in a raised frame.
TEST_F(OutlineDrawing, FramesAndCellLines) {
    QRect c = Draw(outline::Name, 0, {10, 10, 100, 40});
    int L = c.left(), T = c.top(), R = L + c.width(), B = T + c.height();
    EXPECT_EQ(pic.At(L, T + 5), QColor(255, 255, 255));
    EXPECT_EQ(pic.At(L + 5, T), QColor(255, 255, 255));
    EXPECT_EQ(pic.At(R - 1, T + 5), QColor(128, 128, 128));
    EXPECT_EQ(pic.At(L + 5, B - 1), QColor(128, 128, 128));
    EXPECT_EQ(pic.At(L + 5, T + 5), Colors::ButtonFace());
    EXPECT_GT(pic.DarkIn(L, T, R, B), 10) << "the caption is drawn";

    QRect d = Draw(outline::Progress, 1, {10, 60, 50, 18});
    L = d.left(), T = d.top(), R = L + d.width(), B = T + d.height();
    EXPECT_EQ(pic.At(R - 1, T), QColor(128, 128, 128));
    EXPECT_EQ(pic.At(R - 1, B - 2), QColor(128, 128, 128));
    EXPECT_EQ(pic.At(L, B - 1), QColor(128, 128, 128));
    EXPECT_EQ(pic.At(R - 2, B - 1), Colors::Window()) << "the bottom line stops two pixels short";
}

// Column 0 shows the grid row number, whatever the row's serial.
TEST_F(OutlineDrawing, RowNumbersReplaceSerials) {
    sch.Row(3, {{outline::No, "77"}});
    QRect c = Draw(outline::No, 3, {0, 0, 30, 18});
    EXPECT_EQ(pic.At(0, 5), QColor(255, 255, 255)) << "raised frame";
    EXPECT_EQ(pic.At(5, 8), Colors::ButtonFace());
    int first = pic.FirstDarkColumn(0, 1, 30, 17);
    EXPECT_GE(first, 20) << "one digit, right-aligned";
    EXPECT_LE(first, 26);
    (void)c;
}

// Indent: a level-2 row with children has its fold box in the third slot and
// its name at Left + 50.
TEST_F(OutlineDrawing, IndentAndFoldBox) {
    sch.Tree(1, 2, outline::Task, 1, 1, "ＡＢ");
    QRect c = Draw(outline::Name, 1, {10, 10, 200, 18});
    int L = c.left(), T = c.top();
    EXPECT_EQ(pic.At(L + 32 + 7, T + 1 + 7), QColor(0, 0, 0)) << "minus sign of the fold box";
    EXPECT_EQ(pic.At(L + 32 + 7, T + 1 + 5), QColor(255, 255, 255)) << "no plus stroke when expanded";
    int textStart = pic.FirstDarkColumn(L + 48, T, L + 200, T + 18);
    EXPECT_GE(textStart, L + 50);
    EXPECT_LE(textStart, L + 53);
    sch.Row(1, {{outline::Expanded, "0"}});
    Draw(outline::Name, 1, {10, 40, 200, 18});
    EXPECT_EQ(pic.At(L + 32 + 7, 40 + 1 + 5), QColor(0, 0, 0)) << "plus sign when folded";
}

// Level Down can take sub-rows one below level 5; such a row still draws its
// fold box and name at its own indent, inside the cell.
TEST_F(OutlineDrawing, ALevelSixRowDrawsLikeAnyOther) {
    sch.Tree(1, 6, outline::Task, 1, 1, "ＡＢ");
    QRect c = Draw(outline::Name, 1, {10, 10, 200, 18});
    int L = c.left(), T = c.top();
    EXPECT_EQ(pic.At(L + 96 + 7, T + 1 + 7), QColor(0, 0, 0)) << "fold box at 6 x 16";
    int textStart = pic.FirstDarkColumn(L + 112, T, L + 200, T + 18);
    EXPECT_GE(textStart, L + 114);
    EXPECT_LE(textStart, L + 117);
    for (int y = 0; y < pic.image.height(); ++y) EXPECT_EQ(pic.At(L + 200, y), QColor(1, 2, 3)) << y;
}

TEST_F(OutlineDrawing, ProjectsAreBoldAndCommentsHaveNoIcon) {
    sch.Tree(1, 0, outline::Project, 0, 0, "設計");
    sch.Tree(3, 0, outline::Task, 0, 0, "設計");
    sch.Tree(5, 0, outline::Comment, 0, 0, "注");
    Draw(outline::Name, 1, {0, 0, 120, 18});
    Draw(outline::Name, 3, {0, 20, 120, 18});
    EXPECT_GT(pic.DarkIn(18, 0, 120, 18), pic.DarkIn(18, 20, 120, 38) + 10);
    Draw(outline::Icon, 1, {0, 40, 40, 18});
    Draw(outline::Icon, 5, {0, 60, 40, 18});
    // The P picture: a coloured tile with a white letter on it.
    int tile = 0, letter = 0;
    for (int x = 3 + 4; x < 3 + 12; ++x)
        for (int y = 41 + 3; y < 41 + 13; ++y) (pic.At(x, y) == Colors::Window() ? letter : tile)++;
    EXPECT_GT(tile, 30) << "P icon";
    EXPECT_GT(letter, 10) << "the letter on the P icon";
    for (int x = 1; x < 38; ++x) EXPECT_EQ(pic.At(x, 60 + 9), Colors::Window()) << "no icon on a comment, x=" << x;
}

TEST_F(OutlineDrawing, MemoIconOnlyForARealMemo) {
    sch.Tree(1, 0, outline::Task);
    sch.Row(1, {{outline::Memo, " "}});
    Draw(outline::Icon, 1, {0, 0, 40, 18});
    for (int x = 19; x < 35; ++x) EXPECT_EQ(pic.At(x, 9), Colors::Window());
    sch.Row(1, {{outline::Memo, "メモ\r\n"}});
    Draw(outline::Icon, 1, {0, 20, 40, 18});
    int painted = 0;
    for (int x = 19; x < 35; ++x) painted += pic.At(x, 29) != Colors::Window();
    EXPECT_GT(painted, 5);
}

// An assignment row shows its resource's name and icon, its working state in
// the last indent slot; a deleted resource leaves the number and no icon.
TEST_F(OutlineDrawing, AssignmentRows) {
    sch.store.SetCellText(sch.res, resource::Name, 0, sjis::Lit("山田"));
    sch.store.SetCellText(sch.res, resource::Kind, 0, "1");
    sch.Tree(1, 0, outline::Task, 1, 1);
    sch.Tree(2, 1, outline::Assignment, 0, 0, "1");
    sch.Row(2, {{outline::WorkState, "5"}, {outline::ResourceNo, "1"}});
    Draw(outline::Name, 2, {0, 0, 150, 18});
    QColor lamp = pic.At(16 + 8, 1 + 11);
    EXPECT_GT(lamp.red(), lamp.green() + 60) << "red lamp";
    int withName = pic.DarkIn(34, 0, 150, 18);
    Draw(outline::Icon, 2, {0, 20, 40, 18});
    EXPECT_NE(pic.At(3 + 8, 20 + 1 + 6), QColor(220, 220, 170)) << "person icon";

    sch.Row(2, {{outline::Name, "9"}});
    Draw(outline::Name, 2, {0, 40, 150, 18});
    EXPECT_LT(pic.DarkIn(34, 40, 150, 58), withName) << "a number instead of the name";
    EXPECT_GT(pic.DarkIn(34, 40, 150, 58), 3);
    Draw(outline::Icon, 2, {0, 60, 40, 18});
    for (int x = 1; x < 19; ++x) EXPECT_EQ(pic.At(x, 60 + 9), QColor(220, 220, 170));
}

// Row numbers wider than their column keep their last digits in view, so
// that neighbouring rows never read alike.
TEST_F(OutlineDrawing, LongRowNumbersKeepTheirEnd) {
    sch.Row(99952, {});
    auto cell = [&](int row) {
        pic.image.fill(QColor(1, 2, 3));
        Draw(outline::No, row, {10, 10, 24, 18});
        return pic.image.copy(10, 10, 24, 18);
    };
    QImage a = cell(99950), b = cell(99951), c = cell(99952);
    EXPECT_NE(a, b);
    EXPECT_NE(b, c);
    int lastInk = -1;
    for (int x = 10; x < 34; ++x)
        if (pic.DarkIn(x, 10, x + 1, 28) > 0) lastInk = x;
    EXPECT_GE(lastInk, 34 - 5) << "the end of the number stays at the right edge";
    for (int y = 10; y < 27; ++y) EXPECT_EQ(pic.At(9, y), QColor(1, 2, 3)) << "clipped at the left";
}

// Cells that hold no usable number draw their row and nothing more, and
// never outside their cell.
TEST_F(OutlineDrawing, CellsWithoutNumbersDrawOnlyTheirRow) {
    const QColor untouched(1, 2, 3);
    sch.Row(1, {{outline::Type, "7x"}, {outline::Level, "x"}, {outline::WorkState, "99999999999"}});
    for (int col : {outline::Icon, outline::Type, outline::Level, outline::WorkState}) {
        QRect r = Draw(col, 1, {20, 20, 40, 18});
        EXPECT_EQ(pic.At(r.left() + 3, r.top() + 3), Colors::Window()) << col;
        if (col == outline::Icon) {
            EXPECT_EQ(pic.DarkIn(r.left(), r.top(), r.right() - 1, r.bottom() - 1), 0) << "no picture for kind 7x";
        }
    }
    sch.Row(1, {{outline::Type, "3"}, {outline::Level, "99999"}, {outline::HasChildren, "1"}, {outline::Expanded, "1"}});
    pic.image.fill(untouched);
    QRect r = Draw(outline::Name, 1, {20, 20, 150, 18});
    EXPECT_EQ(pic.At(r.left() + 3, r.top() + 3), QColor(220, 220, 170)) << "the assignment row's colour";
    for (int x = 0; x < pic.image.width(); ++x)
        for (int y : {10, 19, 38, 50}) ASSERT_EQ(pic.At(x, y), untouched) << x << "," << y;
    for (int y = 0; y < pic.image.height(); ++y) ASSERT_EQ(pic.At(r.right() + 2, y), untouched) << y;
}

class Folding : public ::testing::Test {
protected:
    Schedule sch;
    ScheduleDocument& target = sch.s;
    void SetUp() override {
        // 1 P(0) > 2 T(1) > 3 A(2), 4 T(1) folded > 5 T(2), 6 P(0)
        sch.Tree(1, 0, outline::Project, 1, 1);
        sch.Tree(2, 1, outline::Task, 1, 1);
        sch.Tree(3, 2, outline::Assignment);
        sch.Tree(4, 1, outline::Task, 1, 0);
        sch.Tree(5, 2, outline::Task);
        sch.Tree(6, 0, outline::Project);
        sch.grid.SetRowHeights(5, 0);
        sch.chart.SetRowHeights(5, 0);
    }
    std::vector<int> Heights() {
        std::vector<int> h;
        for (int r = 1; r <= 6; ++r) {
            EXPECT_EQ(sch.grid.RowHeights(r), sch.chart.RowHeights(r)) << "both panes together, row " << r;
            h.push_back(sch.grid.RowHeights(r));
        }
        return h;
    }
};

TEST_F(Folding, FoldingHidesEveryDeeperRowAndUnfoldingShowsWhatWasOpen) {
    QRect cell(0, 0, 200, 18);
    ASSERT_TRUE(FoldAt(target, outline::Name, 1, cell, {8, 9}));
    EXPECT_EQ(sch.Cell(1, outline::Expanded), "0");
    EXPECT_EQ(Heights(), (std::vector<int>{18, 0, 0, 0, 0, 18}));
    ASSERT_TRUE(FoldAt(target, outline::Name, 1, cell, {16, 18}));
    EXPECT_EQ(sch.Cell(1, outline::Expanded), "1");
    EXPECT_EQ(Heights(), (std::vector<int>{18, 18, 18, 18, 0, 18})) << "row 5 stays under its folded parent";
    ASSERT_TRUE(FoldAt(target, outline::Name, 4, cell, {16 + 8, 9}));
    EXPECT_EQ(Heights(), (std::vector<int>{18, 18, 18, 18, 18, 18}));
}

TEST_F(Folding, ClicksOutsideTheBoxOrOnRowsWithoutChildrenDoNothing) {
    QRect cell(0, 0, 200, 18);
    EXPECT_FALSE(FoldAt(target, outline::Name, 1, cell, {17, 9})) << "level 0 box is x 0..16";
    EXPECT_FALSE(FoldAt(target, outline::Name, 2, cell, {8, 9})) << "level 1 box starts at 16";
    EXPECT_FALSE(FoldAt(target, outline::Name, 6, cell, {8, 9}));
    EXPECT_FALSE(FoldAt(target, outline::Progress, 1, cell, {8, 9}));
    EXPECT_EQ(sch.Cell(1, outline::Expanded), "1");
    EXPECT_EQ(Heights(), (std::vector<int>{18, 18, 18, 18, 0, 18}));
}

}  // namespace
}  // namespace vinta
