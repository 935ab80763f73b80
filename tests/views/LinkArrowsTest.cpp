// The links' arrows over the chart pane: where they leave and enter, their
// colours, what is folded away or off the pane.
#include <gtest/gtest.h>

#include "ViewFixture.h"
#include "store/LinkRows.h"
#include "support/ScopedTz.h"
#include "views/ChartView.h"
#include "views/LinkArrows.h"

namespace vinta {
namespace {

using namespace std::chrono;
using testing::Picture;
using testing::Schedule;

class Arrows : public ::testing::Test {
protected:
    testing::ScopedTz utc{"UTC0"};
    clock::FixedScope fixed{sys_days{year{2005} / 3 / 16} + hours{12}};
    Schedule sch;
    Picture pic;
    GridWidget::Painted painted;

    void SetUp() override {
        SetView(sch.s.chart, sch.chart, kMonthView, {2005, 3, 1});
        // March's first twenty days, 20 pixels each; rows 18 high under a 40-pixel header.
        painted.rows.push_back({0, {0, 0, 400, 40}});
        for (int g = 1; g <= 4; ++g) painted.rows.push_back({g, {0, 40 + 18 * (g - 1), 400, 18}});
        for (int c = 0; c < 20; ++c) painted.columns.push_back({c, 20 * c, 20});
    }
    void Task(int g, const char* start, const char* end) {
        sch.Row(g, {{outline::Level, "0"}, {outline::Type, "1"}, {outline::StartDate, start},
                    {outline::EndDate, end}, {outline::Progress, "0"}, {outline::ShowBar, "1"}});
    }
    void Link(int fromG, int toG, LinkKind kind = LinkKind::FinishToStart, int lag = 0) {
        ASSERT_EQ(sch.store.links.Add({*SerialOf(sch.s, fromG - 1), *SerialOf(sch.s, toG - 1), kind, lag}),
                  LinkVerdict::Added);
    }
    void Draw() {
        pic = Picture();
        QPainter p(&pic.image);
        Canvas c(p);
        DrawLinkArrows(c, sch.s, painted);
        p.end();
        if (const char* dir = std::getenv("ARROWS_PICTURES"))
            pic.image.save(QString::fromUtf8(dir) + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + QString::number(++drawn_) + ".png");
    }
    int drawn_ = 0;
    static int Middle(int g) { return 40 + 18 * (g - 1) + 9; }
    // Pixels of `color` in the rectangle.
    int Count(QColor color, int x0, int y0, int x1, int y1) const {
        int n = 0;
        for (int x = x0; x < x1; ++x)
            for (int y = y0; y < y1; ++y) n += pic.At(x, y) == color;
        return n;
    }
};

// A finish-to-start link: out of the end of 2–4 March (its last pixel, x 79), down beside it,
// into the start of 10 March (x 180) with the head at the bar.
TEST_F(Arrows, FinishToStartLeavesTheEndAndEntersTheStart) {
    Task(1, "2005/03/02", "2005/03/04");
    Task(2, "2005/03/10", "2005/03/12");
    Link(1, 2);
    Draw();
    const QColor c = LinkColor();
    EXPECT_EQ(pic.At(82, Middle(1)), c) << "out of the end";
    for (int y = Middle(1); y < Middle(2); ++y) EXPECT_EQ(pic.At(85, y), c) << "down at " << y;
    EXPECT_NE(pic.At(86, Middle(1) + 5), c);
    EXPECT_EQ(pic.At(150, Middle(2)), c) << "across";
    EXPECT_EQ(pic.At(176, Middle(2) - 1), c) << "the head, above the line";
    EXPECT_EQ(pic.At(176, Middle(2) + 1), c) << "and below";
    EXPECT_NE(pic.At(170, Middle(2) - 1), c) << "only at the end";
    EXPECT_NE(pic.At(182, Middle(2)), c) << "not into the bar";
    EXPECT_EQ(Count(c, 0, 0, 400, 40), 0) << "nothing over the header";
    EXPECT_EQ(Count(BrokenLinkColor(), 0, 0, 400, 120), 0);
}

// The successor starts before the predecessor allows: the warning colour,
// and the path goes by the gap under the predecessor's row.
TEST_F(Arrows, ABrokenLinkIsDrawnInTheWarningColourByTheGap) {
    Task(1, "2005/03/05", "2005/03/09");
    Task(3, "2005/03/02", "2005/03/12");
    Link(1, 3, LinkKind::FinishToStart, 0);
    Draw();
    const QColor w = BrokenLinkColor();
    EXPECT_EQ(Count(LinkColor(), 0, 0, 400, 120), 0);
    EXPECT_GT(Count(w, 20, 58, 186, 60), 100) << "across the gap under row 1 (y 58), two pixels wide";
    EXPECT_GT(Count(w, 12, 58, 16, Middle(3)), 20) << "down beside the successor's start (x 20 - 6)";
    // Moved to allow it: a link like any other.
    sch.store.SetCellText(sch.outline, outline::StartDate, 2, "2005/03/10");
    Draw();
    EXPECT_EQ(Count(w, 0, 0, 400, 120), 0);
    EXPECT_GT(Count(LinkColor(), 0, 0, 400, 120), 30);
}

// Start-to-start goes down left of both starts; finish-to-finish right of
// both ends, entering the successor's end from the right.
TEST_F(Arrows, SameSideKindsGoDownOutsideBothBars) {
    Task(1, "2005/03/05", "2005/03/09");
    Task(2, "2005/03/03", "2005/03/06");
    Link(1, 2, LinkKind::StartToStart, -2);
    Draw();
    for (int y = Middle(1); y < Middle(2); ++y) EXPECT_EQ(pic.At(33, y), LinkColor()) << "x 39 (the bar's left line) - 6, at " << y;
    sch.store.links.Clear();
    Link(1, 2, LinkKind::FinishToFinish, -3);
    Draw();
    for (int y = Middle(1); y < Middle(2); ++y) EXPECT_EQ(pic.At(185, y), LinkColor()) << "x 179 + 6, at " << y;
    EXPECT_EQ(pic.At(122, Middle(2) - 1), LinkColor()) << "the head at the end of the 6th (x 119), from the right";
    EXPECT_NE(pic.At(116, Middle(2)), LinkColor()) << "not into the bar";
}

// A link to a row folded away is not drawn; one to a row off the pane runs
// to the pane's edge, never over the header.
TEST_F(Arrows, FoldedEndsHideAndEndsOffThePaneRunToItsEdge) {
    Task(1, "2005/03/02", "2005/03/04");
    Task(2, "2005/03/10", "2005/03/12");
    Task(6, "2005/03/14", "2005/03/15");
    Link(1, 2);
    sch.chart.SetRowHeights(2, 0);
    Draw();
    EXPECT_EQ(Count(LinkColor(), 0, 0, 400, 120), 0) << "the successor is folded away";
    sch.chart.SetRowHeights(2, 18);
    sch.store.links.Clear();
    Link(1, 6);  // row 6 is not among the painted rows
    Draw();
    for (int y = Middle(1); y < 40 + 18 * 4; ++y) EXPECT_EQ(pic.At(85, y), LinkColor()) << y;
    EXPECT_EQ(Count(LinkColor(), 0, 40 + 18 * 4, 400, 120), 0) << "cut at the last painted row";
    // From a row above the pane, into row 2: down from the top of the rows.
    painted.rows.erase(painted.rows.begin() + 1);
    sch.store.links.Clear();
    Link(1, 2);
    Draw();
    EXPECT_EQ(pic.At(85, 58), LinkColor()) << "down from the pane's first row";
    EXPECT_EQ(Count(LinkColor(), 0, 0, 400, 58), 0);
}

// A row without a bar (no start date) takes no arrow; a successor after
// the period is entered from beyond the pane's last column.
TEST_F(Arrows, RowsWithoutBarsAndEndsBeyondThePeriod) {
    Task(1, "2005/03/02", "2005/03/04");
    sch.Row(2, {{outline::Level, "0"}, {outline::Type, "1"}});
    Link(1, 2);
    Draw();
    EXPECT_EQ(Count(LinkColor(), 0, 0, 400, 120), 0);
    Task(3, "2005/09/01", "2005/09/02");
    Link(1, 3);
    Draw();
    for (int x = 90; x < 400; x += 30) EXPECT_EQ(pic.At(x, Middle(3)), LinkColor()) << x;
}

}  // namespace
}  // namespace vinta
