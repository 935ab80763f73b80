#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "components/Holidays.h"
#include "store/Kdatetime.h"

namespace vinta {
namespace {

std::string Year(int y) {
    std::string s;
    for (const Holiday& h : JapaneseHolidays(y)) s += HolidayLine(h).substr(5) + " ";
    return s;
}

// Whole years as the government's list has them, where the law changed or a
// special law added days.
TEST(JapaneseHolidays, SpecialYearsAsPublished) {
    EXPECT_EQ(Year(1959), "01/01,元日 01/15,成人の日 03/21,春分の日 04/10,結婚の儀 04/29,天皇誕生日 05/03,憲法記念日 "
                          "05/05,こどもの日 09/24,秋分の日 11/03,文化の日 11/23,勤労感謝の日 ");
    EXPECT_EQ(Year(1973), "01/01,元日 01/15,成人の日 02/11,建国記念の日 03/21,春分の日 04/29,天皇誕生日 04/30,休日 "
                          "05/03,憲法記念日 05/05,こどもの日 09/15,敬老の日 09/23,秋分の日 09/24,休日 10/10,体育の日 "
                          "11/03,文化の日 11/23,勤労感謝の日 ");
    EXPECT_EQ(Year(1989), "01/01,元日 01/02,休日 01/15,成人の日 01/16,休日 02/11,建国記念の日 02/24,大喪の礼 "
                          "03/21,春分の日 04/29,みどりの日 05/03,憲法記念日 05/04,休日 05/05,こどもの日 09/15,敬老の日 "
                          "09/23,秋分の日 10/10,体育の日 11/03,文化の日 11/23,勤労感謝の日 12/23,天皇誕生日 ");
    EXPECT_EQ(Year(1990), "01/01,元日 01/15,成人の日 02/11,建国記念の日 02/12,休日 03/21,春分の日 04/29,みどりの日 "
                          "04/30,休日 05/03,憲法記念日 05/04,休日 05/05,こどもの日 09/15,敬老の日 09/23,秋分の日 "
                          "09/24,休日 10/10,体育の日 11/03,文化の日 11/12,即位礼正殿の儀 11/23,勤労感謝の日 "
                          "12/23,天皇誕生日 12/24,休日 ");
    EXPECT_EQ(Year(1993), "01/01,元日 01/15,成人の日 02/11,建国記念の日 03/20,春分の日 04/29,みどりの日 05/03,憲法記念日 "
                          "05/04,休日 05/05,こどもの日 06/09,結婚の儀 09/15,敬老の日 09/23,秋分の日 10/10,体育の日 "
                          "10/11,休日 11/03,文化の日 11/23,勤労感謝の日 12/23,天皇誕生日 ");
    EXPECT_EQ(Year(2019), "01/01,元日 01/14,成人の日 02/11,建国記念の日 03/21,春分の日 04/29,昭和の日 04/30,休日 "
                          "05/01,休日（祝日扱い） 05/02,休日 05/03,憲法記念日 05/04,みどりの日 05/05,こどもの日 "
                          "05/06,休日 07/15,海の日 08/11,山の日 08/12,休日 09/16,敬老の日 09/23,秋分の日 "
                          "10/14,体育の日（スポーツの日） 10/22,休日（祝日扱い） 11/03,文化の日 11/04,休日 "
                          "11/23,勤労感謝の日 ");
    EXPECT_EQ(Year(2020), "01/01,元日 01/13,成人の日 02/11,建国記念の日 02/23,天皇誕生日 02/24,休日 03/20,春分の日 "
                          "04/29,昭和の日 05/03,憲法記念日 05/04,みどりの日 05/05,こどもの日 05/06,休日 07/23,海の日 "
                          "07/24,スポーツの日 08/10,山の日 09/21,敬老の日 09/22,秋分の日 11/03,文化の日 "
                          "11/23,勤労感謝の日 ");
    EXPECT_EQ(Year(2021), "01/01,元日 01/11,成人の日 02/11,建国記念の日 02/23,天皇誕生日 03/20,春分の日 04/29,昭和の日 "
                          "05/03,憲法記念日 05/04,みどりの日 05/05,こどもの日 07/22,海の日 07/23,スポーツの日 "
                          "08/08,山の日 08/09,休日 09/20,敬老の日 09/23,秋分の日 11/03,文化の日 11/23,勤労感謝の日 ");
}

// Substitute days (only the next day before 2007, the next free day since),
// and citizens' holidays (never a Sunday before 2007).
TEST(JapaneseHolidays, SubstituteAndCitizensDays) {
    auto has = [](int y, const std::string& line) { return Year(y).find(line + " ") != std::string::npos; };
    EXPECT_FALSE(has(1973, "04/16,休日")) << "no substitutes before 12 April 1973";
    EXPECT_TRUE(has(1978, "01/02,休日"));
    EXPECT_TRUE(has(1987, "05/04,休日"));
    EXPECT_TRUE(has(1988, "05/04,休日")) << "between two holidays, from 1986";
    EXPECT_FALSE(has(1986, "05/04,休日")) << "a Sunday in between stays a Sunday";
    EXPECT_TRUE(has(2008, "05/06,休日")) << "Sunday 4 May: the next free day";
    EXPECT_TRUE(has(2009, "09/22,休日"));
    EXPECT_TRUE(has(2015, "09/22,休日"));
    EXPECT_TRUE(has(2026, "09/22,休日"));
    EXPECT_TRUE(has(2024, "09/23,休日"));
    EXPECT_TRUE(has(2027, "03/22,休日"));
}

// The equinox days of every year, as published.
TEST(JapaneseHolidays, EquinoxesOfEveryYear) {
    const char* spring =
        "2121212121202121212021212120212121202121212021212120212121202121212021212120202121202021212020212120"
        "2021212020212120202121202021212020212120202021";
    const char* autumn =
        "2423232324232323242323232423232324232323242323232423232323232323232323232323232323232323232323232323"
        "2323232323232322232323222323232223232322232323";
    for (int y = 1955; y <= 2027; ++y) {
        const int i = (y - 1955) * 2;
        const std::string s = "03/" + std::string(spring + i, 2) + ",春分の日";
        const std::string a = "09/" + std::string(autumn + i, 2) + ",秋分の日";
        EXPECT_NE(Year(y).find(s), std::string::npos) << y << " " << s;
        EXPECT_NE(Year(y).find(a), std::string::npos) << y << " " << a;
    }
}

TEST(JapaneseHolidays, RangeAndForm) {
    EXPECT_TRUE(JapaneseHolidays(1954).empty());
    EXPECT_EQ(HolidayLine(JapaneseHolidays(2026).front()), "2026/01/01,元日");
    auto far = JapaneseHolidays(9999);
    EXPECT_GE(far.size(), 16u);
    for (int y = 1955; y <= 2100; ++y) {
        auto list = JapaneseHolidays(y);
        for (size_t i = 1; i < list.size(); ++i)
            ASSERT_LT(HolidayLine(list[i - 1]), HolidayLine(list[i])) << y << " in date order, once each";
    }
}

}  // namespace
}  // namespace vinta

