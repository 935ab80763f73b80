#pragma once
// What every vinta-kts command shares: its exit statuses, the one-line
// message on standard error, reading the schedule it works on, and the
// output's kind by its file name.

#include <string>

namespace vinta {

class ScheduleDocument;

namespace kts {

constexpr int kExitOk = 0, kExitIo = 1, kExitNotSchedule = 2, kExitNewer = 3, kExitUsage = 64;

// "vinta-kts: what" on standard error; answers `status`.
int Fail(int status, const std::string& what);
// Reads `path` into `doc`: kExitOk, or the status with the reason said.
int Load(const std::string& path, ScheduleDocument& doc);
// The file name's extension in lower case, without the dot; empty if none.
std::string Extension(const std::string& path);

}  // namespace kts
}  // namespace vinta
