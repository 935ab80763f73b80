#pragma once
// A row as the task dialog's OK hands it back, and the one change that
// writes it into the outline: the row itself, its assignment rows replaced,
// its tree flags, and the folds of the rows under it.

#include <optional>
#include <string>
#include <vector>

#include "store/TaskLinks.h"

namespace vinta {

class ScheduleDocument;

struct AssignmentEntry {
    int no = 0;  // 0: numbered afresh
    std::string resourceNo, start, end, progress, workState, memo;
};

struct TaskEntry {
    int dataRow = -1;  // the task's row in the outline table
    int no = 0;        // its number, which its assignment rows link to
    int type = 1;      // outline::RowType
    int level = 0;
    std::string name, progress, start, end, memo;
    int showBar = 1;
    bool isNew = false;        // the row had no level yet: its tree flags start afresh
    bool linesLoaded = false;  // it had assignment rows when the dialog opened
    std::vector<AssignmentEntry> assignments;  // a comment keeps none
    // The links into the task, when the dialog changed them; a comment keeps none.
    std::optional<std::vector<TaskLink>> predecessors;
};

// Grid rows [first, end) of the outline the entry rewrites, as they stand
// before it is written: the row, its assignment rows, and the rows under it
// whose folds follow its flags.
struct RowSpan {
    int first = 1;
    int end = 1;
};
// How many rows right after data row `dataRow` link to task number `no`:
// its assignment rows.
int LinkedRowCount(const ScheduleDocument& doc, int dataRow, int no);

RowSpan TaskEntrySpan(const ScheduleDocument& doc, const TaskEntry& entry);

void ApplyTaskEntry(ScheduleDocument& doc, const TaskEntry& entry);

// The entry's assignments whose dates reach outside the task's own (by index).
std::vector<size_t> AssignmentsOutsideTask(const TaskEntry& entry);

}  // namespace vinta
