#pragma once
// Microsoft Project's XML (MSPDI, Project 2003 and later), which the common
// planners read and write. A task's working day is 08:00 to 17:00, eight
// hours, Monday to Friday. A row's kind travels in the custom field Text1
// ("プロジェクト", "タスク", "コメント"); a comment is a task without dates.

#include <optional>
#include <string>
#include <string_view>

#include "exchange/Plan.h"

namespace vinta {

// ConstraintType values: every dated task is written held to its own start.
constexpr int kMustStartOn = 2, kStartNoEarlierThan = 4;

std::string WriteMspdi(const Plan& plan);

// What a plan cannot hold, counted as it was read.
struct LeftOut {
    int dependencies = 0, calendars = 0, costs = 0, constraints = 0;
};
// "12 dependencies, 3 calendars"; empty when nothing was left out.
std::string Describe(const LeftOut& left);

struct MspdiRead {
    Plan plan;
    LeftOut leftOut;
};

// The plan in `xml`, or nothing with `error` saying what is wrong and where.
std::optional<MspdiRead> ReadMspdi(std::string_view xml, std::string& error);

}  // namespace vinta
