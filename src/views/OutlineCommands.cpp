#include "OutlineCommands.h"

#include <QString>

#include "framework/Prompter.h"
#include "runtime/StringGrid.h"
#include "runtime/Sjis.h"
#include "store/ScheduleStore.h"
#include "store/ScheduleDocument.h"
#include "store/Tables.h"

namespace vinta {

namespace {

// Grid-row view of the outline table: row N of the pane is data row N - 1.
struct Rows {
    OutlineEdit& e;
    bool Exists(int g) const { return g >= 1 && g < e.doc.Outline().RowCount(); }
    bool Has(int g, int col) const { return Exists(g) && e.doc.store.HasNumber(e.doc.outlineSlot, col, g - 1); }
    // A number the cell holds; text that only starts with a digit counts as none.
    bool Num(int g, int col, int& v) const { return Exists(g) && e.doc.store.TryCellNumber(e.doc.outlineSlot, col, g - 1, v); }
    bool Is(int g, int col, int value) const {
        int v = 0;
        return Num(g, col, v) && v == value;
    }
    std::string Text(int g, int col) const { return e.doc.store.CellText(e.doc.outlineSlot, col, g - 1); }
    void Set(int g, int col, const std::string& t) { e.doc.store.SetCellText(e.doc.outlineSlot, col, g - 1, t); }
    void SetNum(int g, int col, int v) { e.doc.store.SetCellNumber(e.doc.outlineSlot, col, g - 1, v); }
    void Flags(int g, const char* v) {
        Set(g, outline::HasChildren, v);
        Set(g, outline::Expanded, v);
    }
};

void FillDefaultRow(Rows& rows, int g, const Date& today) {
    static const std::string kNew = sjis::Lit("新規");
    std::string date = FormatDate(today.year, today.month, today.day);
    rows.Set(g, outline::Name, kNew);
    rows.Set(g, outline::Progress, "0");
    rows.Set(g, outline::StartDate, date);
    rows.Set(g, outline::EndDate, date);
    for (int col : {outline::Level, outline::Type, outline::WorkState, outline::ResourceNo, outline::LinkNo,
                    outline::HasChildren, outline::Expanded})
        rows.Set(g, col, "0");
    rows.Set(g, outline::Memo, "");
    rows.Set(g, outline::ShowBar, "0");
}

// The new row n takes level and type of the row p above it, and p's children.
void Inherit(Rows& rows, int n, int p) {
    int level = 0, type = 0;
    if (!rows.Num(p, outline::Level, level) || !rows.Num(p, outline::Type, type) || type == outline::Assignment)
        return;
    rows.SetNum(n, outline::Level, level);
    rows.SetNum(n, outline::Type, type);
    if (rows.Is(p, outline::HasChildren, 1)) {
        rows.Flags(n, "1");
        rows.Flags(p, "0");
    }
}

void MatchChart(OutlineEdit& e) { MatchChartRows(e.doc.Outline(), e.doc.chartGrid); }

// An assignment row stands for its task in the level commands.
int Redirect(Rows& rows, int g) {
    if (!rows.Is(g, outline::Type, outline::Assignment)) return g;
    int task = rows.e.doc.store.FindRow(rows.e.doc.outlineSlot, outline::No, rows.Text(g, outline::LinkNo));
    return task >= 0 ? task + 1 : g;
}

}  // namespace


bool AppendCommand(OutlineEdit& e) {
    Rows rows{e};
    int g = e.doc.store.InsertNumberedRow(e.doc.outlineSlot, e.doc.Outline().RowCount()) + 1;
    FillDefaultRow(rows, g, e.today);
    if (g > 1) Inherit(rows, g, g - 1);
    MatchChart(e);
    return true;
}

bool InsertCommand(OutlineEdit& e, int r) {
    Rows rows{e};
    if (r <= 0 || r >= e.doc.Outline().RowCount()) return false;
    if (rows.Is(r, outline::Type, outline::Assignment)) {
        e.prompter.Notice(QStringLiteral("この位置に行を挿入することはできません。"));
        return false;
    }
    e.doc.store.InsertNumberedRow(e.doc.outlineSlot, r - 1);
    FillDefaultRow(rows, r, e.today);
    if (r > 1) Inherit(rows, r, r - 1);
    int below = 0, mine = 0;
    rows.Num(r, outline::Level, mine);
    if (rows.Num(r + 1, outline::Level, below) && below > mine) rows.Flags(r, "1");
    MatchChart(e);
    return true;
}

bool DeleteCommand(OutlineEdit& e, int r) {
    Rows rows{e};
    if (r <= 0 || r >= e.doc.Outline().RowCount()) return false;
    int h = 0;
    rows.Num(r, outline::HasChildren, h);
    bool changed = false;
    if (rows.Is(r + 1, outline::Type, outline::Assignment) && h == 1) {
        bool yes = e.prompter.Confirm(
            QStringLiteral("削除"),
            QStringLiteral("この行のデータの下層にリソースを割当てたデータが存在します。\r\n"
                           "この行を削除すると割当てたデータも削除されます。\r\n\r\n削除しますか？"));
        if (yes) {
            int k = 0;
            while (rows.Is(r + 1 + k, outline::Type, outline::Assignment)) ++k;
            e.doc.store.DeleteRow(e.doc.outlineSlot, r - 1);
            for (int i = 0; i < k; ++i) e.doc.store.DeleteRow(e.doc.outlineSlot, r - 1);
            changed = true;
        }
    } else {
        int p = r - 1;
        if (r == e.doc.Outline().RowCount() - 1) {
            if (r > 1 && rows.Is(p, outline::HasChildren, 1)) rows.Flags(p, "0");
        } else if (r > 1 && rows.Has(p, outline::Level)) {
            int pl = 0, nl = 0;
            bool pOk = rows.Num(p, outline::Level, pl);
            if (pOk && rows.Num(r + 1, outline::Level, nl) && pl < nl) {
                rows.Set(p, outline::HasChildren, rows.Text(r, outline::HasChildren));
                rows.Set(p, outline::Expanded, rows.Text(r, outline::Expanded));
            } else {
                rows.Flags(p, "0");
            }
        }
        e.doc.store.DeleteRow(e.doc.outlineSlot, r - 1);
        changed = true;
    }
    MatchChart(e);
    return changed;
}

bool LevelUpCommand(OutlineEdit& e, int r) {
    Rows rows{e};
    if (!rows.Has(r, outline::Level) || !rows.Has(r, outline::HasChildren)) return false;
    r = Redirect(rows, r);
    int L = 0, c = 0;
    if (!rows.Num(r, outline::Level, L) || !rows.Num(r, outline::HasChildren, c)) return false;
    int p = r - 1 > 0 ? r - 1 : -1;
    int q = rows.Exists(r + 1) ? r + 1 : -1;
    if (L <= 0) return false;
    rows.SetNum(r, outline::Level, L - 1);
    if (c == 1) {
        int k = 0;
        while (rows.Is(r + 1 + k, outline::Type, outline::Assignment)) {
            rows.SetNum(r + 1 + k, outline::Level, L);
            ++k;
        }
        if (rows.Exists(r + k + 1)) q = r + k + 1;
    }
    if (p > 0 && rows.Is(p, outline::Level, L - 1)) rows.Flags(p, "0");
    if (q > 0) {
        int lv = 0;
        for (int g = q; rows.Exists(g) && rows.Num(g, outline::Level, lv) && lv > L; ++g)
            rows.SetNum(g, outline::Level, lv - 1);
    }
    return true;
}

bool LevelDownCommand(OutlineEdit& e, int r) {
    Rows rows{e};
    if (r == 1) return false;
    if (!rows.Has(r, outline::Level) || !rows.Has(r, outline::HasChildren)) return false;
    r = Redirect(rows, r);
    if (r == 1) return false;
    int L = 0;
    if (!rows.Num(r, outline::Level, L)) return false;
    int p = r - 1 > 0 ? r - 1 : -1;
    int q = rows.Exists(r + 1) ? r + 1 : -1;
    int limit = 0;
    for (int g = r - 1; g >= 1; --g) {
        int type = 0, lv = 0;
        if (rows.Num(g, outline::Type, type) && (type == outline::Project || type == outline::Task) &&
            rows.Num(g, outline::Level, lv)) {
            limit = lv;
            break;
        }
    }
    if (L >= 5 || limit < L) return false;
    rows.SetNum(r, outline::Level, L + 1);
    if (p > 0 && rows.Is(p, outline::Level, L)) rows.Flags(p, "1");
    if (q > 0) {
        int lv = 0;
        for (int g = q; rows.Exists(g) && rows.Num(g, outline::Level, lv) && lv >= L + 1; ++g)
            rows.SetNum(g, outline::Level, lv + 1);
    }
    return true;
}

bool RunCommand(OutlineEdit& e, OutlineCommand command, int row) {
    switch (command) {
        case OutlineCommand::Append: return AppendCommand(e);
        case OutlineCommand::Insert: return InsertCommand(e, row);
        case OutlineCommand::Delete: return DeleteCommand(e, row);
        case OutlineCommand::LevelUp: return LevelUpCommand(e, row);
        case OutlineCommand::LevelDown: return LevelDownCommand(e, row);
    }
    return false;
}

RowSpan RowsTouched(const ScheduleDocument& doc, OutlineCommand command, int row) {
    switch (command) {
        case OutlineCommand::Append: {
            const int n = doc.Outline().RowCount();
            return {n - 1, n};
        }
        case OutlineCommand::Insert: return {row - 1, row + 1};
        case OutlineCommand::Delete: {
            // The row goes with its assignment rows.
            int last = row;
            while (IsAssignmentRow(doc, last + 1)) ++last;
            return {row - 1, last + 2};
        }
        case OutlineCommand::LevelUp:
        case OutlineCommand::LevelDown: {
            const int t = OwnerRow(doc, row);
            return {t - 1, SubtreeEnd(doc, t) + 2};
        }
    }
    return {row, row};
}

}  // namespace vinta
