#include "TextSearch.h"

#include <algorithm>
#include <array>
#include <thread>
#include <unordered_map>
#include <utility>

#include "ScheduleStore.h"
#include "Tables.h"
#include "runtime/Sjis.h"

namespace vinta {

namespace {

// Half-width katakana U+FF61..U+FF9F as their full-width forms.
constexpr const char* kHalfToFull[63] = {
    "。", "「", "」", "、", "・", "ヲ", "ァ", "ィ", "ゥ", "ェ", "ォ", "ャ", "ュ", "ョ", "ッ", "ー",
    "ア", "イ", "ウ", "エ", "オ", "カ", "キ", "ク", "ケ", "コ", "サ", "シ", "ス", "セ", "ソ", "タ",
    "チ", "ツ", "テ", "ト", "ナ", "ニ", "ヌ", "ネ", "ノ", "ハ", "ヒ", "フ", "ヘ", "ホ", "マ", "ミ",
    "ム", "メ", "モ", "ヤ", "ユ", "ヨ", "ラ", "リ", "ル", "レ", "ロ", "ワ", "ン", "゛", "゜"};
// The same letters with the voiced and semi-voiced marks, where they have them.
constexpr std::pair<const char*, const char*> kVoiced[] = {
    {"ウ", "ヴ"}, {"カ", "ガ"}, {"キ", "ギ"}, {"ク", "グ"}, {"ケ", "ゲ"}, {"コ", "ゴ"}, {"サ", "ザ"},
    {"シ", "ジ"}, {"ス", "ズ"}, {"セ", "ゼ"}, {"ソ", "ゾ"}, {"タ", "ダ"}, {"チ", "ヂ"}, {"ツ", "ヅ"},
    {"テ", "デ"}, {"ト", "ド"}, {"ハ", "バ"}, {"ヒ", "ビ"}, {"フ", "ブ"}, {"ヘ", "ベ"}, {"ホ", "ボ"}};
constexpr std::pair<const char*, const char*> kSemiVoiced[] = {
    {"ハ", "パ"}, {"ヒ", "ピ"}, {"フ", "プ"}, {"ヘ", "ペ"}, {"ホ", "ポ"}};

constexpr unsigned char kVoicedMark = 0xDE, kSemiVoicedMark = 0xDF;

uint16_t Code(const std::string& two) {
    return static_cast<uint16_t>(static_cast<unsigned char>(two[0]) << 8 | static_cast<unsigned char>(two[1]));
}

// Built once from the codec, so that no code point is typed by hand.
struct Tables {
    std::array<char, 65536> fullToAscii{};  // 0: not a full-width form of ASCII
    std::array<std::string, 256> half;      // half-width byte -> full-width Shift-JIS
    std::array<std::string, 256> voiced;    // with a following ﾞ
    std::array<std::string, 256> semiVoiced;  // with a following ﾟ

    Tables() {
        for (char32_t c = 0x21; c <= 0x7E; ++c) {
            char32_t wide = 0xFF01 + (c - 0x21);
            std::string utf8{static_cast<char>(0xEF), static_cast<char>(0xBC + ((wide >> 6) & 0x3F) - 0x3C),
                             static_cast<char>(0x80 | (wide & 0x3F))};
            auto s = sjis::FromUtf8(utf8);
            if (s && s->size() == 2) fullToAscii[Code(*s)] = Lower(static_cast<char>(c));
        }
        if (auto space = sjis::FromUtf8("\u3000")) fullToAscii[Code(*space)] = ' ';
        std::unordered_map<std::string, std::string> v, sv;
        for (auto [plain, marked] : kVoiced) v[sjis::Lit(plain)] = sjis::Lit(marked);
        for (auto [plain, marked] : kSemiVoiced) sv[sjis::Lit(plain)] = sjis::Lit(marked);
        for (int b = 0xA1; b <= 0xDF; ++b) {
            half[static_cast<size_t>(b)] = sjis::Lit(kHalfToFull[b - 0xA1]);
            if (auto it = v.find(half[static_cast<size_t>(b)]); it != v.end()) voiced[static_cast<size_t>(b)] = it->second;
            if (auto it = sv.find(half[static_cast<size_t>(b)]); it != sv.end())
                semiVoiced[static_cast<size_t>(b)] = it->second;
        }
    }
    static char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
};

const Tables& T() {
    static const Tables tables;
    return tables;
}

// Appends the folded form of `text` to `out`. Writes through a pointer into
// room made beforehand (a character never folds to more than two bytes): a
// search folds every name of the outline.
void FoldInto(std::string_view text, std::string& out) {
    const Tables& t = T();
    const size_t kept = out.size();
    out.resize(kept + 2 * text.size());
    char* o = out.data() + kept;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        auto b = static_cast<unsigned char>(*p);
        if (b < 0x80) {
            *o++ = Tables::Lower(static_cast<char>(b));
            ++p;
        } else if (sjis::CharLength(p, end) == 2) {
            uint16_t code = static_cast<uint16_t>(b << 8 | static_cast<unsigned char>(p[1]));
            if (char a = t.fullToAscii[code]) {
                *o++ = a;
            } else {
                *o++ = p[0];
                *o++ = p[1];
            }
            p += 2;
        } else if (b >= 0xA1 && b <= 0xDF) {
            auto next = p + 1 < end ? static_cast<unsigned char>(p[1]) : 0;
            const std::string* full = &t.half[b];
            if (next == kVoicedMark && !t.voiced[b].empty()) {
                full = &t.voiced[b];
                ++p;
            } else if (next == kSemiVoicedMark && !t.semiVoiced[b].empty()) {
                full = &t.semiVoiced[b];
                ++p;
            }
            o = std::copy(full->begin(), full->end(), o);
            ++p;
        } else {
            *o++ = static_cast<char>(b);
            ++p;
        }
    }
    out.resize(static_cast<size_t>(o - out.data()));
}

}  // namespace

