#pragma once
// vinta-kts's exchange with other planners: export to Microsoft Project XML
// or iCalendar, import from Microsoft Project XML, GNOME Planner, iCalendar
// or CSV.

#include <string>

namespace vinta {

class ScheduleDocument;

// Whether `out` names a format ExportExchange writes (.xml, .ics).
bool IsExchangeFormat(const std::string& out);
// Writes `doc` (read from `in`) to `out`; the exit status, a failure said on
// standard error. The file at `out` is replaced whole or left as it was.
int ExportExchange(const ScheduleDocument& doc, const std::string& in, const std::string& out);
// Reads `in` (.xml, .planner, .ics or .csv) and writes the schedule to `out`; nothing is
// written when `in` cannot be taken whole. What the schedule cannot hold is
// said in one line on standard error. Refused while a window has `out` open,
// unless `force`.
int ImportCommand(const std::string& in, const std::string& out, bool force);

}  // namespace vinta
