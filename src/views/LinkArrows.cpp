#include "views/LinkArrows.h"

#include <QPainter>

#include "framework/Arrow.h"
#include "framework/Canvas.h"
#include "store/BarRow.h"
#include "store/ChartScale.h"
#include "store/LinkRoute.h"
#include "store/ScheduleDocument.h"
#include "store/TimeScale.h"

namespace vinta {

namespace {

constexpr int kStep = 6, kHead = 5, kBeyond = 40;

// Where a bar's side falls: within its column as the bar itself is drawn
// there; before or after the period, beyond the columns.
class BarSides {
public:
    BarSides(const ScheduleDocument& doc, const GridWidget::Painted& painted)
        : doc_(doc), s_(doc.chart), scale_(ScaleOf(doc.chart)), first_(painted.columns.front()) {}

    std::optional<int> operator()(int row, bool atEnd) const {
        const std::optional<DrawnBar> bar = BarRow(doc_, row).OnScreen(s_.viewEnd);
        if (!bar) return std::nullopt;
        const Date date = atEnd ? bar->end : bar->start;
        const int w = first_.width;
        if (DaysFrom(s_.viewStart, date) < 0) return ColumnX(0) - kBeyond;
        const std::optional<int> col = ColumnHolding(s_, date);
        if (!col) return ColumnX(scale_.ColumnCount(s_)) + kBeyond;
        const int left = ColumnX(*col);
        const std::optional<BarCell> cell = scale_.Bar(s_, *col, bar->start, bar->end, left, left + w);
        if (!cell) return std::nullopt;
        return atEnd ? cell->endLine.value_or(cell->right) : cell->startLine.value_or(cell->left);
    }

private:
    int ColumnX(int col) const { return first_.x + (col - first_.col) * first_.width; }
    const ScheduleDocument& doc_;
    const ChartState& s_;
    const ChartScale& scale_;
    GridWidget::Painted::Column first_;
};

}  // namespace

void DrawLinkArrows(Canvas& c, const ScheduleDocument& doc, const GridWidget::Painted& painted) {
    if (doc.store.links.Empty() || painted.columns.empty()) return;
    std::vector<PlacedRow> shown;
    for (const auto& r : painted.rows)
        if (r.row >= 1 && r.rect.height() > 0) shown.push_back({r.row - 1, r.rect.top(), r.rect.height()});
    if (shown.empty()) return;
    const auto folded = [&](int row) { return doc.chartGrid.RowHeights(row + 1) <= 0; };
    const std::vector<ArrowPlan> plans = PlanArrows(doc, shown, folded, BarSides(doc, painted), kStep, kBeyond);
    if (plans.empty()) return;
    const auto& lastCol = painted.columns.back();
    const QRect clip(QPoint(painted.columns.front().x, shown.front().top),
                     QPoint(lastCol.x + lastCol.width - 1, shown.back().top + shown.back().height - 1));
    c.Painter().save();
    c.Painter().setClipRect(clip, Qt::IntersectClip);
    // Broken links last, so that they are seen where arrows cross.
    for (bool broken : {false, true})
        for (const ArrowPlan& plan : plans) {
            if (plan.broken != broken) continue;
            std::vector<QPoint> path;
            for (const RoutePoint& p : plan.path) path.emplace_back(p.x, p.y);
            DrawArrow(c, path, broken ? BrokenLinkColor() : LinkColor(), kHead, broken ? 2 : 1);
        }
    c.Painter().restore();
}

}  // namespace vinta