std::string FoldForSearch(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    FoldInto(text, out);
    return out;
}

bool ContainsFolded(std::string_view text, std::string_view needle) {
    if (needle.empty()) return true;
    // A match counts where a character starts, not inside a two-byte one.
    const char* end = text.data() + text.size();
    size_t boundary = 0;
    for (size_t at = text.find(needle); at != std::string_view::npos; at = text.find(needle, at + 1)) {
        while (boundary < at) boundary += sjis::CharLength(text.data() + boundary, end);
        if (boundary == at) return true;
    }
    return false;
}

NameIndex::NameIndex() {
    outline_.columns = {outline::Name, outline::Type};
    resources_.columns = {resource::No, resource::Name};
}

bool NameIndex::Source::Same(const StringGrid* g) const {
    return g == grid && !life.expired() && g && Revision(g) == revision;
}

void NameIndex::Source::Take(const StringGrid* g) {
    grid = g;
    life = g ? g->LifeToken() : std::weak_ptr<const int>();
    revision = g ? Revision(g) : 0;
}

uint64_t NameIndex::Source::Revision(const StringGrid* g) const {
    uint64_t sum = 0;
    for (int col : columns) sum += g->ContentRevision(col);
    return sum;
}

namespace {

struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
// Folded resource names by number, looked up by the cell itself.
using ResourceNames = std::unordered_map<std::string, std::string, Hash, std::equal_to<>>;

ResourceNames FoldedResourceNames(const ScheduleStore& store, int resourceSlot) {
    ResourceNames names;
    for (int r = 0; r < store.DataRowCount(resourceSlot); ++r)
        names[store.CellText(resourceSlot, resource::No, r)] =
            FoldForSearch(store.CellText(resourceSlot, resource::Name, r));
    return names;
}

// Data row `row`'s folded name and its NUL, onto `text`.
void FoldRow(const StringGrid& grid, int first, const ResourceNames& resources, int row, std::string& text) {
    const packed::Record cells = grid.RowCells(row + first);
    std::string_view name = cells.Cell(outline::Name);
    if (!outline::IsRowType(cells.Cell(outline::Type), outline::Assignment))
        FoldInto(name, text);
    else if (auto it = resources.find(name); it != resources.end())
        text.append(it->second);
    text.push_back('\0');
}

// Rows from..to-1's folded names, each ended by a NUL, and where each ends.
struct FoldedRows {
    std::string text;
    std::vector<size_t> ends;

    void Fold(const StringGrid& grid, int first, const ResourceNames& resources, int from, int to) {
        text.reserve(static_cast<size_t>(to - from) * 16);
        ends.reserve(static_cast<size_t>(to - from));
        for (int r = from; r < to; ++r) {
            FoldRow(grid, first, resources, r, text);
            ends.push_back(text.size());
        }
    }
};

}  // namespace

