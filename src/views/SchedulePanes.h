#pragma once
// The outline and chart panes side by side over one schedule: what the main
// window shows, and what `vinta-kts export` pictures without any window.

#include <QSplitter>

namespace vinta {

class GridWidget;
class ImageList;
class ScheduleStore;
class StringGrid;
struct ChartState;

// What the panes draw. Everything stays the caller's; the slot numbers are
// read at each paint, since a new schedule sets its tables up again.
struct PaneModels {
    const ScheduleStore& store;
    const int& outlineSlot;
    const int& resourceSlot;
    StringGrid& outline;  // Schedule1's grid
    StringGrid& chart;    // Schedule2's grid
    const ChartState& chartState;
    const ImageList& sch;   // fold boxes
    const ImageList& task;  // type and memo icons
    const ImageList& info;  // working-state lamps
};

class SchedulePanes : public QSplitter {
public:
    explicit SchedulePanes(const PaneModels& models, QWidget* parent = nullptr);
    GridWidget* Outline() const { return outline_; }
    GridWidget* Chart() const { return chart_; }
    // Both panes take up their grids' rows, sizes and cells again.
    void Refresh();

private:
    GridWidget* outline_;
    GridWidget* chart_;
};

}  // namespace vinta
