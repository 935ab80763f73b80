#include "exchange/ImportReport.h"

#include <unordered_set>
#include <vector>

#include <algorithm>
#include <optional>
#include <vector>

#include "exchange/Plan.h"
#include "store/Tables.h"

namespace vinta {

namespace {

void Add(std::string& out, int n, const char* one, const char* many) {
    if (!n) return;
    if (!out.empty()) out += ", ";
    out += std::to_string(n) + " " + (n == 1 ? one : many);
}

int Clamped(int value, int low, int high, int& count) {
    if (value >= low && value <= high) return value;
    ++count;
    return std::clamp(value, low, high);
}

void Order(std::optional<Date>& start, std::optional<Date>& end, int& count) {
    if (start && end && DaysFrom(*start, *end) < 0) {
        std::swap(start, end);
        ++count;
    }
}

}  // namespace

std::string Describe(const ImportReport& r) {
    std::string dropped, changed;
    Add(dropped, r.dependencies, "dependency", "dependencies");
    Add(dropped, r.calendars, "calendar", "calendars");
    Add(dropped, r.costs, "cost", "costs");
    Add(dropped, r.constraints, "constraint", "constraints");
    Add(dropped, r.assignments, "assignment to a task or person not in the file",
        "assignments to tasks or people not in the file");
    Add(changed, r.levels, "outline level out of range brought to the nearest", "outline levels out of range brought to the nearest");
    Add(changed, r.levelJumps, "jump in level made one step", "jumps in level made one step");
    Add(changed, r.progress, "progress outside 0-100 brought within", "progresses outside 0-100 brought within");
    Add(changed, r.dates, "date outside the years 1-9999 left empty", "dates outside the years 1-9999 left empty");
    Add(changed, r.swapped, "finish before its start swapped with it", "finishes before their start swapped with it");
    Add(changed, r.milestones, "milestone taken as a one-day task", "milestones taken as one-day tasks");
    Add(changed, r.repeats, "repetition taken once", "repetitions taken once");
    std::string out;
    if (!dropped.empty()) out = "dropped: " + dropped;
    if (!changed.empty()) out += (out.empty() ? "" : "; ") + ("changed: " + changed);
    return out;
}

namespace {

// Whether the links between `n` tasks leave no circle: every task can be
// taken once all that lead to it are.
bool Acyclic(size_t n, const std::vector<PlanLink>& links) {
    std::vector<std::vector<size_t>> next(n);
    std::vector<int> into(n, 0);
    for (const PlanLink& l : links) {
        next[l.from].push_back(l.to);
        ++into[l.to];
    }
    std::vector<size_t> ready;
    for (size_t i = 0; i < n; ++i)
        if (into[i] == 0) ready.push_back(i);
    size_t taken = 0;
    while (!ready.empty()) {
        const size_t at = ready.back();
        ready.pop_back();
        ++taken;
        for (size_t to : next[at])
            if (--into[to] == 0) ready.push_back(to);
    }
    return taken == n;
}

void SettleLinks(Plan& plan, ImportReport& report) {
    std::unordered_set<uint64_t> pairs;
    std::vector<PlanLink> links;
    for (const PlanLink& l : plan.links) {
        const bool rows = l.from < plan.tasks.size() && l.to < plan.tasks.size() && l.from != l.to &&
                          plan.tasks[l.from].kind != PlanTask::Comment && plan.tasks[l.to].kind != PlanTask::Comment;
        const bool lag = l.lag >= -kMaxLagDays && l.lag <= kMaxLagDays;
        if (!rows || !lag || !pairs.insert((uint64_t{l.from} << 32) | l.to).second) {
            ++report.dependencies;
            continue;
        }
        links.push_back(l);
    }
    // Circles are rare: only then is each link tried in turn, in file order.
    if (!Acyclic(plan.tasks.size(), links)) {
        TaskLinks kept;
        std::vector<PlanLink> open;
        for (const PlanLink& l : links) {
            if (kept.Add({static_cast<int32_t>(l.from), static_cast<int32_t>(l.to), l.kind, l.lag}) == LinkVerdict::Added)
                open.push_back(l);
            else
                ++report.dependencies;
        }
        links = std::move(open);
    }
    plan.links = std::move(links);
}

}  // namespace

void Settle(Plan& plan, ImportReport& report) {
    // The rows a row may stand under, with the level each had in the file:
    // rows that were siblings there stay siblings when a jump is closed.
    std::vector<std::pair<int, int>> parents;  // level read, level given
    for (PlanTask& t : plan.tasks) {
        const int read = Clamped(t.level, 0, kDeepestLevel, report.levels);
        while (!parents.empty() && parents.back().first >= read) parents.pop_back();
        const int deepest = parents.empty() ? 0 : parents.back().second + 1;
        t.level = std::min(read, deepest);
        if (t.level != read) ++report.levelJumps;
        parents.emplace_back(read, t.level);
        t.progress = Clamped(t.progress, 0, 100, report.progress);
        Order(t.start, t.end, report.swapped);
        for (PlanAssignment& a : t.assignments) {
            a.progress = Clamped(a.progress, 0, 100, report.progress);
            Order(a.start, a.end, report.swapped);
        }
    }
    SettleLinks(plan, report);
}

}  // namespace vinta
