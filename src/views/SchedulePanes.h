#pragma once
// The outline and chart panes side by side over one schedule: what the main
// window shows, and what `vinta-kts export` pictures without any window.

#include <QSplitter>

namespace vinta {

class GridWidget;
class ImageList;
class ScheduleDocument;

// What the panes draw; everything stays the caller's.
struct PaneModels {
    ScheduleDocument& doc;
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
    void Couple(GridWidget* from, GridWidget* to);
    const ScheduleDocument& doc_;
    bool forwarding_ = false;
    GridWidget* outline_;
    GridWidget* chart_;
};

}  // namespace vinta
