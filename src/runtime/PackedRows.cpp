#include "PackedRows.h"

#include <algorithm>
#include <cstring>

namespace vinta {

namespace {

// Blocks start small, for the many short grids of the dialogs, and double up
// to a size where a block's own cost vanishes.
constexpr size_t kFirstBlockBytes = 4 * 1024;
constexpr size_t kBlockBytes = 256 * 1024;
// Left-behind records are reclaimed only past this much, so that small grids
// never pay for it. Under AddressSanitizer they are reclaimed as soon as they
// outweigh the live ones, so that a view of a cell kept across a change
// reads freed memory and is reported, in small grids too.
#if defined(__SANITIZE_ADDRESS__)
#define VINTA_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VINTA_ADDRESS_SANITIZER 1
#endif
#endif
#ifdef VINTA_ADDRESS_SANITIZER
constexpr bool kEagerReclaim = true;
constexpr size_t kMinWasteBytes = 0;
#else
constexpr bool kEagerReclaim = false;
constexpr size_t kMinWasteBytes = 4 * 1024 * 1024;
#endif

size_t RecordBytes(const char* record) { return record ? packed::Record(record).bytes : 0; }

// Every cell of a record, in order, for rebuilding it.
template <typename Visit>
void ForEachCell(const char* record, Visit visit) {
    CellCursor cursor(record);
    std::string_view cell;
    while (cursor.Next(cell)) visit(cell);
}

}  // namespace

void RowPacker::Clear() {
    lengths_.clear();
    used_ = 0;
}

void RowPacker::Grow(size_t more) { text_.resize(std::max(2 * text_.size(), used_ + more + 64)); }

size_t RowPacker::StoredCells() const {
    size_t n = lengths_.size();
    while (n > 0 && lengths_[n - 1] == 0) --n;
    return n;
}

namespace {
unsigned EndWidth(size_t textBytes) { return textBytes <= 0xFF ? 1 : textBytes <= 0xFFFF ? 2 : 4; }
size_t VarintBytes(uint32_t v) {
    size_t n = 1;
    while (v >= 0x80) {
        v >>= 7;
        ++n;
    }
    return n;
}
}  // namespace

size_t RowPacker::PackedSize() const {
    const size_t n = StoredCells();
    if (n == 0) return 0;
    // The trailing empty cells added no text.
    return VarintBytes(static_cast<uint32_t>(n)) + 1 + n * EndWidth(used_) + used_;
}

void RowPacker::PackTo(char* out) const {
    const size_t n = StoredCells();
    if (n == 0) return;
    const unsigned width = EndWidth(used_);
    for (uint32_t v = static_cast<uint32_t>(n);; v >>= 7) {
        if (v < 0x80) {
            *out++ = static_cast<char>(v);
            break;
        }
        *out++ = static_cast<char>((v & 0x7F) | 0x80);
    }
    *out++ = static_cast<char>(width);
    uint32_t end = 0;
    for (size_t i = 0; i < n; ++i) {
        end += lengths_[i];
        for (unsigned k = 0; k < width; ++k) *out++ = static_cast<char>((end >> (8 * k)) & 0xFF);
    }
    std::memcpy(out, text_.data(), used_);
}

std::string_view RowPacker::Packed() {
    packed_.resize(PackedSize());
    PackTo(packed_.data());
    return packed_;
}

PackedRows::PackedRows(const PackedRows& other) { CopyFrom(other); }

PackedRows& PackedRows::operator=(const PackedRows& other) {
    if (this != &other) {
        PackedRows copy(other);
        *this = std::move(copy);
    }
    return *this;
}

// A copy holds only the live records, in one block.
void PackedRows::CopyFrom(const PackedRows& other) {
    rows_.assign(other.rows_.size(), nullptr);
    blocks_.clear();
    free_ = nullptr;
    freeLeft_ = 0;
    arenaBytes_ = liveBytes_ = 0;
    if (other.liveBytes_ > 0) {
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(other.liveBytes_));
        free_ = blocks_.back().get();
        freeLeft_ = other.liveBytes_;
    }
    for (size_t r = 0; r < rows_.size(); ++r) {
        const char* rec = other.rows_[r];
        if (rec) rows_[r] = Store(std::string_view(rec, RecordBytes(rec)));
    }
}

char* PackedRows::Room(size_t n) {
    if (n > freeLeft_) {
        nextBlock_ = std::min(kBlockBytes, std::max(kFirstBlockBytes, 2 * nextBlock_));
        size_t size = std::max(nextBlock_, n);
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
        free_ = blocks_.back().get();
        freeLeft_ = size;
    }
    char* at = free_;
    free_ += n;
    freeLeft_ -= n;
    arenaBytes_ += n;
    liveBytes_ += n;
    return at;
}

char* PackedRows::Store(std::string_view record) {
    if (record.empty()) return nullptr;
    char* at = Room(record.size());
    std::memcpy(at, record.data(), record.size());
    return at;
}

void PackedRows::Release(size_t row) {
    liveBytes_ -= RecordBytes(rows_[row]);
    rows_[row] = nullptr;
}

