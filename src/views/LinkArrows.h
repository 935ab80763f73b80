#pragma once
// The links' arrows over the chart pane's bars, drawn in its overlay pass.

#include "framework/GridWidget.h"

namespace vinta {

class Canvas;
class ScheduleDocument;

// Arrows for the links that pass the painted rows, clipped to the painted
// cells; a link the dates break in the warning colour.
void DrawLinkArrows(Canvas& canvas, const ScheduleDocument& doc, const GridWidget::Painted& painted);

// The colours, for the page and for tests.
QColor LinkColor();
QColor BrokenLinkColor();

}  // namespace vinta
