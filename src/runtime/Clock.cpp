#include "Clock.h"

#include <ctime>

namespace vinta::clock {

namespace {
std::optional<TimePoint>& Fixed() {
    static std::optional<TimePoint> fixed;
    return fixed;
}

SystemTime FromTm(const std::tm& tm, TimePoint when) {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() % 1000;
    if (ms < 0) ms += 1000;
    SystemTime t;
    t.wYear = static_cast<uint16_t>(tm.tm_year + 1900);
    t.wMonth = static_cast<uint16_t>(tm.tm_mon + 1);
    t.wDayOfWeek = static_cast<uint16_t>(tm.tm_wday);
    t.wDay = static_cast<uint16_t>(tm.tm_mday);
    t.wHour = static_cast<uint16_t>(tm.tm_hour);
    t.wMinute = static_cast<uint16_t>(tm.tm_min);
    t.wSecond = static_cast<uint16_t>(tm.tm_sec);
    t.wMilliseconds = static_cast<uint16_t>(ms);
    return t;
}

std::time_t Seconds(TimePoint when) {
    // Floor, so that a moment before 1970 does not round into the next second.
    return static_cast<std::time_t>(
        std::chrono::floor<std::chrono::seconds>(when.time_since_epoch()).count());
}
}  // namespace

TimePoint Now() {
    return Fixed() ? *Fixed() : std::chrono::system_clock::now();
}
void Fix(TimePoint when) { Fixed() = when; }
void Release() { Fixed().reset(); }

SystemTime ToUtc(TimePoint when) {
    std::time_t s = Seconds(when);
    std::tm tm{};
    gmtime_r(&s, &tm);
    return FromTm(tm, when);
}

SystemTime ToLocal(TimePoint when) {
    std::time_t s = Seconds(when);
    std::tm tm{};
    localtime_r(&s, &tm);
    return FromTm(tm, when);
}

SystemTime UtcNow() { return ToUtc(Now()); }
SystemTime LocalNow() { return ToLocal(Now()); }

}  // namespace vinta::clock
