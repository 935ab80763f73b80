#pragma once
// The cells of a grid, kept close to the size of their text. Each row is one
// packed record (see packed::Record) in blocks shared by the table; a row
// without text takes no record at all.
// A million-row outline of 15 columns would otherwise spend some 500 bytes a
// row on string objects, most of them for one-character cells.
//
// No two rows ever share a record, so a change can never reach another row's
// text. Changing a cell rewrites its row's record where it stands when the new
// one fits, or writes it anew; records left behind are reclaimed once they
// outweigh the live ones. A view answered by Cell() is therefore valid only
// until the next change of these rows.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vinta {

// Collects one row's cells, in column order, into a packed record.
class RowPacker {
public:
    void Clear();
    // The next column's text; columns past the last one added are empty.
    // Inline: a file's load adds every cell of every row through here.
    void Add(std::string_view cell) {
        lengths_.push_back(static_cast<uint32_t>(cell.size()));
        if (used_ + cell.size() > text_.size()) Grow(cell.size());
        if (!cell.empty()) std::memcpy(text_.data() + used_, cell.data(), cell.size());
        used_ += cell.size();
    }
    bool Empty() const { return lengths_.empty(); }
    // The record: trailing empty cells are left out, so that equal rows pack
    // to equal bytes. An all-empty row packs to no bytes.
    std::string_view Packed();
    // The record's size, and the record written at `out` (that many bytes).
    size_t PackedSize() const;
    void PackTo(char* out) const;

private:
    size_t StoredCells() const;
    void Grow(size_t more);
    std::vector<uint32_t> lengths_;
    std::string text_;  // the cells' text is its first used_ bytes
    size_t used_ = 0;
    std::string packed_;
};

namespace packed {
// Lengths are 7 bits a byte, low bits first; a clear top bit ends a number.
inline uint32_t GetVarint(const char*& p) {
    uint32_t v = 0;
    for (int shift = 0;; shift += 7) {
        unsigned char b = static_cast<unsigned char>(*p++);
        v |= static_cast<uint32_t>(b & 0x7F) << shift;
        if (!(b & 0x80)) return v;
    }
}

// A record read apart: its cell count (7 bits a byte), the width (1, 2 or 4
// bytes) of the numbers that follow, each cell's end within the text in that
// width, then the text. Any cell is found without reading the others: the
// chart reads a handful of cells for every one it draws.
struct Record {
    explicit Record(const char* record) {
        if (!record) return;
        const char* p = record;
        count = GetVarint(p);
        width = static_cast<unsigned char>(*p++);
        ends = reinterpret_cast<const unsigned char*>(p);
        text = p + static_cast<size_t>(count) * width;
        bytes = static_cast<size_t>(text - record) + (count ? End(count - 1) : 0);
    }
    uint32_t End(uint32_t i) const {
        const unsigned char* e = ends + static_cast<size_t>(i) * width;
        if (width == 1) return e[0];
        if (width == 2) return e[0] | static_cast<uint32_t>(e[1]) << 8;
        return e[0] | static_cast<uint32_t>(e[1]) << 8 | static_cast<uint32_t>(e[2]) << 16 |
               static_cast<uint32_t>(e[3]) << 24;
    }
    std::string_view Cell(uint32_t i) const {
        if (i >= count) return {};
        uint32_t start = i ? End(i - 1) : 0;
        return {text + start, End(i) - start};
    }
    uint32_t count = 0;
    unsigned width = 1;
    const unsigned char* ends = nullptr;
    const char* text = nullptr;
    size_t bytes = 0;  // the whole record
};
}  // namespace packed

// Walks one packed record's cells in column order.
class CellCursor {
public:
    explicit CellCursor(const char* record) : record_(record) {}
    // The next stored cell; false after the last one.
    bool Next(std::string_view& cell) {
        if (next_ >= record_.count) return false;
        cell = record_.Cell(next_++);
        return true;
    }

private:
    packed::Record record_;
    uint32_t next_ = 0;
};

class PackedRows {
public:
    PackedRows() = default;
    PackedRows(const PackedRows& other);
    PackedRows& operator=(const PackedRows& other);
    PackedRows(PackedRows&&) noexcept = default;
    PackedRows& operator=(PackedRows&&) noexcept = default;

    size_t Size() const { return rows_.size(); }
    // Rows added at the end are empty; rows cut off take their text with them.
    void Resize(size_t n);
    void Insert(size_t at, size_t count);
    void Erase(size_t at, size_t count);

    // Empty for a row or column that holds nothing.
    std::string_view Cell(size_t row, size_t col) const;
    // The row's number of stored cells (trailing empty cells are not stored).
    size_t CellCount(size_t row) const;
    // The row's stored cells in one pass.
    CellCursor Cursor(size_t row) const { return CellCursor(row < rows_.size() ? rows_[row] : nullptr); }
    // The row's record read apart: a few cells of it without decoding it again.
    packed::Record RecordAt(size_t row) const { return packed::Record(row < rows_.size() ? rows_[row] : nullptr); }
    void SetCell(size_t row, size_t col, std::string_view text);
    void SetRow(size_t row, const std::vector<std::string>& cells, size_t maxCols);
    void ClearRow(size_t row) { ClearRows(row, row + 1); }
    // Empties rows first..end-1, reclaiming their storage once for all.
    void ClearRows(size_t first, size_t end);
    // Drops every cell at or right of `cols`.
    void Truncate(size_t cols);

    // The row's packed record, and setting a row from one (as given by
    // Record() or RowPacker).
    std::string Record(size_t row) const;
    void SetRecord(size_t row, std::string_view record);

    // Appends a row from a packer; for readers that build many rows in order.
    void Append(RowPacker& packer);
    void Reserve(size_t rows) { rows_.reserve(rows); }
    // Takes `rows` over as rows at..at+rows.Size()-1 of this table (which must
    // exist), moving their records' blocks instead of copying the text.
    void Adopt(size_t at, PackedRows&& rows);
    // Takes `rows` over after the last row, moving their blocks.
    void AppendRows(PackedRows&& rows);

    // Bytes of records written into the blocks (in use or left behind), and
    // of the records still in use.
    size_t ArenaBytes() const { return arenaBytes_; }
    size_t LiveBytes() const { return liveBytes_; }

private:
    char* Store(std::string_view record);
    // `n` bytes of the arena for a new record.
    char* Room(size_t n);
    void Release(size_t row);
    void CompactIfWasteful();
    void CopyFrom(const PackedRows& other);

    std::vector<char*> rows_;  // nullptr: an empty row
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* free_ = nullptr;
    size_t freeLeft_ = 0;
    size_t nextBlock_ = 0;
    size_t arenaBytes_ = 0;
    size_t liveBytes_ = 0;
};

}  // namespace vinta
