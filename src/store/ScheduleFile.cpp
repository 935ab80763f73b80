// The schedule file: a fixed header taken from the store, then for every
// persisted table its 72-byte table header and one record per data row
// (length, height, comma text). Little-endian throughout.

#include <algorithm>
#include <charconv>
#include <cstring>
#include <functional>
#include <limits>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#include "CommaText.h"
#include "ScheduleStore.h"
#include "store/FileImage.h"
#include "store/LittleEndian.h"
#include "store/LinkRows.h"
#include "runtime/PackedRows.h"
#include "runtime/SafeFile.h"

namespace vinta {

namespace {

constexpr size_t kHeaderSize = 75;
constexpr size_t kTableCountOffset = 19;
constexpr size_t kTableHeaderSize = 72;
constexpr size_t kRecordHeaderSize = 8;

using le::GetInt;
using le::PutInt;
using le::PutIntAt;

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

int FileImage::TableCount() const {
    int sections = 0;
    for (const StringGrid* grid : grids) sections += grid ? 1 : 0;
    return sections;
}

bool FileImage::Write(std::string& out, size_t piece, const std::function<bool(std::string& out)>& flush) {
    // The counts in the header are known before any table is written, so the
    // image can go out as it is made.
    out.append(magic, 11);
    PutDouble(out, version);
    PutInt(out, TableCount());
    for (int32_t f : fixedRows) PutInt(out, f);
    for (uint8_t h : hasHeader) out.push_back(static_cast<char>(h));
    out.append(2, '\0');
    for (int slot = 0; slot < kSlots; ++slot) {
        if (!grids[slot]) continue;
        const StringGrid& grid = *grids[slot];
        int first = std::min(std::max(fixedRows[slot], 0), grid.RowCount());
        ScheduleStore::TableHeader& t = tables[slot];
        t.rowCount = grid.RowCount() - first;
        PutInt(out, t.columnCount);
        PutInt(out, t.rowCount);
        PutInt(out, t.lastSerial);
        for (int32_t k : t.kind) PutInt(out, k);
        for (int r = first; r < grid.RowCount(); ++r) {
            // The text goes straight after its head; its length is filled in after.
            size_t head = out.size();
            PutInt(out, 0);
            PutInt(out, grid.RowHeights(r));
            AppendCommaText(out, grid, r);
            PutIntAt(out, head, static_cast<int32_t>(out.size() - head - kRecordHeaderSize));
            if (out.size() >= piece && !flush(out)) return false;
        }
    }
    out += trailer;
    return flush(out);
}

std::string FileImage::Bytes() {
    std::string image;
    // Close to the final size, so that a large image is not copied as it grows.
    size_t estimate = 1 << 16;
    for (const StringGrid* grid : grids)
        if (grid) estimate += grid->TextBytes() + 12 * static_cast<size_t>(grid->RowCount());
    image.reserve(estimate);
    Write(image, SIZE_MAX, [](std::string&) { return true; });
    return image;
}

bool FileImage::WriteTo(const std::function<bool(std::string_view piece)>& put) {
    constexpr size_t kPiece = 1 << 20;
    std::string out;
    out.reserve(kPiece + (1 << 16));
    return Write(out, kPiece, [&](std::string& piece) {
        const bool ok = put(piece);
        piece.clear();
        return ok;
    });
}

void FileImage::Own() {
    for (const StringGrid*& grid : grids) {
        if (!grid) continue;
        owned_.push_back(std::make_unique<StringGrid>(*grid));
        grid = owned_.back().get();
    }
}

FileImage ScheduleStore::Image() const {
    FileImage image;
    std::memcpy(image.magic, magic_, sizeof image.magic);
    image.version = version;
    for (int slot = 0; slot < kSlots; ++slot) {
        image.fixedRows[slot] = fixedRows_[slot];
        image.hasHeader[slot] = hasHeader_[slot];
        image.tables[slot] = tables_[slot];
        image.grids[static_cast<size_t>(slot)] = IsPersisted(slot) ? grid_[slot].Get() : nullptr;
    }
    if (!links.Empty()) {
        const std::vector<TaskLink> live = LiveLinks();
        if (!live.empty()) image.trailer = EncodeLinksBlock(live);
    }
    return image;
}

FileImage ScheduleStore::Snapshot() const {
    FileImage image = Image();
    image.Own();
    return image;
}

// The store's heads keep the counts its last written image had.
void ScheduleStore::NoteWritten(const FileImage& image) {
    tableCount_ = image.TableCount();
    for (int slot = 0; slot < kSlots; ++slot) tables_[slot].rowCount = image.tables[slot].rowCount;
}

std::string ScheduleStore::SaveToBytes() {
    FileImage image = Image();
    std::string bytes = image.Bytes();
    NoteWritten(image);
    return bytes;
}

bool ScheduleStore::SaveToFile(const std::string& path) {
    FileImage image = Image();
    const bool saved =
        safefile::ReplaceFileWith(path, [&image](const safefile::PieceWriter& put) { return image.WriteTo(put); });
    NoteWritten(image);
    return saved;
}

namespace {
size_t readPieceBytes = 1 << 20;
}  // namespace

void ScheduleStore::SetReadPieceBytes(size_t n) { readPieceBytes = std::max<size_t>(n, 1); }

// Bytes in file order, from a file or from memory, through a window that
// holds only what one step of the reader needs: the file is never held whole.
class ByteInput {
public:
    // Appends up to n bytes to `out`, fewer only at the end; false on an error.
    using ReadFn = std::function<bool(size_t n, std::string& out)>;
    ByteInput(ReadFn read, uint64_t declaredSize, uint64_t cap) : read_(std::move(read)), size_(declaredSize), cap_(cap) {}

