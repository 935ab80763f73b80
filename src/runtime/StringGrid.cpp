#include "StringGrid.h"

#include <algorithm>

namespace vinta {

namespace {
const std::string kEmpty;
}

StringGrid::StringGrid(int colCount, int rowCount, int defaultRowHeight)
    : defaultRowHeight_(defaultRowHeight) {
    SetColCount(colCount);
    SetRowCount(rowCount);
}

StringGrid::StringGrid(const StringGrid& other)
    : rows_(other.rows_),
      colWidths_(other.colWidths_),
      colCount_(other.colCount_),
      fixedRows_(other.fixedRows_),
      defaultRowHeight_(other.defaultRowHeight_),
      revision_(other.revision_) {}

StringGrid& StringGrid::operator=(const StringGrid& other) {
    if (this != &other) {
        rows_ = other.rows_;
        colWidths_ = other.colWidths_;
        colCount_ = other.colCount_;
        fixedRows_ = other.fixedRows_;
        defaultRowHeight_ = other.defaultRowHeight_;
        ++revision_;
    }
    return *this;
}

void StringGrid::SetRowCount(int n) {
    ++revision_;
    n = std::max(n, 1);
    rows_.resize(static_cast<size_t>(n), Row{{}, defaultRowHeight_});
    if (fixedRows_ >= n) fixedRows_ = n - 1;
}

void StringGrid::SetColCount(int n) {
    ++revision_;
    n = std::max(n, 1);
    if (n < colCount_) {
        for (Row& r : rows_)
            if (r.cells.size() > static_cast<size_t>(n)) r.cells.resize(static_cast<size_t>(n));
    }
    colCount_ = n;
    colWidths_.resize(static_cast<size_t>(n), kDefaultColWidth);
}

void StringGrid::SetFixedRows(int n) {
    ++revision_;
    fixedRows_ = std::clamp(n, 0, RowCount() - 1);
}

const std::string& StringGrid::Cells(int col, int row) const {
    if (!hasRow(row) || col < 0 || col >= colCount_) return kEmpty;
    const auto& cells = rows_[static_cast<size_t>(row)].cells;
    return static_cast<size_t>(col) < cells.size() ? cells[static_cast<size_t>(col)] : kEmpty;
}

void StringGrid::SetCells(int col, int row, std::string text) {
    if (!hasRow(row) || col < 0 || col >= colCount_) return;
    auto& cells = rows_[static_cast<size_t>(row)].cells;
    if (static_cast<size_t>(col) >= cells.size()) {
        if (text.empty()) return;
        cells.resize(static_cast<size_t>(col) + 1);
    }
    cells[static_cast<size_t>(col)] = std::move(text);
}

std::vector<std::string> StringGrid::Rows(int row) const {
    std::vector<std::string> out(static_cast<size_t>(colCount_));
    if (hasRow(row)) {
        const auto& cells = rows_[static_cast<size_t>(row)].cells;
        std::copy(cells.begin(), cells.end(), out.begin());
    }
    return out;
}

void StringGrid::SetRows(int row, const std::vector<std::string>& cells) {
    if (!hasRow(row)) return;
    auto& dst = rows_[static_cast<size_t>(row)].cells;
    size_t n = std::min(cells.size(), static_cast<size_t>(colCount_));
    dst.assign(cells.begin(), cells.begin() + static_cast<std::ptrdiff_t>(n));
}

void StringGrid::ClearRow(int row) {
    if (hasRow(row)) rows_[static_cast<size_t>(row)].cells.clear();
}

int StringGrid::RowHeights(int row) const {
    return hasRow(row) ? rows_[static_cast<size_t>(row)].height : defaultRowHeight_;
}

void StringGrid::SetRowHeights(int row, int height) {
    if (!hasRow(row) || rows_[static_cast<size_t>(row)].height == height) return;
    rows_[static_cast<size_t>(row)].height = height;
    ++revision_;
}

int StringGrid::ColWidths(int col) const {
    return col >= 0 && col < colCount_ ? colWidths_[static_cast<size_t>(col)] : kDefaultColWidth;
}

void StringGrid::SetColWidths(int col, int width) {
    if (col < 0 || col >= colCount_ || colWidths_[static_cast<size_t>(col)] == width) return;
    colWidths_[static_cast<size_t>(col)] = width;
    ++revision_;
}

void StringGrid::SetDefaultRowHeight(int height) {
    ++revision_;
    defaultRowHeight_ = height;
    for (Row& r : rows_) r.height = height;
}

std::vector<StringGrid::RowData> StringGrid::CopyRows(int at, int count) const {
    std::vector<RowData> out;
    at = std::clamp(at, 0, RowCount());
    count = std::clamp(count, 0, RowCount() - at);
    out.reserve(static_cast<size_t>(count));
    for (int r = at; r < at + count; ++r) out.push_back({rows_[static_cast<size_t>(r)].cells, rows_[static_cast<size_t>(r)].height});
    return out;
}

void StringGrid::ReplaceRows(int at, int count, const std::vector<RowData>& rows) {
    ++revision_;
    at = std::clamp(at, 0, RowCount());
    count = std::clamp(count, 0, RowCount() - at);
    auto first = rows_.begin() + at;
    rows_.erase(first, first + count);
    std::vector<Row> in;
    in.reserve(rows.size());
    for (const RowData& r : rows) in.push_back(Row{r.cells, r.height});
    rows_.insert(rows_.begin() + at, in.begin(), in.end());
    if (rows_.empty()) rows_.push_back(Row{{}, defaultRowHeight_});
    if (fixedRows_ >= RowCount()) fixedRows_ = RowCount() - 1;
}

void StringGrid::InsertRowAt(int row, int height) {
    ++revision_;
    row = std::clamp(row, 0, RowCount());
    rows_.insert(rows_.begin() + row, Row{{}, height});
}

void StringGrid::RemoveRowAt(int row) {
    ++revision_;
    if (!hasRow(row)) return;
    if (RowCount() == 1) {
        rows_[0] = Row{{}, defaultRowHeight_};
        return;
    }
    rows_.erase(rows_.begin() + row);
    if (fixedRows_ >= RowCount()) fixedRows_ = RowCount() - 1;
}

}  // namespace vinta
