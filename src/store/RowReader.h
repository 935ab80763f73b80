#pragma once
// One outline row's cells as drawing and folding read them.

#include <string>

#include "store/ScheduleStore.h"

namespace vinta {

// Numbers in cells are read only after the HasNumber test, so drawing
// never fails on a cell that holds something else.
struct RowReader {
    const ScheduleStore& store;
    int slot;
    int row;  // data row
    bool Has(int col) const { return store.HasNumber(slot, col, row); }
    int Num(int col) const {
        int v = 0;
        return store.TryCellNumber(slot, col, row, v) ? v : 0;
    }
    // A number, or `fallback` when the cell holds none (or one out of range).
    int NumOr(int col, int fallback) const { return Has(col) ? Num(col) : fallback; }
    std::string Text(int col) const { return store.CellText(slot, col, row); }
};

}  // namespace vinta
