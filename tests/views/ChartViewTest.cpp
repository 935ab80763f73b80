#include <gtest/gtest.h>

#include "ViewFixture.h"
#include "support/ScopedTz.h"
#include "views/ChartView.h"

namespace vinta {
namespace {

using namespace std::chrono;
using testing::Picture;
using testing::Schedule;

const QColor kCyan(0, 255, 255), kBlue(0, 0, 255), kRed(255, 0, 0), kGrey(128, 128, 128);

class Chart : public ::testing::Test {
protected:
    // Today is 2005-03-16, a Wednesday: noon in UTC, whatever zone the suite
    // runs in (east of UTC+12 it would be the 17th); a test of the local date
    // sets a zone of its own.
    testing::ScopedTz utc{"UTC0"};
    clock::FixedScope fixed{sys_days{year{2005} / 3 / 16} + hours{12}};
    Schedule sch;
    ChartState& state = sch.s.chart;
    Picture pic;

    void Task(int g, const char* start, const char* end, const char* progress, const char* show = "1") {
        sch.Row(g, {{outline::Level, "0"}, {outline::Type, "1"}, {outline::StartDate, start},
                    {outline::EndDate, end}, {outline::Progress, progress}, {outline::ShowBar, show}});
    }
    QRect Draw(int col, int row, QRect rect) {
        QPainter p(&pic.image);
        Canvas c(p);
        DrawChartCell(c, sch.s, col, row, rect);
        return rect;
    }
};

TEST_F(Chart, YearAndMonthLayouts) {
    SetView(state, sch.chart, kYearView, {2005, 3, 16});
    EXPECT_EQ(sch.chart.ColCount(), 36);
    EXPECT_EQ(sch.chart.ColWidths(35), 32);
    EXPECT_EQ(state.viewStart, (Date{2005, 1, 1}));
    EXPECT_EQ(state.viewEnd, (Date{2007, 12, 31}));
    EXPECT_EQ(state.today.wDay, 16);
    SetView(state, sch.chart, kMonthView, {2005, 3, 10});
    EXPECT_EQ(sch.chart.ColCount(), 92);
    EXPECT_EQ(sch.chart.ColWidths(91), 20);
    EXPECT_EQ(ColumnDate(state, 91), (Date{2005, 5, 31}));
    SetView(state, sch.chart, kMonthView, {2005, 11, 1});
    EXPECT_EQ(state.viewEnd, (Date{2006, 1, 31}));
}

TEST_F(Chart, Navigation) {
    SetView(state, sch.chart, kYearView, {2005, 3, 16});
    NextCommand(state, sch.chart);
    EXPECT_EQ(state.viewStart, (Date{2006, 1, 1}));
    PriorCommand(state, sch.chart);
    PriorCommand(state, sch.chart);
    EXPECT_EQ(state.viewStart, (Date{2004, 1, 1}));
    MonthCommand(state, sch.chart, 14);  // March of the second year
    EXPECT_EQ(state.viewMode, kMonthView);
    EXPECT_EQ(state.viewStart, (Date{2005, 3, 1}));
    SetView(state, sch.chart, kMonthView, {2005, 1, 1});
    PriorCommand(state, sch.chart);
    EXPECT_EQ(state.viewStart, (Date{2004, 12, 1}));
    NextCommand(state, sch.chart);
    NextCommand(state, sch.chart);
    EXPECT_EQ(state.viewStart, (Date{2005, 2, 1}));
    YearCommand(state, sch.chart);
    EXPECT_EQ(state.viewStart, (Date{2005, 1, 1}));
    EXPECT_EQ(sch.chart.ColCount(), 36);
    SetView(state, sch.chart, kMonthView, {2007, 8, 1});
    ThisMonthCommand(state, sch.chart);
    EXPECT_EQ(state.viewStart, (Date{2005, 3, 1}));
}

// Month view steps one month at a time, across the turn of the year both ways.
TEST_F(Chart, MonthStepsCrossTheYear) {
    SetView(state, sch.chart, kMonthView, {2005, 11, 1});
    NextCommand(state, sch.chart);
    EXPECT_EQ(state.viewStart, (Date{2005, 12, 1}));
    EXPECT_EQ(state.viewEnd, (Date{2006, 2, 28}));
    NextCommand(state, sch.chart);
    EXPECT_EQ(state.viewStart, (Date{2006, 1, 1}));
    EXPECT_EQ(ColumnDate(state, 0), (Date{2006, 1, 1}));
    PriorCommand(state, sch.chart);
    EXPECT_EQ(state.viewStart, (Date{2005, 12, 1}));
    PriorCommand(state, sch.chart);
    EXPECT_EQ(state.viewStart, (Date{2005, 11, 1}));
    EXPECT_EQ(sch.chart.ColCount(), 30 + 31 + 31);
}

// Today is the date where the user is, not in Greenwich: early morning in
// Tokyo and evening in New York both mark the 16th.
TEST_F(Chart, TodayIsTheLocalDate) {
    for (auto [tz, when] : {std::pair{"JST-9", sys_days{year{2005} / 3 / 15} + hours{23} + minutes{30}},
                            std::pair{"EST5", sys_days{year{2005} / 3 / 17} + hours{2} + minutes{0}}}) {
        testing::ScopedTz zone(tz);
        clock::Fix(when);
        SetView(state, sch.chart, kMonthView, {2005, 3, 1});
        EXPECT_EQ(state.today.wDay, 16) << tz;
        Draw(15, 1, {0, 0, 20, 18});
        Draw(14, 1, {30, 0, 20, 18});
        Draw(16, 1, {60, 0, 20, 18});
        EXPECT_EQ(pic.At(5, 5), QColor(128, 128, 220)) << tz;
        EXPECT_EQ(pic.At(35, 5), Colors::Window()) << tz;
        EXPECT_EQ(pic.At(65, 5), Colors::Window()) << tz;
        ThisMonthCommand(state, sch.chart);
        EXPECT_EQ(state.viewStart, (Date{2005, 3, 1})) << tz;
    }
}

// The 2005/03/10 - 2005/03/20 task, 50 % done, in the March column.
TEST_F(Chart, YearViewBar) {
    SetView(state, sch.chart, kYearView, {2005, 1, 1});
    Task(1, "2005/03/10", "2005/03/20", "50");
    const int L = 40, T = 20;
    Draw(2, 1, {L, T, 32, 18});
    EXPECT_EQ(pic.At(L + 8, T + 7), Colors::Window()) << "before the start day";
    EXPECT_EQ(pic.At(L + 9, T + 7), kBlue) << "start mark";
    EXPECT_EQ(pic.At(L + 12, T + 7), kCyan);
    EXPECT_EQ(pic.At(L + 12, T + 5), kBlue) << "top edge";
    EXPECT_EQ(pic.At(L + 12, T + 8), kRed);
    EXPECT_EQ(pic.At(L + 14, T + 9), kRed);
    EXPECT_EQ(pic.At(L + 15, T + 8), kCyan) << "progress ends on the 15th";
    EXPECT_EQ(pic.At(L + 19, T + 7), kCyan);
    EXPECT_EQ(pic.At(L + 20, T + 7), kBlue) << "end mark";
    EXPECT_EQ(pic.At(L + 21, T + 7), Colors::Window());
    EXPECT_EQ(pic.At(L + 31, T + 6), QColor(128, 128, 128)) << "dotted separator, on pixel";
    EXPECT_NE(pic.At(L + 31, T + 7), QColor(128, 128, 128)) << "dotted separator, off pixel";
    EXPECT_EQ(pic.At(L + 15, T + 4), QColor(128, 128, 220)) << "today strip on the 16th";
    EXPECT_EQ(pic.At(L + 16, T + 4), Colors::Window());
    // March of the other two years has no today strip.
    for (int col : {14, 26}) {
        Draw(col, 1, {L, T + 30, 32, 18});
        EXPECT_EQ(pic.At(L + 15, T + 34), Colors::Window()) << col;
    }
    // February and April columns carry nothing.
    Draw(1, 1, {0, 50, 32, 18});
    Draw(3, 1, {40, 50, 32, 18});
    for (int x = 0; x < 30; ++x) EXPECT_NE(pic.At(x, 57), kCyan);
    for (int x = 40; x < 70; ++x) EXPECT_NE(pic.At(x, 57), kCyan);
}

// Progress of 90 and more draws its band like any other.
TEST_F(Chart, HighProgressDrawsItsBand) {
    SetView(state, sch.chart, kYearView, {2005, 1, 1});
    int before = 0;
    for (const char* progress : {"50", "90", "95", "99"}) {
        Task(1, "2005/03/01", "2005/03/31", progress);
        Draw(2, 1, {0, 0, 32, 18});
        int red = 0;
        for (int x = 0; x < 32; ++x) red += pic.At(x, 8) == kRed;
        EXPECT_GE(red, before) << progress;
        EXPECT_GT(red, 10) << progress;
        before = red;
    }
    EXPECT_GE(before, 27) << "99 % of March";
    // More than 100 % reads as 100 %: the band ends with its bar.
    for (const char* progress : {"101", "1234", "32767"}) {
        Task(1, "2005/03/01", "2005/03/31", progress);
        Draw(3, 1, {0, 20, 32, 18});
        for (int x = 0; x < 32; ++x) EXPECT_NE(pic.At(x, 28), kRed) << progress << " in April, x=" << x;
    }
}

TEST_F(Chart, MonthViewBar) {
    SetView(state, sch.chart, kMonthView, {2005, 3, 1});
    Task(2, "2005/03/10", "2005/03/20", "50");
    auto cellOf = [](int day) { return day - 1; };
    const int T = 10;
    auto draw = [&](int day, int x) { return Draw(cellOf(day), 2, {x, T, 20, 18}); };
    draw(9, 0);
    EXPECT_EQ(pic.At(10, T + 7), QColor(220, 220, 220)) << "no bar the day before";
    draw(10, 30);
    EXPECT_EQ(pic.At(29, T + 7), kBlue) << "start mark at Left - 1";
    EXPECT_EQ(pic.At(40, T + 8), kRed);
    draw(15, 60);
    EXPECT_EQ(pic.At(70, T + 8), kRed);
    EXPECT_EQ(pic.At(79, T + 8), kRed) << "progress runs to the cell's right edge";
    draw(16, 90);
    EXPECT_EQ(pic.At(100, T + 8), kCyan) << "no progress after the 15th";
    EXPECT_EQ(pic.At(100, T + 6), kCyan);
    draw(20, 120);
    EXPECT_EQ(pic.At(139, T + 7), kBlue) << "end mark at Right - 1";
    EXPECT_EQ(pic.At(130, T + 7), kCyan);
    draw(22, 150);  // the 21st is 春分の日, shaded
    EXPECT_EQ(pic.At(160, T + 7), QColor(220, 220, 220));
}

TEST_F(Chart, MonthViewDayColours) {
    SetView(state, sch.chart, kMonthView, {2005, 3, 1});
    Draw(11, 1, {0, 0, 20, 18});   // Saturday 12 March
    Draw(15, 1, {30, 0, 20, 18});  // today, 16 March
    Draw(16, 1, {60, 0, 20, 18});  // Thursday
    EXPECT_EQ(pic.At(5, 5), QColor(220, 128, 128));
    EXPECT_EQ(pic.At(35, 5), QColor(128, 128, 220));
    EXPECT_EQ(pic.At(65, 5), Colors::Window());
    // Both weekend days, and neither weekday beside them.
    const std::pair<int, QColor> days[] = {{10, Colors::Window()}, {12, QColor(220, 128, 128)}, {13, Colors::Window()}};
    for (auto [col, colour] : days) {
        Draw(col, 1, {200, 60, 20, 18});
        EXPECT_EQ(pic.At(205, 65), colour) << "day " << col + 1;
    }
    EXPECT_EQ(pic.At(79, 5), QColor(1, 2, 3)) << "the separator column is the next cell's";
    Draw(30, 1, {90, 30, 20, 18});  // 31 March: solid separator
    for (int y = 31; y < 48; ++y) EXPECT_EQ(pic.At(109, y), kGrey);
}

// National holidays are shaded as Sundays are, in a January and a February,
// unless turned off; the days beside them are not.
TEST_F(Chart, MonthViewHolidays) {
    SetView(state, sch.chart, kMonthView, {2027, 1, 1});
    const QColor off(220, 128, 128), working = Colors::Window();
    const struct {
        int col;  // days from 2027/01/01
        bool holiday;
    } days[] = {{10, true}, {11, false}, {41, true}, {42, false}, {53, true}, {52, false}, {0, true}};
    for (bool shown : {true, false}) {
        state.showHolidays = shown;
        for (auto [col, holiday] : days) {
            Draw(col, 1, {200, 60, 20, 18});
            EXPECT_EQ(pic.At(205, 65), holiday && shown ? off : working) << "day " << col << " shown " << shown;
        }
        Draw(9, 1, {200, 60, 20, 18});  // Sunday 10 January: a day off either way
        EXPECT_EQ(pic.At(205, 65), off);
    }
}

TEST_F(Chart, OpenEndedHiddenAndFoldedRows) {
    SetView(state, sch.chart, kYearView, {2005, 1, 1});
    Task(1, "2005/06/10", "", "50");
    Draw(5, 1, {0, 0, 32, 18});  // June
    EXPECT_EQ(pic.At(9, 5), kGrey) << "dotted outline";
    EXPECT_EQ(pic.At(12, 8), Colors::Window()) << "hollow, no progress";
    Draw(35, 1, {40, 0, 32, 18});  // December 2007: runs to the end of the view
    EXPECT_EQ(pic.At(45, 5) == kGrey || pic.At(46, 5) == kGrey, true);
    Task(3, "2005/06/10", "2005/06/20", "50", "0");
    Draw(5, 3, {0, 30, 32, 18});
    for (int x = 0; x < 30; ++x) EXPECT_NE(pic.At(x, 37), kCyan);
    Task(5, "2005/06/10", "2005/06/20", "50");
    QImage before = pic.image;
    Draw(5, 5, {0, 60, 32, 0});
    EXPECT_EQ(pic.image, before) << "a folded row is not drawn";
    // A start that is no date draws the row without a bar.
    Task(7, "not a date", "2005/06/20", "50");
    Draw(5, 7, {0, 90, 32, 18});
    for (int x = 0; x < 31; ++x) EXPECT_EQ(pic.At(x, 97), Colors::Window()) << x;
}

TEST_F(Chart, Headers) {
    SetView(state, sch.chart, kYearView, {2005, 1, 1});
    Draw(0, 0, {0, 0, 32, 40});
    EXPECT_EQ(pic.At(0, 10), QColor(255, 255, 255));
    EXPECT_EQ(pic.At(10, 39), QColor(0, 0, 0)) << "black line under the header";
    EXPECT_GT(pic.DarkIn(1, 1, 31, 16), 5) << "the year in January";
    EXPECT_GT(pic.DarkIn(1, 18, 31, 36), 5) << "the month";
    Draw(1, 0, {40, 0, 32, 40});
    EXPECT_EQ(pic.DarkIn(41, 1, 71, 14), 0) << "no year in February";
}

// A week a column, Monday to Sunday, four pixels a day: a bar starts and ends
// on its days within the week, progress the same; today's week is marked;
// the line after the last week of a month is solid.
TEST_F(Chart, WeekView) {
    SetView(state, sch.chart, kWeekView, {2005, 3, 1});  // from Monday 28 February
    EXPECT_EQ(ColumnCount(state), 53);
    EXPECT_EQ(sch.chart.ColWidths(0), 28);
    Task(2, "2005/03/09", "2005/03/23", "50");  // Wednesday to Wednesday; progress to the 16th
    const int T = 10, row = 2;
    Draw(1, row, {0, T, 28, 18});  // 7–13 March
    EXPECT_EQ(pic.At(8, T + 7), kBlue) << "the start on Wednesday";
    EXPECT_EQ(pic.At(6, T + 7), QColor(220, 220, 220)) << "nothing before it";
    EXPECT_EQ(pic.At(20, T + 8), kRed) << "progress past this week";
    EXPECT_EQ(pic.At(27, 12), kGrey) << "a week's line, dotted";
    EXPECT_NE(pic.At(27, 13), kGrey);
    Draw(2, row, {40, T, 28, 18});  // 14–20 March: today's week
    EXPECT_EQ(pic.At(45, T + 1), QColor(128, 128, 220));
    EXPECT_EQ(pic.At(50, T + 8), kRed);
    EXPECT_EQ(pic.At(53, T + 8), kCyan) << "progress ends with Wednesday the 16th";
    Draw(3, row, {80, T, 28, 18});  // 21–27 March, the month's last week
    EXPECT_EQ(pic.At(92, T + 7), kBlue) << "the end after Wednesday";
    EXPECT_EQ(pic.At(90, T + 6), kCyan);
    EXPECT_EQ(pic.At(96, T + 7), QColor(220, 220, 220));
    for (int y = T; y < T + 18; ++y) EXPECT_EQ(pic.At(107, y), kGrey) << "a month's end, solid";
    Draw(4, row, {120, T, 28, 18});
    for (int x = 120; x < 147; ++x) EXPECT_NE(pic.At(x, T + 7), kCyan) << "no bar after its end";
    // The header: the year and month over a month's first two weeks, each week's Monday.
    Draw(0, 0, {0, 40, 28, 40});
    Draw(1, 0, {40, 40, 28, 40});
    Draw(2, 0, {80, 40, 28, 40});
    EXPECT_GT(pic.DarkIn(1, 41, 27, 54), 5) << "2005";
    EXPECT_GT(pic.DarkIn(41, 41, 67, 54), 3) << "/3";
    EXPECT_EQ(pic.DarkIn(81, 41, 107, 54), 0) << "nothing over the third week";
    EXPECT_GT(pic.DarkIn(1, 58, 27, 76), 5) << "28";
}

// Over the cells, a line down the shown rows on today's day, in the week
// view only: from the first data row to the last, the header left alone.
TEST_F(Chart, TodaysLineSpansTheRows) {
    Task(1, "2005/03/01", "2005/03/31", "0");
    GridWidget::Painted painted;
    painted.rows = {{0, {0, 0, 300, 40}}, {1, {0, 40, 300, 18}}, {3, {0, 58, 300, 18}}};
    painted.columns = {{1, 0, 28}, {2, 28, 28}, {3, 56, 28}};
    for (int mode : {kYearView, kMonthView, kWeekView}) {
        SetView(state, sch.chart, mode, {2005, 3, 1});
        pic = Picture();
        for (const auto& r : painted.rows)
            for (const auto& c : painted.columns) Draw(c.col, r.row, {c.x, r.rect.top(), c.width, r.rect.height()});
        const QImage cells = pic.image;
        {
            QPainter p(&pic.image);
            Canvas c(p);
            DrawChartOverlay(c, sch.s, painted);
        }
        if (mode != kWeekView) {
            EXPECT_EQ(pic.image, cells) << "no line in view " << mode;
            continue;
        }
        // Today (16 March, or the 17th east of UTC+12) in the week of column 2,
        // which begins on Monday the 14th at x 28: the middle of its 4 pixels.
        const int x = 28 + 4 * DaysFrom({2005, 3, 14}, {state.today.wYear, state.today.wMonth, state.today.wDay}) + 2;
        for (int y = 40; y < 76; ++y) EXPECT_EQ(pic.At(x, y), QColor(64, 64, 192)) << y;
        EXPECT_NE(pic.At(x, 20), QColor(64, 64, 192)) << "not over the header";
        EXPECT_NE(pic.At(x, 80), QColor(64, 64, 192)) << "not past the last row";
    }
}

}  // namespace
}  // namespace vinta
