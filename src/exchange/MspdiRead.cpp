#include <expat.h>

#include <algorithm>
#include <charconv>
#include <map>
#include <memory>
#include <unordered_map>

#include "exchange/Mspdi.h"

namespace vinta {

namespace {

constexpr const char* kText1 = "188743731";

int Number(const std::string& text, int fallback = 0) {
    int v = fallback;
    const char* b = text.data();
    while (b < text.data() + text.size() && *b == ' ') ++b;
    std::from_chars(b, text.data() + text.size(), v);
    return v;
}

// "2027-03-01T08:00:00" or "2027-03-01".
std::optional<Date> DateOf(const std::string& stamp) {
    if (stamp.size() < 10 || stamp[4] != '-' || stamp[7] != '-') return std::nullopt;
    Date d{Number(stamp.substr(0, 4)), Number(stamp.substr(5, 2)), Number(stamp.substr(8, 2))};
    if (!IsValidDate(d.year, d.month, d.day)) return std::nullopt;
    return d;
}

using Fields = std::map<std::string, std::string>;

std::string Get(const Fields& f, const char* key) {
    auto it = f.find(key);
    return it == f.end() ? std::string() : it->second;
}

struct RawTask {
    Fields f;
    std::string kind;  // the Text1 value, when there is one
    int line = 0;
};

// Collects the elements the plan needs as plain fields, and counts what it
// cannot hold.
class Reader {
public:
    std::vector<RawTask> tasks;
    std::vector<Fields> resources, assignments;
    Fields project;
    bool isProject = false;
    LeftOut left;

    XML_Parser parser = nullptr;  // for the line a task begins on

    void Start(std::string_view name) {
        path_.emplace_back(name);
        text_.clear();
        if (path_.size() == 1) isProject = name == "Project";
        if (Under("Tasks", "Task"))
            tasks.push_back({{}, {}, static_cast<int>(XML_GetCurrentLineNumber(parser))});
        else if (Under("Resources", "Resource"))
            resources.emplace_back();
        else if (Under("Assignments", "Assignment"))
            assignments.emplace_back();
        else if (Under("Task", "PredecessorLink"))
            ++left.dependencies;
        else if (Under("Calendars", "Calendar"))
            ++left.calendars;
    }
    void End() {
        const std::string name = path_.back();
        if (path_.size() == 2 && isProject)
            project[name] = text_;
        else if (Under("Task", name.c_str()) && !tasks.empty())
            Take(tasks.back().f, name);
        else if (Under("Resource", name.c_str()) && !resources.empty())
            Take(resources.back(), name);
        else if (Under("Assignment", name.c_str()) && !assignments.empty())
            Take(assignments.back(), name);
        else if (Under("ExtendedAttribute", "Value") && Within("Task") && !tasks.empty() && field_ == kText1)
            tasks.back().kind = text_;
        else if (Under("ExtendedAttribute", "FieldID"))
            field_ = text_;
        path_.pop_back();
        text_.clear();
    }
    void Text(std::string_view s) { text_.append(s); }

private:
    void Take(Fields& f, const std::string& name) {
        f[name] = text_;
        if (name == "Cost" && Number(text_) != 0) ++left.costs;
    }
    // The innermost element is `child` and its parent `parent`.
    bool Under(const char* parent, const char* child) const {
        const size_t n = path_.size();
        return n >= 2 && path_[n - 1] == child && path_[n - 2] == parent;
    }
    bool Within(const char* name) const { return std::find(path_.begin(), path_.end(), name) != path_.end(); }