void NameIndex::Build(const ScheduleStore& store, int outlineSlot, int resourceSlot) {
    const ResourceNames resources = FoldedResourceNames(store, resourceSlot);
    const StringGrid* grid = store.Grid(outlineSlot);
    first_ = store.HasHeader(outlineSlot) ? 1 : 0;
    const int rows = grid ? std::max(store.DataRowCount(outlineSlot), 0) : 0;
    // Two halves at once: the first step after an edit folds every name.
    // Reading the grid from two threads is safe: nothing changes it meanwhile.
    constexpr int kShareFrom = 20000;
    const int half = rows >= kShareFrom ? rows / 2 : rows;
    FoldedRows head, tail;
    {
        std::jthread worker;
        if (half < rows) worker = std::jthread([&] { tail.Fold(*grid, first_, resources, half, rows); });
        if (grid) head.Fold(*grid, first_, resources, 0, half);
    }
    text_ = std::move(head.text);
    text_.append(tail.text);
    starts_.clear();
    starts_.reserve(static_cast<size_t>(rows) + 1);
    starts_.push_back(0);
    starts_.insert(starts_.end(), head.ends.begin(), head.ends.end());
    const size_t shift = starts_.back();
    for (size_t end : tail.ends) starts_.push_back(shift + end);
    outline_.Take(grid);
    resources_.Take(store.Grid(resourceSlot));
    stamp_ = grid ? grid->TextStamp() : 0;
}

namespace {

// A run of the index's rows: names kept from the old text (from its row
// `from`), or rows to fold afresh from the grid.
struct Piece {
    bool fresh;
    int from;
    int length;
};

// Rows at..at+count-1 of what the pieces make replaced by n fresh rows.
std::vector<Piece> Replaced(const std::vector<Piece>& pieces, const StringGrid::RowEdit& e) {
    std::vector<Piece> out;
    out.reserve(pieces.size() + 2);
    const int cut = e.at + e.count;
    bool placed = false;
    auto place = [&] {
        if (!placed && e.n > 0) out.push_back({true, 0, e.n});
        placed = true;
    };
    int pos = 0;
    for (const Piece& p : pieces) {
        const int end = pos + p.length;
        if (pos < e.at) out.push_back({p.fresh, p.from, std::min(end, e.at) - pos});
        if (end > cut) {
            place();
            const int skip = std::max(pos, cut) - pos;
            out.push_back({p.fresh, p.from + skip, p.length - skip});
        }
        pos = end;
    }
    place();
    return out;
}

// The names again from the pieces, into `text` and `starts`: kept ones
// copied, fresh ones folded from the grid.
void Splice(const StringGrid& grid, int first, const ResourceNames& resources, const std::vector<Piece>& pieces,
            int total, std::string& text, std::vector<size_t>& starts) {
    std::string out;
    out.reserve(text.size() + 64 * pieces.size());
    std::vector<size_t> outStarts;
    outStarts.reserve(static_cast<size_t>(total) + 1);
    int row = 0;
    for (const Piece& p : pieces) {
        if (p.fresh) {
            for (int k = 0; k < p.length; ++k, ++row) {
                outStarts.push_back(out.size());
                FoldRow(grid, first, resources, row, out);
            }
            continue;
        }
        const size_t from = starts[static_cast<size_t>(p.from)];
        const size_t shift = out.size() - from;
        for (int k = 0; k < p.length; ++k) outStarts.push_back(starts[static_cast<size_t>(p.from + k)] + shift);
        out.append(text, from, starts[static_cast<size_t>(p.from + p.length)] - from);
        row += p.length;
    }
    outStarts.push_back(out.size());
    text = std::move(out);
    starts = std::move(outStarts);
}

}  // namespace

bool NameIndex::Mend(const ScheduleStore& store, int outlineSlot, int resourceSlot) {
    const StringGrid* grid = store.Grid(outlineSlot);
    const int rows = static_cast<int>(starts_.size()) - 1;
    std::vector<StringGrid::RowEdit> edits;
    if (!grid || grid != outline_.grid || outline_.life.expired() || !resources_.Same(store.Grid(resourceSlot)) ||
        first_ != (store.HasHeader(outlineSlot) ? 1 : 0) || !grid->EditsSince(stamp_, edits))
        return false;
    std::vector<Piece> pieces{{false, 0, rows}};
    for (StringGrid::RowEdit e : edits) {
        e.at -= first_;  // the caption rows hold no names
        if (e.at < 0) {
            if (e.count != e.n || e.at + e.count > 0) return false;
            continue;
        }
        pieces = Replaced(pieces, e);
        if (pieces.size() > 64) return false;
    }
    int total = 0, fresh = 0;
    for (const Piece& p : pieces) (p.fresh ? fresh : total) += p.length;
    total += fresh;
    if (total != store.DataRowCount(outlineSlot) || fresh > total / 32 + 8) return false;
    Splice(*grid, first_, FoldedResourceNames(store, resourceSlot), pieces, total, text_, starts_);
    outline_.Take(grid);
    stamp_ = grid->TextStamp();
    return true;
}

