#include "OutlineView.h"

#include <algorithm>
#include <vector>

#include "framework/Canvas.h"
#include "framework/Colors.h"
#include "framework/ImageList.h"
#include "store/Folding.h"
#include "store/RowReader.h"
#include "store/LinkRows.h"
#include "store/ScheduleDocument.h"
#include "store/Tables.h"
#include "runtime/Sjis.h"

namespace vinta {

namespace {

constexpr int kSlot = 16;


// The resource an assignment row names: its ResourceTable data row, or -1.
int ResourceRow(const ScheduleDocument& t, const RowReader& r) {
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


void DrawOutlineCell(Canvas& c, const ScheduleDocument& t, const OutlinePictures& pics, int col, int row,
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
            text = OutlineCellText(t, col, row);
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
            text = OutlineCellText(t, col, row);
            int indent = 0;
            if (r.Has(outline::Type)) {
                indent = TreeMarks(c, pics, r, left, top, iy);
                if (outline::IsRowType(r.Text(outline::Type), outline::Project)) c.SetFontBold(true);
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

std::string OutlineCellText(const ScheduleDocument& t, int col, int row) {
    const StringGrid* grid = t.store.Grid(t.outlineSlot);
    if (!grid || row < 0 || row >= grid->RowCount()) return {};
    if (row == 0) return std::string(grid->Cells(col, 0));
    if (col == outline::No) return std::to_string(row);
    RowReader r{t.store, t.outlineSlot, row - 1};
    if (col == outline::Name && r.Has(outline::Type) && r.Num(outline::Type) == outline::Assignment) {
        const int res = ResourceRow(t, r);
        if (res >= 0) return t.store.CellText(t.resourceSlot, resource::Name, res);
    }
    return std::string(grid->Cells(col, row));
}

QString OutlineSpokenText(const ScheduleDocument& t, int col, int row) {
    if (row > 0 && col == outline::Icon) {
        static const char* const kTypes[] = {"プロジェクト", "タスク", "コメント", "割り当て"};
        RowReader r{t.store, t.outlineSlot, row - 1};
        QString said;
        if (r.Has(outline::Type) && r.Num(outline::Type) >= 0 && r.Num(outline::Type) <= 3)
            said = QString::fromUtf8(kTypes[r.Num(outline::Type)]);
        if (!IsBlankCell(r.Text(outline::Memo))) said += QStringLiteral("、メモあり");
        return said;
    }
    const QString text = QString::fromStdString(sjis::ToUtf8(OutlineCellText(t, col, row))).trimmed();
    if (row > 0 && col == outline::Name && t.store.CellText(t.outlineSlot, outline::HasChildren, row - 1) == "1")
        return text + (t.store.CellText(t.outlineSlot, outline::Expanded, row - 1) == "1" ? QStringLiteral("、展開") 
                                                                                          : QStringLiteral("、折りたたみ"));
    return text;
}

GridWidget::TreeRow OutlineTreeRow(const ScheduleDocument& t, int row) {
    GridWidget::TreeRow tree;
    if (row < 1) return tree;
    tree.level = DrawnLevel(OutlineLevel(t.store, t.outlineSlot, row));
    if (const std::optional<bool> expanded = FoldBox(t, row)) {
        tree.expandable = true;
        tree.expanded = *expanded;
    }
    if (const int parent = ParentRow(t, row); parent > 0)
        tree.parent = QString::fromStdString(sjis::ToUtf8(OutlineCellText(t, outline::Name, parent))).trimmed();
    tree.more = QString::fromStdString(LinksOfRowWords(t, row - 1, t.linkRows));
    return tree;
}

QString FoldActionName(const ScheduleDocument& t, int col, int row) {
    const std::optional<bool> expanded = col == outline::Name ? FoldBox(t, row) : std::nullopt;
    if (!expanded) return {};
    return *expanded ? QStringLiteral("折りたたむ") : QStringLiteral("展開する");
}

bool FoldAt(ScheduleDocument& t, int col, int row, const QRect& rect, QPoint pos) {
    const std::optional<bool> expanded = col == outline::Name ? FoldBox(t, row) : std::nullopt;
    if (!expanded) return false;
    int level = RowReader{t.store, t.outlineSlot, row - 1}.NumOr(outline::Level, 0);
    int boxLeft = rect.left() + kSlot * DrawnLevel(level);
    if (pos.x() < boxLeft || pos.x() > boxLeft + kSlot || pos.y() < rect.top() ||
        pos.y() > rect.top() + rect.height())
        return false;
    SetFolded(t, row, !*expanded);
    return true;
}

}  // namespace vinta