    // Makes `n` bytes available at Data(); false when fewer are left.
    bool Need(size_t n) {
        if (buf_.size() - pos_ >= n) return true;
        buf_.erase(0, pos_);
        pos_ = 0;
        while (buf_.size() < n && !ended_) Pull(std::max(n - buf_.size(), readPieceBytes));
        return buf_.size() >= n;
    }
    const char* Data() const { return buf_.data() + pos_; }
    size_t Available() const { return buf_.size() - pos_; }
    void Skip(size_t n) {
        pos_ += n;
        taken_ += n;
    }
    // What is left by the size the input declared at the start.
    uint64_t Remaining() const { return size_ > taken_ ? size_ - taken_ : 0; }
    // Reads to the end, so that an input that grew past the cap is told.
    void Drain() {
        buf_.clear();
        pos_ = 0;
        while (!ended_) {
            Pull(readPieceBytes);
            buf_.clear();
        }
    }
    bool Failed() const { return failed_; }
    bool TooLarge() const { return pulled_ > cap_; }

private:
    void Pull(size_t n) {
        if (pulled_ > cap_) {
            ended_ = true;
            return;
        }
        size_t before = buf_.size();
        if (!read_(n, buf_)) failed_ = ended_ = true;
        size_t got = buf_.size() - before;
        pulled_ += got;
        if (got < n) ended_ = true;
    }
    ReadFn read_;
    std::string buf_;
    size_t pos_ = 0;
    uint64_t size_;
    uint64_t cap_;
    uint64_t taken_ = 0;
    uint64_t pulled_ = 0;
    bool ended_ = false;
    bool failed_ = false;
};

// One table as read from the file, before it is put into its grid.
struct SectionRead {
    int slot = 0;
    bool headerRead = false;
    ScheduleStore::TableHeader header;
    std::vector<int32_t> heights;
    PackedRows rows;
};

namespace {

// Parses records into packed rows a batch at a time. The larger part of each
// batch is parsed on a second thread while the reader gathers the next batch
// and then parses the rest; the rows come out in the order they were added.
class BatchParser {
public:
    BatchParser(int colCount, PackedRows& out) : colCount_(colCount), out_(out) {}
    void Add(std::string_view record) {
        batches_[cur_].Add(record);
        if (batches_[cur_].text.size() >= kBatchBytes) Dispatch();
    }
    // Every record added is in the rows.
    void Finish() {
        Dispatch();
        Complete();
    }

private:
    struct Batch {
        std::string text;
        std::vector<size_t> ends;
        void Add(std::string_view record) {
            text.append(record);
            ends.push_back(text.size());
        }
        std::string_view Record(size_t i) const {
            const size_t start = i ? ends[i - 1] : 0;
            return std::string_view(text).substr(start, ends[i] - start);
        }
    };
    static constexpr size_t kBatchBytes = 4 << 20;
    static constexpr size_t kShareFrom = 4096;  // fewer records: not worth a thread

