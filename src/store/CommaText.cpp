#include "CommaText.h"

#include "runtime/Sjis.h"
#include "runtime/StringGrid.h"

namespace vinta {

namespace {

bool IsBlankByte(unsigned char b) { return b >= 0x01 && b <= 0x20; }

bool NeedsQuotes(const std::string& s) {
    const char* p = s.data();
    const char* end = p + s.size();
    while (p < end) {
        unsigned char b = static_cast<unsigned char>(*p);
        if (b <= 0x20 || b == '"' || b == ',') return true;
        p += sjis::CharLength(p, end);
    }
    return false;
}

void AppendQuoted(std::string& out, const std::string& s) {
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

// A quoted field starting at the opening quote. A field without its closing
// quote runs to the end of the text.
std::string ExtractQuoted(const char*& p, const char* end) {
    std::string field;
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
            return field;
        }
        field.append(p, n);
        p += n;
    }
    return field;
}

void SkipBlanks(const char*& p, const char* end) {
    while (p < end && IsBlankByte(static_cast<unsigned char>(*p))) ++p;
}

void Store(std::vector<std::string>& cells, size_t k, std::string field, int colCount) {
    if (k >= static_cast<size_t>(colCount)) return;
    if (field.empty()) field.assign(1, ' ');
    if (cells.size() <= k) cells.resize(k + 1);
    cells[k] = std::move(field);
}


template <typename CellAt>
void AppendCells(std::string& out, int count, CellAt cellAt) {
    if (count == 1 && cellAt(0).empty()) {
        out.append("\"\"");
        return;
    }
    for (int i = 0; i < count; ++i) {
        if (i > 0) out.push_back(',');
        const std::string& cell = cellAt(i);
        if (NeedsQuotes(cell))
            AppendQuoted(out, cell);
        else
            out.append(cell);
    }
}

}  // namespace

void AppendCommaText(std::string& out, const std::vector<std::string>& cells) {
    AppendCells(out, static_cast<int>(cells.size()),
                [&](int i) -> const std::string& { return cells[static_cast<size_t>(i)]; });
}

void AppendCommaText(std::string& out, const StringGrid& grid, int row) {
    AppendCells(out, grid.ColCount(), [&](int i) -> const std::string& { return grid.Cells(i, row); });
}

void ParseCommaText(std::string_view text, std::vector<std::string>& cells, int colCount) {
    cells.clear();
    // The text ends at its first zero byte, as it always has in the file.
    if (size_t nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
    const char* p = text.data();
    const char* end = p + text.size();
    size_t k = 0;
    SkipBlanks(p, end);
    while (p < end) {
        std::string field;
        if (*p == '"') {
            field = ExtractQuoted(p, end);
        } else {
            const char* start = p;
            while (p < end) {
                unsigned char b = static_cast<unsigned char>(*p);
                if (b <= 0x20 || b == ',') break;
                p += sjis::CharLength(p, end);
            }
            field.assign(start, p);
        }
        Store(cells, k++, std::move(field), colCount);
        SkipBlanks(p, end);
        if (p < end && *p == ',') {
            if (p + 1 == end) Store(cells, k++, std::string(), colCount);
            ++p;
            SkipBlanks(p, end);
        }
    }
}

}  // namespace vinta
