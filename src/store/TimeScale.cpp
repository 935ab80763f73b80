#include "store/TimeScale.h"

namespace vinta {

namespace {
constexpr int kYears = 3;
constexpr int kMonths = 3;
}  // namespace

void LayOutPeriod(ChartState& s, int mode, Date date) {
    s.today = clock::LocalNow();
    s.viewMode = mode;
    if (mode == kYearView) {
        s.viewStart = {date.year, 1, 1};
        s.viewEnd = {date.year + kYears - 1, 12, 31};
        return;
    }
    s.viewStart = {date.year, date.month, 1};
    int m = date.month + kMonths - 1;
    const int y = date.year + (m - 1) / 12;
    if (m > 12) m = (m - 1) % 12 + 1;
    s.viewEnd = {y, m, DaysInMonth(y, m)};
}

Date StartShowing(const ChartState& s, Date date) {
    const bool before = DaysFrom(s.viewStart, date) < 0, after = DaysFrom(date, s.viewEnd) < 0;
    if (!before && !after) return s.viewStart;
    if (s.viewMode == kYearView) return {before ? date.year : date.year - kYears + 1, 1, 1};
    // Months counted from year 0, so that stepping back over January is plain arithmetic.
    const int month = date.year * 12 + date.month - 1 - (before ? 0 : kMonths - 1);
    return {month / 12, month % 12 + 1, 1};
}

int ColumnCount(const ChartState& s) {
    if (s.viewMode == kYearView) return (s.viewEnd.year - s.viewStart.year + 1) * 12;
    return DaysBetween(s.viewStart.year, s.viewStart.month, s.viewStart.day, s.viewEnd.year, s.viewEnd.month,
                       s.viewEnd.day) +
           1;
}

Date ColumnDate(const ChartState& s, int col) {
    if (s.viewMode == kYearView) return {s.viewStart.year + col / 12, col % 12 + 1, 1};
    return AddDays(s.viewStart.year, s.viewStart.month, s.viewStart.day, col);
}

double DateX(const ChartState& s, Date d, bool atEnd, double left, double w) {
    if (s.viewMode == kYearView) {
        const int column = MonthsBetween(s.viewStart.year, s.viewStart.month, d.year, d.month);
        return left + column * w + (w / DaysInMonth(d.year, d.month)) * (atEnd ? d.day : d.day - 1);
    }
    const int days = DaysBetween(s.viewStart.year, s.viewStart.month, s.viewStart.day, d.year, d.month, d.day);
    return left + (days + (atEnd ? 1 : 0)) * w;
}

}  // namespace vinta
