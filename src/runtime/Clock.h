#pragma once
// The program reads "now" only through here, so that tests can fix the date.

#include <chrono>
#include <cstdint>
#include <optional>

namespace vinta {

// A broken-down date and time, 16-bit fields like the system's record.
struct SystemTime {
    uint16_t wYear = 0;
    uint16_t wMonth = 0;
    uint16_t wDayOfWeek = 0;  // 0 = Sunday
    uint16_t wDay = 0;
    uint16_t wHour = 0;
    uint16_t wMinute = 0;
    uint16_t wSecond = 0;
    uint16_t wMilliseconds = 0;
    friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

namespace clock {

using TimePoint = std::chrono::system_clock::time_point;

TimePoint Now();
// Fixes Now() at `when` until Release(); for tests.
void Fix(TimePoint when);
void Release();

SystemTime UtcNow();
SystemTime LocalNow();
SystemTime ToUtc(TimePoint when);
SystemTime ToLocal(TimePoint when);

// A fixed clock for the length of a scope.
class FixedScope {
public:
    explicit FixedScope(TimePoint when) { Fix(when); }
    ~FixedScope() { Release(); }
    FixedScope(const FixedScope&) = delete;
    FixedScope& operator=(const FixedScope&) = delete;
};

}  // namespace clock
}  // namespace vinta
