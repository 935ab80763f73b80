// About a year of weeks, a column a week from Monday to Sunday: 53 weeks
// from the one holding the 1st of a month. A week belongs to the month its
// Sunday is in, so a month's first column is the week holding its 1st.
#include "store/ScaleKinds.h"

namespace vinta {

namespace {

constexpr int kWeeks = 53, kDayWidth = 4, kWidth = 7 * kDayWidth;

// The Monday on or before `d`.
Date MondayOf(const Date& d) { return scale::Plus(d, -((DayOfWeek(d.year, d.month, d.day) + 6) % 7)); }

class Week final : public ChartScale {
public:
    int Mode() const override { return kWeekView; }
    const char* Name() const override { return "week"; }
    int ColumnWidth() const override { return kWidth; }
    void LayOut(ChartState& s, Date date) const override {
        s.viewStart = MondayOf({date.year, date.month, 1});
        s.viewEnd = scale::Plus(s.viewStart, kWeeks * 7 - 1);
    }
    int ColumnCount(const ChartState& s) const override { return (DaysFrom(s.viewStart, s.viewEnd) + 1) / 7; }
    Date ColumnFirst(const ChartState& s, int col) const override { return scale::Plus(s.viewStart, col * 7); }
    double DateX(const ChartState& s, Date d, bool atEnd, double left, double w) const override {
        return left + (DaysFrom(s.viewStart, d) + (atEnd ? 1 : 0)) * w / 7;
    }
    std::optional<Date> Step(const ChartState& s, int delta) const override { return scale::MonthsOn(Anchor(s), delta); }
    Date StartShowing(const ChartState& s, Date date) const override {
        const bool before = DaysFrom(s.viewStart, date) < 0, after = DaysFrom(date, s.viewEnd) < 0;
        if (!before && !after) return Anchor(s);
        const Date month{date.year, date.month, 1};
        if (before) return month;
        // The earliest month whose period reaches `date`: eleven months back
        // always does but for a year's last day or so.
        for (int back = 11; back > 0; --back) {
            const std::optional<Date> from = scale::MonthsOn(month, -back);
            if (from && DaysFrom(date, scale::Plus(MondayOf(*from), kWeeks * 7 - 1)) >= 0) return *from;
        }
        return month;
    }
    bool EndsGroup(const ChartState& s, int col) const override { return MonthOf(s, col + 1) != MonthOf(s, col); }
    std::string Label(const ChartState& s, int col) const override { return scale::Number(ColumnFirst(s, col).day); }
    // "yyyy/m" read across a month's first two columns.
    std::optional<ColumnText> Caption(const ChartState& s, int col) const override {
        const Date sunday = scale::Plus(ColumnFirst(s, col), 6);
        if (Named(s, col)) return ColumnText{2, 2, scale::Number(sunday.year)};
        if (col > 0 && Named(s, col - 1)) return ColumnText{0, 2, "/" + scale::Number(sunday.month)};
        return std::nullopt;
    }
    const char* CaptionSample() const override { return "0000"; }
    std::optional<Date> SingleDay(const ChartState&, int) const override { return std::nullopt; }
    std::optional<TodayMark> Today(const ChartState& s, int col) const override {
        const Date first = ColumnFirst(s, col);
        if (!scale::Within(scale::TodayOf(s), first, scale::Plus(first, 6))) return std::nullopt;
        return TodayMark{true, 0, 0};
    }
    bool TodayLine() const override { return true; }
    std::optional<BarCell> Bar(const ChartState& s, int col, Date start, Date end, int left, int right) const override {
        const Date first = ColumnFirst(s, col), last = scale::Plus(first, 6);
        if (DaysFrom(start, last) < 0 || DaysFrom(first, end) < 0 || DaysFrom(start, end) < 0) return std::nullopt;
        BarCell b{left - 1, right + 1, std::nullopt, std::nullopt};
        if (DaysFrom(first, start) >= 0) b.startLine = b.left = left + kDayWidth * DaysFrom(first, start);
        if (DaysFrom(end, last) >= 0) b.endLine = b.right = left + kDayWidth * (DaysFrom(first, end) + 1);
        return b;
    }
    std::optional<int> ProgressRight(const ChartState& s, int col, Date reached, int left, int, int barRight) const override {
        const Date first = ColumnFirst(s, col);
        if (DaysFrom(first, reached) < 0) return std::nullopt;
        return DaysFrom(reached, scale::Plus(first, 6)) >= 0 ? left + kDayWidth * (DaysFrom(first, reached) + 1) : barRight;
    }
    std::vector<ColumnText> PaperTexts(const ChartState& s, int col) const override {
        const Date monday = ColumnFirst(s, col), sunday = scale::Plus(monday, 6);
        std::vector<ColumnText> texts;
        if (Named(s, col)) texts.push_back({2, 3, scale::YearMonth(sunday)});
        scale::PutDayDigits(texts, monday.day);
        return texts;
    }
    bool PaperProgressByDate() const override { return true; }
    std::string Title(const ChartState& s, int col) const override { return scale::Slashed(ColumnFirst(s, col)) + " からの週"; }

private:
    // The month whose 1st the period's first week holds.
    static Date Anchor(const ChartState& s) {
        const Date d = scale::Plus(s.viewStart, 6);
        return {d.year, d.month, 1};
    }
    int MonthOf(const ChartState& s, int col) const {
        const Date sunday = scale::Plus(ColumnFirst(s, col), 6);
        return sunday.year * 12 + sunday.month;
    }
    bool FirstOfMonth(const ChartState& s, int col) const { return col == 0 || MonthOf(s, col) != MonthOf(s, col - 1); }
    // A month is named where its name has room: two of its weeks shown.
    bool Named(const ChartState& s, int col) const { return FirstOfMonth(s, col) && col + 1 < ColumnCount(s); }
};

}  // namespace

const ChartScale& WeekScale() {
    static const Week scale;
    return scale;
}

}  // namespace vinta
