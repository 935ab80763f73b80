#include "store/TaskEntry.h"

#include <algorithm>
#include <string_view>

#include "store/Folding.h"
#include "store/Kdatetime.h"
#include "store/RowReader.h"
#include "store/ScheduleDocument.h"

namespace vinta {

namespace {

// The assignment rows that follow the task now and link to it.
int LinkedRows(const ScheduleDocument& doc, const TaskEntry& e) {
    return e.isNew ? 0 : LinkedRowCount(doc, e.dataRow, e.no);
}

void WriteAssignments(ScheduleDocument& doc, const TaskEntry& e, int count) {
    ScheduleStore& st = doc.store;
    const int o = doc.outlineSlot;
    auto set = [&](int col, int row, std::string_view t) { st.SetCellText(o, col, row, std::string(t)); };
    for (int x = 1; x <= count; ++x) {
        const AssignmentEntry& a = e.assignments[static_cast<size_t>(x - 1)];
        const int at = e.dataRow + x;
        if (a.no != 0) {
            st.InsertRow(o, at, false);
            st.SetCellNumber(o, outline::No, at, a.no);
        } else {
            st.InsertNumberedRow(o, at);
        }
        set(outline::Name, at, a.resourceNo);
        set(outline::Progress, at, a.progress);
        set(outline::StartDate, at, a.start);
        set(outline::EndDate, at, a.end);
        st.SetCellNumber(o, outline::Level, at, e.level + 1);
        st.SetCellNumber(o, outline::Type, at, outline::Assignment);
        set(outline::WorkState, at, a.workState);
        set(outline::ResourceNo, at, a.resourceNo);
        st.SetCellNumber(o, outline::LinkNo, at, e.no);
        set(outline::HasChildren, at, "0");
        set(outline::Expanded, at, "0");
        set(outline::Memo, at, a.memo);
        st.SetCellNumber(o, outline::ShowBar, at, e.showBar);
    }
}

// Tree flags; sub-rows that follow the assignments still count as children.
void WriteFlags(ScheduleDocument& doc, const TaskEntry& e, int added, int removed) {
    ScheduleStore& st = doc.store;
    const int o = doc.outlineSlot, r = e.dataRow;
    const bool deeperBelow = st.HasNumber(o, outline::Level, r + 1) && OutlineLevel(st, o, r + 2) > e.level;
    auto flags = [&](const char* value) {
        st.SetCellText(o, outline::HasChildren, r, value);
        st.SetCellText(o, outline::Expanded, r, value);
    };
    if (e.isNew) flags("0");
    if (added > 0)
        flags("1");
    else if ((e.linesLoaded || removed > 0) && !deeperBelow)
        flags("0");
}

}  // namespace

int LinkedRowCount(const ScheduleDocument& doc, int dataRow, int no) {
    const ScheduleStore& st = doc.store;
    const int o = doc.outlineSlot;
    int m = 0;
    for (int i = dataRow + 1; i < st.DataRowCount(o) && st.HasNumber(o, outline::LinkNo, i); ++i) {
        if (st.CellNumber(o, outline::LinkNo, i) != no) break;
        ++m;
    }
    return m;
}

RowSpan TaskEntrySpan(const ScheduleDocument& doc, const TaskEntry& e) {
    const int g = e.dataRow + 1;
    int end = std::min(doc.Outline().RowCount(), g + 1 + LinkedRows(doc, e));
    // Unfolding reaches the rows under the task at its level once written.
    int level = e.level;
    for (int k = g + 1; k < doc.Outline().RowCount(); ++k) {
        level = RowReader{doc.store, doc.outlineSlot, k - 1}.NumOr(outline::Level, level);
        if (level <= e.level && !IsAssignmentRow(doc, k)) break;
        end = std::max(end, k + 1);
    }
    return {g, end};
}

void ApplyTaskEntry(ScheduleDocument& doc, const TaskEntry& e) {
    ScheduleStore& st = doc.store;
    const int o = doc.outlineSlot, r = e.dataRow;
    const bool comment = e.type == outline::Comment;
    auto set = [&](int col, std::string_view t) { st.SetCellText(o, col, r, std::string(t)); };
    set(outline::Name, e.name);
    set(outline::Progress, comment ? "0" : e.progress);
    set(outline::StartDate, comment ? "" : e.start);
    set(outline::EndDate, comment ? "" : e.end);
    st.SetCellNumber(o, outline::Type, r, e.type);
    st.SetCellNumber(o, outline::Level, r, e.level);
    for (int col : {outline::WorkState, outline::ResourceNo, outline::LinkNo}) set(col, "0");
    set(outline::Memo, e.memo);
    st.SetCellNumber(o, outline::ShowBar, r, e.showBar);

    if (e.predecessors || comment) {
        std::vector<TaskLink> links;
        for (const TaskLink& l : st.links.All())
            if (l.to != e.no && !(comment && l.from == e.no)) links.push_back(l);
        if (!comment) links.insert(links.end(), e.predecessors->begin(), e.predecessors->end());
        if (links.size() != st.links.Size() || e.predecessors) st.links.Assign(std::move(links));
    }
    const int added = comment ? 0 : static_cast<int>(e.assignments.size());
    const int removed = LinkedRows(doc, e);
    WriteAssignments(doc, e, added);
    for (int i = 0; i < removed; ++i) st.DeleteRow(o, r + added + 1);
    WriteFlags(doc, e, added, removed);

    // The panes show what the flags say: an expanded row shows its children,
    // rows under a hidden row stay hidden.
    const int g = r + 1;
    if (doc.Outline().RowHeights(g) > 0) {
        if (st.CellText(o, outline::HasChildren, r) == "1" && st.CellText(o, outline::Expanded, r) == "1")
            SetFolded(doc, g, true);
    } else {
        for (int x = 1; x <= added; ++x) doc.Outline().SetRowHeights(g + x, 0);
    }
    MatchChartRows(doc.Outline(), doc.chartGrid);
}

std::vector<size_t> AssignmentsOutsideTask(const TaskEntry& entry) {
    std::vector<size_t> outside;
    const std::optional<Date> start = ParseDateText(entry.start), end = ParseDateText(entry.end);
    if (!start || !end) return outside;
    for (size_t i = 0; i < entry.assignments.size(); ++i) {
        const AssignmentEntry& a = entry.assignments[i];
        const std::optional<Date> from = ParseDateText(a.start), to = ParseDateText(a.end);
        if ((from && (DaysFrom(*start, *from) < 0 || DaysFrom(*from, *end) < 0)) ||
            (to && (DaysFrom(*start, *to) < 0 || DaysFrom(*to, *end) < 0)))
            outside.push_back(i);
    }
    return outside;
}

}  // namespace vinta
