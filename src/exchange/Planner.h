#pragma once
// GNOME Planner's own files (.planner): tasks nested as the outline is, with
// their start, end, progress and note, the people and the groups they
// belong to, and which people work on which task. Dependencies, calendars,
// constraints other than a task's own start and rates are what a schedule
// cannot hold: counted and left out.

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "exchange/ImportReport.h"
#include "exchange/Plan.h"

namespace vinta {

struct PlannerRead {
    Plan plan;
    ImportReport report;  // the plan already settled
};

// The plan, or nothing with `error` saying what is wrong and where.
std::optional<PlannerRead> ReadPlanner(std::string_view xml, std::string& error);
std::optional<PlannerRead> ReadPlanner(std::istream& in, std::string& error);

}  // namespace vinta
