#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <unordered_map>

#include "exchange/Mspdi.h"
#include "exchange/Whole.h"
#include "exchange/XmlStream.h"

namespace vinta {

namespace {

constexpr std::string_view kText1 = "188743731";
constexpr long long kUnassigned = -65535;  // the resource UID of an assignment nobody holds

enum Field { kUid, kName, kTitle, kLevel, kNumber, kStart, kFinish, kMilestone, kPercent, kWorkPercent, kNotes,
             kConstraint, kConstraintDate, kIsNull, kCost, kGroup, kTaskUid, kResourceUid, kFieldId, kValue, kFields };

constexpr std::array<std::string_view, kFields> kFieldNames = {
    "UID", "Name", "Title", "OutlineLevel", "OutlineNumber", "Start", "Finish", "Milestone", "PercentComplete",
    "PercentWorkComplete", "Notes", "ConstraintType", "ConstraintDate", "IsNull", "Cost", "Group", "TaskUID",
    "ResourceUID", "FieldID", "Value"};

int FieldOf(std::string_view name) {
    const auto it = std::find(kFieldNames.begin(), kFieldNames.end(), name);
    return it == kFieldNames.end() ? -1 : static_cast<int>(it - kFieldNames.begin());
}

struct Record {
    std::array<std::string, kFields> f;
    std::array<bool, kFields> has{};
    std::string kind;  // the Text1 value, when there is one
    long line = 0;
    const std::string& operator[](Field k) const { return f[k]; }
    bool Has(Field k) const { return has[k]; }
    void Clear() {
        for (std::string& s : f) s.clear();
        has.fill(false);
        kind.clear();
    }
};

struct RawLink {
    int successor = 0;  // UIDs
    std::string predecessor, type, lag, format, crossProject;
};

// A link's lag in days: MSPDI keeps tenths of a minute, of working time (an
// eight-hour day) unless the format is one of the elapsed ones.
int LagDays(const RawLink& l) {
    const long long tenths = Whole(l.lag).value_or(0);
    const int format = Whole(l.format).value_or(7);
    const bool elapsed = format == 4 || format == 6 || format == 8 || format == 10 || format == 12 || format == 20;
    const double perDay = elapsed ? kLagTenthsPerElapsedDay : kLagTenthsPerDay;
    return static_cast<int>(std::lround(static_cast<double>(tenths) / perDay));
}

LinkKind KindOfLink(const std::string& type) {
    const int number = Whole(type).value_or(kMspdiLinkType[0]);
    for (int k = 0; k < kLinkKinds; ++k)
        if (kMspdiLinkType[k] == number) return static_cast<LinkKind>(k);
    return LinkKind::FinishToStart;
}

struct RawAssignment {
    int task = 0, person = 0;
    std::optional<Date> start, end;
    int progress = 0;
    std::string memo;
};

PlanTask::Kind KindOf(const std::string& text) {
    if (text == kKindNames[PlanTask::Project]) return PlanTask::Project;
    if (text == kKindNames[PlanTask::Comment]) return PlanTask::Comment;
    return PlanTask::Task;
}

// Turns each task, resource and assignment into the plan's terms as its
// element closes, keeping nothing of the text but what the plan holds.
class Reader final : public XmlHandler {
public:
    Plan plan;
    ImportReport report;
    bool isProject = false;
    std::string refused;  // the first reason the file cannot be taken

    void Start(std::string_view name, const char**) override {
        path_.emplace_back(name);
        const size_t depth = path_.size();
        if (depth == 1) isProject = name == "Project";
        field_ = -1;
        if (Under("Tasks", "Task") || Under("Resources", "Resource") || Under("Assignments", "Assignment")) {
            record_.Clear();
            record_.line = line;
            recordDepth_ = depth;
        } else if (Under("Task", "PredecessorLink")) {
            linkDepth_ = depth;
            link_ = RawLink{};
        } else if (linkDepth_ && depth == linkDepth_ + 1) {
            linkField_ = std::string(name);
        } else if (Under("Calendars", "Calendar")) {
            ++report.calendars;
        } else if ((recordDepth_ && depth == recordDepth_ + 1) || (depth == 2 && isProject) ||
                   (recordDepth_ && depth == recordDepth_ + 2 && Under("ExtendedAttribute", name))) {
            field_ = FieldOf(name);
        }
        text_.clear();
    }

