#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "exchange/Planner.h"
#include "exchange/Whole.h"
#include "exchange/XmlStream.h"

namespace vinta {

namespace {

const char* Attr(const char** attributes, const char* name) {
    for (const char** a = attributes; a && *a; a += 2)
        if (std::strcmp(a[0], name) == 0) return a[1];
    return "";
}

struct RawAllocation {
    int task = 0, person = 0;
};

// A predecessor as Planner writes it under its task: the other task's id,
// "FS", "SS", "FF" or "SF", and a lag in seconds of working time.
struct RawPredecessor {
    int successor = -1;  // place in the plan
    int predecessor = -1;  // Planner's id
    std::string type;
    long long lag = 0;
};

// A working day: eight hours of Planner's default calendar.
constexpr double kPlannerDaySeconds = 8 * 3600.0;

LinkKind KindOfPredecessor(std::string_view type) { return KindOfCode(type).value_or(LinkKind::FinishToStart); }

// Builds the plan as the elements open: a task's level is how deep it is
// nested, its people come from the allocations at the end.
class Reader final : public XmlHandler {
public:
    Plan plan;
    ImportReport report;
    bool isProject = false;
    std::string refused;

    void Start(std::string_view name, const char** a) override {
        ++depth_;
        if (depth_ == 1) {
            isProject = name == "project";
            plan.title = Attr(a, "name");
        } else if (name == "task") {
            Task(a);
        } else if (name == "constraint" && lastTask_ >= 0) {
            Constraint(a);
        } else if (name == "predecessor") {
            predecessors_.push_back({open_.empty() ? -1 : open_.back(), Whole(Attr(a, "predecessor-id")).value_or(-1),
                                     Attr(a, "type"), Whole(Attr(a, "lag")).value_or(0)});
        } else if (name == "calendar") {
            ++report.calendars;
        } else if (name == "group") {
            groups_[Attr(a, "id")] = Attr(a, "name");
        } else if (name == "resource") {
            Resource(a);
        } else if (name == "allocation") {
            allocations_.push_back({Whole(Attr(a, "task-id")).value_or(-1), Whole(Attr(a, "resource-id")).value_or(-1)});
        }
    }

    void End(std::string_view name) override {
        --depth_;
        if (name == "task") {
            --level_;
            if (!open_.empty()) open_.pop_back();
        }
    }

    void Text(std::string_view) override {}

    void Finish() {
        // People keep their id as their number where it is a usable one.
        int next = 1;
        for (const PlanResource& r : plan.resources) next = std::max(next, r.no + 1);
        for (PlanResource& r : plan.resources) {
            r.group = groups_[r.group];
            if (r.no <= 0) r.no = next++;
        }
        for (const RawAllocation& a : allocations_) {
            const auto task = taskAt_.find(a.task);
            const auto person = personAt_.find(a.person);
            if (task == taskAt_.end() || person == personAt_.end()) {
                ++report.assignments;
                continue;
            }
            plan.tasks[task->second].assignments.push_back({plan.resources[person->second].no, {}, {}, 0, {}});
        }
        for (const RawPredecessor& p : predecessors_) {
            const auto from = taskAt_.find(p.predecessor);
            if (p.successor < 0 || from == taskAt_.end()) {
                ++report.dependencies;
                continue;
            }
            plan.links.push_back({from->second, static_cast<size_t>(p.successor), KindOfPredecessor(p.type),
                                  static_cast<int>(std::llround(static_cast<double>(p.lag) / kPlannerDaySeconds))});
        }
        Settle(plan, report);
    }

private:
    // "20270301T080000Z": the day as written (Planner writes its local
    // time with a Z after it).
    std::optional<Date> DateOf(const char* stamp, bool end) {
        const std::string_view s(stamp);
        if (s.empty() || s == "Z") return std::nullopt;  // Planner's own importer writes an undated task so
        std::optional<Date> d = CompactDate(s);
        if (!d) {
            ++report.dates;
            return std::nullopt;
        }
        // An end at midnight is the close of the day before.
        if (end && s.size() >= 15 && s.substr(8, 7) == "T000000") d = AddDays(d->year, d->month, d->day, -1);
        return d;
    }

