#pragma once
// Drawing of the outline pane's cells, and folding of its rows.

#include <QRect>

#include "framework/GridWidget.h"

namespace vinta {

class Canvas;
class ImageList;
class ScheduleStore;
class StringGrid;

struct OutlinePictures {
    const ImageList& sch;   // fold boxes
    const ImageList& task;  // type and memo icons
    const ImageList& info;  // working-state lamps
};

struct OutlineTables {
    const ScheduleStore& store;
    int outlineSlot;
    int resourceSlot;
};

// The raised frame of caption cells: white top and left, grey right and bottom.
void RaisedFrame(Canvas& canvas, int left, int top, int right, int bottom);

// Draws cell (col, row) of the outline grid; row is a grid row.
void DrawOutlineCell(Canvas& canvas, const OutlineTables& tables, const OutlinePictures& pictures, int col,
                     int row, const QRect& rect, CellState state);

// The indent of the name column and the fold box slot of a row, from its
// Level cell; -1 when the row has no level.
int OutlineLevel(const ScheduleStore& store, int outlineSlot, int gridRow);

struct FoldTarget {
    ScheduleStore& store;
    int outlineSlot;
    StringGrid& outline;  // Schedule1
    StringGrid& chart;    // Schedule2
    int outlineRowHeight;  // heights rows get when shown again
    int chartRowHeight;
};

// A left-button release at `pos` over cell (col, row) with rectangle `rect`:
// folds or unfolds when it hits a fold box. True when it did.
bool FoldAt(FoldTarget& target, int col, int row, const QRect& rect, QPoint pos);
// Folds (expand false) or unfolds the rows under grid row `row`.
void SetFolded(FoldTarget& target, int row, bool expand);
// Unfolds the folded rows above grid row `row` that hide it. True when any was.
bool RevealRow(FoldTarget& target, int row);
// Rows [first, end) were replaced (undo, redo): they, and the rows below that
// hang under them, are shown or hidden again by the fold state above them, so
// no row shows under a folded one and none stays hidden under an open one.
void ShowFoldState(FoldTarget& target, int first, int end);

}  // namespace vinta
