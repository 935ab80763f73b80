#pragma once
// The open schedule: its four tables and the grids behind them, the chart's
// rows and the period it shows, the name of its file and whether it holds
// unsaved work. The window holds one, and so does each tool run; the views,
// dialogs, printing, history and recovery all read and change this one.

#include <functional>
#include <string>

#include "store/ChartPeriod.h"
#include "store/LinkRows.h"
#include "store/Tables.h"
#include "store/TextSearch.h"

namespace vinta {

class ScheduleDocument {
public:
    // Column captions measured with `textWidth` (when given) instead of an estimate.
    explicit ScheduleDocument(const ScheduleStore::TextWidthFn& textWidth = {});
    ScheduleDocument(const ScheduleDocument&) = delete;
    ScheduleDocument& operator=(const ScheduleDocument&) = delete;

    // The grids are declared before the store that refers to them.
    ScheduleGrids grids;
    StringGrid chartGrid{36, 10, 18};  // the chart pane: one row per outline row
    ScheduleStore store;
    // The links read against the rows, kept until either changes (the store's).
    LinkIndex& linkRows{store.LinkRows()};
    int optionSlot = -1;
    int outlineSlot = -1;
    int resourceSlot = -1;
    int taskSlot = -1;
    ChartState chart;
    // The heights rows are given when they are shown again (unfolded, new).
    int outlineRowHeight;
    int chartRowHeight;
    std::string fileName;  // in the file system's encoding; empty while new
    NameIndex names;  // the find's folded names, kept between its steps

    // Whether it holds unsaved work. Each change of it is told to
    // `onModifiedChanged`, once.
    bool Modified() const { return modified_; }
    void SetModified(bool modified) {
        if (modified == modified_) return;
        modified_ = modified;
        if (onModifiedChanged) onModifiedChanged(modified);
    }
    std::function<void(bool)> onModifiedChanged;

    StringGrid& Outline() { return grids.Schedule1; }
    const StringGrid& Outline() const { return grids.Schedule1; }
    // Row `gridRow`'s cell of the outline table (grid rows count the caption).
    std::string OutlineCell(int column, int gridRow) const {
        return store.CellText(outlineSlot, column, gridRow - 1);
    }

    // Registers the tables again over the grids as they are.
    void SetUpTables();
    // Empties every table, as File > New: ten rows at their first heights.
    void Renew();

private:
    bool modified_ = false;
};

}  // namespace vinta
