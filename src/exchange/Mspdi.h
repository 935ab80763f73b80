#pragma once
// Microsoft Project's XML (MSPDI, Project 2003 and later), which the common
// planners read and write. A task's working day is 08:00 to 17:00, eight
// hours, Monday to Friday. A row's kind travels in the custom field Text1
// ("プロジェクト", "タスク", "コメント"); a comment is a task without dates.

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "exchange/ImportReport.h"
#include "exchange/Plan.h"

namespace vinta {

// ConstraintType values: every dated task is written held to its own start.
constexpr int kMustStartOn = 2, kStartNoEarlierThan = 4;
// Link types by the schedule's kinds: finish-to-start 1, start-to-start 3,
// finish-to-finish 0, start-to-finish 2 (1 also when missing).
inline constexpr int kMspdiLinkType[kLinkKinds] = {1, 3, 0, 2};
// A lag is kept in tenths of a minute: a working day of eight hours, an
// elapsed one of twenty-four.
constexpr int kLagTenthsPerDay = 8 * 600, kLagTenthsPerElapsedDay = 24 * 600;

std::string WriteMspdi(const Plan& plan);

struct MspdiRead {
    Plan plan;
    ImportReport report;  // what was left out or changed, the plan already settled
};

// The plan in `xml`, or nothing with `error` saying what is wrong and where.
// A task or resource UID given twice refuses the file: assignments could
// not tell which one they mean.
std::optional<MspdiRead> ReadMspdi(std::string_view xml, std::string& error);
// The same, read from `in` a piece at a time.
std::optional<MspdiRead> ReadMspdi(std::istream& in, std::string& error);

}  // namespace vinta
