// The time scale as tables: the period each view lays out from a date, the
// dates at column edges, where dates fall, and the steps between periods.
#include <gtest/gtest.h>

#include <ostream>

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
    } rows[] = {
        {"January", kMonthView, {2026, 1, 15}, {2026, 1, 1}, {2026, 3, 31}, 90},
        {"September", kMonthView, {2026, 9, 30}, {2026, 9, 1}, {2026, 11, 30}, 91},
        {"October", kMonthView, {2026, 10, 31}, {2026, 10, 1}, {2026, 12, 31}, 92},
        {"November", kMonthView, {2026, 11, 5}, {2026, 11, 1}, {2027, 1, 31}, 92},
        {"December", kMonthView, {2026, 12, 31}, {2026, 12, 1}, {2027, 2, 28}, 90},
        {"December before a leap year", kMonthView, {2027, 12, 1}, {2027, 12, 1}, {2028, 2, 29}, 91},
        {"year view", kYearView, {2026, 7, 4}, {2026, 1, 1}, {2028, 12, 31}, 36},
        {"year view from December", kYearView, {2026, 12, 31}, {2026, 1, 1}, {2028, 12, 31}, 36},
    };
    for (const auto& r : rows) {
        const ChartState s = Laid(r.mode, r.from);
        EXPECT_EQ(s.viewStart, r.start) << r.name;
        EXPECT_EQ(s.viewEnd, r.end) << r.name;
        EXPECT_EQ(ColumnCount(s), r.columns) << r.name;
        EXPECT_EQ(ColumnDate(s, 0), r.start) << r.name;
        const Date last = ColumnDate(s, r.columns - 1);
        if (r.mode == kMonthView) {
            EXPECT_EQ(last, r.end) << r.name;
        } else {
            EXPECT_EQ(last, (Date{r.end.year, 12, 1})) << r.name;
        }
    }
}

// Columns 10 wide from 5: a day's column in the month view; in the year view
// a month's column split by its own days.
TEST(TimeScale, WhereDatesFall) {
    const ChartState month = Laid(kMonthView, {2026, 11, 1}), year = Laid(kYearView, {2026, 1, 1});
    const struct {
        const char* name;
        const ChartState& s;
        Date date;
        bool atEnd;
        double x;
    } rows[] = {
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
    const ChartState month = Laid(kMonthView, {2026, 11, 1}), year = Laid(kYearView, {2026, 1, 1});
    const struct {
        const char* name;
        const ChartState& s;
        Date date, start;
    } rows[] = {
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

}  // namespace
}  // namespace vinta