int NameIndex::RowAt(size_t offset) const {
    return static_cast<int>(std::upper_bound(starts_.begin(), starts_.end(), offset) - starts_.begin()) - 1;
}

std::string_view NameIndex::Name(int row) const {
    const size_t from = starts_[static_cast<size_t>(row)];
    return std::string_view(text_).substr(from, starts_[static_cast<size_t>(row) + 1] - 1 - from);
}

// The first row of first..end-1 that holds the needle, or -1. A raw hit
// in a row is only a candidate: the row counts where ContainsFolded says so
// (the hit may stand inside a two-byte character).
int NameIndex::Forward(std::string_view needle, int first, int end) const {
    std::string_view text(text_.data(), starts_[static_cast<size_t>(end)]);
    for (size_t at = text.find(needle, starts_[static_cast<size_t>(first)]); at != std::string_view::npos;) {
        const int row = RowAt(at);
        if (ContainsFolded(Name(row), needle)) return row;
        at = text.find(needle, starts_[static_cast<size_t>(row) + 1]);
    }
    return -1;
}

// The last row of first..end-1 that holds the needle, or -1.
int NameIndex::Backward(std::string_view needle, int first, int end) const {
    const size_t from = starts_[static_cast<size_t>(first)];
    std::string_view text(text_.data() + from, starts_[static_cast<size_t>(end)] - from);
    for (size_t at = text.rfind(needle); at != std::string_view::npos;) {
        const int row = RowAt(from + at);
        if (ContainsFolded(Name(row), needle)) return row;
        const size_t rowStart = starts_[static_cast<size_t>(row)] - from;
        if (rowStart == 0) break;
        at = text.rfind(needle, rowStart - 1);
    }
    return -1;
}

int NameIndex::Find(const ScheduleStore& store, int outlineSlot, int resourceSlot, std::string_view sjisNeedle,
                    int fromRow, bool forward) {
    const std::string needle = FoldForSearch(sjisNeedle);
    // No name holds a NUL: it parts the names in the kept text.
    if (needle.empty() || needle.find('\0') != std::string::npos) return -1;
    if ((!outline_.Same(store.Grid(outlineSlot)) || !resources_.Same(store.Grid(resourceSlot)) ||
         first_ != (store.HasHeader(outlineSlot) ? 1 : 0)) &&
        !Mend(store, outlineSlot, resourceSlot))
        Build(store, outlineSlot, resourceSlot);
    const int rows = static_cast<int>(starts_.size()) - 1;
    if (rows <= 0) return -1;
    // Round the end: the rows after `fromRow`, then those up to it, itself last.
    if (forward) {
        const int start = ((fromRow + 1) % rows + rows) % rows;
        int r = Forward(needle, start, rows);
        return r >= 0 ? r : Forward(needle, 0, start);
    }
    const int start = ((fromRow - 1) % rows + rows) % rows;
    int r = Backward(needle, 0, start + 1);
    return r >= 0 ? r : Backward(needle, start + 1, rows);
}

NameIndex::Tally NameIndex::Count(std::string_view sjisNeedle, int row) const {
    Tally tally;
    const std::string needle = FoldForSearch(sjisNeedle);
    const int rows = static_cast<int>(starts_.size()) - 1;
    if (needle.empty() || rows <= 0) return tally;
    for (int r = Forward(needle, 0, rows); r >= 0; r = r + 1 < rows ? Forward(needle, r + 1, rows) : -1) {
        ++tally.count;
        if (r == row) tally.position = tally.count;
    }
    return tally;
}

int FindOutlineRow(const ScheduleStore& store, int outlineSlot, int resourceSlot, std::string_view sjisNeedle,
                   int fromRow, bool forward) {
    NameIndex index;
    return index.Find(store, outlineSlot, resourceSlot, sjisNeedle, fromRow, forward);
}

}  // namespace vinta