    void ParseRange(const Batch& b, size_t first, size_t end, RowPacker& packer, PackedRows& out) const {
        for (size_t i = first; i < end; ++i) {
            ParseCommaText(b.Record(i), packer, colCount_);
            out.Append(packer);
        }
    }
    // Starts on the batch gathered, after finishing the one before.
    void Dispatch() {
        Batch& b = batches_[cur_];
        if (b.ends.empty()) return;
        Complete();
        const size_t n = b.ends.size();
        split_ = n >= kShareFrom ? n * 2 / 5 : n;
        if (split_ < n)
            worker_ = std::jthread([this, &b, n] {
                RowPacker packer;
                ParseRange(b, split_, n, packer, tail_);
            });
        pending_ = true;
        cur_ = 1 - cur_;
    }
    void Complete() {
        if (!pending_) return;
        Batch& b = batches_[1 - cur_];
        ParseRange(b, 0, split_, packer_, out_);
        if (worker_.joinable()) worker_.join();
        out_.AppendRows(std::move(tail_));
        b.text.clear();
        b.ends.clear();
        pending_ = false;
    }
    const int colCount_;
    PackedRows& out_;
    Batch batches_[2];
    int cur_ = 0;
    bool pending_ = false;
    size_t split_ = 0;
    RowPacker packer_;
    PackedRows tail_;
    std::jthread worker_;  // declared last: joined before the rest goes
};

// Reads the whole file before anything is changed, so that a file no writer
// could have made is refused without touching the schedule. A file that
// simply ends early is accepted: what is missing comes out empty.
class SectionReader {
public:
    explicit SectionReader(ByteInput& in) : in_(in) {}

    // false: the file is impossible.
    bool Read(int colCount, SectionRead& s) {
        if (ended_) return true;
        if (!in_.Need(kTableHeaderSize)) return End();
        const char* p = in_.Data();
        s.header.columnCount = GetInt(p);
        s.header.rowCount = GetInt(p + 4);
        s.header.lastSerial = GetInt(p + 8);
        for (int k = 0; k < ScheduleStore::kMaxColumns; ++k) s.header.kind[k] = GetInt(p + 12 + 4 * k);
        in_.Skip(kTableHeaderSize);
        s.headerRead = true;
        int32_t rows = s.header.rowCount;
        // Every record takes at least its 8-byte head.
        if (rows < 0 || static_cast<uint64_t>(rows) > in_.Remaining() / kRecordHeaderSize) return false;
        // Room for the rows a plausible file of this size holds; a file that
        // claims more than it has does not get it all reserved up front.
        size_t likely = static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(rows), in_.Remaining() / 32));
        s.heights.reserve(likely);
        s.rows.Reserve(likely);
        BatchParser parser(colCount, s.rows);
        for (int32_t j = 0; j < rows; ++j) {
            if (!in_.Need(kRecordHeaderSize)) {
                parser.Finish();
                return End();
            }
            int32_t length = GetInt(in_.Data());
            int32_t height = GetInt(in_.Data() + 4);
            in_.Skip(kRecordHeaderSize);
            if (length < 0 || height < 0 || static_cast<uint64_t>(length) > in_.Remaining()) return false;
            if (!in_.Need(static_cast<size_t>(length))) return false;
            parser.Add(std::string_view(in_.Data(), static_cast<size_t>(length)));
            in_.Skip(static_cast<size_t>(length));
            s.heights.push_back(height);
        }
        parser.Finish();
        return true;
    }

private:
    bool End() {
        ended_ = true;
        return true;
    }
    ByteInput& in_;
    bool ended_ = false;
};

int LargestSerial(const StringGrid& grid, int col, int firstRow) {
    int largest = 0;
    for (int r = firstRow; r < grid.RowCount(); ++r) {
        std::string_view s = grid.Cells(col, r);
        int v = 0;
        auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
        if (ec == std::errc() && ptr == s.data() + s.size() && v > largest) largest = v;
    }
    return largest;
}

// The block after the last table, when one begins there; its declared
// length is believed only as far as the input reaches.
LinksRead ReadLinksBlock(ByteInput& in) {
    if (!in.Need(kLinksHead)) return DecodeLinksBlock(std::string_view(in.Data(), in.Available()));
    const int64_t length = LinksBlockLength(std::string_view(in.Data(), kLinksHead));
    if (length < 0) return {};
    const uint64_t rest = in.Remaining() > kLinksHead ? in.Remaining() - kLinksHead : 0;
    if (static_cast<uint64_t>(length) + 4 > rest) return {LinksFound::Damaged, {}};
    const size_t whole = kLinksHead + static_cast<size_t>(length) + 4;
    if (!in.Need(whole)) return {LinksFound::Damaged, {}};
    LinksRead read = DecodeLinksBlock(std::string_view(in.Data(), whole));
    in.Skip(whole);
    return read;
}

}  // namespace

