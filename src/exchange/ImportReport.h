#pragma once
// What an import left out or changed, counted as the file is read, so that
// the one summary after it names everything the schedule does not hold as
// the file had it.

#include <string>

namespace vinta {

struct Plan;

struct ImportReport {
    // Left out: what a schedule cannot hold.
    int dependencies = 0, calendars = 0, costs = 0, constraints = 0;
    int assignments = 0;  // naming a task or person the file does not have
    // Changed to fit.
    int levels = 0;      // outline levels above the top or below the deepest, brought to it
    int levelJumps = 0;  // a row more than one level below the row above it, brought up
    int progress = 0;    // percentages outside 0–100 or not numbers
    int dates = 0;       // dates the schedule cannot hold (before year 1, after 9999, unreadable), left empty
    int swapped = 0;     // finish before start, the two exchanged
    int milestones = 0;  // milestones, taken as one-day tasks
    int repeats = 0;     // repeating events and to-dos, taken once

};

// "dropped: 12 dependencies, 3 calendars; changed: 2 finish dates before
// the start swapped"; empty when the file was taken as it is.
std::string Describe(const ImportReport& report);

// Brings a plan as read into the shape a schedule holds, counting each
// change: levels from the top to the deepest drawn, each row at most one
// level below the one above, progress within 0–100, the finish on or after
// the start (the two exchanged where it is not). Links a schedule cannot
// hold are left out and counted: to a comment or a task not in the plan,
// from a task to itself, a second one between the same two, one closing a
// circle, a lag beyond ten years.
void Settle(Plan& plan, ImportReport& report);

}  // namespace vinta
