#include "OutlineView.h"

#include <climits>

#include <algorithm>
#include <vector>

#include "framework/Canvas.h"
#include "framework/Colors.h"
#include "framework/ImageList.h"
#include "store/Tables.h"

namespace vinta {

namespace {

constexpr int kSlot = 16;

// Numbers in cells are read only after the HasNumber test, so drawing
// never fails on a cell that holds something else.
struct RowReader {
    const ScheduleStore& store;
    int slot;
    int row;  // data row
    bool Has(int col) const { return store.HasNumber(slot, col, row); }
    int Num(int col) const {
        int v = 0;
        return store.TryCellNumber(slot, col, row, v) ? v : 0;
    }
    // A number, or `fallback` when the cell holds none (or one out of range).
    int NumOr(int col, int fallback) const { return Has(col) ? Num(col) : fallback; }
    std::string Text(int col) const { return store.CellText(slot, col, row); }
};

// The resource an assignment row names: its ResourceTable data row, or -1.
int ResourceRow(const OutlineTables& t, const RowReader& r) {
    return t.store.FindRow(t.resourceSlot, resource::No, r.Text(outline::Name));
}

int TreeMarks(Canvas& c, const OutlinePictures& pics, const RowReader& r, int left, int top, int iy) {
    if (!r.Has(outline::Level) || !r.Has(outline::HasChildren) || !r.Has(outline::Expanded)) return 0;
    const int level = DrawnLevel(r.Num(outline::Level));
    if (r.Num(outline::HasChildren) != 0)
        pics.sch.Draw(c, left + kSlot * level, top + iy, r.Num(outline::Expanded) != 0 ? 0 : 1);
    return kSlot * (level + 1);
}

}  // namespace

void RaisedFrame(Canvas& c, int l, int t, int r, int b) {
    c.SetPen(Colors::White(), PenStyle::Solid);
    c.Line(l, t, r, t);
    c.Line(l, t, l, b);
    c.SetPen(Colors::Grey(), PenStyle::Solid);
    c.Line(r, t, r, b);
    c.Line(l - 1, b, r, b);
}

int OutlineLevel(const ScheduleStore& store, int outlineSlot, int gridRow) {
    RowReader r{store, outlineSlot, gridRow - 1};
    return r.NumOr(outline::Level, -1);
}

void DrawOutlineCell(Canvas& c, const OutlineTables& t, const OutlinePictures& pics, int col, int row,
                     const QRect& rect, CellState state) {
    const int left = rect.left(), top = rect.top(), right = left + rect.width(), bottom = top + rect.height();
    const int w = rect.width(), h = rect.height();
    c.SetFontBold(false);
    c.SetFontColor(Colors::WindowText());
    c.SetPen(Colors::WindowText());
    const StringGrid* grid = t.store.Grid(t.outlineSlot);
    if (!grid) return;

    if (row == 0) {
        c.SetBrush(Colors::ButtonFace());
        c.FillRect(left, top, right, bottom);
        RaisedFrame(c, left, top, right - 1, bottom - 1);
        std::string_view caption = grid->Cells(col, 0);
        QSize ext = c.TextExtent(caption);
        int x = ext.width() < w ? left + (w - ext.width()) / 2 : left;
        int y = ext.height() < h ? top + (h - ext.height()) / 2 : top;
        c.TextRect(left, top, right, bottom, x, y, caption);
        return;
    }

    RowReader r{t.store, t.outlineSlot, row - 1};
    bool assignment = r.Has(outline::Type) && r.Num(outline::Type) == outline::Assignment;
    QColor fill = row % 2 == 1 ? Colors::Window() : QColor(220, 220, 220);
    if (assignment) fill = QColor(220, 220, 170);
    c.SetBrush(fill);
    c.FillRect(left, top, right, bottom);

    const int iy = std::max(0, (h - 16) / 2);
    std::string text(grid->Cells(col, row));
    int dx = 0;
    bool rightAligned = false;
    switch (col) {
        case outline::No:
            c.SetBrush(Colors::ButtonFace());
            c.FillRect(left, top, right, bottom);
            RaisedFrame(c, left, top, right, bottom);
            text = std::to_string(row);
            dx = w - c.TextWidth(text) - 2;
            rightAligned = true;
            break;
        case outline::Icon: {
            text.clear();
            if (r.Has(outline::Type)) {
                int type = r.Num(outline::Type);
                int image = -1;
                if (type == outline::Project || type == outline::Task) {
                    image = type;
                } else if (type != outline::Comment) {
                    int res = ResourceRow(t, r);
                    if (res >= 0 && t.store.HasNumber(t.resourceSlot, resource::Kind, res)) {
                        RowReader rr{t.store, t.resourceSlot, res};
                        int kind = rr.Num(resource::Kind);
                        if (kind >= 0 && kind <= 2) image = 2 + kind;
                    }
                }
                pics.task.Draw(c, left + 3, top + iy, image);
            }
            if (!IsBlankCell(r.Text(outline::Memo))) pics.task.Draw(c, left + 19, top + iy, 5);
            break;
        }
        case outline::Name: {
            if (assignment) {
                int res = ResourceRow(t, r);
                if (res >= 0) text = t.store.CellText(t.resourceSlot, resource::Name, res);
            }
            int indent = 0;
            if (r.Has(outline::Type)) {
                indent = TreeMarks(c, pics, r, left, top, iy);
                if (r.Text(outline::Type) == "0") c.SetFontBold(true);
                if (assignment && r.Has(outline::WorkState))
                    pics.info.Draw(c, left + indent - 16, top + iy, r.Num(outline::WorkState));
            }
            dx = indent + 2;
            break;
        }
        case outline::Progress:
            dx = w - c.TextWidth(text) - 2;
            rightAligned = true;
            break;
        case outline::Memo:
            dx = 2;
            break;
        default:
            dx = (w - c.TextWidth(text)) / 2;
            break;
    }
    // A right-aligned text wider than its cell keeps its end in view (row
    // 99,951 must not read like row 99,952); the cell clips its start.
    if (!rightAligned) dx = std::max(dx, 0);
    if (!text.empty()) {
        int dy = std::max(0, (h - c.TextHeight(text)) / 2);
        c.TextRect(left, top, right, bottom, left + dx, top + dy, text);
    }
    c.SetPen(Colors::Grey());
    c.Line(right - 1, top, right - 1, bottom - 1);
    c.Line(left, bottom - 1, right - 2, bottom - 1);
    if (state.focused) c.DrawFocusRect(left, top, right - 1, bottom - 1);
}

namespace {

void SetHeights(FoldTarget& t, int row, int outlineHeight, int chartHeight) {
    t.outline.SetRowHeights(row, outlineHeight);
    t.chart.SetRowHeights(row, chartHeight);
}

// Shows the direct children of the rows from `a` at depth `d`, and the
// children of children that are expanded themselves. Returns the last row
// it handled.
int UnfoldWalk(FoldTarget& t, int a, int d) {
    int level = d, has = 0, expanded = 0;
    int r = a;
    for (; r < t.outline.RowCount(); ++r) {
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

void SetFolded(FoldTarget& t, int row, bool expand) {
    RowReader self{t.store, t.outlineSlot, row - 1};
    int level = self.NumOr(outline::Level, 0);
    t.outline.SetCells(outline::Expanded, row, expand ? "1" : "0");
    if (expand) {
        UnfoldWalk(t, row + 1, level);
        return;
    }
    int previous = level;
    for (int r = row + 1; r < t.outline.RowCount(); ++r) {
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

// The rows above `row` it hangs under, outermost first, with whether each
// shows its children.
std::vector<Opened> AncestorsOf(FoldTarget& t, int row) {
    std::vector<int> chain;
    int level = RowReader{t.store, t.outlineSlot, row - 1}.NumOr(outline::Level, 0);
    for (int r = row - 1; r >= 1 && level > 0; --r) {
        int l = RowReader{t.store, t.outlineSlot, r - 1}.NumOr(outline::Level, level);
        if (l >= level) continue;
        level = l;
        chain.push_back(r);
    }
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

void ShowFoldState(FoldTarget& t, int first, int end) {
    if (first < 1 || first >= t.outline.RowCount()) return;
    std::vector<Opened> open = AncestorsOf(t, first);
    int base = INT_MAX;
    for (int r = first; r < t.outline.RowCount(); ++r) {
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

bool RevealRow(FoldTarget& t, int row) {
    if (row < 1 || row >= t.outline.RowCount() || t.outline.RowHeights(row) > 0) return false;
    std::vector<int> folded;
    int level = RowReader{t.store, t.outlineSlot, row - 1}.NumOr(outline::Level, 0);
    for (int r = row - 1; r >= 1 && level > 0; --r) {
        RowReader above{t.store, t.outlineSlot, r - 1};
        int l = above.NumOr(outline::Level, level);
        if (l >= level) continue;
        level = l;
        if (above.NumOr(outline::Expanded, 1) == 0) folded.push_back(r);
    }
    for (auto it = folded.rbegin(); it != folded.rend(); ++it) SetFolded(t, *it, true);
    return !folded.empty();
}

bool FoldAt(FoldTarget& t, int col, int row, const QRect& rect, QPoint pos) {
    if (col != outline::Name || row < 1 || row >= t.outline.RowCount()) return false;
    RowReader r{t.store, t.outlineSlot, row - 1};
    if (!r.Has(outline::HasChildren) || r.Num(outline::HasChildren) != 1) return false;
    int level = r.NumOr(outline::Level, 0);
    int boxLeft = rect.left() + kSlot * DrawnLevel(level);
    if (pos.x() < boxLeft || pos.x() > boxLeft + kSlot || pos.y() < rect.top() ||
        pos.y() > rect.top() + rect.height())
        return false;
    bool expanded = r.Has(outline::Expanded) && r.Num(outline::Expanded) != 0;
    SetFolded(t, row, !expanded);
    return true;
}

}  // namespace vinta
