#pragma once
// One outline row read for its bar: the dates, progress and ShowBar cells
// as the chart pane and the printed page draw them. The two differ where a
// cell holds something other than what the dialog writes, and each variant
// keeps its own rules: the pane shows a row unless ShowBar is 0 and runs a
// bar without an end to the period's end; the page shows a bar only where
// ShowBar holds something other than "0" and takes an empty date cell as
// day 0 of the desktop's calendar.

#include <optional>
#include <string_view>

#include "store/Kdatetime.h"

namespace vinta {

class ScheduleDocument;

// A bar as it is drawn: its days, and how far its progress reached.
struct DrawnBar {
    Date start, end;
    bool openEnded = false;        // the pane's: no end date, so to the period's end
    std::optional<int> progress;   // as written; none where the cell holds no number
    int Percent() const;           // 0–100
};

class BarRow {
public:
    BarRow(const ScheduleDocument& doc, int dataRow);

    // On screen; none without a level, with ShowBar 0 or without a start date.
    std::optional<DrawnBar> OnScreen(Date periodEnd) const;
    // On paper; none where the bar is hidden, or a date cell holds no date.
    std::optional<DrawnBar> OnPaper() const;
    // The page hides a bar whose ShowBar is empty or "0".
    bool HiddenOnPaper() const;

private:
    const ScheduleDocument& doc_;
    int row_;
};

// A date cell's date: none where it is empty or holds no date. How the
// exchange and the dialogs read a row's dates, and the pane its bar's.
std::optional<Date> DateOfCell(std::string_view cell);

// The day an empty date cell stands for on paper: day 0 of the desktop's calendar.
inline constexpr Date kZeroDate{1899, 12, 30};

}  // namespace vinta
