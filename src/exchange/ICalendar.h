#pragma once
// The plan as iCalendar (RFC 5545) to-dos, for calendar programs: one VTODO
// a task or project with its dates as whole days (DUE is the day after the
// last one, when the task is done), its progress, memo and parent.

#include <optional>
#include <string>
#include <string_view>

#include "exchange/ImportReport.h"
#include "exchange/Plan.h"

namespace vinta {

// RFC 9253's temporal relations, by the schedule's link kinds; the property
// sits on the successor and names its predecessor.
inline constexpr const char* kRelTypes[kLinkKinds] = {"FINISHTOSTART", "STARTTOSTART", "FINISHTOFINISH",
                                                      "STARTTOFINISH"};

// The schedule's identity (or, for a schedule saved before it had one,
// `fileKey`, its file name) and each row's own number make a to-do's UID:
// a calendar sees the same task again in a later export, whatever rows were
// added, removed or moved around it and whatever the file is now called.
std::string WriteICalendar(const Plan& plan, std::string_view fileKey);

struct ICalendarRead {
    Plan plan;
    ImportReport report;  // the plan already settled
};

// To-dos (VTODO) and events (VEVENT) as tasks, nested by RELATED-TO: the
// summary as the name, DTSTART to DUE or DTEND (a date there is the day
// after the last one, as the standard has it), PERCENT-COMPLETE and
// DESCRIPTION as the memo. Nothing with `error` when it is no iCalendar or
// gives one UID to two to-dos.
std::optional<ICalendarRead> ReadICalendar(std::string_view text, std::string& error);

}  // namespace vinta
