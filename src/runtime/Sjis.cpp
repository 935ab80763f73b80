#include "Sjis.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace vinta::sjis {

namespace {

bool IsAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// iconv descriptors are costly to open; each thread keeps one per direction.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            std::fprintf(stderr, "iconv cannot convert %s to %s\n", from, to);
            std::abort();
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as it can. Returns the number of input bytes consumed;
    // stops at the first byte sequence it cannot convert.
    size_t Convert(std::string_view in, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        char buf[1024];
        while (srcLeft > 0) {
            char* dst = buf;
            size_t dstLeft = sizeof buf;
            size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buf, static_cast<size_t>(dst - buf));
            if (r == static_cast<size_t>(-1) && errno != E2BIG) break;
        }
        return in.size() - srcLeft;
    }

private:
    iconv_t cd_;
};

Converter& ToSjis() {
    thread_local Converter c("CP932", "UTF-8");
    return c;
}
Converter& FromSjis() {
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

// Characters that Japanese input methods on Linux produce in their JIS form
// while code page 932 holds the look-alike: users expect them to be kept.
struct Alias {
    std::string_view utf8;
    std::string_view sjis;
};
constexpr Alias kAliases[] = {
    {"\u301C", "\x81\x60"},  // WAVE DASH -> FULLWIDTH TILDE
    {"\u2016", "\x81\x61"},  // DOUBLE VERTICAL LINE -> PARALLEL TO
    {"\u2212", "\x81\x7C"},  // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS
    {"\u00A2", "\x81\x91"},  // CENT SIGN
    {"\u00A3", "\x81\x92"},  // POUND SIGN
    {"\u00AC", "\x81\xCA"},  // NOT SIGN
    {"\u2014", "\x81\x5C"},  // EM DASH -> HORIZONTAL BAR
};

size_t Utf8SeqLength(unsigned char b) {
    if (b < 0x80) return 1;
    if ((b & 0xE0) == 0xC0) return 2;
    if ((b & 0xF0) == 0xE0) return 3;
    if ((b & 0xF8) == 0xF0) return 4;
    return 1;
}

// Converts; on failure returns the offset of the character that failed.
bool Encode(std::string_view utf8, std::string& out, size_t& failedAt) {
    size_t pos = 0;
    while (pos < utf8.size()) {
        pos += ToSjis().Convert(utf8.substr(pos), out);
        if (pos >= utf8.size()) break;
        bool aliased = false;
        for (const Alias& a : kAliases) {
            if (utf8.substr(pos).starts_with(a.utf8)) {
                out.append(a.sjis);
                pos += a.utf8.size();
                aliased = true;
                break;
            }
        }
        if (!aliased) {
            failedAt = pos;
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<std::string> FromUtf8(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);
    std::string out;
    out.reserve(utf8.size());
    size_t failedAt = 0;
    if (!Encode(utf8, out, failedAt)) return std::nullopt;
    return out;
}

std::string FirstUnencodable(std::string_view utf8) {
    std::string out;
    size_t failedAt = 0;
    if (IsAscii(utf8) || Encode(utf8, out, failedAt)) return {};
    size_t len = Utf8SeqLength(static_cast<unsigned char>(utf8[failedAt]));
    return std::string(utf8.substr(failedAt, len));
}

std::string ToUtf8(std::string_view sjis) {
    if (IsAscii(sjis)) return std::string(sjis);
    std::string out;
    out.reserve(sjis.size() * 3 / 2);
    size_t pos = 0;
    while (pos < sjis.size()) {
        pos += FromSjis().Convert(sjis.substr(pos), out);
        if (pos >= sjis.size()) break;
        out.append("\xEF\xBF\xBD");  // U+FFFD for the byte that is not Shift-JIS
        ++pos;
    }
    return out;
}

std::string Lit(std::string_view utf8) {
    auto s = FromUtf8(utf8);
    if (!s) {
        std::fprintf(stderr, "literal not representable in Shift-JIS: %.*s\n",
                     static_cast<int>(utf8.size()), utf8.data());
        std::abort();
    }
    return *s;
}

}  // namespace vinta::sjis
