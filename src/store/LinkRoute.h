#pragma once
// The path a link's arrow takes between two bars, as other planners draw
// it: out of the predecessor's end (or start), down to the successor's row,
// and into the side of its bar. When the successor begins too close to the
// left for that, the path goes down to the gap under the predecessor's row,
// across, and down again. The same on screen and on paper, in whatever
// units the caller lays rows out in.

#include <functional>
#include <optional>
#include <vector>

#include "store/TaskLinks.h"

namespace vinta {

struct RoutePoint {
    int x = 0, y = 0;
    friend bool operator==(const RoutePoint&, const RoutePoint&) = default;
};

// Which side of each bar a link of `kind` leaves and enters.
inline bool LeavesFromEnd(LinkKind kind) { return kind == LinkKind::FinishToStart || kind == LinkKind::FinishToFinish; }
inline bool EntersAtStart(LinkKind kind) { return kind == LinkKind::FinishToStart || kind == LinkKind::StartToStart; }

// `from`: the predecessor's side at its row's middle; `to`: the successor's.
// `gapY`: the edge of the predecessor's row toward the successor's. `step`:
// how far the path stands off a bar's side. The last point is `to`.
std::vector<RoutePoint> RouteLink(LinkKind kind, RoutePoint from, RoutePoint to, int gapY, int step);

class ScheduleDocument;

// A shown row: its data row, and where it lies across the rows' axis.
struct PlacedRow {
    int row = 0, top = 0, height = 0;
};
struct ArrowPlan {
    std::vector<RoutePoint> path;
    bool broken = false;  // the successor's dates break the link
};
// The x of row `row`'s bar side (its end with `atEnd`); none without a bar.
using BarSideFn = std::function<std::optional<int>(int row, bool atEnd)>;

// The arrows of the links that pass the shown rows (`shown`, in row order),
// no others: an end beyond them is placed `beyond` past the first or last,
// for the caller's clip to cut. A link is left out where either row is
// folded away (`folded`) or has no bar.
std::vector<ArrowPlan> PlanArrows(const ScheduleDocument& doc, const std::vector<PlacedRow>& shown,
                                  const std::function<bool(int row)>& folded, const BarSideFn& barSide, int step,
                                  int beyond);

}  // namespace vinta
