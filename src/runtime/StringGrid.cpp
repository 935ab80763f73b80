#include "StringGrid.h"

#include <algorithm>

namespace vinta {

namespace {
size_t At(int i) { return static_cast<size_t>(i); }
}  // namespace

StringGrid::StringGrid(int colCount, int rowCount, int defaultRowHeight)
    : defaultRowHeight_(defaultRowHeight) {
    SetColCount(colCount);
    SetRowCount(rowCount);
}

StringGrid::StringGrid(const StringGrid& other)
    : cells_(other.cells_),
      heights_(other.heights_),
      colWidths_(other.colWidths_),
      colCount_(other.colCount_),
      fixedRows_(other.fixedRows_),
      defaultRowHeight_(other.defaultRowHeight_),
      revision_(other.revision_),
      columnContent_(other.columnContent_) {}

StringGrid& StringGrid::operator=(const StringGrid& other) {
    if (this != &other) {
        cells_ = other.cells_;
        heights_ = other.heights_;
        colWidths_ = other.colWidths_;
        columnContent_.resize(other.columnContent_.size(), 0);
        colCount_ = other.colCount_;
        fixedRows_ = other.fixedRows_;
        defaultRowHeight_ = other.defaultRowHeight_;
        ++revision_;
        Reshape();
    }
    return *this;
}

void StringGrid::SetRowCount(int n) {
    ++revision_;
    ++content_;
    n = std::max(n, 1);
    const int old = RowCount();
    // Rows come or go at the end.
    if (n != old) Record(std::min(old, n), std::max(old - n, 0), std::max(n - old, 0));
    heights_.resize(At(n), defaultRowHeight_);
    cells_.Resize(At(n));
    if (fixedRows_ >= n) fixedRows_ = n - 1;
}

void StringGrid::SetColCount(int n) {
    ++revision_;
    Reshape();
    n = std::max(n, 1);
    if (n < colCount_) cells_.Truncate(At(n));
    colCount_ = n;
    colWidths_.resize(At(n), kDefaultColWidth);
    columnContent_.resize(At(n), 0);
}

void StringGrid::Record(int at, int count, int n) {
    ++stamp_;
    if (journal_.size() >= kJournalEdits) {
        // Too many to tell apart: whoever asks derives everything again.
        journal_.clear();
        untracked_ = stamp_;
        return;
    }
    journal_.push_back({stamp_, {at, count, n}});
}

void StringGrid::Reshape() {
    ++content_;
    ++stamp_;
    journal_.clear();
    untracked_ = stamp_;
}

bool StringGrid::EditsSince(uint64_t stamp, std::vector<RowEdit>& edits) const {
    edits.clear();
    if (stamp < untracked_) return false;
    auto from = std::upper_bound(journal_.begin(), journal_.end(), stamp,
                                 [](uint64_t s, const Journaled& j) { return s < j.stamp; });
    for (auto it = from; it != journal_.end(); ++it) edits.push_back(it->edit);
    return true;
}

void StringGrid::SetFixedRows(int n) {
    ++revision_;
    fixedRows_ = std::clamp(n, 0, RowCount() - 1);
}

std::string_view StringGrid::Cells(int col, int row) const {
    if (!hasRow(row) || col < 0 || col >= colCount_) return {};
    return cells_.Cell(At(row), At(col));
}

void StringGrid::SetCells(int col, int row, std::string text) {
    if (!hasRow(row) || col < 0 || col >= colCount_) return;
    ++columnContent_[At(col)];
    Touch(row);
    cells_.SetCell(At(row), At(col), text);
}

std::vector<std::string> StringGrid::Rows(int row) const {
    std::vector<std::string> out(At(colCount_));
    if (hasRow(row)) {
        size_t n = std::min(cells_.CellCount(At(row)), out.size());
        for (size_t c = 0; c < n; ++c) out[c] = cells_.Cell(At(row), c);
    }
    return out;
}

void StringGrid::SetRows(int row, const std::vector<std::string>& cells) {
    ++content_;
    if (!hasRow(row)) return;
    Touch(row);
    cells_.SetRow(At(row), cells, At(colCount_));
}

void StringGrid::ClearRow(int row) {
    ++content_;
    if (!hasRow(row)) return;
    Touch(row);
    cells_.ClearRow(At(row));
}

void StringGrid::ClearRows(int first, int end) {
    ++content_;
    first = std::clamp(first, 0, RowCount());
    end = std::clamp(end, first, RowCount());
    if (end > first) Record(first, end - first, end - first);
    cells_.ClearRows(At(first), At(end));
}


void StringGrid::MatchRowHeights(const StringGrid& other, int first) {
    if (RowCount() != other.RowCount()) SetRowCount(other.RowCount());
    const size_t from = At(std::clamp(first, 0, RowCount()));
    // Only a real change is a new layout: the panes lay themselves out again.
    if (std::equal(heights_.begin() + from, heights_.end(), other.heights_.begin() + from)) return;
    std::copy(other.heights_.begin() + from, other.heights_.end(), heights_.begin() + from);
    ++revision_;
}

void StringGrid::SetRowHeights(int row, int height) {
    if (!hasRow(row) || heights_[At(row)] == height) return;
    heights_[At(row)] = height;
    ++revision_;
}

int StringGrid::ColWidths(int col) const {
    return col >= 0 && col < colCount_ ? colWidths_[At(col)] : kDefaultColWidth;
}

void StringGrid::SetColWidths(int col, int width) {
    if (col < 0 || col >= colCount_ || colWidths_[At(col)] == width) return;
    colWidths_[At(col)] = width;
    ++revision_;
}

void StringGrid::SetDefaultRowHeight(int height) {
    ++revision_;
    defaultRowHeight_ = height;
    std::fill(heights_.begin(), heights_.end(), height);
}

std::vector<StringGrid::RowData> StringGrid::CopyRows(int at, int count) const {
    std::vector<RowData> out;
    at = std::clamp(at, 0, RowCount());
    count = std::clamp(count, 0, RowCount() - at);
    out.reserve(At(count));
    for (int r = at; r < at + count; ++r) out.push_back({cells_.Record(At(r)), heights_[At(r)]});
    return out;
}

void StringGrid::ReplaceRows(int at, int count, const std::vector<RowData>& rows) {
    ++revision_;
    ++content_;
    at = std::clamp(at, 0, RowCount());
    count = std::clamp(count, 0, RowCount() - at);
    Record(at, count, static_cast<int>(rows.size()));
    cells_.Erase(At(at), At(count));
    heights_.erase(heights_.begin() + at, heights_.begin() + at + count);
    cells_.Insert(At(at), rows.size());
    std::vector<int> heights;
    heights.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        cells_.SetRecord(At(at) + i, rows[i].record);
        heights.push_back(rows[i].height);
    }
    heights_.insert(heights_.begin() + at, heights.begin(), heights.end());
    if (heights_.empty()) {
        heights_.push_back(defaultRowHeight_);
        cells_.Resize(1);
        Record(0, 0, 1);
    }
    if (fixedRows_ >= RowCount()) fixedRows_ = RowCount() - 1;
}

void StringGrid::AdoptRows(int at, PackedRows&& rows) {
    Reshape();
    if (!hasRow(at)) return;
    cells_.Adopt(At(at), std::move(rows));
}

void StringGrid::InsertRowAt(int row, int height) {
    ++revision_;
    ++content_;
    row = std::clamp(row, 0, RowCount());
    Record(row, 0, 1);
    heights_.insert(heights_.begin() + row, height);
    cells_.Insert(At(row), 1);
}

void StringGrid::RemoveRowAt(int row) {
    ++revision_;
    ++content_;
    if (!hasRow(row)) return;
    // The last row is emptied, never removed.
    Record(row, 1, RowCount() == 1 ? 1 : 0);
    if (RowCount() == 1) {
        cells_.ClearRow(0);
        heights_[0] = defaultRowHeight_;
        return;
    }
    heights_.erase(heights_.begin() + row);
    cells_.Erase(At(row), 1);
    if (fixedRows_ >= RowCount()) fixedRows_ = RowCount() - 1;
}

}  // namespace vinta
