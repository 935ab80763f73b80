#include <gtest/gtest.h>

#include "runtime/Errors.h"
#include "store/Kdatetime.h"

namespace vinta {
namespace {

TEST(Kdatetime, MonthsAndLeapYears) {
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2004));
    EXPECT_FALSE(IsLeapYear(2005));
    EXPECT_EQ(DaysInMonth(2004, 2), 29);
    EXPECT_EQ(DaysInMonth(2005, 2), 28);
    EXPECT_EQ(DaysInMonth(2005, 13), 0);
    EXPECT_EQ(DaysInMonth(2005, 0), 0);
    EXPECT_FALSE(IsValidDate(2005, 2, 29));
    EXPECT_TRUE(IsValidDate(2004, 2, 29));
    EXPECT_FALSE(IsValidDate(2005, 13, 1));
    EXPECT_FALSE(IsValidDate(2005, 1, 0));
    EXPECT_EQ(MonthsBetween(2005, 11, 2006, 2), 3);
    EXPECT_EQ(MonthsBetween(2006, 2, 2005, 11), -3);
}

TEST(Kdatetime, DayOfWeek) {
    EXPECT_EQ(DayOfWeek(2000, 1, 1), 6);
    EXPECT_EQ(DayOfWeek(2005, 12, 25), 0);
    EXPECT_EQ(DayOfWeek(2026, 12, 7), 1);
    EXPECT_EQ(DayOfWeek(2024, 2, 29), 4);
}

// Day numbers are astronomical Julian days; noon has fraction 0.
TEST(Kdatetime, JulianDays) {
    JulianDate noon = JulianDay(2000, 1, 1, 12, 0, 0);
    EXPECT_EQ(noon.day, 2451545);
    EXPECT_DOUBLE_EQ(noon.fraction, 0.0);
    JulianDate midnight = JulianDay(2000, 1, 1, 0, 0, 0);
    EXPECT_EQ(midnight.day, 2451544);
    EXPECT_DOUBLE_EQ(midnight.fraction, 0.5);
    EXPECT_EQ(JulianDay(1582, 10, 15, 12, 0, 0).day - JulianDay(1582, 10, 4, 12, 0, 0).day, 1);
    DateTime t = JulianDayToDate(midnight.day, midnight.fraction + 0.25);  // 06:00
    EXPECT_EQ(t, (DateTime{2000, 1, 1, 6, 0, 0}));
    JulianDate evening = JulianDay(2000, 1, 1, 18, 30, 15);
    EXPECT_EQ(JulianDayToDate(evening.day, evening.fraction), (DateTime{2000, 1, 1, 18, 30, 15}));
}

TEST(Kdatetime, EveryDateFrom1583RoundTrips) {
    int y = 1583, m = 1, d = 1;
    int expectedJd = JulianDay(y, m, d, 12, 0, 0).day;
    while (y < 2200) {
        JulianDate jd = JulianDay(y, m, d, 12, 0, 0);
        ASSERT_EQ(jd.day, expectedJd) << y << "/" << m << "/" << d;
        ASSERT_EQ(JulianDayToDate(jd.day, jd.fraction), (DateTime{y, m, d, 12, 0, 0}));
        if (++d > DaysInMonth(y, m)) {
            d = 1;
            if (++m > 12) {
                m = 1;
                ++y;
            }
        }
        ++expectedJd;
    }
}

TEST(Kdatetime, DaysBetweenAndAddDays) {
    EXPECT_EQ(DaysBetween(2005, 12, 31, 2006, 1, 1), 1);
    EXPECT_EQ(DaysBetween(2005, 3, 10, 2005, 3, 10), 0);
    EXPECT_EQ(DaysBetween(2006, 1, 1, 2005, 12, 31), -1);
    EXPECT_EQ(DaysBetween(2005, 1, 1, 2006, 1, 1), 365);
    EXPECT_EQ(AddDays(2004, 2, 28, 1), (Date{2004, 2, 29}));
    EXPECT_EQ(AddDays(2005, 12, 31, 1), (Date{2006, 1, 1}));
    EXPECT_EQ(AddDays(2006, 1, 1, -1), (Date{2005, 12, 31}));
    EXPECT_EQ(AddDays(1900, 2, 28, 1), (Date{1900, 3, 1}));
    EXPECT_EQ(AddDays(2005, 3, 10, 1000), (Date{2007, 12, 5}));
}

TEST(Kdatetime, DateTextToSystemTime) {
    SystemTime st{1999, 1, 5, 1, 0, 0, 0, 0};
    DateTextToSystemTime("", st);
    DateTextToSystemTime(" ", st);
    EXPECT_EQ(st.wYear, 1999) << "empty text, as saved or as loaded, leaves the record alone";
    DateTextToSystemTime("2005/03/10", st);
    EXPECT_EQ(st, (SystemTime{2005, 3, 4, 10, 0, 0, 0, 0}));
    DateTextToSystemTime("2005/3/1 9:05:07", st);
    EXPECT_EQ(st, (SystemTime{2005, 3, 2, 1, 9, 5, 7, 0}));
    // A time of day stops at 23:59:59: 24:00 is as bad as 25:00.
    DateTextToSystemTime("2005/3/1 23:59:59", st);
    EXPECT_EQ(st, (SystemTime{2005, 3, 2, 1, 23, 59, 59, 0}));
    for (const char* bad : {"  x", "2005-03-10", "2005/02/30", "abc", "2005/03/10x", "2005/03/10 25:00",
                            "2005/03/10 24:00", "2005/03/10 23:60", "2005/03/10 23:59:60"}) {
        EXPECT_THROW(DateTextToSystemTime(bad, st), ConversionError) << bad;
    }
    EXPECT_EQ(FormatDate(2005, 3, 1), "2005/03/01");
}

}  // namespace
}  // namespace vinta
