#pragma once
// The views' scales, each in a file of its own; ScaleOf hands them out.

#include "store/ChartScale.h"

namespace vinta {

const ChartScale& YearScale();
const ChartScale& MonthScale();
const ChartScale& WeekScale();

// Shared by the scales.
namespace scale {
inline Date Plus(const Date& d, int days) { return AddDays(d.year, d.month, d.day, days); }
inline Date TodayOf(const ChartState& s) { return {s.today.wYear, s.today.wMonth, s.today.wDay}; }
inline bool Within(const Date& d, const Date& first, const Date& last) { return DaysFrom(first, d) >= 0 && DaysFrom(d, last) >= 0; }
// The first of the month `delta` months from `d`'s; none outside years 1–9999.
std::optional<Date> MonthsOn(const Date& d, int delta);
std::string Number(int n);
// "2027/03/01", and the strip's "2027/ 3".
std::string Slashed(const Date& d);
std::string YearMonth(const Date& d);
// A day's number on paper read downwards: its tens over its ones.
void PutDayDigits(std::vector<ColumnText>& texts, int day);
}  // namespace scale

}  // namespace vinta
