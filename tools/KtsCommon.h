#pragma once
// What every vinta-kts command shares: its exit statuses, the one-line
// message on standard error, reading the schedule it works on and writing
// what it makes.

#include <string>
#include <string_view>

namespace vinta {

class ScheduleDocument;

namespace kts {

constexpr int kExitOk = 0, kExitIo = 1, kExitNotSchedule = 2, kExitNewer = 3, kExitUsage = 64;

// "vinta-kts: what" on standard error; answers `status`.
int Fail(int status, const std::string& what);
// Reads `path` into `doc`: kExitOk, or the status with the reason said.
int Load(const std::string& path, ScheduleDocument& doc);
// Puts `bytes` at `path` whole or not at all: a full disk, a folder that
// cannot be written or a device leave the old file as it was.
int Replace(const std::string& path, std::string_view bytes);
// kExitOk when nobody has `path` open in a window, or when `force`; else the
// holder is named and kExitIo answered. A lock left by a crash here is no one's.
int RefuseLocked(const std::string& path, bool force);

}  // namespace kts
}  // namespace vinta
