#pragma once
// The outline rows a printed page can show: those not hidden by folding. The
// index is rebuilt only when the outline's layout changes, so that counting
// pages and finding a page's rows never walk 100,000 rows per call.

#include <cstdint>
#include <vector>

namespace vinta {

class StringGrid;

class VisibleRows {
public:
    // Rows 1 … RowCount − 1 of `outline` whose height is not 0.
    int Count(const StringGrid& outline);
    // The grid row of the k-th visible row (from 1); 0 when k ≤ 0, when k ≥
    // RowCount, or when fewer than k rows are visible.
    int At(const StringGrid& outline, int k);

private:
    void Refresh(const StringGrid& outline);
    const StringGrid* of_ = nullptr;
    uint64_t revision_ = ~uint64_t{0};
    std::vector<int> rows_;
};

}  // namespace vinta
