#pragma once
// The national holidays of Japan, from the rules of the law and its changes,
// for any year from 1955 on: fixed days, Happy Monday days, the equinoxes by
// the astronomical formula, substitute holidays (from 12 April 1973),
// citizens' holidays (from 27 December 1985), and the days set by special
// laws. Names are those of the government's published list; substitute and
// citizens' holidays are "休日" there.

#include <string>
#include <vector>

namespace vinta {

struct Holiday {
    int year, month, day;
    std::string name;  // UTF-8
};

constexpr int kFirstHolidayYear = 1955;

// The holidays of `year` in date order; empty before 1955.
std::vector<Holiday> JapaneseHolidays(int year);

// Whether the day is a national holiday; each year worked out once.
bool IsHoliday(int year, int month, int day);

// A day the chart shades: Saturday, Sunday, and with `holidays` a national holiday.
bool IsDayOff(int year, int month, int day, bool holidays);

// "yyyy/mm/dd,name", the form the calendar control reads.
std::string HolidayLine(const Holiday& h);

}  // namespace vinta
