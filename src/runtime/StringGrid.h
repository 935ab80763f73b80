#pragma once
// A table of text cells with per-row heights, per-column widths and a number of
// fixed (caption) rows at the top. It is the model behind every grid of the
// program: the outline pane, the hidden option/resource/task tables and the
// dialogs' grids. Cells hold Shift-JIS bytes, packed (see PackedRows).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "PackedRows.h"

namespace vinta {

class StringGrid {
public:
    StringGrid(int colCount = 5, int rowCount = 5, int defaultRowHeight = 24);
    // A copy is a different grid: it gets its own lifetime token, so links to
    // the original never follow the copy.
    StringGrid(const StringGrid& other);
    StringGrid& operator=(const StringGrid& other);
    ~StringGrid() = default;

    int RowCount() const { return static_cast<int>(heights_.size()); }
    // A grid always keeps at least one row; fixed rows shrink to stay above the
    // last row, as a grid control does.
    void SetRowCount(int n);
    int ColCount() const { return colCount_; }
    void SetColCount(int n);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int n);

    // Reading outside the grid yields empty text. The view is valid until the
    // grid next changes; keep a std::string of it to hold the text longer.
    std::string_view Cells(int col, int row) const;
    void SetCells(int col, int row, std::string text);
    // The row's ColCount cells.
    std::vector<std::string> Rows(int row) const;
    // Calls visit(text) for each of the row's ColCount cells in order, in one
    // pass over the row (for writers of whole tables).
    template <typename Visit>
    void VisitRow(int row, Visit visit) const {
        CellCursor cursor = cells_.Cursor(hasRow(row) ? static_cast<size_t>(row) : cells_.Size());
        std::string_view cell;
        for (int c = 0; c < colCount_; ++c) visit(cursor.Next(cell) ? cell : std::string_view());
    }
    // A row whose cells are read apart once: Cell(col) is Cells(col, row)
    // for the columns of the grid, with one decoding for all of them.
    packed::Record RowCells(int row) const {
        return cells_.RecordAt(hasRow(row) ? static_cast<size_t>(row) : cells_.Size());
    }
    // What the cells' text takes, packed: for sizing a writer's buffer.
    size_t TextBytes() const { return cells_.LiveBytes(); }
    void SetRows(int row, const std::vector<std::string>& cells);
    // Empties every cell of one row (its height stays).
    void ClearRow(int row);
    // The same for rows first..end-1, in one pass.
    void ClearRows(int first, int end);

    // Inline: layouts walk every row's height.
    int RowHeights(int row) const {
        return hasRow(row) ? heights_[static_cast<size_t>(row)] : defaultRowHeight_;
    }
    void SetRowHeights(int row, int height);
    // As many rows as `other`, rows from `first` on at its heights.
    void MatchRowHeights(const StringGrid& other, int first);
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    // Like a grid control: every row takes the new default height.
    void SetDefaultRowHeight(int height);
    static constexpr int kDefaultColWidth = 64;

    // Block moves the schedule store needs for inserting and deleting rows on
    // 100,000-row outlines without copying every cell one by one.
    // Inserts an empty row at `row` (with `height`), shifting later rows down.
    void InsertRowAt(int row, int height);
    // Removes `row`; later rows (cells and heights) shift up.
    void RemoveRowAt(int row);

    // A run of rows as they stand, and putting a run back: `count` rows from
    // `at` are replaced by `rows` in one move (for undo on long outlines).
    struct RowData {
        std::string record;  // the row's cells, packed
        int height = 0;
        friend bool operator==(const RowData&, const RowData&) = default;
    };
    std::vector<RowData> CopyRows(int at, int count) const;
    void ReplaceRows(int at, int count, const std::vector<RowData>& rows);

    // Takes over the cells of rows at..at+rows.Size()-1 (rows that exist)
    // without copying their text: for the file reader.
    void AdoptRows(int at, PackedRows&& rows);

    // Grows whenever rows, columns, heights, widths or fixed rows change, so
    // that a view can keep derived layout until the grid's shape moves.
    uint64_t LayoutRevision() const { return revision_; }
    // Grows with every change of column `col`'s text, rows coming and going
    // included: for what is derived from a few columns (the find's names),
    // which a fold, writing another column, must not throw away.
    uint64_t ContentRevision(int col) const {
        return content_ + (col >= 0 && col < colCount_ ? columnContent_[static_cast<size_t>(col)] : 0);
    }

    // Grows with every change of any cell's text. With EditsSince, what is
    // derived from the rows can mend the few that changed, came or went
    // instead of deriving all of them again.
    uint64_t TextStamp() const { return stamp_; }
    // Rows at..at+count-1 replaced by n rows; a text changed in place is
    // (row, 1, 1), a row inserted (row, 0, 1), one removed (row, 1, 0).
    struct RowEdit {
        int at, count, n;
    };
    // The edits since TextStamp() was `stamp`, in the order made; false when
    // the grid changed in a way they do not tell, or too often to keep.
    bool EditsSince(uint64_t stamp, std::vector<RowEdit>& edits) const;

    // Lifetime token: weak references to it expire when the grid is destroyed.
    std::weak_ptr<const int> LifeToken() const { return life_; }

private:
    bool hasRow(int row) const { return row >= 0 && row < RowCount(); }
    void Record(int at, int count, int n);
    void Touch(int row) { Record(row, 1, 1); }  // a row's text changed in place
    void Reshape();  // a change the journal does not tell
    static constexpr size_t kJournalEdits = 4096;

    PackedRows cells_;
    std::vector<int> heights_;
    std::vector<int> colWidths_;
    int colCount_ = 0;
    int fixedRows_ = 0;
    int defaultRowHeight_ = 24;
    uint64_t revision_ = 0;
    uint64_t content_ = 0;  // every column's text
    std::vector<uint64_t> columnContent_;  // one column's text, by SetCells
    uint64_t stamp_ = 0;
    uint64_t untracked_ = 0;  // changes up to this stamp are not in the journal
    struct Journaled {
        uint64_t stamp;
        RowEdit edit;
    };
    std::vector<Journaled> journal_;
    std::shared_ptr<const int> life_ = std::make_shared<const int>(0);
};

// A reference to a grid that can never reach a destroyed grid: Get() answers
// nullptr once the grid is gone.
class GridRef {
public:
    GridRef() = default;
    GridRef(StringGrid* grid) : grid_(grid) {
        if (grid) token_ = grid->LifeToken();
    }
    StringGrid* Get() const { return grid_ && !token_.expired() ? grid_ : nullptr; }
    explicit operator bool() const { return Get() != nullptr; }
    void Clear() { *this = GridRef(); }

private:
    StringGrid* grid_ = nullptr;
    std::weak_ptr<const int> token_;
};

}  // namespace vinta
