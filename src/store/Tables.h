#pragma once
// The four tables of a schedule, their columns, and the set-up the main window
// performs at creation and on New. Lives beside the store so that the tools
// and tests set up exactly the schedule the window does.

#include <string_view>

#include "ScheduleStore.h"
#include "runtime/StringGrid.h"

namespace vinta {

namespace outline {
enum Column : int {
    No = 0, Icon, Name, Progress, StartDate, EndDate, Level, Type, WorkState,
    ResourceNo, LinkNo, HasChildren, Expanded, Memo, ShowBar,
};
enum RowType : int { Project = 0, Task = 1, Comment = 2, Assignment = 3 };
// The Type cell names `type` exactly: the one digit, nothing around it.
inline bool IsRowType(std::string_view typeCell, RowType type) {
    return typeCell.size() == 1 && typeCell[0] == static_cast<char>('0' + type);
}
}  // namespace outline

namespace resource {
enum Column : int {
    No = 0, Icon, Name, Affiliation, Nickname, MailAddress, Kind, Id, Password, Memo,
};
enum ResourceKind : int { Member = 0, Leader = 1, Manager = 2 };
}  // namespace resource

namespace task {
enum Column : int {
    No = 0, Name = 2, Progress, StartDate, EndDate, Level, TaskNo = 8, ResourceNo, LinkNo,
    HasChildren, Expanded, Memo,
};
}  // namespace task

// The grids behind the tables, as the main window is designed: the outline
// pane `Schedule1` and the hidden `Opt`, `Resource` and `Task` grids.
struct ScheduleGrids {
    StringGrid Opt{1, 10, 12};
    StringGrid Schedule1{15, 10, 18};
    StringGrid Resource{15, 2, 18};
    StringGrid Task{15, 2, 18};
};

struct TableSlots {
    int optionSlot = -1;
    int outlineSlot = -1;
    int resourceSlot = -1;
    int taskSlot = -1;
};

// Resets the store, registers the four tables, defines their columns and
// numbers the rows already present.
TableSlots InitTables(ScheduleStore& store, ScheduleGrids& grids);

// What drawing makes of a row's numbers, on screen and on paper alike; the
// cells keep whatever the file holds. Level Down makes levels up to 5 and
// takes sub-rows one further, so 6 is the deepest the program itself writes.
constexpr int kDeepestLevel = 6;
inline int DrawnLevel(int level) { return level < 0 ? 0 : level > kDeepestLevel ? kDeepestLevel : level; }
inline int DrawnProgress(int percent) { return percent < 0 ? 0 : percent > 100 ? 100 : percent; }

}  // namespace vinta
