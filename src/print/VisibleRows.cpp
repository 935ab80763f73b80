#include "VisibleRows.h"

#include "runtime/StringGrid.h"

namespace vinta {

void VisibleRows::Refresh(const StringGrid& outline) {
    if (of_ == &outline && revision_ == outline.LayoutRevision()) return;
    of_ = &outline;
    revision_ = outline.LayoutRevision();
    rows_.clear();
    for (int r = 1; r < outline.RowCount(); ++r)
        if (outline.RowHeights(r) != 0) rows_.push_back(r);
}

int VisibleRows::Count(const StringGrid& outline) {
    Refresh(outline);
    return static_cast<int>(rows_.size());
}

int VisibleRows::At(const StringGrid& outline, int k) {
    Refresh(outline);
    if (k <= 0 || k >= outline.RowCount() || k > static_cast<int>(rows_.size())) return 0;
    return rows_[static_cast<size_t>(k - 1)];
}

}  // namespace vinta
