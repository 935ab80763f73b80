#include "ScheduleStore.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "runtime/Errors.h"
#include "runtime/Sjis.h"

namespace vinta {

namespace {

// Used when no font is at hand (tools, tests): the 12-pixel gothic fonts draw
// a double-byte character 12 pixels wide and a single-byte one 6.
int EstimateTextWidth(const StringGrid&, const std::string& text) {
    int width = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        size_t n = sjis::CharLength(p, end);
        width += n == 2 ? 12 : 6;
        p += n;
    }
    return width;
}

// Leading blanks and a sign are allowed, anything after the digits is not.
bool ParseInteger(std::string_view s, int& value) {
    size_t start = s.find_first_not_of(' ');
    const char* first = s.data() + (start == std::string::npos ? s.size() : start);
    const char* last = s.data() + s.size();
    if (first < last && *first == '+') ++first;
    auto [ptr, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && ptr == last && first != last;
}

}  // namespace

bool CellHoldsNumber(std::string_view cell) { return !cell.empty() && cell[0] >= '0' && cell[0] <= '9'; }
bool IsBlankCell(std::string_view cell) { return cell.empty() || cell == " "; }

ScheduleStore::ScheduleStore() : textWidth_(EstimateTextWidth) { Reset(); }

void ScheduleStore::Reset() {
    std::memset(magic_, 0, sizeof magic_);
    std::memcpy(magic_, "#$%&", 4);
    tableCount_ = 0;
    links.Clear();
    linkSlot_ = -1;
    linksOnLoad_ = LinksFound::None;
    for (int i = 0; i < kSlots; ++i) {
        grid_[i].Clear();
        view_[i].Clear();
        persist_[i] = 1;
        exactRows_[i] = 1;
        fixedRows_[i] = 0;
        hasHeader_[i] = 0;
        tables_[i] = TableHeader{};
    }
}

bool ScheduleStore::IsValidSlot(int slot) const {
    return slot >= 0 && slot < kSlots && grid_[slot].Get() != nullptr;
}

int ScheduleStore::FreeSlot() const {
    for (int i = 0; i < kSlots; ++i)
        if (!grid_[i].Get()) return i;
    return -1;
}

int ScheduleStore::RegisterTable(StringGrid* grid, bool persist, bool exactRows, bool hasHeader) {
    int slot = FreeSlot();
    if (slot < 0 || !grid) return -1;
    grid_[slot] = GridRef(grid);
    persist_[slot] = persist;
    exactRows_[slot] = exactRows;
    hasHeader_[slot] = hasHeader;
    if (hasHeader) {
        if (grid->RowCount() <= 1) grid->SetRowCount(grid->RowCount() + 1);
        grid->SetFixedRows(1);
    } else {
        grid->SetFixedRows(0);
    }
    for (int c = 0; c < grid->ColCount(); ++c) grid->SetColWidths(c, 0);
    ++tableCount_;
    return slot;
}

int ScheduleStore::RegisterTableExact(StringGrid* grid, bool persist, bool hasHeader) {
    return RegisterTable(grid, persist, true, hasHeader);
}

void ScheduleStore::SetFixedRows(int slot, int n) {
    if (!IsValidSlot(slot)) return;
    fixedRows_[slot] = n;
    grid_[slot].Get()->SetFixedRows(n);
}

// A date column takes a whole date as well as its caption: the widest of the
// digits in every place, in the face the cells are drawn in.
int ScheduleStore::AutoWidth(const StringGrid& grid, const std::string& caption, ColumnKind kind) const {
    int width = textWidth_(grid, caption);
    if (kind != kDate) return width;
    for (char d = '0'; d <= '9'; ++d) width = std::max(width, textWidth_(grid, std::string(4, d) + "/" + d + d + "/" + d + d));
    return width;
}

int ScheduleStore::DefineColumn(int slot, const std::string& caption, int width, ColumnKind kind) {
    if (!IsValidSlot(slot)) return -1;
    StringGrid* grid = grid_[slot].Get();
    TableHeader& t = tables_[slot];
    int c = t.columnCount;
    if (c < kMaxColumns) {
        if (c >= grid->ColCount()) grid->SetColCount(c + 1);
        if (hasHeader_[slot]) grid->SetCells(c, 0, caption);
        t.kind[c] = kind;
        if (kind == kSerial) t.lastSerial = 0;
    }
    t.columnCount = c + 1;
    grid->SetColWidths(c, width == -1 ? AutoWidth(*grid, caption, kind) + 4 : width);
    return c;
}

int ScheduleStore::SerialColumn(int slot) const {
    if (!IsValidSlot(slot)) return -1;
    for (int c = 0; c < kMaxColumns; ++c)
        if (tables_[slot].kind[c] == kSerial) return c;
    return -1;
}

void ScheduleStore::NumberRows(int slot) {
    int col = SerialColumn(slot);
    if (col < 0 || tables_[slot].lastSerial != 0) return;
    StringGrid* grid = grid_[slot].Get();
    for (int r = grid->FixedRows(); r < grid->RowCount(); ++r) {
        ++tables_[slot].lastSerial;
        grid->SetCells(col, r, std::to_string(tables_[slot].lastSerial));
    }
}

int ScheduleStore::NextSerial(int slot) {
    if (!IsValidSlot(slot)) return -1;
    return ++tables_[slot].lastSerial;
}

int ScheduleStore::DataRowCount(int slot) const {
    if (!IsValidSlot(slot)) return 0;
    return std::max(0, grid_[slot].Get()->RowCount() - (hasHeader_[slot] ? 1 : 0));
}

bool ScheduleStore::CellExists(int slot, int column, int row) const {
    if (!IsValidSlot(slot) || row < 0 || column < 0) return false;
    const StringGrid* grid = grid_[slot].Get();
    return GridRow(slot, row) < grid->RowCount() && column < grid->ColCount();
}

int ScheduleStore::SetCellText(int slot, int column, int row, const std::string& text) {
    if (!CellExists(slot, column, row)) return -1;
    int g = GridRow(slot, row);
    grid_[slot].Get()->SetCells(column, g, text);
    if (StringGrid* view = view_[slot].Get()) view->SetCells(column, g, text);
    return 0;
}

int ScheduleStore::SetCellText(int slot, int column, int row, const char* text) {
    return SetCellText(slot, column, row, std::string(text ? text : ""));
}

int ScheduleStore::SetCellNumber(int slot, int column, int row, int number) {
    return SetCellText(slot, column, row, std::to_string(number));
}

std::string ScheduleStore::CellText(int slot, int column, int row) const {
    if (!CellExists(slot, column, row)) return {};
    return std::string(grid_[slot].Get()->Cells(column, GridRow(slot, row)));
}

bool ScheduleStore::HasNumber(int slot, int column, int row) const {
    if (!CellExists(slot, column, row)) return false;
    return CellHoldsNumber(grid_[slot].Get()->Cells(column, GridRow(slot, row)));
}

bool ScheduleStore::TryCellNumber(int slot, int column, int row, int& value) const {
    if (!HasNumber(slot, column, row)) return false;
    if (column >= kMaxColumns) {
        value = 0;
        return true;
    }
    ColumnKind kind = static_cast<ColumnKind>(tables_[slot].kind[column]);
    if (kind != kNumber && kind != kSerial) {
        value = 0;
        return true;
    }
    int v = 0;
    if (!ParseInteger(grid_[slot].Get()->Cells(column, GridRow(slot, row)), v)) return false;
    value = v;
    return true;
}

int ScheduleStore::CellNumber(int slot, int column, int row) const {
    if (!CellExists(slot, column, row) || column >= kMaxColumns) return 0;
    ColumnKind kind = static_cast<ColumnKind>(tables_[slot].kind[column]);
    if (kind != kNumber && kind != kSerial) return 0;
    std::string_view s = grid_[slot].Get()->Cells(column, GridRow(slot, row));
    int value = 0;
    if (!ParseInteger(s, value))
        throw ConversionError("'" + sjis::ToUtf8(s) + "' is not a valid integer value");
    return value;
}

int ScheduleStore::FindRow(int slot, int column, std::string_view text) const {
    if (!IsValidSlot(slot)) return -1;
    const StringGrid* grid = grid_[slot].Get();
    for (int g = GridRow(slot, 0); g < grid->RowCount(); ++g)
        if (grid->Cells(column, g) == text) return DataRow(slot, g);
    return -1;
}

int ScheduleStore::InsertRow(int slot, int row, bool numbered) {
    if (!IsValidSlot(slot) || row < 0) return -1;
    StringGrid* grid = grid_[slot].Get();
    StringGrid* view = view_[slot].Get();
    int g = GridRow(slot, row);
    int n = grid->RowCount();
    if (g >= n) {
        grid->SetRowCount(n + 1);
        if (view) view->SetRowCount(view->RowCount() + 1);
        g = n;
    } else if (g >= grid->FixedRows()) {
        // The new row keeps the height the grid row had: inserting above a
        // folded row gives a folded new row.
        grid->InsertRowAt(g, grid->RowHeights(g));
        if (view) {
            view->SetRowCount(view->RowCount() + 1);
            for (int s = grid->RowCount() - 1; s > g; --s) {
                view->SetRows(s, grid->Rows(s));
                view->SetRowHeights(s, grid->RowHeights(s));
            }
            view->ClearRow(g);
        }
    } else {
        return DataRow(slot, g);
    }
    int result = DataRow(slot, g);
    if (numbered) {
        int col = SerialColumn(slot);
        if (col >= 0) SetCellNumber(slot, col, result, NextSerial(slot));
    }
    return result;
}

int ScheduleStore::DeleteRow(int slot, int row) {
    if (!IsValidSlot(slot) || row < 0) return row;
    StringGrid* grid = grid_[slot].Get();
    StringGrid* view = view_[slot].Get();
    int g = GridRow(slot, row);
    int n = grid->RowCount();
    if (g >= n) return row;
    int fixed = grid->FixedRows();
    if (hasHeader_[slot] && n == fixed + 1 && g == fixed) {
        // A table with a caption row keeps its one data row, emptied.
        for (StringGrid* gr : {grid, view}) {
            if (!gr) continue;
            gr->ClearRow(g);
            gr->SetRowHeights(g, gr->DefaultRowHeight());
        }
        return row;
    }
    grid->RemoveRowAt(g);
    if (view) {
        for (int s = g; s < grid->RowCount() && s < view->RowCount(); ++s) {
            view->SetRows(s, grid->Rows(s));
            view->SetRowHeights(s, grid->RowHeights(s));
        }
        view->RemoveRowAt(view->RowCount() - 1);
    }
    return row;
}

void ScheduleStore::LinkView(int slot, StringGrid* viewGrid) {
    if (!IsValidSlot(slot)) return;
    view_[slot] = GridRef(viewGrid);
    if (!viewGrid) return;
    const StringGrid* grid = grid_[slot].Get();
    viewGrid->SetColCount(grid->ColCount());
    viewGrid->SetRowCount(grid->RowCount());
    viewGrid->SetFixedRows(grid->FixedRows());
    for (int c = 0; c < grid->ColCount(); ++c) viewGrid->SetColWidths(c, grid->ColWidths(c));
    for (int r = 0; r < grid->RowCount(); ++r) viewGrid->SetRows(r, grid->Rows(r));
}

int ScheduleStore::InsertGridRow(StringGrid* grid, int row) {
    if (!grid || row < 0) return -1;
    int n = grid->RowCount();
    if (row >= n) {
        grid->SetRowCount(n + 1);
        return n;
    }
    if (row < grid->FixedRows()) return row;
    grid->InsertRowAt(row, grid->RowHeights(row));
    return row;
}

int ScheduleStore::DeleteGridRow(StringGrid* grid, int row) {
    // Caption rows are never deleted: they are not data.
    if (!grid || row < grid->FixedRows() || row >= grid->RowCount()) return row;
    int n = grid->RowCount();
    if (n == grid->FixedRows() + 1) {
        grid->ClearRow(row);
        return row;
    }
    // Cells move up; heights stay with their positions.
    for (int s = row; s < n - 1; ++s) grid->SetRows(s, grid->Rows(s + 1));
    grid->ClearRow(n - 1);
    grid->SetRowCount(n - 1);
    return row;
}

bool ScheduleStore::CopyDataRows(StringGrid* destination, const StringGrid* source) {
    if (!destination || !source) return false;
    int srcFixed = source->FixedRows();
    int srcRows = source->RowCount() - srcFixed;
    int dstFixed = destination->FixedRows();
    if (destination->RowCount() - dstFixed < srcRows) destination->SetRowCount(dstFixed + srcRows);
    if (destination->ColCount() < source->ColCount()) destination->SetColCount(source->ColCount());
    for (int i = 0; i < srcRows; ++i) destination->SetRows(dstFixed + i, source->Rows(srcFixed + i));
    return true;
}

std::string ScheduleStore::OptionText(const StringGrid* grid, int row, const std::string& def) {
    if (!grid || row < 0 || row >= grid->RowCount()) return def;
    std::string_view s = grid->Cells(0, row);
    return IsBlankCell(s) ? def : std::string(s);
}

}  // namespace vinta
