#include "ScheduleDocument.h"

namespace vinta {

ScheduleDocument::ScheduleDocument(const ScheduleStore::TextWidthFn& textWidth)
    : outlineRowHeight(grids.Schedule1.DefaultRowHeight()), chartRowHeight(chartGrid.DefaultRowHeight()) {
    store.version = 1.0;
    if (textWidth) store.SetTextWidth(textWidth);
    SetUpTables();
}

void ScheduleDocument::SetUpTables() {
    const TableSlots s = InitTables(store, grids);
    optionSlot = s.optionSlot;
    outlineSlot = s.outlineSlot;
    resourceSlot = s.resourceSlot;
    taskSlot = s.taskSlot;
}

void ScheduleDocument::Renew() {
    for (int r = 1; r < grids.Schedule1.RowCount(); ++r) {
        grids.Schedule1.SetRowHeights(r, outlineRowHeight);
        chartGrid.SetRowHeights(r, chartRowHeight);
    }
    for (StringGrid* g : {&grids.Schedule1, &grids.Resource, &grids.Task}) g->ClearRows(1, g->RowCount());
    grids.Schedule1.SetRowCount(10);
    chartGrid.SetRowCount(10);
    SetUpTables();
}

}  // namespace vinta