namespace vinta {
namespace {

// A day off is a Saturday, a Sunday or (when asked) a holiday, every day of
// years either side of the leap rules' turns.
TEST(JapaneseHolidays, DaysOffAreWeekendsAndHolidays) {
    for (int y : {1999, 2000, 2026, 2027, 2100}) {
        std::set<int> holidays;
        for (const Holiday& h : JapaneseHolidays(y)) holidays.insert(h.month * 32 + h.day);
        for (int m = 1; m <= 12; ++m) {
            for (int d = 1; d <= DaysInMonth(y, m); ++d) {
                const int dow = DayOfWeek(y, m, d);
                const bool weekend = dow == 0 || dow == 6;
                ASSERT_EQ(IsDayOff(y, m, d, false), weekend) << y << "/" << m << "/" << d;
                ASSERT_EQ(IsHoliday(y, m, d), holidays.count(m * 32 + d) > 0) << y << "/" << m << "/" << d;
                ASSERT_EQ(IsDayOff(y, m, d, true), weekend || holidays.count(m * 32 + d)) << y << "/" << m << "/" << d;
            }
        }
    }
    EXPECT_TRUE(IsHoliday(2027, 1, 11)) << "成人の日";
    EXPECT_FALSE(IsHoliday(1954, 1, 1)) << "before the law";
}

}  // namespace
}  // namespace vinta
