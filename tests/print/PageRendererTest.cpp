#include <gtest/gtest.h>

#include "framework/Arrow.h"

#include "store/TimeScale.h"

#include "PrintFixture.h"

namespace vinta {
namespace {

class Pages : public ::testing::Test, public testing::PrintFixture {};

// Which pages exist, and what drawing one answers.
TEST_F(Pages, CountsAndReturnValues) {
    Rows(0);
    s.grids.Schedule1.SetRowCount(1);
    EXPECT_EQ(Render(0), 0) << "no visible row";
    EXPECT_EQ(Render(-1), -1);
    EXPECT_EQ(Render(1), -1) << "page 1 does not exist";
    EXPECT_EQ(At(5, 5), QColor(1, 2, 3)) << "nothing drawn";

    Rows(62);
    EXPECT_EQ(Render(0), 2);
    EXPECT_EQ(Render(-2), 2);
    EXPECT_EQ(Render(-3), -3);
    EXPECT_EQ(Render(1), 2);
    EXPECT_EQ(Render(2), -1) << "the outline's last row ends it";
    EXPECT_EQ(Render(3), -3);
    s.grids.Schedule1.SetRowHeights(40, 0);
    EXPECT_EQ(renderer.VisibleRowCount(), 61);
    EXPECT_EQ(renderer.VisibleRowAt(39), 39);
    EXPECT_EQ(renderer.VisibleRowAt(40), 41) << "hidden rows are skipped";
    EXPECT_EQ(renderer.VisibleRowAt(62), 0);
    EXPECT_EQ(renderer.VisibleRowAt(0), 0);
    EXPECT_EQ(Render(0), 2);

    // 31 rows on one page: -1 only when the last slot holds the outline's
    // last row and reaches its end check.
    Rows(31);
    EXPECT_EQ(Render(1), -1);
    Set(31, outline::ShowBar, "0");
    EXPECT_EQ(Render(1), 2) << "page 2 is reported although it does not exist";
    Rows(32);
    s.grids.Schedule1.SetRowHeights(32, 0);
    EXPECT_EQ(Render(0), 1);
    EXPECT_EQ(Render(1), 2) << "the rows after the 31st are hidden";
}

// The frame: title underline, table lines, column lines, chart edge.
TEST_F(Pages, FrameLines) {
    Rows(3);
    Render(1);
    const int top = Ytop(), bottom = B(), mid = (top + bottom) / 2;
    EXPECT_EQ(At(5, 5), QColor(255, 255, 255)) << "the page is white";
    EXPECT_TRUE(Black(L, mid)) << "left line";
    EXPECT_TRUE(Black(L + 27, mid)) << "after the number column";
    EXPECT_TRUE(Black(L + 210, mid));
    EXPECT_TRUE(Black(L + 235, mid));
    EXPECT_TRUE(Black(L + 293, mid));
    EXPECT_TRUE(Black(CL, mid)) << "the chart's left edge";
    EXPECT_TRUE(Black(R(), mid)) << "right line";
    EXPECT_TRUE(Black(mid, bottom)) << "bottom line";
    EXPECT_TRUE(Black(500, top)) << "top line";
    EXPECT_TRUE(Black(500, top + 45)) << "under the header";
    EXPECT_TRUE(Black(500, top + 15)) << "calendar divider";
    EXPECT_FALSE(Black(L - 2, mid));
    // The title: centred, underlined.
    const QSize title = PageRenderer::LogicalExtent(QStringLiteral("工程表"), 30);
    const int tx = (metrics.pageWidth - title.width()) / 2;
    EXPECT_TRUE(Black(tx + 2, 25 + title.height()));
    EXPECT_GT(DarkIn({tx, 25, title.width(), title.height() - 2}), 50);
    EXPECT_EQ(DarkIn({0, 25, tx - 2, title.height()}), 0);
}

// Year view: a month a column, a solid line after December, dotted after the
// others; the year over January.
TEST_F(Pages, YearStrip) {
    Rows(1);
    Render(1);
    const double w = static_cast<double>(R() - CL) / 36;
    const int top = Ytop();
    auto after = [&](int j) { return static_cast<int>(CL + (j + 1) * w); };
    EXPECT_TRUE(Black(after(11), top + 5)) << "December: solid through the strip";
    EXPECT_FALSE(Black(after(10), top + 5)) << "November: only below the divider";
    int dotted = 0;
    for (int y = top + 50; y < top + 90; ++y) dotted += Black(after(10), y);
    EXPECT_GT(dotted, 10);
    EXPECT_LT(dotted, 30) << "dotted";
    EXPECT_GT(DarkIn({CL + 5, top + 3, static_cast<int>(w) - 6, 11}), 5) << "2005年";
    EXPECT_EQ(DarkIn({static_cast<int>(CL + 6 * w + 5), top + 3, static_cast<int>(w) - 6, 11}), 0) << "no year in July";
}

// Month view: weekends shaded below the header, days read top to bottom, the
// month's last day followed by a solid line.
TEST_F(Pages, MonthStrip) {
    chart.viewMode = kMonthView;
    chart.viewStart = {2005, 3, 1};
    chart.viewEnd = {2005, 5, 31};
    Rows(1);
    Render(1);
    const double w = static_cast<double>(R() - CL) / 92;
    const int top = Ytop();
    auto mid = [&](int j) { return static_cast<int>(CL + (j + 0.5) * w); };
    EXPECT_EQ(At(mid(4), top + 300), QColor(220, 220, 220)) << "Saturday 5 March";
    EXPECT_EQ(At(mid(5), top + 300), QColor(220, 220, 220)) << "Sunday 6 March";
    EXPECT_EQ(At(mid(6), top + 300), QColor(255, 255, 255)) << "Monday";
    EXPECT_NE(At(mid(4), top + 30), QColor(220, 220, 220)) << "not in the header";
    EXPECT_TRUE(Black(static_cast<int>(CL + 31 * w), top + 5)) << "after 31 March: solid";
    EXPECT_FALSE(Black(static_cast<int>(CL + 30 * w), top + 5)) << "after 30 March: dotted below";
    EXPECT_GT(DarkIn({static_cast<int>(CL + 9 * w + 2), top + 20, static_cast<int>(w) - 2, 11}), 3) << "tens of the 10th";
    EXPECT_EQ(DarkIn({static_cast<int>(CL + 8 * w + 2), top + 20, static_cast<int>(w) - 2, 11}), 0) << "no tens on the 9th";
}

// The printed month view shades national holidays as weekends, unless the
// window has them turned off.
TEST_F(Pages, MonthStripHolidays) {
    chart.viewMode = kMonthView;
    chart.viewStart = {2027, 1, 1};
    chart.viewEnd = {2027, 3, 31};
    Rows(1);
    const QColor shaded(220, 220, 220), white(255, 255, 255);
    for (bool shown : {true, false}) {
        chart.showHolidays = shown;
        Render(1);
        const double w = static_cast<double>(R() - CL) / 90;
        const int y = Ytop() + 300;
        auto at = [&](int j) { return At(static_cast<int>(CL + (j + 0.5) * w), y); };
        EXPECT_EQ(at(10), shown ? shaded : white) << "成人の日, Monday 11 January";
        EXPECT_EQ(at(41), shown ? shaded : white) << "建国記念の日, Thursday 11 February";
        EXPECT_EQ(at(53), shown ? shaded : white) << "天皇誕生日, Tuesday 23 February";
        EXPECT_EQ(at(11), white) << "Tuesday 12 January";
        EXPECT_EQ(at(9), shaded) << "Sunday 10 January";
    }
}

// Bars: the visible part of the task, its progress band in proportion.
TEST_F(Pages, BarsAndProgress) {
    Rows(4);
    Set(1, outline::StartDate, "2005/03/01");
    Set(1, outline::EndDate, "2005/04/30");
    Set(1, outline::Progress, "50");
    Set(2, outline::StartDate, "2004/06/01");  // before the period: clipped to its start
    Set(2, outline::EndDate, "2005/01/31");
    Set(2, outline::Progress, "100");
    Set(3, outline::StartDate, "2009/01/01");  // after the period: no bar
    Set(3, outline::EndDate, "2009/02/01");
    Set(4, outline::StartDate, "2005/03/01");
    Set(4, outline::EndDate, "2005/03/31");
    Set(4, outline::ShowBar, "0");
    Render(1);
    const double w = static_cast<double>(R() - CL) / 36;
    const int x1 = static_cast<int>(CL + 2 * w), x2 = static_cast<int>(CL + 3 * w + w / 30 * 30);
    const int y = RowY(0);
    EXPECT_TRUE(Black(x1 + 5, y)) << "top edge";
    EXPECT_TRUE(Black(x1, y + 5)) << "left edge";
    EXPECT_EQ(At(x1 + 5, y + 1), QColor(255, 255, 255)) << "white inside";
    const int band = x1 + (x2 - x1) * 50 / 100;
    EXPECT_TRUE(Black(band - 2, y + 5)) << "band to half";
    EXPECT_FALSE(Black(band + 2, y + 5));
    // Clipped to the period, full band at 100 %.
    const int y2 = RowY(1), e2 = static_cast<int>(CL + w);
    EXPECT_TRUE(Black(CL + 2, y2 + 5));
    EXPECT_TRUE(Black(e2 - 3, y2 + 5));
    EXPECT_FALSE(Black(e2 + 3, y2 + 5));
    EXPECT_LE(LongestRun(RowY(2), CL + 2, R() - 2), 1) << "no bar outside the period";
    EXPECT_LE(LongestRun(RowY(3), CL + 2, R() - 2), 1) << "no bar when ShowBar is 0";
    EXPECT_GT(LongestRun(RowY(0), CL + 2, R() - 2), 20);
}

// Progress above 100 draws as 100: the band never leaves its bar. A date
// cell holding any text and a level past 6 stay where they belong.
TEST_F(Pages, NumbersAndTextsBeyondTheirRangeStayInPlace) {
    const char* progress[] = {"0", "100", "101", "1234", "32767"};
    Rows(5);
    for (int r = 1; r <= 5; ++r) {
        Set(r, outline::StartDate, "2005/03/01");
        Set(r, outline::EndDate, "2005/04/30");
        Set(r, outline::Progress, progress[r - 1]);
    }
    Render(1);
    const double w = static_cast<double>(R() - CL) / 36;
    const int x2 = static_cast<int>(CL + 3 * w + w / 30 * 30);
    for (int r = 1; r <= 5; ++r) {
        const int y = RowY(r - 1);
        EXPECT_EQ(Black(x2 - 3, y + 5), r > 1) << progress[r - 1] << ": the band reaches the end";
        EXPECT_LE(LongestRun(y + 5, x2 + 2, R() - 2), 1) << progress[r - 1] << ": nothing past the bar";
    }
    Rows(2);
    Set(1, outline::StartDate, "WWWWWWWWWWWWWWWWWWWW");
    Set(1, outline::Level, "9");
    Set(1, outline::Name, "WWWWWWWWWW");
    Render(1);
    EXPECT_EQ(DarkIn({L + 298, RowY(0), 2, 12}), 0) << "the start text ends in its column";
    EXPECT_GT(DarkIn({L + 40 + 60, RowY(0), 40, 12}), 5) << "a name at level 9 starts where level 6 does";
    EXPECT_EQ(DarkIn({L + 40 + 60 - 6, RowY(0), 5, 12}), 0);
}

// Dotted lines stay dotted on paper: at printer scale a separator alternates
// ink and gaps of about a logical unit each, as the preview shows it.
TEST_F(Pages, DottedLinesAreDottedAtPrinterScale) {
    Rows(3);
    const PageMetrics paper = MetricsFor(300, 300, QSize(3436, 2376), QSize(3508, 2480), true, 96, 96);
    PageRenderer printer(state, paper, s);
    QImage sheet(paper.printableWidth, paper.printableHeight, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    state.printing = true;
    {
        QPainter p(&sheet);
        Canvas c(p);
        printer.RenderPage(c, 1);
    }
    state.printing = false;
    const int y = static_cast<int>((RowY(0) + 15) * paper.scaleY) + 1;
    const int x0 = static_cast<int>((L + 10) * paper.scaleX), x1 = static_cast<int>((CL - 10) * paper.scaleX);
    int inkRuns = 0, inked = 0;
    for (int x = x0; x < x1; ++x) {
        const bool ink = qGray(sheet.pixel(x, y)) < 128;
        inkRuns += ink && qGray(sheet.pixel(x - 1, y)) >= 128;
        inked += ink;
    }
    EXPECT_GT(inkRuns, 100) << "dots along the separator";
    EXPECT_NEAR(static_cast<double>(inked) / (x1 - x0), 0.5, 0.15) << "as much gap as ink";
}

// In the month view a printed bar ends where its last day's column ends, its
// full progress band with it.
TEST_F(Pages, AMonthViewBarEndsWithItsLastDay) {
    chart.viewMode = kMonthView;
    chart.viewStart = {2005, 3, 1};
    chart.viewEnd = {2005, 4, 30};
    Rows(1);
    Set(1, outline::StartDate, "2005/03/03");
    Set(1, outline::EndDate, "2005/03/10");
    Set(1, outline::Progress, "100");
    Render(1);
    const double w = static_cast<double>(R() - CL) / 61;
    const int lastDayEnd = static_cast<int>(CL + 10 * w), y = RowY(0);  // the 10th is column 9
    EXPECT_TRUE(Black(lastDayEnd - 2, y)) << "the bar's top edge up to the end";
    EXPECT_TRUE(Black(lastDayEnd - 2, y + 10)) << "and its bottom edge";
    EXPECT_TRUE(Black(lastDayEnd - 2, y + 5)) << "the band up to it";
    EXPECT_FALSE(Black(lastDayEnd + 3, y + 5));
    EXPECT_FALSE(Black(lastDayEnd + 3, y)) << "no further";
}

// The week view on paper: no day is shaded (a column is a week), a month's
// last week is followed by a solid line, a bar starts and ends on its days
// and its band ends with the day progress reached.
TEST_F(Pages, AWeekViewStripAndBar) {
    LayOutPeriod(chart, kWeekView, {2005, 3, 1});  // 53 weeks from Monday 28 February
    Rows(1);
    Set(1, outline::StartDate, "2005/03/09");  // Wednesday of the second week
    Set(1, outline::EndDate, "2005/03/23");    // Wednesday of the fourth
    Set(1, outline::Progress, "50");           // seven of fourteen days: to the 16th
    Render(1);
    const double w = static_cast<double>(R() - CL) / 53, day = w / 7;
    const int top = Ytop(), y = RowY(0);
    auto x = [&](int week, double days) { return static_cast<int>(CL + week * w + days * day); };
    EXPECT_EQ(At(x(0, 5.5), top + 300), QColor(255, 255, 255)) << "Saturday is not shaded";
    EXPECT_TRUE(Black(x(4, 0), top + 5)) << "after 27 March, March's last week: solid";
    EXPECT_FALSE(Black(x(3, 0), top + 5)) << "after a week inside March: dotted below";
    EXPECT_TRUE(Black(x(1, 2) + 1, y)) << "the bar from Wednesday the 9th";
    EXPECT_FALSE(Black(x(1, 2) - 2, y));
    EXPECT_TRUE(Black(x(3, 3) - 1, y)) << "to the end of Wednesday the 23rd";
    EXPECT_FALSE(Black(x(3, 3) + 2, y));
    EXPECT_TRUE(Black(x(2, 3) - 2, y + 5)) << "the band to the end of the 16th";
    EXPECT_FALSE(Black(x(2, 3) + 2, y + 5));
    EXPECT_GT(DarkIn({x(0, 0) + 2, top + 3, static_cast<int>(w * 3), 11}), 5) << "2005/ 3";
}

// Today on paper, in the week view only: a line down the rows the page
// holds, in the middle of today's day, over the rows' own lines.
TEST_F(Pages, TodaysLineDownThePagesRows) {
    Rows(3);
    for (int mode : {kWeekView, kMonthView}) {
        LayOutPeriod(chart, mode, {2005, 3, 1});
        chart.today = {2005, 3, 3, 16, 12, 0, 0, 0};  // Wednesday 16 March
        Render(1);
        const double w = static_cast<double>(R() - CL) / ColumnCount(chart);
        const int x = static_cast<int>((DateX(chart, {2005, 3, 16}, false, CL, w) + DateX(chart, {2005, 3, 16}, true, CL, w)) / 2);
        const int y = RowY(1) + 5;
        const bool line = At(x, y) == QColor(128, 128, 128) || At(x + 1, y) == QColor(128, 128, 128);
        EXPECT_EQ(line, mode == kWeekView) << "view " << mode;
        if (mode == kWeekView) {
            EXPECT_NE(At(x, RowY(4) + 5), QColor(128, 128, 128)) << "not past the page's rows";
            EXPECT_NE(At(x + 1, RowY(4) + 5), QColor(128, 128, 128));
        }
    }
}

// Links on paper, as on screen: down from the end of the predecessor's bar,
// across into the successor's start; a broken one in the warning colour; a
// row folded away takes none; a successor on a later page is reached by a
// line down to the page's last row.
TEST_F(Pages, LinksBetweenTheBarsOnThePage) {
    Rows(40);
    LayOutPeriod(chart, kMonthView, {2005, 3, 1});
    auto task = [&](int r, const char* start, const char* end) {
        Set(r, outline::StartDate, start);
        Set(r, outline::EndDate, end);
    };
    task(1, "2005/03/02", "2005/03/04");
    task(2, "2005/03/10", "2005/03/12");
    task(3, "2005/03/03", "2005/03/12");
    task(40, "2005/03/20", "2005/03/22");
    auto link = [&](int from, int to) {
        s.store.links.Clear();
        Set(from, outline::No, std::to_string(100 + from).c_str());
        Set(to, outline::No, std::to_string(100 + to).c_str());
        ASSERT_EQ(s.store.links.Add({100 + from, 100 + to, LinkKind::FinishToStart, 0}), LinkVerdict::Added);
    };
    const double w = static_cast<double>(R() - CL) / ColumnCount(chart);
    const int down = static_cast<int>(DateX(chart, {2005, 3, 4}, true, CL, w)) + 6;
    auto inkDown = [&](QColor color, int y0, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y) n += At(down, y) == color || At(down + 1, y) == color;
        return n;
    };
    link(1, 2);
    Render(1);
    EXPECT_EQ(inkDown(Qt::black, RowY(0) + 6, RowY(1) + 5), RowY(1) - RowY(0) - 1) << "down beside row 1's end";
    const int in = static_cast<int>(DateX(chart, {2005, 3, 10}, false, CL, w));
    EXPECT_TRUE(Black((down + in) / 2, RowY(1) + 5)) << "across row 2 into its start";
    link(1, 3);
    Render(1);
    EXPECT_GT(inkDown(BrokenLinkColor(), RowY(0) + 6, RowY(0) + 15), 8) << "row 3 starts before row 1 ends";
    link(1, 2);
    s.grids.Schedule1.SetRowHeights(2, 0);
    Render(1);
    EXPECT_EQ(inkDown(Qt::black, RowY(0) + 6, RowY(0) + 15), 0) << "row 2 folded away";
    s.grids.Schedule1.SetRowHeights(2, 18);
    link(1, 40);
    Render(1);
    EXPECT_EQ(inkDown(Qt::black, RowY(1), RowY(30)), RowY(30) - RowY(1)) << "down the whole page";
    EXPECT_EQ(inkDown(Qt::black, RowY(31) + 10, RowY(31) + 40), 0) << "not past its rows";
}

// Pens: while printing, widths 1 and 2 follow the printer's table (4 and 8
// dots); the preview scales them by its zoom.
TEST_F(Pages, PenWidthsOnPaperAndInThePreview) {
    Rows(1);
    const PageMetrics paper = MetricsFor(300, 300, QSize(3436, 2376), QSize(3508, 2480), true, 96, 96);
    PageRenderer printer(state, paper, s);
    auto inkAcross = [](const QImage& img, int x, int y) {
        int from = x;
        while (from > x - 20 && qGray(img.pixel(from - 1, y)) < 128) --from;
        int to = from;
        while (to < x + 20 && qGray(img.pixel(to, y)) < 128) ++to;
        return to - from;
    };
    struct Case {
        bool printing;
        double zoom;
        int thin, thick;
    } cases[] = {{true, 1.0, 4, 8}, {false, 1.0, 1, 2}, {false, 2.0, 2, 4}};
    for (const Case& k : cases) {
        state.printing = k.printing;
        const double scale = k.printing ? paper.scaleX : k.zoom;
        QImage sheet(static_cast<int>(1123 * scale), static_cast<int>(794 * scale), QImage::Format_RGB32);
        sheet.fill(Qt::white);
        {
            QPainter p(&sheet);
            Canvas c(p);
            (k.printing ? printer : renderer).RenderPage(c, 1);
        }
        Render(1, k.zoom);
        const QImage& img = k.printing ? sheet : page;
        const int y = static_cast<int>((RowY(10) + 5) * scale);
        EXPECT_EQ(inkAcross(img, static_cast<int>((L + 210) * scale), y), k.thin) << k.printing << " " << k.zoom;
        EXPECT_EQ(inkAcross(img, static_cast<int>((L + 27) * scale), y), k.thick) << k.printing << " " << k.zoom;
    }
    state.printing = false;
}

// A date that does not parse leaves the bar out; the row's texts still print.
TEST_F(Pages, ADateThatIsNoDateLeavesOnlyTheBarOut) {
    Rows(2);
    Set(1, outline::StartDate, "いつか");
    Set(1, outline::EndDate, "2005/03/20");
    Set(2, outline::StartDate, "");  // no start: from the chart's left edge
    Set(2, outline::EndDate, "2005/02/15");
    EXPECT_EQ(Render(1), -1);
    EXPECT_LE(LongestRun(RowY(0), CL + 2, R() - 2), 1) << "no bar";
    EXPECT_GT(DarkIn({L + 240, RowY(0), 50, 12}), 5) << "the start text is printed as it is";
    EXPECT_TRUE(Black(CL + 3, RowY(1))) << "an empty start begins at the left edge";
    EXPECT_GT(LongestRun(RowY(1), CL, R()), 20);
}

// Row texts: "%3.3s", bold projects, fold boxes, indents.
TEST_F(Pages, RowTexts) {
    Rows(1240);
    auto numberCell = [&](int slot) { return page.copy(L + 1, RowY(slot), 25, 14); };
    Render(4);  // rows 94 to 124
    QImage row123 = numberCell(29);
    Render(40);  // rows 1210 to 1240
    EXPECT_EQ(numberCell(24), row123) << "row 1234 prints as 123";

    Rows(3);
    Set(1, outline::Type, "0");
    Set(1, outline::Name, "ＡＢＣ");
    Set(2, outline::Name, "ＡＢＣ");
    Set(1, outline::HasChildren, "1");
    Set(1, outline::Expanded, "0");
    Set(2, outline::Level, "2");
    Set(2, outline::HasChildren, "1");
    Set(2, outline::Expanded, "1");
    Set(3, outline::Progress, "1000");
    Render(1);
    const int nameBox = 150;
    EXPECT_GT(DarkIn({L + 40, RowY(0), nameBox, 14}), DarkIn({L + 60, RowY(1), nameBox, 14}) + 10) << "bold project";
    const int bx = L + 30, by = RowY(0) + 1;
    EXPECT_TRUE(Black(bx, by + 4)) << "fold box";
    EXPECT_TRUE(Black(bx + 4, by + 3)) << "plus when folded";
    const int bx2 = L + 30 + 20, by2 = RowY(1) + 1;
    EXPECT_TRUE(Black(bx2 + 3, by2 + 4)) << "minus";
    EXPECT_FALSE(Black(bx2 + 4, by2 + 3)) << "no plus when open";
    Set(2, outline::Progress, "100");
    QImage p1000 = page.copy(L + 211, RowY(2), 23, 14);
    Render(1);
    EXPECT_EQ(page.copy(L + 211, RowY(1), 23, 14), p1000) << "progress 1000 prints as 100";
}

// At 20 % everything shrinks, and lines of width 1 stay one pixel.
TEST_F(Pages, SmallZoom) {
    Rows(3);
    Render(1, 0.2);
    const int mid = static_cast<int>((Ytop() + B()) / 2 * 0.2);
    EXPECT_TRUE(Black(static_cast<int>(L * 0.2), mid));
    EXPECT_TRUE(Black(static_cast<int>((L + 210) * 0.2), mid)) << "a width-1 line still shows";
    EXPECT_EQ(At(static_cast<int>(metrics.pageWidth * 0.2) + 5, 5), QColor(1, 2, 3)) << "a fifth of the page";
}

}  // namespace
}  // namespace vinta
