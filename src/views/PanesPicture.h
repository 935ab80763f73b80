#pragma once
// The window's two panes, outline and chart, as a picture of a schedule,
// drawn off screen at a chosen size.

#include <QImage>
#include <QSize>

namespace vinta {

class ScheduleDocument;

// `doc` as the panes show it from its first row, for the chart period it is
// set to, the outline `outlineWidth` pixels wide. Sets the caption rows'
// heights and the chart's rows as the window does.
QImage PanesPicture(ScheduleDocument& doc, QSize size, int outlineWidth);

}  // namespace vinta
