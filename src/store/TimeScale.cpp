#include "store/TimeScale.h"

#include "store/ChartScale.h"

namespace vinta {

void LayOutPeriod(ChartState& s, int mode, Date date) {
    s.today = clock::LocalNow();
    s.viewMode = ScaleOf(mode).Mode();
    ScaleOf(s).LayOut(s, date);
}

Date StartShowing(const ChartState& s, Date date) { return ScaleOf(s).StartShowing(s, date); }
Date PeriodAnchor(const ChartState& s) { return ScaleOf(s).StartShowing(s, s.viewStart); }
std::optional<double> TodayLineX(const ChartState& s, double left, double width) {
    const Date today{s.today.wYear, s.today.wMonth, s.today.wDay};
    if (!ScaleOf(s).TodayLine() || DaysFrom(s.viewStart, today) < 0 || DaysFrom(today, s.viewEnd) < 0)
        return std::nullopt;
    return (DateX(s, today, false, left, width) + DateX(s, today, true, left, width)) / 2;
}
int ColumnCount(const ChartState& s) { return ScaleOf(s).ColumnCount(s); }
Date ColumnDate(const ChartState& s, int col) { return ScaleOf(s).ColumnFirst(s, col); }
std::optional<int> ColumnHolding(const ChartState& s, Date d) {
    if (DaysFrom(s.viewStart, d) < 0 || DaysFrom(d, s.viewEnd) < 0) return std::nullopt;
    // Columns follow each other in time: the last one beginning on or before `d`.
    int lo = 0, hi = ColumnCount(s) - 1;
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (DaysFrom(ColumnDate(s, mid), d) >= 0) lo = mid;
        else hi = mid - 1;
    }
    return lo;
}

double DateX(const ChartState& s, Date d, bool atEnd, double left, double w) {
    return ScaleOf(s).DateX(s, d, atEnd, left, w);
}

}  // namespace vinta
