#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace veltrane::digits {

// "00" to "99": decimal digits written two at a time.
inline constexpr std::array<char, 200> pairs = [] {
    std::array<char, 200> table{};
    for (std::size_t i = 0; i < 100; ++i) {
        table[2 * i] = static_cast<char>('0' + i / 10);
        table[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return table;
}();

// 10^0 to 10^22: every one a double exactly.
inline constexpr std::array<double, 23> exactPowersOfTen = [] {
    std::array<double, 23> powers{};
    double power = 1.0;
    for (double& p : powers) {
        p = power;
        power *= 10.0;
    }
    return powers;
}();

// Writes the two digits of `pair` (0 to 99) so that they end at `last`; gives where they start.
template <typename Unsigned>
char* putPair(Unsigned pair, char* last) {
    const auto at = 2 * static_cast<std::size_t>(pair);
    *--last = pairs[at + 1];
    *--last = pairs[at];
    return last;
}

// Writes the decimal digits of `value` so that they end at `last`; gives where they start.
template <typename Unsigned>
char* putBackwards(Unsigned value, char* last) {
    while (value >= 100) {
        last = putPair(value % 100, last);
        value /= 100;
    }
    if (value >= 10) {
        return putPair(value, last);
    }
    *--last = static_cast<char>('0' + value);
    return last;
}

} // namespace veltrane::digits
