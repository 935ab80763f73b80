// Three months from the 1st, a column a day.
#include <cstdio>

#include "store/ScaleKinds.h"

namespace vinta {

namespace {

constexpr int kMonths = 3, kWidth = 20;

std::string Printed(const char* format, int a, int b = 0) {
    char text[24];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

class Month final : public ChartScale {
public:
    int Mode() const override { return kMonthView; }
    const char* Name() const override { return "month"; }
    int ColumnWidth() const override { return kWidth; }
    void LayOut(ChartState& s, Date date) const override {
        s.viewStart = {date.year, date.month, 1};
        int m = date.month + kMonths - 1;
        const int y = date.year + (m - 1) / 12;
        if (m > 12) m = (m - 1) % 12 + 1;
        s.viewEnd = {y, m, DaysInMonth(y, m)};
    }
    int ColumnCount(const ChartState& s) const override { return DaysFrom(s.viewStart, s.viewEnd) + 1; }
    Date ColumnFirst(const ChartState& s, int col) const override { return scale::Plus(s.viewStart, col); }
    double DateX(const ChartState& s, Date d, bool atEnd, double left, double w) const override {
        return left + (DaysFrom(s.viewStart, d) + (atEnd ? 1 : 0)) * w;
    }
    std::optional<Date> Step(const ChartState& s, int delta) const override {
        return scale::MonthsOn(s.viewStart, delta);
    }
    Date StartShowing(const ChartState& s, Date date) const override {
        const bool before = DaysFrom(s.viewStart, date) < 0, after = DaysFrom(date, s.viewEnd) < 0;
        if (!before && !after) return s.viewStart;
        return scale::MonthsOn({date.year, date.month, 1}, before ? 0 : -(kMonths - 1)).value_or(Date{date.year, date.month, 1});
    }
    bool EndsGroup(const ChartState& s, int col) const override {
        const Date d = ColumnFirst(s, col);
        return d.day == DaysInMonth(d.year, d.month);
    }
    std::string Label(const ChartState& s, int col) const override { return scale::Number(ColumnFirst(s, col).day); }
    // "yyyy/mm" read across the month's first three columns.
    std::optional<ColumnText> Caption(const ChartState& s, int col) const override {
        const Date d = ColumnFirst(s, col);
        if (d.day == 1) return ColumnText{2, 2, scale::Number(d.year / 10)};
        if (d.day == 2) return ColumnText{0, 2, Printed("%d/%01d", d.year % 10, d.month / 10)};
        if (d.day == 3) return ColumnText{0, 2, Printed("%01d", d.month % 10)};
        return std::nullopt;
    }
    const char* CaptionSample() const override { return "000"; }
    std::optional<Date> SingleDay(const ChartState& s, int col) const override { return ColumnFirst(s, col); }
    std::optional<TodayMark> Today(const ChartState& s, int col) const override {
        if (!(ColumnFirst(s, col) == scale::TodayOf(s))) return std::nullopt;
        return TodayMark{true, 0, 0};
    }
    std::optional<BarCell> Bar(const ChartState& s, int col, Date start, Date end, int left, int right) const override {
        const Date d = ColumnFirst(s, col);
        if (!scale::Within(d, start, end)) return std::nullopt;
        BarCell b{left - 1, right + 1, std::nullopt, std::nullopt};
        if (d == start) b.startLine = b.left;
        if (d == end) b.endLine = b.right - 2;
        return b;
    }
    std::optional<int> ProgressRight(const ChartState& s, int col, Date reached, int, int right, int) const override {
        if (DaysFrom(ColumnFirst(s, col), reached) < 0) return std::nullopt;
        return right;
    }
    std::vector<ColumnText> PaperTexts(const ChartState& s, int col) const override {
        const Date d = ColumnFirst(s, col);
        std::vector<ColumnText> texts;
        if (d.day == 1) texts.push_back({6, 3, scale::YearMonth(d)});
        scale::PutDayDigits(texts, d.day);
        return texts;
    }
    bool PaperProgressByDate() const override { return true; }
    std::string Title(const ChartState& s, int col) const override { return scale::Slashed(ColumnFirst(s, col)); }
};

}  // namespace

const ChartScale& MonthScale() {
    static const Month scale;
    return scale;
}

}  // namespace vinta
