// The time scale as tables: the period each view lays out from a date, the
// dates at column edges, where dates fall, and the steps between periods.
#include <gtest/gtest.h>

#include <ostream>

#include "store/ChartScale.h"
#include "store/TimeScale.h"

namespace vinta {

void PrintTo(const Date& d, std::ostream* os) { *os << d.year << '-' << d.month << '-' << d.day; }

namespace {

ChartState Laid(int mode, Date from) {
    ChartState s;
    LayOutPeriod(s, mode, from);
    return s;
}

// Every month of the year's last quarter reaches into the next year: the
// period ends on that year's last day of the third month.
TEST(TimeScale, PeriodsLaidOutFromADate) {
    const struct {
        const char* name;
        int mode;
        Date from, start, end;
        int columns;
        Date lastColumn;  // the first day of the last column
    } rows[] = {
        {"January", kMonthView, {2026, 1, 15}, {2026, 1, 1}, {2026, 3, 31}, 90, {2026, 3, 31}},
        {"September", kMonthView, {2026, 9, 30}, {2026, 9, 1}, {2026, 11, 30}, 91, {2026, 11, 30}},
        {"October", kMonthView, {2026, 10, 31}, {2026, 10, 1}, {2026, 12, 31}, 92, {2026, 12, 31}},
        {"November", kMonthView, {2026, 11, 5}, {2026, 11, 1}, {2027, 1, 31}, 92, {2027, 1, 31}},
        {"December", kMonthView, {2026, 12, 31}, {2026, 12, 1}, {2027, 2, 28}, 90, {2027, 2, 28}},
        {"December before a leap year", kMonthView, {2027, 12, 1}, {2027, 12, 1}, {2028, 2, 29}, 91, {2028, 2, 29}},
        {"year view", kYearView, {2026, 7, 4}, {2026, 1, 1}, {2028, 12, 31}, 36, {2028, 12, 1}},
        {"year view from December", kYearView, {2026, 12, 31}, {2026, 1, 1}, {2028, 12, 31}, 36, {2028, 12, 1}},
        // 53 weeks from the Monday on or before the month's 1st.
        {"week: the 1st a Tuesday", kWeekView, {2026, 12, 9}, {2026, 11, 30}, {2027, 12, 5}, 53, {2027, 11, 29}},
        {"week: the 1st a Monday", kWeekView, {2027, 3, 31}, {2027, 3, 1}, {2028, 3, 5}, 53, {2028, 2, 28}},
        {"week: the 1st a Sunday", kWeekView, {2026, 11, 1}, {2026, 10, 26}, {2027, 10, 31}, 53, {2027, 10, 25}},
        {"a mode no view has", 7, {2026, 7, 4}, {2026, 1, 1}, {2028, 12, 31}, 36, {2028, 12, 1}},
    };
    for (const auto& r : rows) {
        const ChartState s = Laid(r.mode, r.from);
        EXPECT_EQ(s.viewStart, r.start) << r.name;
        EXPECT_EQ(s.viewEnd, r.end) << r.name;
        EXPECT_EQ(ColumnCount(s), r.columns) << r.name;
        EXPECT_EQ(ColumnDate(s, 0), r.start) << r.name;
        EXPECT_EQ(ColumnDate(s, r.columns - 1), r.lastColumn) << r.name;
        EXPECT_EQ(ScaleOf(s).ColumnLast(s, r.columns - 1), r.end) << r.name;
    }
}

// Columns 10 wide from 5: a day's column in the month view; in the year view
// a month's column split by its own days.
TEST(TimeScale, WhereDatesFall) {
    const ChartState month = Laid(kMonthView, {2026, 11, 1}), year = Laid(kYearView, {2026, 1, 1}),
                     week = Laid(kWeekView, {2026, 12, 1});
    const struct {
        const char* name;
        const ChartState& s;
        Date date;
        bool atEnd;
        double x;
    } rows[] = {
        {"week: its first Monday", week, {2026, 11, 30}, false, 5},
        {"week: the 1st, a Tuesday", week, {2026, 12, 1}, false, 5 + 10.0 / 7},
        {"week: its first Sunday's end", week, {2026, 12, 6}, true, 15},
        {"week: the last day's end", week, {2027, 12, 5}, true, 5 + 53 * 10},
        {"first day's start", month, {2026, 11, 1}, false, 5},
        {"first day's end", month, {2026, 11, 1}, true, 15},
        {"over the year's end", month, {2027, 1, 1}, false, 5 + 61 * 10},
        {"last day's end", month, {2027, 1, 31}, true, 5 + 92 * 10},
        {"a day before the period", month, {2026, 10, 31}, false, -5},
        {"a month's first day", year, {2026, 2, 1}, false, 15},
        {"a month's last day's end", year, {2026, 2, 28}, true, 25},
        {"half of a 30-day month", year, {2026, 4, 15}, true, 5 + 3 * 10 + 5},
        {"the last column's end", year, {2028, 12, 31}, true, 5 + 36 * 10},
        {"a leap February's end", year, {2028, 2, 29}, true, 5 + 26 * 10},
    };
    for (const auto& r : rows) EXPECT_DOUBLE_EQ(DateX(r.s, r.date, r.atEnd, 5, 10), r.x) << r.name;
}

// The next and previous commands reach a date by whole periods: a date in
// the period keeps it; one after it ends up in the new period's last month
// (or year), one before it in the first.
TEST(TimeScale, StepsToShowADate) {
    const ChartState month = Laid(kMonthView, {2026, 11, 1}), year = Laid(kYearView, {2026, 1, 1}),
                     week = Laid(kWeekView, {2026, 12, 1});
    const struct {
        const char* name;
        const ChartState& s;
        Date date, start;
    } rows[] = {
        {"week: inside", week, {2027, 12, 5}, {2026, 12, 1}},
        {"week: a day after", week, {2027, 12, 6}, {2027, 1, 1}},
        {"week: a year's last day", week, {2028, 12, 31}, {2028, 1, 1}},
        {"week: a day before", week, {2026, 11, 29}, {2026, 11, 1}},
        {"inside", month, {2027, 1, 31}, {2026, 11, 1}},
        {"a day after", month, {2027, 2, 1}, {2026, 12, 1}},
        {"a day before", month, {2026, 10, 31}, {2026, 10, 1}},
        {"back over January", month, {2025, 12, 31}, {2025, 12, 1}},
        {"after, from January", month, {2027, 3, 1}, {2027, 1, 1}},
        {"year: inside", year, {2028, 12, 31}, {2026, 1, 1}},
        {"year: a day after", year, {2029, 1, 1}, {2027, 1, 1}},
        {"year: a day before", year, {2025, 12, 31}, {2025, 1, 1}},
    };
    for (const auto& r : rows) EXPECT_EQ(StartShowing(r.s, r.date), r.start) << r.name;
}

// A period laid out again from its anchor is the same period, in every view
// and from every month (a reload, an export of what the window shows).
TEST(TimeScale, APeriodLaidOutAgainIsTheSame) {
    for (int mode : {kYearView, kWeekView, kMonthView})
        for (int month = 1; month <= 12; ++month)
            for (int year : {2026, 2027, 2028}) {
                const ChartState s = Laid(mode, {year, month, 15});
                const ChartState again = Laid(mode, PeriodAnchor(s));
                EXPECT_EQ(again.viewStart, s.viewStart) << mode << " " << year << "/" << month;
                EXPECT_EQ(again.viewEnd, s.viewEnd) << mode << " " << year << "/" << month;
            }
}

// What each view says over its columns, where its solid lines fall, and
// the words a screen reader hears for a column.
TEST(TimeScale, ColumnsInWords) {
    const ChartState year = Laid(kYearView, {2026, 1, 1}), month = Laid(kMonthView, {2026, 11, 1}),
                     week = Laid(kWeekView, {2026, 12, 1});
    const struct {
        const char* name;
        const ChartState& s;
        int col;
        std::string label, caption;
        bool endsGroup;
        std::string title;
    } rows[] = {
        {"year: January", year, 0, "1月", "2026", false, "2026年1月"},
        {"year: December", year, 11, "12月", "", true, "2026年12月"},
        {"year: the next January", year, 12, "1月", "2027", false, "2027年1月"},
        {"month: the 1st", month, 0, "1", "202", false, "2026/11/01"},
        {"month: the 2nd", month, 1, "2", "6/1", false, "2026/11/02"},
        {"month: the 3rd", month, 2, "3", "1", false, "2026/11/03"},
        {"month: the 30th", month, 29, "30", "", true, "2026/11/30"},
        {"month: December's 3rd", month, 32, "3", "2", false, "2026/12/03"},
        {"week: holds the 1st", week, 0, "30", "2026", false, "2026/11/30 からの週"},
        {"week: the next", week, 1, "7", "/12", false, "2026/12/07 からの週"},
        {"week: December's last", week, 3, "21", "", true, "2026/12/21 からの週"},
        {"week: holds 1 January", week, 4, "28", "2027", false, "2026/12/28 からの週"},
        {"week: January's second", week, 5, "4", "/1", false, "2027/01/04 からの週"},
        {"week: the last holds a 1st, no room to name it", week, 52, "29", "", false, "2027/11/29 からの週"},
    };
    for (const auto& r : rows) {
        const ChartScale& scale = ScaleOf(r.s);
        EXPECT_EQ(scale.Label(r.s, r.col), r.label) << r.name;
        const std::optional<ColumnText> caption = scale.Caption(r.s, r.col);
        EXPECT_EQ(caption ? caption->text : "", r.caption) << r.name;
        EXPECT_EQ(scale.EndsGroup(r.s, r.col), r.endsGroup) << r.name;
        EXPECT_EQ(scale.Title(r.s, r.col), r.title) << r.name;
    }
    EXPECT_EQ(ViewModeNamed("week"), kWeekView);
    EXPECT_EQ(ViewModeNamed("day"), std::nullopt);
}

// What the printed strip writes over a column, and where: a month over its
// first column, a day's number read downwards (its tens over its ones).
TEST(TimeScale, PaperTexts) {
    const ChartState year = Laid(kYearView, {2026, 1, 1}), month = Laid(kMonthView, {2026, 11, 1}),
                     week = Laid(kWeekView, {2026, 12, 1});
    auto said = [](const ChartState& s, int col) {
        std::string out;
        for (const ColumnText& t : ScaleOf(s).PaperTexts(s, col))
            out += std::to_string(t.dx) + "," + std::to_string(t.dy) + ":" + t.text + " ";
        return out;
    };
    const struct {
        const char* name;
        const ChartState& s;
        int col;
        std::string texts;
    } rows[] = {
        {"year: January", year, 0, "5,3:2026年 5,25: 1 "},
        {"year: October", year, 9, "5,25:10 "},
        {"month: the 1st", month, 0, "6,3:2026/11 2,32:1 "},
        {"month: the 9th", month, 8, "2,32:9 "},
        {"month: the 10th", month, 9, "2,32:0 2,20:1 "},
        {"month: the 20th", month, 19, "2,32:0 2,20:2 "},
        {"month: the 21st", month, 20, "2,32:1 2,20:2 "},
        {"month: the 30th", month, 29, "2,32:0 2,20:3 "},
        {"week: holds 1 December", week, 0, "2,3:2026/12 2,32:0 2,20:3 "},
        {"week: Monday the 7th", week, 1, "2,32:7 "},
        {"week: the last, no room for its month", week, 52, "2,32:9 2,20:2 "},
    };
    for (const auto& r : rows) EXPECT_EQ(said(r.s, r.col), r.texts) << r.name;
}

// The next and previous commands: a year, or a month, at a time; the week
// view by a month, its period always from the week that holds a 1st.
TEST(TimeScale, NextAndPrevious) {
    const struct {
        const char* name;
        int mode;
        Date from;
        int delta;
        std::optional<Date> to;
    } rows[] = {
        {"year on", kYearView, {2026, 5, 1}, 1, Date{2027, 1, 1}},
        {"year back", kYearView, {2026, 5, 1}, -1, Date{2025, 1, 1}},
        {"month over the year's end", kMonthView, {2026, 12, 1}, 1, Date{2027, 1, 1}},
        {"month back over January", kMonthView, {2027, 1, 1}, -1, Date{2026, 12, 1}},
        {"month before year 1", kMonthView, {1, 1, 1}, -1, std::nullopt},
        {"week on, from a Monday in November", kWeekView, {2026, 12, 1}, 1, Date{2027, 1, 1}},
        {"week back", kWeekView, {2026, 12, 1}, -1, Date{2026, 11, 1}},
        {"week back over January", kWeekView, {2027, 1, 1}, -1, Date{2026, 12, 1}},
        {"week past year 9999", kWeekView, {9999, 12, 1}, 1, std::nullopt},
    };
    for (const auto& r : rows) {
        const ChartState s = Laid(r.mode, r.from);
        EXPECT_EQ(ScaleOf(s).Step(s, r.delta), r.to) << r.name;
    }
}

// Where a bar lies in one 28-pixel week from x 100: its own ends on its
// days, and the progress band to the end of the day it reached.
TEST(TimeScale, ABarWithinAWeek) {
    const ChartState s = Laid(kWeekView, {2026, 12, 1});  // column 1: Monday 7 to Sunday 13 December
    const ChartScale& week = ScaleOf(s);
    const struct {
        const char* name;
        Date start, end;
        std::optional<int> left, right, startLine, endLine;
    } rows[] = {
        {"inside", {2026, 12, 9}, {2026, 12, 10}, 108, 116, 108, 116},
        {"Monday to Sunday", {2026, 12, 7}, {2026, 12, 13}, 100, 128, 100, 128},
        {"from before", {2026, 12, 6}, {2026, 12, 7}, 99, 104, std::nullopt, 104},
        {"to after", {2026, 12, 13}, {2026, 12, 14}, 124, 129, 124, std::nullopt},
        {"through", {2026, 12, 1}, {2026, 12, 31}, 99, 129, std::nullopt, std::nullopt},
        {"ended the Sunday before", {2026, 12, 1}, {2026, 12, 6}, std::nullopt, {}, {}, {}},
        {"starts the Monday after", {2026, 12, 14}, {2026, 12, 20}, std::nullopt, {}, {}, {}},
        {"an end before its start", {2026, 12, 10}, {2026, 12, 9}, std::nullopt, {}, {}, {}},
    };
    for (const auto& r : rows) {
        const std::optional<BarCell> b = week.Bar(s, 1, r.start, r.end, 100, 128);
        ASSERT_EQ(b.has_value(), r.left.has_value()) << r.name;
        if (!b) continue;
        EXPECT_EQ(b->left, *r.left) << r.name;
        EXPECT_EQ(b->right, *r.right) << r.name;
        EXPECT_EQ(b->startLine, r.startLine) << r.name;
        EXPECT_EQ(b->endLine, r.endLine) << r.name;
    }
    EXPECT_EQ(week.ProgressRight(s, 1, {2026, 12, 6}, 100, 128, 129), std::nullopt) << "reached before the week";
    EXPECT_EQ(week.ProgressRight(s, 1, {2026, 12, 7}, 100, 128, 129), 104) << "to Monday's end";
    EXPECT_EQ(week.ProgressRight(s, 1, {2026, 12, 13}, 100, 128, 129), 128);
    EXPECT_EQ(week.ProgressRight(s, 1, {2026, 12, 14}, 100, 128, 129), 129) << "past the week: the bar's right";
}

}  // namespace
}  // namespace vinta
