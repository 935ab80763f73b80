#pragma once
// Calendar arithmetic on plain (year, month, day) integers. Day counting goes
// through Julian day numbers, so differences and additions are exact across
// month, year and calendar-reform boundaries.

#include <optional>
#include <string>
#include <string_view>

#include "runtime/Clock.h"

namespace vinta {

struct Date {
    int year = 0;
    int month = 0;
    int day = 0;
    friend bool operator==(const Date&, const Date&) = default;
};

struct DateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    friend bool operator==(const DateTime&, const DateTime&) = default;
};

// A Julian date: the day number and a fraction beside it (noon = fraction 0).
struct JulianDate {
    int day = 0;
    double fraction = 0.0;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool IsValidDate(int year, int month, int day);
int DayOfWeek(int year, int month, int day);
int MonthsBetween(int year1, int month1, int year2, int month2);
JulianDate JulianDay(int year, int month, int day, int hour, int minute, int second);
DateTime JulianDayToDate(int day, double fraction);
int DaysBetween(int year1, int month1, int day1, int year2, int month2, int day2);
Date AddDays(int year, int month, int day, int n);

// Reads "yyyy/m/d" with an optional time of day "h:mm[:ss]" after a space.
// Empty text ("" or a loaded empty cell " ") leaves `st` unchanged; text that is not a date throws ConversionError.
void DateTextToSystemTime(std::string_view text, SystemTime& st);

// The date a cell holds, when it holds one (the same reading as above).
std::optional<Date> ParseDateText(std::string_view text);

// Days from `a` to `b`: negative when `b` comes first.
inline int DaysFrom(const Date& a, const Date& b) { return DaysBetween(a.year, a.month, a.day, b.year, b.month, b.day); }
// True when both cells hold dates and the end comes before the start: a span
// the user may have meant, but no program can draw or schedule as it stands.
bool EndsBeforeStart(std::string_view start, std::string_view end);

// Today's date from the local clock, the date new rows and pickers start with.
Date LocalToday();

// "yyyy/mm/dd", the form of every date cell.
std::string FormatDate(int year, int month, int day);

}  // namespace vinta
