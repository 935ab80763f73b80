#pragma once
// Drawing of the outline pane's cells, and folding of its rows.

#include <QRect>
#include <QString>
#include <string>

#include "framework/GridWidget.h"
#include "store/Folding.h"

namespace vinta {

class Canvas;
class ImageList;
class ScheduleDocument;

struct OutlinePictures {
    const ImageList& sch;   // fold boxes
    const ImageList& task;  // type and memo icons
    const ImageList& info;  // working-state lamps
};


// Draws cell (col, row) of the outline grid; row is a grid row.
void DrawOutlineCell(Canvas& canvas, const ScheduleDocument& doc, const OutlinePictures& pictures, int col,
                     int row, const QRect& rect, CellState state);


// Cell (col, row)'s text as the pane shows it (Shift-JIS): the row's number,
// an assignment's resource name, the cell otherwise.
std::string OutlineCellText(const ScheduleDocument& doc, int col, int row);
// What a screen reader says for the cell: the text, the row's kind for the
// picture column, and whether a row with rows under it is folded.
QString OutlineSpokenText(const ScheduleDocument& doc, int col, int row);
// What the fold box in a name cell does when pressed: "折りたたむ",
// "展開する", or empty where the row has no rows under it.
QString FoldActionName(const ScheduleDocument& doc, int col, int row);

// Where row `row` stands in the outline, for assistive technology: its
// level, its fold, and the name of the row it hangs under.
GridWidget::TreeRow OutlineTreeRow(const ScheduleDocument& doc, int row);

// A left-button release at `pos` over cell (col, row) with rectangle `rect`:
// folds or unfolds when it hits a fold box. True when it did.
bool FoldAt(ScheduleDocument& doc, int col, int row, const QRect& rect, QPoint pos);

}  // namespace vinta
