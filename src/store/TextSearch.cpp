#include "TextSearch.h"

#include <array>
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

// Appends the folded form of `text` to `out`.
void FoldInto(std::string_view text, std::string& out) {
    const Tables& t = T();
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        auto b = static_cast<unsigned char>(*p);
        size_t n = sjis::CharLength(p, end);
        if (n == 2) {
            uint16_t code = static_cast<uint16_t>(b << 8 | static_cast<unsigned char>(p[1]));
            if (char a = t.fullToAscii[code])
                out.push_back(a);
            else
                out.append(p, 2);
        } else if (b >= 0xA1 && b <= 0xDF) {
            auto next = p + 1 < end ? static_cast<unsigned char>(p[1]) : 0;
            if (next == kVoicedMark && !t.voiced[b].empty()) {
                out.append(t.voiced[b]);
                ++p;
            } else if (next == kSemiVoicedMark && !t.semiVoiced[b].empty()) {
                out.append(t.semiVoiced[b]);
                ++p;
            } else {
                out.append(t.half[b]);
            }
        } else {
            out.push_back(Tables::Lower(static_cast<char>(b)));
        }
        p += n;
    }
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

int FindOutlineRow(const ScheduleStore& store, int outlineSlot, int resourceSlot, std::string_view sjisNeedle,
                   int fromRow, bool forward) {
    const std::string needle = FoldForSearch(sjisNeedle);
    const int rows = store.DataRowCount(outlineSlot);
    if (needle.empty() || rows <= 0) return -1;
    // Resource names by number, folded once per step; looked up by the cell
    // itself, without a copy.
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::unordered_map<std::string, bool, Hash, std::equal_to<>> resourceHolds;
    for (int r = 0; r < store.DataRowCount(resourceSlot); ++r)
        resourceHolds[store.CellText(resourceSlot, resource::No, r)] =
            ContainsFolded(FoldForSearch(store.CellText(resourceSlot, resource::Name, r)), needle);
    const StringGrid* grid = store.Grid(outlineSlot);
    const int first = store.HasHeader(outlineSlot) ? 1 : 0;
    std::string folded;
    for (int i = 1; i <= rows; ++i) {
        int r = ((fromRow + (forward ? i : -i)) % rows + rows) % rows;
        std::string_view name = grid->Cells(outline::Name, r + first);
        if (outline::IsRowType(grid->Cells(outline::Type, r + first), outline::Assignment)) {
            auto it = resourceHolds.find(name);
            if (it != resourceHolds.end() && it->second) return r;
            continue;
        }
        folded.clear();
        FoldInto(name, folded);
        if (ContainsFolded(folded, needle)) return r;
    }
    return -1;
}

}  // namespace vinta
