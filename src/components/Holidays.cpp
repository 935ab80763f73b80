#include "Holidays.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <mutex>
#include <set>

namespace vinta {

namespace {

// Days since 1970-01-01 for a civil date, and back (proleptic Gregorian).
int DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

Holiday CivilFromDays(int z, const std::string& name) {
    z += 719468;
    const int era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = z - era * 146097;
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int d = doy - (153 * mp + 2) / 5 + 1;
    const int m = mp + (mp < 10 ? 3 : -9);
    return {yoe + era * 400 + (m <= 2), m, d, name};
}

int Weekday(int days) { return ((days % 7) + 11) % 7; }  // 0 = Sunday

// The n-th Monday of a month.
int NthMonday(int y, int m, int n) {
    int first = DaysFromCivil(y, m, 1);
    int toMonday = (8 - Weekday(first)) % 7;
    return first + toMonday + 7 * (n - 1);
}

// The equinox days by the almanac's formula; its whole-number divisions cut
// toward zero, also for the years before 1983.
int VernalEquinox(int y) {
    if (y < 1980) return static_cast<int>(20.8357 + 0.242194 * (y - 1980) - (y - 1983) / 4);
    return static_cast<int>(20.8431 + 0.242194 * (y - 1980) - (y - 1980) / 4);
}

int AutumnalEquinox(int y) {
    if (y < 1980) return static_cast<int>(23.2588 + 0.242194 * (y - 1980) - (y - 1983) / 4);
    return static_cast<int>(23.2488 + 0.242194 * (y - 1980) - (y - 1980) / 4);
}

// The national holidays proper (祝日), and the days special laws made holidays.
std::map<int, std::string> Proper(int y) {
    std::map<int, std::string> h;
    auto on = [&](int m, int d, const char* name) { h[DaysFromCivil(y, m, d)] = name; };
    on(1, 1, "元日");
    if (y < 2000)
        on(1, 15, "成人の日");
    else
        h[NthMonday(y, 1, 2)] = "成人の日";
    if (y >= 1967) on(2, 11, "建国記念の日");
    if (y >= 2020) on(2, 23, "天皇誕生日");
    on(3, VernalEquinox(y), "春分の日");
    on(4, 29, y <= 1988 ? "天皇誕生日" : y <= 2006 ? "みどりの日" : "昭和の日");
    on(5, 3, "憲法記念日");
    if (y >= 2007) on(5, 4, "みどりの日");
    on(5, 5, "こどもの日");
    // The 2020 and 2021 moves for the Olympic Games.
    if (y == 2020) {
        on(7, 23, "海の日");
        on(7, 24, "スポーツの日");
        on(8, 10, "山の日");
    } else if (y == 2021) {
        on(7, 22, "海の日");
        on(7, 23, "スポーツの日");
        on(8, 8, "山の日");
    } else {
        if (y >= 1996 && y <= 2002) on(7, 20, "海の日");
        if (y >= 2003) h[NthMonday(y, 7, 3)] = "海の日";
        if (y >= 2016) on(8, 11, "山の日");
        if (y >= 1966 && y <= 1999) on(10, 10, "体育の日");
        if (y >= 2000 && y <= 2018) h[NthMonday(y, 10, 2)] = "体育の日";
        if (y == 2019) h[NthMonday(y, 10, 2)] = "体育の日（スポーツの日）";
        if (y >= 2022) h[NthMonday(y, 10, 2)] = "スポーツの日";
    }
    if (y >= 1966 && y <= 2002) on(9, 15, "敬老の日");
    if (y >= 2003) h[NthMonday(y, 9, 3)] = "敬老の日";
    on(9, AutumnalEquinox(y), "秋分の日");
    on(11, 3, "文化の日");
    on(11, 23, "勤労感謝の日");
    if (y >= 1989 && y <= 2018) on(12, 23, "天皇誕生日");
    // Days set by special laws.
    if (y == 1959) on(4, 10, "結婚の儀");
    if (y == 1989) on(2, 24, "大喪の礼");
    if (y == 1990) on(11, 12, "即位礼正殿の儀");
    if (y == 1993) on(6, 9, "結婚の儀");
    if (y == 2019) {
        on(5, 1, "休日（祝日扱い）");
        on(10, 22, "休日（祝日扱い）");
    }
    return h;
}

}  // namespace

std::vector<Holiday> JapaneseHolidays(int y) {
    if (y < kFirstHolidayYear) return {};
    // A year's rules reach into the next only by a substitute day after 31
    // December, which never falls on a holiday: the year alone suffices.
    std::map<int, std::string> proper = Proper(y);
    std::map<int, std::string> all = proper;
    const int substituteFrom = DaysFromCivil(1973, 4, 12);
    const int citizensFrom = DaysFromCivil(1985, 12, 27);
    const int newRules = DaysFromCivil(2007, 1, 1);
    for (const auto& [day, name] : proper) {
        if (Weekday(day) != 0 || day < substituteFrom) continue;
        int next = day + 1;
        // Since 2007 the substitute is the next day that is no holiday.
        if (day >= newRules)
            while (proper.count(next)) ++next;
        if (!all.count(next)) all[next] = "休日";
    }
    for (const auto& [day, name] : proper) {
        const int between = day + 1;
        if (between < citizensFrom || !proper.count(between + 1) || all.count(between)) continue;
        // Before 2007 a Sunday in between stays a Sunday.
        if (between < newRules && Weekday(between) == 0) continue;
        all[between] = "休日";
    }
    std::vector<Holiday> out;
    for (const auto& [day, name] : all) {
        Holiday h = CivilFromDays(day, name);
        if (h.year == y) out.push_back(h);
    }
    return out;
}

std::string HolidayLine(const Holiday& h) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d,", h.year, h.month, h.day);
    return buf + h.name;
}

bool IsHoliday(int year, int month, int day) {
    // Painting asks for every day column of every repaint: the year's list is
    // kept as a set of month * 32 + day, for the years asked about.
    static std::mutex guard;
    static std::map<int, std::set<int>> years;
    std::lock_guard<std::mutex> lock(guard);
    auto [at, fresh] = years.try_emplace(year);
    if (fresh)
        for (const Holiday& h : JapaneseHolidays(year)) at->second.insert(h.month * 32 + h.day);
    return at->second.count(month * 32 + day) > 0;
}

bool IsDayOff(int year, int month, int day, bool holidays) {
    // Zeller's congruence, Sunday 0: the library stays free of the store's date helpers.
    const int m = month < 3 ? month + 12 : month, y = month < 3 ? year - 1 : year;
    const int dow = (day + 13 * (m + 1) / 5 + y + y / 4 - y / 100 + y / 400 + 6) % 7;
    return dow == 0 || dow == 6 || (holidays && IsHoliday(year, month, day));
}

}  // namespace vinta
