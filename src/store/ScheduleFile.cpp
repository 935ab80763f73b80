// The schedule file: a fixed header taken from the store, then for every
// persisted table its 72-byte table header and one record per data row
// (length, height, comma text). Little-endian throughout.

#include <charconv>
#include <cstring>
#include <limits>

#include "CommaText.h"
#include "Gridio.h"
#include "runtime/SafeFile.h"

namespace vinta {

namespace {

constexpr size_t kHeaderSize = 75;
constexpr size_t kTableCountOffset = 19;
constexpr size_t kTableHeaderSize = 72;
constexpr size_t kRecordHeaderSize = 8;

void PutInt(std::string& out, int32_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
}

int32_t GetInt(const char* p) {
    uint32_t u = 0;
    for (int i = 3; i >= 0; --i) u = (u << 8) | static_cast<unsigned char>(p[i]);
    return static_cast<int32_t>(u);
}

void PutDouble(std::string& out, double v) {
    uint64_t u = 0;
    std::memcpy(&u, &v, sizeof u);
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
}

double GetDouble(const char* p) {
    uint64_t u = 0;
    for (int i = 7; i >= 0; --i) u = (u << 8) | static_cast<unsigned char>(p[i]);
    double v = 0;
    std::memcpy(&v, &u, sizeof v);
    return v;
}

}  // namespace

std::string ScheduleStore::SaveToBytes() {
    std::string out;
    out.reserve(1 << 16);
    out.append(magic_, 11);
    PutDouble(out, version);
    auto putBlock = [this](std::string& o) {
        PutInt(o, tableCount_);
        for (int32_t f : fixedRows_) PutInt(o, f);
        for (uint8_t h : hasHeader_) o.push_back(static_cast<char>(h));
        o.append(2, '\0');
    };
    putBlock(out);
    int sections = 0;
    for (int slot = 0; slot < kSlots; ++slot) {
        if (!IsPersisted(slot)) continue;
        const StringGrid& grid = *grid_[slot].Get();
        int first = std::min(std::max(fixedRows_[slot], 0), grid.RowCount());
        TableHeader& t = tables_[slot];
        t.rowCount = grid.RowCount() - first;
        PutInt(out, t.columnCount);
        PutInt(out, t.rowCount);
        PutInt(out, t.lastSerial);
        for (int32_t k : t.kind) PutInt(out, k);
        std::string text;
        for (int r = first; r < grid.RowCount(); ++r) {
            text.clear();
            AppendCommaText(text, grid, r);
            PutInt(out, static_cast<int32_t>(text.size()));
            PutInt(out, grid.RowHeights(r));
            out.append(text);
        }
        ++sections;
    }
    tableCount_ = sections;
    std::string block;
    putBlock(block);
    out.replace(kTableCountOffset, block.size(), block);
    return out;
}

bool ScheduleStore::SaveToFile(const std::string& path) {
    return safefile::ReplaceFile(path, SaveToBytes());
}

namespace {

struct RecordPlan {
    int32_t height;
    size_t offset;
    size_t length;
};

struct SectionPlan {
    int slot = 0;
    bool headerRead = false;
    ScheduleStore::TableHeader header;
    std::vector<RecordPlan> records;
};

// Walks the whole file before anything is changed, so that a file no writer
// could have made is refused without touching the schedule. A file that simply
// ends early is accepted: what is missing comes out empty.
class Planner {
public:
    explicit Planner(std::string_view bytes) : b_(bytes), pos_(kHeaderSize) {}

