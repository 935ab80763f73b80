#pragma once
// A time zone for the length of a scope; the one the suite runs in comes back.

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace vinta::testing {

class ScopedTz {
public:
    // POSIX forms ("JST-9", "EST5") need no time-zone database.
    explicit ScopedTz(const char* tz) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        ::setenv("TZ", tz, 1);
        ::tzset();
    }
    ~ScopedTz() {
        if (old_)
            ::setenv("TZ", old_->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    ScopedTz(const ScopedTz&) = delete;
    ScopedTz& operator=(const ScopedTz&) = delete;

private:
    std::optional<std::string> old_;
};

}  // namespace vinta::testing
