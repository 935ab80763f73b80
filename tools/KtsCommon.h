#pragma once
// What every vinta-kts command shares: its exit statuses, the one-line
// message on standard error, and reading the schedule it works on.

#include <string>

namespace vinta {

class ScheduleDocument;

namespace kts {

constexpr int kExitOk = 0, kExitIo = 1, kExitNotSchedule = 2, kExitNewer = 3, kExitUsage = 64;

// "vinta-kts: what" on standard error; answers `status`.
int Fail(int status, const std::string& what);
// Reads `path` into `doc`: kExitOk, or the status with the reason said.
int Load(const std::string& path, ScheduleDocument& doc);

}  // namespace kts
}  // namespace vinta
