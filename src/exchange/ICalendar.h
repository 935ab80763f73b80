#pragma once
// The plan as iCalendar (RFC 5545) to-dos, for calendar programs: one VTODO
// a task or project with its dates as whole days (DUE is the day after the
// last one, when the task is done), its progress, memo and parent.

#include <string>
#include <string_view>

#include "exchange/Plan.h"

namespace vinta {

// `fileKey` (the schedule's file name) and each task's outline row make its
// UID, so that a calendar sees the same task again in a later export.
std::string WriteICalendar(const Plan& plan, std::string_view fileKey);

}  // namespace vinta
