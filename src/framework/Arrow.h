#pragma once
// A path of straight lines ending in a filled arrowhead at its last point,
// pointing the way the last line runs.

#include <QColor>
#include <QPoint>
#include <vector>

namespace vinta {

class Canvas;

// The links' colours: a link, and one the dates break.
inline QColor LinkColor() { return QColor(0, 0, 128); }
inline QColor BrokenLinkColor() { return QColor(255, 96, 0); }

void DrawArrow(Canvas& canvas, const std::vector<QPoint>& path, QColor color, int head, int width = 1);

}  // namespace vinta