    std::vector<std::string> path_;
    std::string text_, field_;
};

// Element names come as "namespace|local"; the local part is what counts.
std::string_view Local(const char* name) {
    std::string_view n(name);
    size_t bar = n.rfind('|');
    return bar == std::string_view::npos ? n : n.substr(bar + 1);
}

PlanTask::Kind KindOf(const std::string& text) {
    if (text == kKindNames[PlanTask::Project]) return PlanTask::Project;
    if (text == kKindNames[PlanTask::Comment]) return PlanTask::Comment;
    return PlanTask::Task;
}

Plan Build(const Reader& r, int& constraints) {
    Plan plan;
    plan.title = Get(r.project, "Title").empty() ? Get(r.project, "Name") : Get(r.project, "Title");
    std::unordered_map<int, int> resourceNo;  // UID -> the number it gets
    int next = 1;
    for (const Fields& f : r.resources) next = std::max(next, Number(Get(f, "UID")) + 1);
    for (const Fields& f : r.resources) {
        auto get = [&](const char* k) { return Get(f, k); };
        if (get("Name").empty() || get("IsNull") == "1") continue;
        const int uid = Number(get("UID"));
        const int no = uid > 0 && !resourceNo.count(uid) ? uid : next++;
        resourceNo[uid] = no;
        plan.resources.push_back({no, get("Name"), get("Group")});
    }
    std::unordered_map<int, size_t> taskAt;  // UID -> index
    for (const RawTask& t : r.tasks) {
        auto get = [&](const char* k) { return Get(t.f, k); };
        const std::string number = get("OutlineNumber");
        const int level = t.f.count("OutlineLevel")
                              ? Number(get("OutlineLevel"))
                              : static_cast<int>(std::count(number.begin(), number.end(), '.')) + 1;
        if (level <= 0 || get("IsNull") == "1") continue;  // the project's own summary task, empty lines
        PlanTask p;
        p.name = get("Name");
        p.level = level - 1;
        p.kind = KindOf(t.kind);
        if (p.kind != PlanTask::Comment) {
            p.start = DateOf(get("Start"));
            p.end = DateOf(get("Finish"));
        }
        // A task held to its own start is what every dated row is here;
        // any other constraint is the scheduler's, and left out.
        const int constraint = Number(get("ConstraintType"));
        if (constraint != 0 && !((constraint == kMustStartOn || constraint == kStartNoEarlierThan) &&
                                 p.start && DateOf(get("ConstraintDate")) == p.start))
            ++constraints;
        p.progress = std::clamp(Number(get("PercentComplete")), 0, 100);
        p.memo = get("Notes");
        p.line = t.line;
        taskAt[Number(get("UID"))] = plan.tasks.size();
        plan.tasks.push_back(std::move(p));
    }
    for (const Fields& f : r.assignments) {
        auto get = [&](const char* k) { return Get(f, k); };
        auto task = taskAt.find(Number(get("TaskUID"), -1));
        auto person = resourceNo.find(Number(get("ResourceUID"), -1));
        if (task == taskAt.end() || person == resourceNo.end()) continue;  // unassigned, or a task left out
        plan.tasks[task->second].assignments.push_back({person->second, DateOf(get("Start")), DateOf(get("Finish")),
                                                        std::clamp(Number(get("PercentWorkComplete")), 0, 100),
                                                        get("Notes")});
    }
    return plan;
}

}  // namespace

std::string Describe(const LeftOut& left) {
    std::string out;
    auto add = [&](int n, const char* what) {
        if (n) out += (out.empty() ? "" : ", ") + std::to_string(n) + " " + what;
    };
    add(left.dependencies, "dependencies");
    add(left.calendars, "calendars");
    add(left.costs, "costs");
    add(left.constraints, "constraints");
    return out;
}

std::optional<MspdiRead> ReadMspdi(std::string_view xml, std::string& error) {
    std::unique_ptr<std::remove_pointer_t<XML_Parser>, decltype(&XML_ParserFree)> parser(
        XML_ParserCreateNS("UTF-8", '|'), &XML_ParserFree);
    Reader reader;
    reader.parser = parser.get();
    XML_SetUserData(parser.get(), &reader);
    XML_SetElementHandler(
        parser.get(),
        [](void* data, const XML_Char* name, const XML_Char**) { static_cast<Reader*>(data)->Start(Local(name)); },
        [](void* data, const XML_Char*) { static_cast<Reader*>(data)->End(); });
    XML_SetCharacterDataHandler(parser.get(), [](void* data, const XML_Char* s, int len) {
        static_cast<Reader*>(data)->Text(std::string_view(s, static_cast<size_t>(len)));
    });
    constexpr size_t kPiece = 1 << 24;  // the parser counts in int
    bool ok = true;
    size_t at = 0;
    do {
        const size_t n = std::min(kPiece, xml.size() - at);
        ok = XML_Parse(parser.get(), xml.data() + at, static_cast<int>(n), at + n == xml.size()) == XML_STATUS_OK;
        at += n;
    } while (ok && at < xml.size());
    if (!ok) {
        error = "line " + std::to_string(XML_GetCurrentLineNumber(parser.get())) + ": " +
                XML_ErrorString(XML_GetErrorCode(parser.get()));
        return std::nullopt;
    }
    if (!reader.isProject) {
        error = "not a Microsoft Project XML file (no Project element)";
        return std::nullopt;
    }
    Plan plan = Build(reader, reader.left.constraints);
    return MspdiRead{std::move(plan), reader.left};
}

}  // namespace vinta