void PackedRows::CompactIfWasteful() {
    size_t waste = arenaBytes_ - liveBytes_;
    if (waste > kMinWasteBytes && waste > liveBytes_) {
        PackedRows compact(*this);
        *this = std::move(compact);
    }
}

void PackedRows::Resize(size_t n) {
    for (size_t r = n; r < rows_.size(); ++r) Release(r);
    rows_.resize(n, nullptr);
    CompactIfWasteful();
}

void PackedRows::Insert(size_t at, size_t count) {
    at = std::min(at, rows_.size());
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at), count, nullptr);
}

void PackedRows::Erase(size_t at, size_t count) {
    at = std::min(at, rows_.size());
    count = std::min(count, rows_.size() - at);
    for (size_t r = at; r < at + count; ++r) Release(r);
    auto first = rows_.begin() + static_cast<std::ptrdiff_t>(at);
    rows_.erase(first, first + static_cast<std::ptrdiff_t>(count));
    CompactIfWasteful();
}

std::string_view PackedRows::Cell(size_t row, size_t col) const {
    if (row >= rows_.size() || !rows_[row] || col > UINT32_MAX) return {};
    return packed::Record(rows_[row]).Cell(static_cast<uint32_t>(col));
}

size_t PackedRows::CellCount(size_t row) const {
    return row < rows_.size() && rows_[row] ? packed::Record(rows_[row]).count : 0;
}

void PackedRows::SetCell(size_t row, size_t col, std::string_view text) {
    if (row >= rows_.size()) return;
    // Dialogs store every field back; an unchanged cell leaves its record be.
    if (Cell(row, col) == text) return;
    RowPacker packer;
    size_t i = 0;
    ForEachCell(rows_[row], [&](std::string_view cell) { packer.Add(i++ == col ? text : cell); });
    for (; i <= col; ++i) packer.Add(i == col ? text : std::string_view());
    SetRecord(row, packer.Packed());
}

void PackedRows::SetRow(size_t row, const std::vector<std::string>& cells, size_t maxCols) {
    if (row >= rows_.size()) return;
    RowPacker packer;
    for (size_t i = 0; i < cells.size() && i < maxCols; ++i) packer.Add(cells[i]);
    SetRecord(row, packer.Packed());
}

void PackedRows::ClearRows(size_t first, size_t end) {
    end = std::min(end, rows_.size());
    for (size_t r = first; r < end; ++r) Release(r);
    CompactIfWasteful();
}

void PackedRows::Truncate(size_t cols) {
    for (size_t r = 0; r < rows_.size(); ++r) {
        if (CellCount(r) <= cols) continue;
        RowPacker packer;
        size_t i = 0;
        ForEachCell(rows_[r], [&](std::string_view cell) {
            if (i++ < cols) packer.Add(cell);
        });
        SetRecord(r, packer.Packed());
    }
}

std::string PackedRows::Record(size_t row) const {
    if (row >= rows_.size() || !rows_[row]) return {};
    return std::string(rows_[row], RecordBytes(rows_[row]));
}

void PackedRows::SetRecord(size_t row, std::string_view record) {
    if (row >= rows_.size()) return;
    char* old = rows_[row];
    size_t oldBytes = RecordBytes(old);
    // A record that fits takes the old one's place, so that editing leaves
    // nothing behind. Under AddressSanitizer every change moves the record,
    // so that views kept across it are caught.
    if (!kEagerReclaim && old && !record.empty() && record.size() <= oldBytes) {
        std::memmove(old, record.data(), record.size());
        liveBytes_ -= oldBytes - record.size();
        return;
    }
    // The new record is stored before the old one is let go: `record` may be
    // a view of this table's own text.
    char* stored = Store(record);
    Release(row);
    rows_[row] = stored;
    CompactIfWasteful();
}

void PackedRows::Append(RowPacker& packer) {
    const size_t n = packer.PackedSize();
    char* at = n ? Room(n) : nullptr;
    if (at) packer.PackTo(at);
    rows_.push_back(at);
}

void PackedRows::Adopt(size_t at, PackedRows&& rows) {
    size_t n = std::min(rows.rows_.size(), rows_.size() - std::min(at, rows_.size()));
    for (size_t i = 0; i < n; ++i) {
        Release(at + i);
        rows_[at + i] = rows.rows_[i];
    }
    for (size_t i = n; i < rows.rows_.size(); ++i) rows.Release(i);
    for (auto& block : rows.blocks_) blocks_.push_back(std::move(block));
    arenaBytes_ += rows.arenaBytes_;
    liveBytes_ += rows.liveBytes_;
    rows = PackedRows();
    CompactIfWasteful();
}

void PackedRows::AppendRows(PackedRows&& rows) {
    rows_.insert(rows_.end(), rows.rows_.begin(), rows.rows_.end());
    for (auto& block : rows.blocks_) blocks_.push_back(std::move(block));
    arenaBytes_ += rows.arenaBytes_;
    liveBytes_ += rows.liveBytes_;
    rows = PackedRows();
}

}  // namespace vinta
