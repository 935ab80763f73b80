#pragma once
// Append, Insert, Delete, Level up and Level down on the outline. Each works
// on the outline table through the store, keeps the tree flags of the rows
// around the change in step, and answers whether the schedule changed.

#include "store/Folding.h"
#include "store/Kdatetime.h"
#include "store/TaskEntry.h"

namespace vinta {

class Prompter;
class ScheduleDocument;

struct OutlineEdit {
    ScheduleDocument& doc;
    Prompter& prompter;
    Date today;           // local date for new rows
};


// `row` is the outline pane's current grid row (R). Return: schedule changed.
bool AppendCommand(OutlineEdit& e);
bool InsertCommand(OutlineEdit& e, int row);
bool DeleteCommand(OutlineEdit& e, int row);
bool LevelUpCommand(OutlineEdit& e, int row);
bool LevelDownCommand(OutlineEdit& e, int row);

enum class OutlineCommand { Append, Insert, Delete, LevelUp, LevelDown };
// Runs `command` on grid row `row`.
bool RunCommand(OutlineEdit& e, OutlineCommand command, int row);
// The grid rows [first, end) `command` on `row` may rewrite, as they stand
// before it runs: the row, the one above whose flags follow it, and what
// hangs below it.
RowSpan RowsTouched(const ScheduleDocument& doc, OutlineCommand command, int row);

}  // namespace vinta
