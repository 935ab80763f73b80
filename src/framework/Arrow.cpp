#include "framework/Arrow.h"

#include "framework/Canvas.h"

namespace vinta {

void DrawArrow(Canvas& c, const std::vector<QPoint>& path, QColor color, int head, int width) {
    if (path.size() < 2) return;
    c.SetPen(color, PenStyle::Solid, width);
    for (size_t i = 1; i < path.size(); ++i) c.Line(path[i - 1].x(), path[i - 1].y(), path[i].x(), path[i].y());
    const QPoint tip = path.back(), before = path[path.size() - 2];
    // The last line's direction, in whole steps: the paths run across and down only.
    const int dx = (tip.x() > before.x()) - (tip.x() < before.x());
    const int dy = (tip.y() > before.y()) - (tip.y() < before.y());
    const QPoint back(tip.x() - dx * head, tip.y() - dy * head);
    const QPoint side(dy * head / 2, dx * head / 2);
    c.SetBrush(color);
    c.SetPen(color, PenStyle::Solid, 1);
    c.Polygon({tip, back + side, back - side});
}

}  // namespace vinta
