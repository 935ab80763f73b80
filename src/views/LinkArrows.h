#pragma once
// The links' arrows over the chart pane's bars, drawn in its overlay pass.

#include "framework/Arrow.h"
#include "framework/GridWidget.h"

namespace vinta {

class Canvas;
class ScheduleDocument;

// Arrows for the links that pass the painted rows, clipped to the painted
// cells; a link the dates break in the warning colour.
void DrawLinkArrows(Canvas& canvas, const ScheduleDocument& doc, const GridWidget::Painted& painted);

}  // namespace vinta