    void End(std::string_view name) override {
        const size_t depth = path_.size();
        if (linkDepth_ && depth == linkDepth_ + 1) KeepLinkField();
        if (linkDepth_ && depth == linkDepth_) {
            linkDepth_ = 0;
            taskLinks_.push_back(std::move(link_));
        }
        if (field_ >= 0) Keep(depth);
        field_ = -1;
        if (depth == recordDepth_) {
            recordDepth_ = 0;
            if (name == "Task") TakeTask();
            else if (name == "Resource") TakeResource();
            else TakeAssignment();
        } else if (recordDepth_ && name == "ExtendedAttribute" && record_[kFieldId] == kText1) {
            record_.kind = record_[kValue];
        }
        if (name == "ExtendedAttribute") record_.f[kFieldId].clear();
        path_.pop_back();
    }

    void Text(std::string_view s) override {
        if (field_ >= 0 || !linkField_.empty()) text_.append(s);
    }

    void Finish() {
        NumberResources();
        for (const RawAssignment& a : assignments_) Assign(a);
        for (const RawLink& l : links_) Link(l);
        Settle(plan, report);
    }

private:
    void Keep(size_t depth) {
        if (depth == 2) {
            if (field_ == kTitle || field_ == kName) project_[field_] = text_;
            return;
        }
        record_.f[static_cast<size_t>(field_)] = text_;
        record_.has[static_cast<size_t>(field_)] = true;
        if (field_ == kCost && depth == recordDepth_ + 1 && Whole(text_).value_or(0) != 0) ++report.costs;
    }

    std::optional<Date> DateOf(Field k) {
        const std::string& stamp = record_[k];
        if (stamp.empty()) return std::nullopt;
        auto num = [&](size_t at, size_t n) { return Whole(std::string_view(stamp).substr(at, n)).value_or(0); };
        if (stamp.size() >= 10 && stamp[4] == '-' && stamp[7] == '-' && num(0, 4) >= 1 &&
            IsValidDate(num(0, 4), num(5, 2), num(8, 2)))
            return Date{num(0, 4), num(5, 2), num(8, 2)};
        ++report.dates;
        return std::nullopt;
    }

    int Percent(Field k) {
        if (record_[k].empty()) return 0;
        if (auto v = Whole(record_[k])) return *v;
        ++report.progress;
        return 0;
    }

    // A second record under one UID is refused, naming it.
    bool FirstOf(std::unordered_map<int, int>& seen, const char* what, int index) {
        const int uid = Whole(record_[kUid]).value_or(0);
        if (seen.emplace(uid, index).second) return true;
        if (refused.empty())
            refused = "line " + std::to_string(record_.line) + ": " + what + " UID " + std::to_string(uid) +
                      " appears twice";
        return false;
    }

    void KeepLinkField() {
        if (linkField_ == "PredecessorUID") link_.predecessor = text_;
        else if (linkField_ == "Type") link_.type = text_;
        else if (linkField_ == "LinkLag") link_.lag = text_;
        else if (linkField_ == "LagFormat") link_.format = text_;
        else if (linkField_ == "CrossProject") link_.crossProject = text_;
        linkField_.clear();
    }

    // A link to a task of another project, or to one this file does not
    // hold as a row, is left out.
    void Link(const RawLink& l) {
        const auto from = taskAt_.find(Whole(l.predecessor).value_or(INT_MIN)), to = taskAt_.find(l.successor);
        if (l.crossProject == "1" || from == taskAt_.end() || to == taskAt_.end() || from->second < 0 || to->second < 0) {
            ++report.dependencies;
            return;
        }
        plan.links.push_back({static_cast<size_t>(from->second), static_cast<size_t>(to->second), KindOfLink(l.type),
                              LagDays(l)});
    }

