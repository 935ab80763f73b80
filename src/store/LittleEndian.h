#pragma once
// 32-bit little-endian integers, as the schedule file and its links' block
// keep them.

#include <cstdint>
#include <string>

namespace vinta::le {

// Writes v over the four bytes at `at`: a record's length is known only
// after its text.
inline void PutIntAt(std::string& out, size_t at, int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    for (size_t i = 0; i < 4; ++i) out[at + i] = static_cast<char>((u >> (8 * i)) & 0xFF);
}

inline void PutInt(std::string& out, int32_t v) {
    out.append(4, '\0');
    PutIntAt(out, out.size() - 4, v);
}

inline int32_t GetInt(const char* p) {
    uint32_t u = 0;
    for (int i = 3; i >= 0; --i) u = (u << 8) | static_cast<unsigned char>(p[i]);
    return static_cast<int32_t>(u);
}

}  // namespace vinta::le
