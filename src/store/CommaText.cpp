#include "CommaText.h"

#include <algorithm>
#include <array>

#include "runtime/PackedRows.h"
#include "runtime/Sjis.h"
#include "runtime/StringGrid.h"

namespace vinta {

namespace {

bool IsBlankByte(unsigned char b) { return b >= 0x01 && b <= 0x20; }

bool NeedsQuotes(std::string_view s) {
    const char* p = s.data();
    const char* end = p + s.size();
    while (p < end) {
        unsigned char b = static_cast<unsigned char>(*p);
        if (b <= 0x20 || b == '"' || b == ',') return true;
        p += sjis::CharLength(p, end);
    }
    return false;
}

void AppendQuoted(std::string& out, std::string_view s) {
    out.push_back('"');
    const char* p = s.data();
    const char* end = p + s.size();
    while (p < end) {
        size_t n = sjis::CharLength(p, end);
        if (n == 1 && *p == '"') out.push_back('"');
        out.append(p, n);
        p += n;
    }
    out.push_back('"');
}

// A quoted field starting at the opening quote, into `field`. A field without
// its closing quote runs to the end of the text.
void ExtractQuoted(const char*& p, const char* end, std::string& field) {
    field.clear();
    ++p;
    while (p < end) {
        size_t n = sjis::CharLength(p, end);
        if (n == 1 && *p == '"') {
            if (p + 1 < end && p[1] == '"') {
                field.push_back('"');
                p += 2;
                continue;
            }
            ++p;
            return;
        }
        field.append(p, n);
        p += n;
    }
}

// What an unquoted field's scan makes of each byte: part of the field, the
// end of it (a blank or a comma), or the lead byte of a two-byte character,
// whose second byte is never taken for an end.
enum ByteClass : unsigned char { kPlain, kStop, kLead };
constexpr auto kByteClass = [] {
    std::array<unsigned char, 256> t{};
    for (int b = 0; b < 256; ++b)
        t[b] = b <= 0x20 || b == ',' ? kStop : sjis::IsLeadByte(static_cast<unsigned char>(b)) ? kLead : kPlain;
    return t;
}();

// The end of the unquoted field that starts at `p`.
const char* UnquotedEnd(const char* p, const char* end) {
    while (p < end) {
        const unsigned char k = kByteClass[static_cast<unsigned char>(*p)];
        if (k == kPlain) {
            ++p;
        } else if (k == kStop) {
            break;
        } else {
            p += p + 1 < end ? 2 : 1;
        }
    }
    return p;
}

void SkipBlanks(const char*& p, const char* end) {
    while (p < end && IsBlankByte(static_cast<unsigned char>(*p))) ++p;
}

// Calls `store(field)` for the fields of `text` in order; an empty field is
// given as " ". Unquoted fields are views of `text`.
template <typename StoreField>
void ParseFields(std::string_view text, StoreField store) {
    // The text ends at its first zero byte, as it always has in the file.
    if (size_t nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
    auto put = [&](std::string_view field) { store(field.empty() ? std::string_view(" ") : field); };
    std::string quoted;
    const char* p = text.data();
    const char* end = p + text.size();
    SkipBlanks(p, end);
    while (p < end) {
        if (*p == '"') {
            ExtractQuoted(p, end, quoted);
            put(quoted);
        } else {
            const char* start = p;
            p = UnquotedEnd(p, end);
            put(std::string_view(start, static_cast<size_t>(p - start)));
        }
        SkipBlanks(p, end);
        if (p < end && *p == ',') {
            if (p + 1 == end) put({});
            ++p;
            SkipBlanks(p, end);
        }
    }
}

// Writes one row's cells: `each(put)` calls put(cell) for every column.
template <typename EachCell>
void AppendCells(std::string& out, int count, EachCell each) {
    bool first = true;
    each([&](std::string_view cell) {
        // A lone empty cell must still make a line that reads back as one cell.
        if (count == 1 && cell.empty()) {
            out.append("\"\"");
            return;
        }
        if (!first) out.push_back(',');
        first = false;
        if (NeedsQuotes(cell))
            AppendQuoted(out, cell);
        else
            out.append(cell);
    });
}

}  // namespace

void AppendCommaText(std::string& out, const std::vector<std::string>& cells) {
    AppendCells(out, static_cast<int>(cells.size()), [&](auto put) {
        for (const std::string& cell : cells) put(cell);
    });
}

void AppendCommaText(std::string& out, const StringGrid& grid, int row) {
    AppendCells(out, grid.ColCount(), [&](auto put) { grid.VisitRow(row, put); });
}

void ParseCommaText(std::string_view text, std::vector<std::string>& cells, int colCount) {
    cells.clear();
    ParseFields(text, [&](std::string_view field) {
        if (cells.size() < static_cast<size_t>(std::max(colCount, 0))) cells.emplace_back(field);
    });
}

void ParseCommaText(std::string_view text, RowPacker& packer, int colCount) {
    packer.Clear();
    int k = 0;
    ParseFields(text, [&](std::string_view field) {
        if (k++ < colCount) packer.Add(field);
    });
}

}  // namespace vinta
