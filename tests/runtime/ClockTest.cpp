#include <gtest/gtest.h>

#include <cstdlib>

#include "runtime/Clock.h"
#include "support/ScopedTz.h"

namespace vinta {
namespace {

using namespace std::chrono;

TEST(Clock, AFixedClockGivesThatMomentInUtcAndLocalTime) {
    // 2005-03-10 23:30:15.250 UTC, a Thursday.
    auto when = sys_days{year{2005} / 3 / 10} + hours{23} + minutes{30} + seconds{15} + milliseconds{250};
    {
        testing::ScopedTz tz("JST-9");
        clock::FixedScope fixed(when);
        SystemTime utc = clock::UtcNow();
        EXPECT_EQ(utc, (SystemTime{2005, 3, 4, 10, 23, 30, 15, 250}));
        SystemTime local = clock::LocalNow();
        EXPECT_EQ(local.wDay, 11);
        EXPECT_EQ(local.wHour, 8);
        EXPECT_EQ(local.wDayOfWeek, 5);
    }
    auto before = system_clock::now();
    EXPECT_GE(clock::Now(), before) << "released clock runs again";
}

}  // namespace
}  // namespace vinta
