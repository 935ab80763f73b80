#pragma once
// The period the chart shows: the view mode, today as of the last layout, and
// the first and last date shown. Read by the chart pane and by the printed
// page alike; the chart pane lays it out.

#include "runtime/Clock.h"
#include "store/Kdatetime.h"

namespace vinta {

enum ViewMode : int { kYearView = 0, kMonthView = 1, kWeekView = 2 };

struct ChartState {
    int viewMode = kYearView;
    // The view a window starts in and returns to after a file is read: the
    // one the user last left, from the settings.
    int homeMode = kYearView;
    SystemTime today{};
    Date viewStart{};
    Date viewEnd{};
    // National holidays shaded as Sundays are, in the month view and on its pages.
    bool showHolidays = true;
};

}  // namespace vinta
