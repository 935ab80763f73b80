#pragma once
// A schedule as other planners see it: a title, people, and tasks in outline
// order, each with its level, dates, progress, memo and the people assigned
// to it. Texts are UTF-8. The formats Vinta exchanges (Microsoft Project's
// XML, iCalendar, CSV) are written from and read into this, so that each
// format's code never meets the table cells.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "store/Kdatetime.h"
#include "store/TaskLinks.h"

namespace vinta {

class ScheduleDocument;

struct PlanAssignment {
    int resource = 0;  // the resource's number
    std::optional<Date> start, end;
    int progress = 0;
    std::string memo;
};

struct PlanTask {
    enum Kind { Project = 0, Task = 1, Comment = 2 };
    std::string name;
    int level = 0;  // 0: the outline's top level
    Kind kind = Task;
    std::optional<Date> start, end;  // none for a comment or a row without dates
    int progress = 0;
    std::string memo;
    std::vector<PlanAssignment> assignments;
    int line = 0;  // where it stands in what it was read from: outline row or file line, from 1
    int serial = 0;  // the row's own number in a schedule, which moves with it; 0 when read from elsewhere
};

// The kinds' names as the program shows them, by the outline's row type
// (PlanTask::Kind, then an assignment row's).
inline constexpr const char* kKindNames[] = {"プロジェクト", "タスク", "コメント", "リソース割当"};

// A span's last day: its end, or its start where the end is missing or
// falls before it.
Date LastDay(const Date& start, const std::optional<Date>& end);

struct PlanResource {
    int no = 0;
    std::string name;
    std::string group;
};

// A link between two tasks of a plan, by their places in its list.
struct PlanLink {
    size_t from = 0, to = 0;
    LinkKind kind = LinkKind::FinishToStart;
    int lag = 0;  // days
    friend bool operator==(const PlanLink&, const PlanLink&) = default;
};

struct Plan {
    std::string title;
    std::string identity;  // the schedule's own, when it has one
    std::vector<PlanResource> resources;
    // A deque, so that writing a large plan into a schedule lets go of each
    // task's memory as it goes rather than all of it at the end.
    std::deque<PlanTask> tasks;
    std::vector<PlanLink> links;
    // Whether task `i` has tasks under it.
    bool HasChildren(size_t i) const { return i + 1 < tasks.size() && tasks[i + 1].level > tasks[i].level; }
};

// The document's rows that hold a kind (rows nobody filled in are left out).
Plan ReadPlan(const ScheduleDocument& doc);

// Fills a new document (as File > New leaves it) with the plan, letting go
// of each task's texts as they are written. A text that Shift-JIS cannot
// hold is refused before anything is written: the answer names the task
// and its line.
std::optional<std::string> WritePlan(Plan plan, ScheduleDocument& doc);

}  // namespace vinta