std::vector<TaskLink> ScheduleStore::LiveLinks() const {
    const StringGrid* grid = Grid(linkSlot_);
    if (!grid || links.Empty()) return {};
    std::vector<TaskLink> live;
    for (const LinkEnds& l : liveLinks_.Live(*grid, links)) live.push_back(l.link);
    return live;
}

int ScheduleStore::CheckFileHead(std::string_view head) const {
    if (head.size() < 5 || std::memcmp(head.data(), "#$%&\0", 5) != 0) return kLoadNotSchedule;
    if (head.size() < kHeaderSize) return kLoadNotSchedule;
    if (GetDouble(head.data() + 11) > version) return kLoadNewerVersion;
    return kLoadRead;
}

int ScheduleStore::LoadFrom(ByteInput& in) {
    if (tableCount_ == 0) return kLoadNoTables;
    // A file that is not a schedule is refused from its first bytes.
    in.Need(kHeaderSize);
    if (in.Failed()) return kLoadUnreadable;
    if (int head = CheckFileHead(std::string_view(in.Data(), std::min(in.Available(), kHeaderSize))); head != kLoadRead)
        return head;
    int32_t sectionCount = GetInt(in.Data() + kTableCountOffset);
    if (sectionCount < 0 || sectionCount > kSlots) return kLoadNotSchedule;
    in.Skip(kHeaderSize);

    std::vector<SectionRead> sections;
    SectionReader reader(in);
    for (int slot = 0; slot < sectionCount; ++slot) {
        if (!IsPersisted(slot)) continue;
        sections.emplace_back();
        sections.back().slot = slot;
        if (!reader.Read(grid_[slot].Get()->ColCount(), sections.back()))
            return in.Failed() ? kLoadUnreadable : kLoadNotSchedule;
    }
    LinksRead linksRead = ReadLinksBlock(in);
    in.Drain();
    if (in.Failed()) return kLoadUnreadable;
    if (in.TooLarge()) return kLoadTooLarge;
    for (SectionRead& s : sections) PutSection(s);
    links.Assign(std::move(linksRead.links));
    linksOnLoad_ = linksRead.found;
    return kLoadRead;
}

void ScheduleStore::PutSection(SectionRead& s) {
    StringGrid& grid = *grid_[s.slot].Get();
    int fixed = std::max(fixedRows_[s.slot], 0);
    grid.ClearRows(fixed, grid.RowCount());
    if (!s.headerRead) return;
    tables_[s.slot].lastSerial = s.header.lastSerial;
    int rows = static_cast<int>(std::min<int64_t>(int64_t{fixed} + s.header.rowCount,
                                                   std::numeric_limits<int>::max() - 1));
    // A table with a caption row always keeps one data row under it.
    if (hasHeader_[s.slot]) rows = std::max(rows, fixed + 1);
    if (exactRows_[s.slot] || grid.RowCount() < rows) grid.SetRowCount(rows);
    for (size_t j = 0; j < s.heights.size(); ++j) grid.SetRowHeights(fixed + static_cast<int>(j), s.heights[j]);
    grid.AdoptRows(fixed, std::move(s.rows));
    // Serials never go back, even when a damaged file says otherwise.
    int col = SerialColumn(s.slot);
    if (col >= 0)
        tables_[s.slot].lastSerial = std::max(tables_[s.slot].lastSerial, LargestSerial(grid, col, fixed));
}

int ScheduleStore::LoadFromBytes(std::string_view bytes) {
    size_t at = 0;
    ByteInput in(
        [&](size_t n, std::string& out) {
            n = std::min(n, bytes.size() - at);
            out.append(bytes.substr(at, n));
            at += n;
            return true;
        },
        bytes.size(), UINT64_MAX);
    return LoadFrom(in);
}

int ScheduleStore::LoadFromFile(const std::string& path) {
    if (tableCount_ == 0) return kLoadNoTables;
    safefile::RegularFile file(path);
    if (!file.IsOpen()) return kLoadUnreadable;
    if (file.Size() > kMaxFileBytes) return kLoadTooLarge;
    ByteInput in([&](size_t n, std::string& out) { return file.Read(n, out); }, static_cast<uint64_t>(file.Size()),
                 static_cast<uint64_t>(kMaxFileBytes));
    return LoadFrom(in);
}

}  // namespace vinta
