#pragma once
// A schedule's own name for itself, kept in the file: what a calendar that
// subscribes to its export recognises it by, whatever the file is called
// and wherever it moves. Made once, when a schedule with rows is first
// saved or imported; a schedule saved before it existed has none.

#include <string>

namespace vinta {

class ScheduleDocument;

// Sixteen hex digits, or empty when the schedule has none yet.
std::string ScheduleIdentity(const ScheduleDocument& doc);
// Gives the schedule an identity when it has rows and none yet; true when
// it made one.
bool EnsureScheduleIdentity(ScheduleDocument& doc);

}  // namespace vinta
