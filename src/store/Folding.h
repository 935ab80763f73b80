#pragma once
// Folding of the outline: which rows a folded row hides, and the chart's rows
// kept level with the outline's. Plain rules on the grids, for the window,
// the dialogs and undo alike.

#include <optional>

namespace vinta {

class ScheduleDocument;
class ScheduleStore;
class StringGrid;

// A grid row's level from its Level cell; -1 when the row has no level.
int OutlineLevel(const ScheduleStore& store, int outlineSlot, int gridRow);
// Grid row `gridRow` is an assignment row: its Type cell is exactly "3".
bool IsAssignmentRow(const ScheduleDocument& doc, int gridRow);
// The task an assignment row belongs to (the row itself otherwise).
int OwnerRow(const ScheduleDocument& doc, int gridRow);
// The row `gridRow` hangs under: an assignment's task, a task's nearest row
// above on a higher level; -1 for a row at the top.
int ParentRow(const ScheduleDocument& doc, int gridRow);
// The last row of `gridRow`'s subtree: the rows below that are deeper, or its assignments.
int SubtreeEnd(const ScheduleDocument& doc, int gridRow);


// Whether grid row `row` has a fold box (rows under it), and if so whether
// it stands unfolded.
std::optional<bool> FoldBox(const ScheduleDocument& doc, int row);
// Folds (expand false) or unfolds the rows under grid row `row`.
void SetFolded(ScheduleDocument& doc, int row, bool expand);
// Unfolds the folded rows above grid row `row` that hide it. True when any was.
bool RevealRow(ScheduleDocument& doc, int row);
// Rows [first, end) were replaced (undo, redo): they, and the rows below that
// hang under them, are hidden again where a row above them is folded, so no
// row shows under a folded one.
void ShowFoldState(ScheduleDocument& doc, int first, int end);

// The chart keeps one row per outline row at the same height, so that bars
// stay beside their rows when rows move above folded ones.
void MatchChartRows(const StringGrid& outline, StringGrid& chart);

}  // namespace vinta
