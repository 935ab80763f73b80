#include "exchange/Plan.h"

#include <unordered_map>

#include <algorithm>
#include <charconv>

#include "runtime/Sjis.h"
#include "store/Folding.h"
#include "store/Identity.h"
#include "store/RowReader.h"
#include "store/BarRow.h"
#include "store/ScheduleDocument.h"

namespace vinta {

namespace {

std::string Text(const std::string& cell) { return IsBlankCell(cell) ? std::string() : sjis::ToUtf8(cell); }

std::string DateCell(const std::optional<Date>& d) { return d ? FormatDate(d->year, d->month, d->day) : std::string(); }

bool Holdable(const std::string& utf8) { return utf8.empty() || sjis::FromUtf8(utf8).has_value(); }

// The first text of the plan Shift-JIS cannot hold, named; checked whole
// before anything is written, one text at a time.
std::optional<std::string> Unholdable(const Plan& plan) {
    if (!Holdable(plan.title)) return "the title holds a character Shift-JIS cannot hold";
    for (const PlanResource& r : plan.resources)
        if (!Holdable(r.name) || !Holdable(r.group))
            return "resource \"" + r.name + "\" holds a character Shift-JIS cannot hold";
    for (const PlanTask& t : plan.tasks) {
        bool ok = Holdable(t.name) && Holdable(t.memo);
        for (const PlanAssignment& a : t.assignments) ok = ok && Holdable(a.memo);
        if (!ok)
            return "task \"" + t.name + "\" (line " + std::to_string(t.line) +
                   ") holds a character Shift-JIS cannot hold";
    }
    return std::nullopt;
}

// The text in Shift-JIS, its UTF-8 let go: an import of a million rows holds
// each text once, not twice.
std::string Taken(std::string& utf8) {
    std::string out = utf8.empty() ? std::string() : sjis::FromUtf8(utf8).value_or(std::string());
    std::string().swap(utf8);
    return out;
}

}  // namespace

Date LastDay(const Date& start, const std::optional<Date>& end) {
    return end && DaysBetween(start.year, start.month, start.day, end->year, end->month, end->day) >= 0 ? *end : start;
}

Plan ReadPlan(const ScheduleDocument& doc) {
    const ScheduleStore& st = doc.store;
    const int o = doc.outlineSlot, res = doc.resourceSlot;
    Plan plan;
    plan.title = Text(st.CellText(doc.optionSlot, 0, 0));
    plan.identity = ScheduleIdentity(doc);
    for (int r = 0; r < st.DataRowCount(res); ++r) {
        RowReader row{st, res, r};
        if (!row.Has(resource::No) || IsBlankCell(row.Text(resource::Name))) continue;
        plan.resources.push_back(
            {row.Num(resource::No), Text(row.Text(resource::Name)), Text(row.Text(resource::Affiliation))});
    }
    std::unordered_map<int, size_t> taskOfRow;
    for (int r = 0; r < st.DataRowCount(o); ++r) {
        RowReader row{st, o, r};
        if (!row.Has(outline::Type)) continue;  // rows nobody has filled in
        const int type = row.Num(outline::Type);
        if (type == outline::Assignment) {
            // The row's name cell holds the person's number.
            const std::string no = row.Text(outline::Name);
            int person = 0;
            if (plan.tasks.empty() || !CellHoldsNumber(no) ||
                std::from_chars(no.data(), no.data() + no.size(), person).ec != std::errc())
                continue;
            plan.tasks.back().assignments.push_back(
                {person, DateOfCell(row.Text(outline::StartDate)), DateOfCell(row.Text(outline::EndDate)),
                 std::clamp(row.NumOr(outline::Progress, 0), 0, 100), Text(row.Text(outline::Memo))});
            continue;
        }
        PlanTask t;
        t.name = Text(row.Text(outline::Name));
        t.level = std::max(row.NumOr(outline::Level, 0), 0);
        t.kind = type == outline::Project   ? PlanTask::Project
                 : type == outline::Comment ? PlanTask::Comment
                                            : PlanTask::Task;
        if (t.kind != PlanTask::Comment) {
            t.start = DateOfCell(row.Text(outline::StartDate));
            t.end = DateOfCell(row.Text(outline::EndDate));
        }
        t.progress = std::clamp(row.NumOr(outline::Progress, 0), 0, 100);
        t.memo = Text(row.Text(outline::Memo));
        t.line = r + 1;
        t.serial = row.NumOr(outline::No, 0);
        taskOfRow[r] = plan.tasks.size();
        plan.tasks.push_back(std::move(t));
    }
    for (const LinkEnds& l : doc.linkRows.Live(doc)) {
        const auto from = taskOfRow.find(l.fromRow), to = taskOfRow.find(l.toRow);
        if (from != taskOfRow.end() && to != taskOfRow.end())
            plan.links.push_back({from->second, to->second, l.link.kind, l.link.lag});
    }
    return plan;
}

std::optional<std::string> WritePlan(Plan plan, ScheduleDocument& doc) {
    if (auto problem = Unholdable(plan)) return problem;
    ScheduleStore& st = doc.store;
    const int o = doc.outlineSlot, res = doc.resourceSlot;
    st.SetCellText(doc.optionSlot, 0, 0, Taken(plan.title));
    // People keep their numbers (assignments name them by it); the next
    // person added gets the next free one.
    int highest = st.Table(res).lastSerial;
    for (size_t i = 0; i < plan.resources.size(); ++i) {
        highest = std::max(highest, plan.resources[i].no);
        const int r = static_cast<int>(i);
        if (r >= st.DataRowCount(res)) st.InsertRow(res, r, false);
        st.SetCellNumber(res, resource::No, r, plan.resources[i].no);
        st.SetCellText(res, resource::Name, r, Taken(plan.resources[i].name));
        st.SetCellText(res, resource::Affiliation, r, Taken(plan.resources[i].group));
        st.SetCellNumber(res, resource::Kind, r, resource::Member);
    }
    st.SetLastSerial(res, highest);
    int r = 0;
    auto row = [&] {
        if (r >= st.DataRowCount(o)) st.InsertNumberedRow(o, r);
        return r++;
    };
    // Each row written whole, its number kept: a hundred thousand rows in a
    // blink rather than one rewrite of the row per cell.
    StringGrid& grid = doc.Outline();
    const int header = st.HasHeader(o) ? 1 : 0;
    std::vector<std::string> cells(static_cast<size_t>(grid.ColCount()));
    auto put = [&](int col, std::string text) { cells[static_cast<size_t>(col)] = std::move(text); };
    auto flush = [&](int at) {
        put(outline::No, std::string(grid.Cells(outline::No, at + header)));
        grid.SetRows(at + header, cells);
        std::fill(cells.begin(), cells.end(), std::string());
    };
    std::vector<int32_t> serials;
    serials.reserve(plan.tasks.size());
    while (!plan.tasks.empty()) {
        PlanTask t = std::move(plan.tasks.front());
        plan.tasks.pop_front();
        const int at = row(), no = st.CellNumber(o, outline::No, at);
        serials.push_back(no);
        const bool parent = (!plan.tasks.empty() && plan.tasks.front().level > t.level) || !t.assignments.empty();
        put(outline::Name, Taken(t.name));
        put(outline::Progress, std::to_string(std::clamp(t.progress, 0, 100)));
        put(outline::StartDate, DateCell(t.start));
        put(outline::EndDate, DateCell(t.end));
        put(outline::Level, std::to_string(t.level));
        put(outline::Type, std::to_string(static_cast<int>(t.kind)));
        for (int col : {outline::WorkState, outline::ResourceNo, outline::LinkNo}) put(col, "0");
        put(outline::HasChildren, parent ? "1" : "0");
        put(outline::Expanded, parent ? "1" : "0");
        put(outline::Memo, Taken(t.memo));
        put(outline::ShowBar, "1");
        flush(at);
        for (size_t k = 0; k < t.assignments.size(); ++k) {
            PlanAssignment& a = t.assignments[k];
            const int ar = row();
            put(outline::Name, std::to_string(a.resource));
            put(outline::Progress, std::to_string(std::clamp(a.progress, 0, 100)));
            put(outline::StartDate, DateCell(a.start ? a.start : t.start));
            put(outline::EndDate, DateCell(a.end ? a.end : t.end));
            put(outline::Level, std::to_string(t.level + 1));
            put(outline::Type, std::to_string(outline::Assignment));
            put(outline::WorkState, "0");
            put(outline::ResourceNo, std::to_string(a.resource));
            put(outline::LinkNo, std::to_string(no));
            put(outline::HasChildren, "0");
            put(outline::Expanded, "0");
            put(outline::Memo, Taken(a.memo));
            put(outline::ShowBar, "1");
            flush(ar);
        }
    }
    std::vector<TaskLink> links;
    links.reserve(plan.links.size());
    for (const PlanLink& l : plan.links)
        if (l.from < serials.size() && l.to < serials.size())
            links.push_back({serials[l.from], serials[l.to], l.kind, l.lag});
    st.links.Assign(std::move(links));
    MatchChartRows(doc.Outline(), doc.chartGrid);
    EnsureScheduleIdentity(doc);
    return std::nullopt;
}

}  // namespace vinta