    void TakeTask() {
        for (RawLink& l : taskLinks_) {
            l.successor = Whole(record_[kUid]).value_or(INT_MIN);
            links_.push_back(std::move(l));
        }
        taskLinks_.clear();
        const std::string& number = record_[kNumber];
        const int level = record_.Has(kLevel) ? Whole(record_[kLevel]).value_or(1)
                                              : static_cast<int>(std::count(number.begin(), number.end(), '.')) + 1;
        // The project's own summary task and MS Project's blank lines are no rows.
        const bool row = level != 0 && record_[kIsNull] != "1";
        if (!FirstOf(taskAt_, "task", row ? static_cast<int>(plan.tasks.size()) : -1) || !row) return;
        PlanTask p;
        p.name = record_[kName];
        p.level = level - 1;
        p.kind = KindOf(record_.kind);
        if (p.kind != PlanTask::Comment) {
            p.start = DateOf(kStart);
            p.end = DateOf(kFinish);
            if (record_[kMilestone] == "1" || record_[kMilestone] == "true") {
                if (p.start) p.end = p.start;
                ++report.milestones;
            }
        }
        // A task held to its own start is what every dated row is here;
        // any other constraint is the scheduler's, and left out.
        const int constraint = Whole(record_[kConstraint]).value_or(0);
        if (constraint != 0 &&
            !((constraint == kMustStartOn || constraint == kStartNoEarlierThan) && p.start &&
              record_[kConstraintDate].compare(0, 10, record_[kStart], 0, 10) == 0))
            ++report.constraints;
        p.progress = Percent(kPercent);
        p.memo = record_[kNotes];
        p.line = static_cast<int>(record_.line);
        plan.tasks.push_back(std::move(p));
    }

    void TakeResource() {
        const bool named = !record_[kName].empty() && record_[kIsNull] != "1";
        if (!FirstOf(personAt_, "resource", named ? static_cast<int>(plan.resources.size()) : -1) || !named) return;
        plan.resources.push_back({Whole(record_[kUid]).value_or(0), record_[kName], record_[kGroup]});
    }

    void TakeAssignment() {
        RawAssignment a{Whole(record_[kTaskUid]).value_or(INT_MIN), Whole(record_[kResourceUid]).value_or(INT_MIN),
                        DateOf(kStart), DateOf(kFinish), Percent(kWorkPercent), record_[kNotes]};
        assignments_.push_back(std::move(a));
    }

    // People keep their UID as their number where it is a usable one.
    void NumberResources() {
        int next = 1;
        for (const PlanResource& r : plan.resources) next = std::max(next, r.no + 1);
        for (PlanResource& r : plan.resources) {
            const int uid = r.no;
            r.no = uid > 0 ? uid : next++;
            personNo_[uid] = r.no;
        }
    }

    void Assign(const RawAssignment& a) {
        const auto task = taskAt_.find(a.task);
        const auto person = personAt_.find(a.person);
        if (a.person == kUnassigned) return;
        if (task == taskAt_.end() || person == personAt_.end()) {
            ++report.assignments;
            return;
        }
        if (task->second < 0 || person->second < 0) return;  // the summary task, a blank line or resource
        plan.tasks[static_cast<size_t>(task->second)].assignments.push_back(
            {personNo_[a.person], a.start, a.end, a.progress, a.memo});
    }

    bool Under(std::string_view parent, std::string_view child) const {
        const size_t n = path_.size();
        return n >= 2 && path_[n - 1] == child && path_[n - 2] == parent;
    }

    std::vector<std::string> path_;
    std::string text_;
    int field_ = -1;
    size_t recordDepth_ = 0;
    Record record_;
    std::array<std::string, kFields> project_;
    std::unordered_map<int, int> taskAt_, personAt_, personNo_;  // UID -> index (-1: not a row), number
    std::vector<RawAssignment> assignments_;
    size_t linkDepth_ = 0;  // inside a task's PredecessorLink at this depth
    std::string linkField_;
    RawLink link_;
    std::vector<RawLink> taskLinks_, links_;  // the task's being read; every task's

public:
    std::string Title() const { return project_[kTitle].empty() ? project_[kName] : project_[kTitle]; }
};

std::optional<MspdiRead> Result(Reader& reader, bool parsed, std::string& error) {
    if (!parsed) return std::nullopt;
    if (!reader.isProject) return error = "not a Microsoft Project XML file (no Project element)", std::nullopt;
    if (!reader.refused.empty()) return error = reader.refused, std::nullopt;
    reader.Finish();
    reader.plan.title = reader.Title();
    return MspdiRead{std::move(reader.plan), reader.report};
}

}  // namespace

std::optional<MspdiRead> ReadMspdi(std::string_view xml, std::string& error) {
    Reader reader;
    const bool parsed = ParseXml(xml, reader, error);
    return Result(reader, parsed, error);
}

std::optional<MspdiRead> ReadMspdi(std::istream& in, std::string& error) {
    Reader reader;
    const bool parsed = ParseXml(in, reader, error);
    return Result(reader, parsed, error);
}

}  // namespace vinta