    void Task(const char** a) {
        ++level_;
        const int id = Whole(Attr(a, "id")).value_or(-1);
        open_.push_back(-1);
        if (!taskAt_.emplace(id, plan.tasks.size()).second) return Twice("task", id);
        open_.back() = static_cast<int>(plan.tasks.size());
        PlanTask t;
        t.name = Attr(a, "name");
        t.level = level_ - 1;
        t.start = DateOf(Attr(a, "start"), false);
        t.end = DateOf(Attr(a, "end"), true);
        // An end at the midnight that begins the start day: a span of no length.
        if (t.start && t.end && DaysFrom(*t.start, *t.end) == -1) t.end = t.start;
        if (std::strcmp(Attr(a, "type"), "milestone") == 0) {
            t.end = t.start;
            ++report.milestones;
        }
        if (const std::string_view percent = Attr(a, "percent-complete"); !percent.empty()) {
            if (const auto v = Whole(percent)) t.progress = *v;
            else ++report.progress;
        }
        t.memo = Attr(a, "note");
        t.line = static_cast<int>(line);
        start_ = Attr(a, "start");
        lastTask_ = static_cast<int>(plan.tasks.size());
        plan.tasks.push_back(std::move(t));
    }

    // A task held to its own start is what every dated row is here.
    void Constraint(const char** a) {
        const std::string_view type = Attr(a, "type"), time = Attr(a, "time");
        const bool ownStart = (type == "must-start-on" || type == "start-no-earlier-than") &&
                              time.substr(0, 8) == std::string_view(start_).substr(0, 8);
        if (!ownStart) ++report.constraints;
    }

    void Resource(const char** a) {
        const int id = Whole(Attr(a, "id")).value_or(-1);
        if (personAt_.count(id)) return Twice("resource", id);
        if (Whole(Attr(a, "std-rate")).value_or(0) != 0 || Whole(Attr(a, "ovt-rate")).value_or(0) != 0) ++report.costs;
        personAt_[id] = plan.resources.size();
        plan.resources.push_back({id, Attr(a, "name"), Attr(a, "group")});
    }

    void Twice(const char* what, int id) {
        if (refused.empty())
            refused = "line " + std::to_string(line) + ": " + what + " id " + std::to_string(id) + " appears twice";
    }

    int depth_ = 0, level_ = 0, lastTask_ = -1;
    std::string start_;
    std::unordered_map<int, size_t> taskAt_;
    std::unordered_map<int, size_t> personAt_;
    std::unordered_map<std::string, std::string> groups_;
    std::vector<RawAllocation> allocations_;
    std::vector<RawPredecessor> predecessors_;
    std::vector<int> open_;  // the tasks open around the element read, by place (-1: one left out)
};

std::optional<PlannerRead> Result(Reader& reader, bool parsed, std::string& error) {
    if (!parsed) return std::nullopt;
    if (!reader.isProject) return error = "not a Planner file (no project element)", std::nullopt;
    if (!reader.refused.empty()) return error = reader.refused, std::nullopt;
    reader.Finish();
    return PlannerRead{std::move(reader.plan), reader.report};
}

}  // namespace

std::optional<PlannerRead> ReadPlanner(std::string_view xml, std::string& error) {
    Reader reader;
    const bool parsed = ParseXml(xml, reader, error);
    return Result(reader, parsed, error);
}

std::optional<PlannerRead> ReadPlanner(std::istream& in, std::string& error) {
    Reader reader;
    const bool parsed = ParseXml(in, reader, error);
    return Result(reader, parsed, error);
}

}  // namespace vinta
