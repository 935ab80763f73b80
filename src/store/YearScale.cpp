// Three years from January, a column a month; a date falls within its month
// by day, each day a whole number of pixels wide.
#include <cstdio>

#include "store/ScaleKinds.h"

namespace vinta {

namespace {

constexpr int kYears = 3, kWidth = 32;
int MonthKey(const Date& d) { return d.year * 100 + d.month; }
// A day's width within month column `d`, in pixels.
int DayWidth(const Date& d) { return kWidth / DaysInMonth(d.year, d.month); }

class Year final : public ChartScale {
public:
    int Mode() const override { return kYearView; }
    const char* Name() const override { return "year"; }
    int ColumnWidth() const override { return kWidth; }
    void LayOut(ChartState& s, Date date) const override {
        s.viewStart = {date.year, 1, 1};
        s.viewEnd = {date.year + kYears - 1, 12, 31};
    }
    int ColumnCount(const ChartState& s) const override { return (s.viewEnd.year - s.viewStart.year + 1) * 12; }
    Date ColumnFirst(const ChartState& s, int col) const override { return {s.viewStart.year + col / 12, col % 12 + 1, 1}; }
    double DateX(const ChartState& s, Date d, bool atEnd, double left, double w) const override {
        const int column = MonthsBetween(s.viewStart.year, s.viewStart.month, d.year, d.month);
        return left + column * w + (w / DaysInMonth(d.year, d.month)) * (atEnd ? d.day : d.day - 1);
    }
    std::optional<Date> Step(const ChartState& s, int delta) const override {
        const Date d{s.viewStart.year + delta, s.viewStart.month, s.viewStart.day};
        if (!IsValidDate(d.year, d.month, d.day)) return std::nullopt;
        return d;
    }
    Date StartShowing(const ChartState& s, Date date) const override {
        const bool before = DaysFrom(s.viewStart, date) < 0, after = DaysFrom(date, s.viewEnd) < 0;
        if (!before && !after) return s.viewStart;
        return {before ? date.year : date.year - kYears + 1, 1, 1};
    }
    bool EndsGroup(const ChartState&, int col) const override { return (col + 1) % 12 == 0; }
    std::string Label(const ChartState& s, int col) const override {
        return scale::Number(ColumnFirst(s, col).month) + "月";
    }
    std::optional<ColumnText> Caption(const ChartState& s, int col) const override {
        if (col % 12 != 0) return std::nullopt;
        return ColumnText{2, 2, scale::Number(ColumnFirst(s, col).year)};
    }
    std::optional<Date> SingleDay(const ChartState&, int) const override { return std::nullopt; }
    std::optional<TodayMark> Today(const ChartState& s, int col) const override {
        const Date d = ColumnFirst(s, col);
        if (d.year != s.today.wYear || d.month != s.today.wMonth) return std::nullopt;
        const int w = DayWidth(d), x = w * s.today.wDay - 1;
        return TodayMark{false, x, x + w};
    }
    std::optional<BarCell> Bar(const ChartState& s, int col, Date start, Date end, int left, int right) const override {
        const Date d = ColumnFirst(s, col);
        const int key = MonthKey(d), w = DayWidth(d);
        if (key < MonthKey(start) || key > MonthKey(end)) return std::nullopt;
        BarCell b;
        b.left = key == MonthKey(start) ? left + w * (start.day - 1) : left - 1;
        b.right = key == MonthKey(end) ? left + w * end.day : right + 1;
        if (b.left != left - 1) b.startLine = b.left;
        if (b.right != right + 1) b.endLine = b.right;
        return b;
    }
    std::optional<int> ProgressRight(const ChartState& s, int col, Date reached, int left, int, int barRight) const override {
        const Date d = ColumnFirst(s, col);
        if (MonthKey(d) > MonthKey(reached)) return std::nullopt;
        return MonthKey(d) == MonthKey(reached) ? left + DayWidth(d) * reached.day : barRight;
    }
    std::vector<ColumnText> PaperTexts(const ChartState& s, int col) const override {
        const Date d = ColumnFirst(s, col);
        char month[8];
        std::snprintf(month, sizeof month, "%2d", d.month);
        std::vector<ColumnText> texts;
        if (d.month == 1) texts.push_back({5, 3, scale::Number(d.year) + "年"});
        texts.push_back({5, 25, month});
        return texts;
    }
    bool PaperProgressByDate() const override { return false; }
    std::string Title(const ChartState& s, int col) const override {
        const Date d = ColumnFirst(s, col);
        return scale::Number(d.year) + "年" + scale::Number(d.month) + "月";
    }
};

}  // namespace

const ChartScale& YearScale() {
    static const Year scale;
    return scale;
}

}  // namespace vinta
