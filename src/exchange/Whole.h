#pragma once
// Whole numbers as other programs write them into their files: any size,
// any sign, with or without a fraction after them.

#include <algorithm>
#include <charconv>
#include <climits>
#include <optional>
#include <string_view>

namespace vinta {

// The whole number `text` begins with (after spaces), held within ±10^9 so
// that sums of it stay ints; nothing when it begins with no number.
inline std::optional<int> Whole(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    long long v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (end == text.data()) return std::nullopt;
    if (ec == std::errc::result_out_of_range) v = text.front() == '-' ? LLONG_MIN : LLONG_MAX;
    return static_cast<int>(std::clamp(v, -1'000'000'000LL, 1'000'000'000LL));
}

}  // namespace vinta
