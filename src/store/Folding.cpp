#include "store/Folding.h"

#include <climits>
#include <vector>

#include "runtime/StringGrid.h"
#include "store/ScheduleStore.h"
#include "store/RowReader.h"
#include "store/ScheduleDocument.h"
#include "store/Tables.h"

namespace vinta {

int OutlineLevel(const ScheduleStore& store, int outlineSlot, int gridRow) {
    RowReader r{store, outlineSlot, gridRow - 1};
    return r.NumOr(outline::Level, -1);
}

namespace {

void SetHeights(ScheduleDocument& t, int row, int outlineHeight, int chartHeight) {
    t.Outline().SetRowHeights(row, outlineHeight);
    t.chartGrid.SetRowHeights(row, chartHeight);
}

// Shows the direct children of the rows from `a` at depth `d`, and the
// children of children that are expanded themselves. Returns the last row
// it handled.
int UnfoldWalk(ScheduleDocument& t, int a, int d) {
    int level = d, has = 0, expanded = 0;
    int r = a;
    for (; r < t.Outline().RowCount(); ++r) {
        RowReader rr{t.store, t.outlineSlot, r - 1};
        level = rr.NumOr(outline::Level, level);
        has = rr.NumOr(outline::HasChildren, has);
        expanded = rr.NumOr(outline::Expanded, expanded);
        if (level == d + 1) {
            SetHeights(t, r, t.outlineRowHeight, t.chartRowHeight);
            if (has == 1 && expanded == 1) r = UnfoldWalk(t, r + 1, d + 1);
        } else if (level <= d) {
            return r - 1;
        }
    }
    return r - 1;
}

}  // namespace

void SetFolded(ScheduleDocument& t, int row, bool expand) {
    RowReader self{t.store, t.outlineSlot, row - 1};
    int level = self.NumOr(outline::Level, 0);
    t.Outline().SetCells(outline::Expanded, row, expand ? "1" : "0");
    if (expand) {
        UnfoldWalk(t, row + 1, level);
        return;
    }
    int previous = level;
    for (int r = row + 1; r < t.Outline().RowCount(); ++r) {
        previous = RowReader{t.store, t.outlineSlot, r - 1}.NumOr(outline::Level, previous);
        if (previous <= level) break;
        SetHeights(t, r, 0, 0);
    }
}

namespace {

struct Opened {
    int level;
    bool showsChildren;
};

// A row without children keeps Expanded 0 too: only a parent can fold.
bool Folds(const RowReader& r) {
    return r.NumOr(outline::HasChildren, 0) == 1 && r.Has(outline::Expanded) && r.Num(outline::Expanded) == 0;
}

// The rows above grid row `row` that it hangs under, nearest first.
std::vector<int> AncestorRows(const ScheduleDocument& t, int row) {
    std::vector<int> chain;
    int level = RowReader{t.store, t.outlineSlot, row - 1}.NumOr(outline::Level, 0);
    for (int r = row - 1; r >= 1 && level > 0; --r) {
        int l = RowReader{t.store, t.outlineSlot, r - 1}.NumOr(outline::Level, level);
        if (l >= level) continue;
        level = l;
        chain.push_back(r);
    }
    return chain;
}

// The rows above `row` it hangs under, outermost first, with whether each
// shows its children.
std::vector<Opened> AncestorsOf(ScheduleDocument& t, int row) {
    const std::vector<int> chain = AncestorRows(t, row);
    std::vector<Opened> out;
    bool shown = true;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        RowReader a{t.store, t.outlineSlot, *it - 1};
        shown = shown && !Folds(a);
        out.push_back({a.NumOr(outline::Level, 0), shown});
    }
    return out;
}

}  // namespace

void ShowFoldState(ScheduleDocument& t, int first, int end) {
    if (first < 1 || first >= t.Outline().RowCount()) return;
    std::vector<Opened> open = AncestorsOf(t, first);
    int base = INT_MAX;
    for (int r = first; r < t.Outline().RowCount(); ++r) {
        RowReader row{t.store, t.outlineSlot, r - 1};
        const int level = row.NumOr(outline::Level, 0);
        if (r >= end && level <= base) break;  // past everything that hangs under the range
        if (r < end) base = std::min(base, level);
        while (!open.empty() && open.back().level >= level) open.pop_back();
        const bool shown = open.empty() || open.back().showsChildren;
        if (!shown) SetHeights(t, r, 0, 0);
        open.push_back({level, shown && !Folds(row)});
    }
}

std::optional<bool> FoldBox(const ScheduleDocument& t, int row) {
    if (row < 1 || row >= t.Outline().RowCount()) return std::nullopt;
    RowReader r{t.store, t.outlineSlot, row - 1};
    if (!r.Has(outline::HasChildren) || r.Num(outline::HasChildren) != 1) return std::nullopt;
    return r.Has(outline::Expanded) && r.Num(outline::Expanded) != 0;
}

bool RevealRow(ScheduleDocument& t, int row) {
    if (row < 1 || row >= t.Outline().RowCount() || t.Outline().RowHeights(row) > 0) return false;
    std::vector<int> folded;
    for (int r : AncestorRows(t, row))
        if (RowReader{t.store, t.outlineSlot, r - 1}.NumOr(outline::Expanded, 1) == 0) folded.push_back(r);
    for (auto it = folded.rbegin(); it != folded.rend(); ++it) SetFolded(t, *it, true);
    return !folded.empty();
}

void MatchChartRows(const StringGrid& outline, StringGrid& chart) { chart.MatchRowHeights(outline, 1); }

bool IsAssignmentRow(const ScheduleDocument& doc, int gridRow) {
    return outline::IsRowType(doc.OutlineCell(outline::Type, gridRow), outline::Assignment);
}

int OwnerRow(const ScheduleDocument& doc, int row) {
    while (row > 1 && row < doc.Outline().RowCount() && IsAssignmentRow(doc, row)) --row;
    return row;
}

int ParentRow(const ScheduleDocument& doc, int row) {
    if (row < 1 || row >= doc.Outline().RowCount()) return -1;
    if (IsAssignmentRow(doc, row)) {
        const int owner = OwnerRow(doc, row);
        return owner != row ? owner : -1;
    }
    const int own = OutlineLevel(doc.store, doc.outlineSlot, row);
    for (int g = row - 1; own > 0 && g >= 1; --g) {
        const int level = OutlineLevel(doc.store, doc.outlineSlot, g);
        if (level >= 0 && level < own && !IsAssignmentRow(doc, g)) return g;
    }
    return -1;
}

int SubtreeEnd(const ScheduleDocument& doc, int row) {
    auto level = [&](int g, int& v) { return doc.store.TryCellNumber(doc.outlineSlot, outline::Level, g - 1, v); };
    int own = 0;
    const bool ok = level(row, own);
    int end = row;
    for (int g = row + 1; g < doc.Outline().RowCount(); ++g) {
        int l = 0;
        const bool has = level(g, l);
        if (!IsAssignmentRow(doc, g) && (!ok || !has || l <= own)) break;
        end = g;
    }
    return end;
}

}  // namespace vinta
