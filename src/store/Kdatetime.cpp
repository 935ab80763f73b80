#include "Kdatetime.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "runtime/Errors.h"

namespace vinta {

namespace {
int Trunc(double v) { return static_cast<int>(std::trunc(v)); }
}  // namespace

bool IsLeapYear(int year) {
    return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0);
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    if (month == 2 && IsLeapYear(year)) return 29;
    return kDays[month - 1];
}

bool IsValidDate(int year, int month, int day) {
    return month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

int DayOfWeek(int year, int month, int day) {
    if (month <= 2) {
        year -= 1;
        month += 12;
    }
    int r = (year + year / 4 - year / 100 + year / 400 + (13 * month + 8) / 5 + day) % 7;
    return r < 0 ? r + 7 : r;
}

int MonthsBetween(int year1, int month1, int year2, int month2) {
    return (year2 * 12 + month2) - (year1 * 12 + month1);
}

JulianDate JulianDay(int year, int month, int day, int hour, int minute, int second) {
    bool gregorian = year > 1582 || (year == 1582 && month > 10) ||
                     (year == 1582 && month == 10 && day >= 15);
    bool bc = year <= 0;
    if (month <= 2) {
        year -= 1;
        month += 12;
    }
    JulianDate jd;
    int pm = 0;
    if (hour < 12) {
        jd.fraction = 0.5;
    } else {
        jd.fraction = -0.5;
        pm = 1;
    }
    jd.fraction += (3600.0 * hour + 60.0 * minute + second) / 86400.0;
    int a = pm + (bc ? (year - 3) / 4 : year / 4);
    if (gregorian) a += 2 - year / 100 + year / 400;
    jd.day = a + (3 * month + 3) / 5 + 30 * month + 365 * year + day + 1721024;
    return jd;
}

DateTime JulianDayToDate(int z, double f) {
    if (f >= 0.5) {
        z += 1;
        f -= 0.5;
    } else {
        f += 0.5;
    }
    if (z >= 2299161) {
        int alpha = Trunc((z - 1867216.25) / 36524.25);
        z = z + 1 + alpha - alpha / 4;
    }
    int b = z + 1524;
    int c = Trunc((b - 122.1) / 365.25);
    int d = 365 * c + c / 4;
    int e = Trunc((b - d) / 30.6001);
    DateTime t;
    t.year = c - 4716;
    t.month = e - 1;
    if (t.month > 12) {
        t.month -= 12;
        t.year += 1;
    }
    t.day = b - d - Trunc(30.6 * e);
    int s = Trunc(86400.0 * f + 0.5);
    t.hour = s / 3600;
    t.minute = (s % 3600) / 60;
    t.second = s % 60;
    return t;
}

int DaysBetween(int year1, int month1, int day1, int year2, int month2, int day2) {
    return JulianDay(year2, month2, day2, 12, 0, 0).day - JulianDay(year1, month1, day1, 12, 0, 0).day;
}

Date AddDays(int year, int month, int day, int n) {
    DateTime t = JulianDayToDate(JulianDay(year, month, day, 12, 0, 0).day + n, 0.0);
    return {t.year, t.month, t.day};
}

namespace {

// Reads an unsigned decimal number of 1..maxDigits digits at text[pos].
bool ReadNumber(std::string_view text, size_t& pos, int maxDigits, int& value) {
    size_t start = pos;
    value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' &&
           pos - start < static_cast<size_t>(maxDigits)) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    return pos > start;
}

bool Expect(std::string_view text, size_t& pos, char c) {
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

void SkipSpaces(std::string_view text, size_t& pos) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
}

bool ParseDateTime(std::string_view text, DateTime& t) {
    size_t pos = 0;
    SkipSpaces(text, pos);
    if (!ReadNumber(text, pos, 4, t.year) || !Expect(text, pos, '/') ||
        !ReadNumber(text, pos, 2, t.month) || !Expect(text, pos, '/') ||
        !ReadNumber(text, pos, 2, t.day))
        return false;
    if (!IsValidDate(t.year, t.month, t.day) || t.year < 1) return false;
    SkipSpaces(text, pos);
    if (pos == text.size()) return true;
    if (!ReadNumber(text, pos, 2, t.hour) || !Expect(text, pos, ':') ||
        !ReadNumber(text, pos, 2, t.minute))
        return false;
    if (Expect(text, pos, ':') && !ReadNumber(text, pos, 2, t.second)) return false;
    SkipSpaces(text, pos);
    return pos == text.size() && t.hour < 24 && t.minute < 60 && t.second < 60;
}

}  // namespace

void DateTextToSystemTime(std::string_view text, SystemTime& st) {
    // A loaded empty cell holds a single space; it is as empty as "".
    if (text.empty() || text == " ") return;
    DateTime t;
    if (!ParseDateTime(text, t))
        throw ConversionError("'" + std::string(text) + "' is not a valid date");
    st.wYear = static_cast<uint16_t>(t.year);
    st.wMonth = static_cast<uint16_t>(t.month);
    st.wDay = static_cast<uint16_t>(t.day);
    st.wDayOfWeek = static_cast<uint16_t>(DayOfWeek(t.year, t.month, t.day));
    st.wHour = static_cast<uint16_t>(t.hour);
    st.wMinute = static_cast<uint16_t>(t.minute);
    st.wSecond = static_cast<uint16_t>(t.second);
    st.wMilliseconds = 0;
}

Date LocalToday() {
    SystemTime t = clock::LocalNow();
    return {t.wYear, t.wMonth, t.wDay};
}

std::optional<Date> ParseDateText(std::string_view text) {
    DateTime t;
    if (!ParseDateTime(text, t)) return std::nullopt;
    return Date{t.year, t.month, t.day};
}

std::string FormatDate(int year, int month, int day) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", year, month, day);
    return buf;
}

bool EndsBeforeStart(std::string_view start, std::string_view end) {
    const std::optional<Date> s = ParseDateText(start), e = ParseDateText(end);
    return s && e && DaysFrom(*s, *e) < 0;
}

}  // namespace vinta
