#include "store/ChartScale.h"

#include "store/ScaleKinds.h"

#include <cstdio>

namespace vinta {

Date ChartScale::ColumnLast(const ChartState& state, int col) const { return scale::Plus(ColumnFirst(state, col + 1), -1); }

const std::vector<const ChartScale*>& Scales() {
    static const std::vector<const ChartScale*> all{&YearScale(), &WeekScale(), &MonthScale()};
    return all;
}

const ChartScale& ScaleOf(int mode) {
    for (const ChartScale* s : Scales())
        if (s->Mode() == mode) return *s;
    return YearScale();
}

std::optional<int> ViewModeNamed(const std::string& name) {
    for (const ChartScale* s : Scales())
        if (name == s->Name()) return s->Mode();
    return std::nullopt;
}

namespace scale {
std::optional<Date> MonthsOn(const Date& d, int delta) {
    // Months counted from year 0, so that stepping over January is plain arithmetic.
    const long long month = d.year * 12LL + d.month - 1 + delta;
    if (month < 12 || month >= 10000LL * 12) return std::nullopt;
    return Date{static_cast<int>(month / 12), static_cast<int>(month % 12) + 1, 1};
}
std::string Number(int n) { return std::to_string(n); }
std::string Slashed(const Date& d) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d", d.year, d.month, d.day);
    return text;
}
std::string YearMonth(const Date& d) {
    char text[16];
    std::snprintf(text, sizeof text, "%d/%2d", d.year, d.month);
    return text;
}
void PutDayDigits(std::vector<ColumnText>& texts, int day) {
    texts.push_back({2, 32, Number(day % 10)});
    if (day >= 10) texts.push_back({2, 20, Number(day / 10)});
}
}  // namespace scale

}  // namespace vinta
