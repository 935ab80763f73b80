#pragma once
// Whole numbers and compact dates as other programs write them into their
// files: numbers of any size and sign, with or without a fraction after
// them; dates as eight digits, yyyymmdd, with anything after them.

#include <algorithm>
#include <charconv>
#include <climits>
#include <optional>
#include <string_view>

#include "store/Kdatetime.h"

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

// The day `stamp` begins with ("20270301", "20270301T080000Z"), or nothing
// when it begins with no date of the years 1-9999.
inline std::optional<Date> CompactDate(std::string_view stamp) {
    auto num = [&](size_t at, size_t n) { return Whole(stamp.substr(at, n)).value_or(0); };
    if (stamp.size() < 8 || stamp.find_first_not_of("0123456789") < 8 || num(0, 4) < 1 ||
        !IsValidDate(num(0, 4), num(4, 2), num(6, 2)))
        return std::nullopt;
    return Date{num(0, 4), num(4, 2), num(6, 2)};
}

}  // namespace vinta
