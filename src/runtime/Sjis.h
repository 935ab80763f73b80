#pragma once
// The one place where text crosses between Shift-JIS (code page 932), in which
// every cell, file and datagram is kept, and UTF-8, in which Qt and the
// terminal speak.

#include <optional>
#include <string>
#include <string_view>

namespace vinta::sjis {

// UTF-8 to Shift-JIS. nullopt when the text holds a character Shift-JIS cannot
// hold (or is not valid UTF-8): such text is refused, never silently altered.
std::optional<std::string> FromUtf8(std::string_view utf8);

// Shift-JIS to UTF-8 for display. Bytes that are not Shift-JIS come out as
// U+FFFD, one per byte, so nothing is dropped without a trace.
std::string ToUtf8(std::string_view sjis);

// The first character of `utf8` that Shift-JIS cannot hold, as UTF-8; empty
// when every character can be held.
std::string FirstUnencodable(std::string_view utf8);

// Shift-JIS lead byte of a double-byte character.
constexpr bool IsLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Length in bytes of the character starting at p (1 or 2); a lead byte at the
// very end counts as one byte.
inline size_t CharLength(const char* p, const char* end) {
    return IsLeadByte(static_cast<unsigned char>(*p)) && p + 1 < end ? 2 : 1;
}

// Literal helper for source text: converts a UTF-8 literal that is known to be
// representable. Aborts on a literal that is not, which is a programming error.
std::string Lit(std::string_view utf8);

}  // namespace vinta::sjis