    // false: the file is impossible.
    bool PlanSection(int slot, SectionPlan& s) {
        s.slot = slot;
        if (ended_) return true;
        if (Remaining() < kTableHeaderSize) return End();
        const char* p = b_.data() + pos_;
        s.header.columnCount = GetInt(p);
        s.header.rowCount = GetInt(p + 4);
        s.header.lastSerial = GetInt(p + 8);
        for (int k = 0; k < ScheduleStore::kMaxColumns; ++k) s.header.kind[k] = GetInt(p + 12 + 4 * k);
        pos_ += kTableHeaderSize;
        s.headerRead = true;
        int32_t rows = s.header.rowCount;
        // Every record takes at least its 8-byte head.
        if (rows < 0 || static_cast<size_t>(rows) > Remaining() / kRecordHeaderSize) return false;
        s.records.reserve(static_cast<size_t>(rows));
        for (int32_t j = 0; j < rows; ++j) {
            if (Remaining() < kRecordHeaderSize) return End();
            int32_t length = GetInt(b_.data() + pos_);
            int32_t height = GetInt(b_.data() + pos_ + 4);
            pos_ += kRecordHeaderSize;
            if (length < 0 || static_cast<size_t>(length) > Remaining() || height < 0) return false;
            s.records.push_back({height, pos_, static_cast<size_t>(length)});
            pos_ += static_cast<size_t>(length);
        }
        return true;
    }

private:
    size_t Remaining() const { return b_.size() - pos_; }
    bool End() {
        ended_ = true;
        return true;
    }
    std::string_view b_;
    size_t pos_;
    bool ended_ = false;
};

int LargestSerial(const StringGrid& grid, int col, int firstRow) {
    int largest = 0;
    for (int r = firstRow; r < grid.RowCount(); ++r) {
        const std::string& s = grid.Cells(col, r);
        int v = 0;
        auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
        if (ec == std::errc() && ptr == s.data() + s.size() && v > largest) largest = v;
    }
    return largest;
}

}  // namespace

int ScheduleStore::CheckFileHead(std::string_view head) const {
    if (head.size() < 5 || std::memcmp(head.data(), "#$%&\0", 5) != 0) return kLoadNotSchedule;
    if (head.size() < kHeaderSize) return kLoadNotSchedule;
    if (GetDouble(head.data() + 11) > version) return kLoadNewerVersion;
    return kLoadRead;
}

int ScheduleStore::LoadFromBytes(std::string_view bytes) {
    if (tableCount_ == 0) return kLoadNoTables;
    if (int head = CheckFileHead(bytes); head != kLoadRead) return head;
    int32_t sectionCount = GetInt(bytes.data() + kTableCountOffset);
    if (sectionCount < 0 || sectionCount > kSlots) return kLoadNotSchedule;

    std::vector<SectionPlan> plans;
    Planner planner(bytes);
    for (int slot = 0; slot < sectionCount; ++slot) {
        if (!IsPersisted(slot)) continue;
        plans.emplace_back();
        if (!planner.PlanSection(slot, plans.back())) return kLoadNotSchedule;
    }

    for (const SectionPlan& s : plans) {
        StringGrid& grid = *grid_[s.slot].Get();
        int fixed = std::max(fixedRows_[s.slot], 0);
        for (int r = fixed; r < grid.RowCount(); ++r) grid.ClearRow(r);
        if (!s.headerRead) continue;
        tables_[s.slot].lastSerial = s.header.lastSerial;
        int rows = static_cast<int>(std::min<int64_t>(int64_t{fixed} + s.header.rowCount,
                                                       std::numeric_limits<int>::max() - 1));
        // A table with a caption row always keeps one data row under it.
        if (hasHeader_[s.slot]) rows = std::max(rows, fixed + 1);
        if (exactRows_[s.slot] || grid.RowCount() < rows) grid.SetRowCount(rows);
        int cols = grid.ColCount();
        for (size_t j = 0; j < s.records.size(); ++j) {
            const RecordPlan& rec = s.records[j];
            int g = fixed + static_cast<int>(j);
            grid.SetRowHeights(g, rec.height);
            ParseCommaText(bytes.substr(rec.offset, rec.length), grid.MutableCells(g), cols);
        }
        // Serials never go back, even when a damaged file says otherwise.
        int col = SerialColumn(s.slot);
        if (col >= 0)
            tables_[s.slot].lastSerial = std::max(tables_[s.slot].lastSerial, LargestSerial(grid, col, fixed));
    }
    return kLoadRead;
}

int ScheduleStore::LoadFromFile(const std::string& path) {
    if (tableCount_ == 0) return kLoadNoTables;
    safefile::RegularFile file(path);
    if (!file.IsOpen()) return kLoadUnreadable;
    if (file.Size() > kMaxFileBytes) return kLoadTooLarge;
    // A file that is not a schedule is refused from its first bytes.
    std::string bytes;
    if (!file.Read(kHeaderSize, bytes)) return kLoadUnreadable;
    if (int head = CheckFileHead(bytes); head != kLoadRead) return head;
    bytes.reserve(static_cast<size_t>(file.Size()));
    // One byte past the cap tells a file that grew after it was opened.
    if (!file.Read(static_cast<size_t>(kMaxFileBytes) + 1 - bytes.size(), bytes)) return kLoadUnreadable;
    if (static_cast<int64_t>(bytes.size()) > kMaxFileBytes) return kLoadTooLarge;
    return LoadFromBytes(bytes);
}

}  // namespace vinta
