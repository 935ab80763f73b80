#include "store/LinkRoute.h"

#include <algorithm>

#include "store/LinkRows.h"
#include "store/ScheduleDocument.h"

namespace vinta {

std::vector<RoutePoint> RouteLink(LinkKind kind, RoutePoint from, RoutePoint to, int gapY, int step) {
    const bool outRight = LeavesFromEnd(kind), inFromLeft = EntersAtStart(kind);
    // Where the path turns down beside the predecessor, and where it must
    // come down beside the successor to enter its side.
    const int out = from.x + (outRight ? step : -step);
    const int in = to.x + (inFromLeft ? -step : step);
    if (outRight == inFromLeft) {
        // Out one way and in from the other (finish-to-start, start-to-finish):
        // straight down where the successor lies beyond the turn, else by the gap.
        const bool clear = inFromLeft ? out <= in : out >= in;
        if (clear) return {from, {out, from.y}, {out, to.y}, to};
        return {from, {out, from.y}, {out, gapY}, {in, gapY}, {in, to.y}, to};
    }
    // Out and in on the same side: down outside both bars.
    const int side = outRight ? std::max(out, in) : std::min(out, in);
    return {from, {side, from.y}, {side, to.y}, to};
}

namespace {

// Where row `row` lies: its own place when shown, else beyond the first or
// the last shown row.
struct RowPlace {
    int middle, top, bottom;
};
RowPlace PlaceOf(const std::vector<PlacedRow>& shown, int row, int beyond) {
    auto it = std::lower_bound(shown.begin(), shown.end(), row, [](const PlacedRow& p, int r) { return p.row < r; });
    if (it != shown.end() && it->row == row) return {it->top + it->height / 2, it->top, it->top + it->height};
    if (it == shown.begin()) return {shown.front().top - beyond, shown.front().top - beyond, shown.front().top - beyond};
    const int past = shown.back().top + shown.back().height + beyond;
    return {past, past, past};
}

}  // namespace

std::vector<ArrowPlan> PlanArrows(const ScheduleDocument& doc, const std::vector<PlacedRow>& shown,
                                  const std::function<bool(int row)>& folded, const BarSideFn& barSide, int step,
                                  int beyond) {
    std::vector<ArrowPlan> plans;
    if (shown.empty()) return plans;
    const int first = shown.front().row, last = shown.back().row;
    for (const LinkEnds& l : doc.linkRows.Live(doc)) {
        if (std::max(l.fromRow, l.toRow) < first || std::min(l.fromRow, l.toRow) > last) continue;
        if (folded(l.fromRow) || folded(l.toRow)) continue;
        const std::optional<int> fromX = barSide(l.fromRow, LeavesFromEnd(l.link.kind));
        const std::optional<int> toX = barSide(l.toRow, !EntersAtStart(l.link.kind));
        if (!fromX || !toX) continue;
        const RowPlace from = PlaceOf(shown, l.fromRow, beyond), to = PlaceOf(shown, l.toRow, beyond);
        const int gapY = l.toRow > l.fromRow ? from.bottom : from.top;
        plans.push_back({RouteLink(l.link.kind, {*fromX, from.middle}, {*toX, to.middle}, gapY, step), Breaks(doc, l)});
    }
    return plans;
}

}  // namespace vinta
