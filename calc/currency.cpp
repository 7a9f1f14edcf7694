#include "calc/currency.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace veltrane {

std::optional<Currency> Currency::fromDouble(double x) {
    const double scaled = x * static_cast<double>(unitsPerOne);
    // To the nearest integer, ties to even, as nearbyint rounds in the default mode: below 2^52
    // adding and taking away 2^52 leaves the bits of the fraction nowhere to go, which is what
    // nearbyint does inside (spared its call); from 2^52 on every double is an integer already.
    constexpr double twoTo52 = 4'503'599'627'370'496.0;
    double rounded = scaled;
    if (scaled > 0.0 && scaled < twoTo52) {
        rounded = (scaled + twoTo52) - twoTo52;
    } else if (scaled < 0.0 && scaled > -twoTo52) {
        rounded = (scaled - twoTo52) + twoTo52;
    }
    // 2^63 is exact in double; the largest double below it is well inside the range.
    constexpr double twoTo63 = 9'223'372'036'854'775'808.0;
    if (!(rounded >= -twoTo63 && rounded < twoTo63)) {
        return std::nullopt; // NaN fails here too
    }
    return Currency{static_cast<std::int64_t>(rounded)};
}

double Currency::toDouble() const {
    constexpr std::int64_t exactInDouble = std::int64_t{1} << 53;
    if (units_ >= -exactInDouble && units_ <= exactInDouble) {
        return static_cast<double>(units_) / static_cast<double>(unitsPerOne);
    }
    // Larger counts would be rounded twice (to double, then by the division): go through
    // the decimal text instead, which from_chars rounds once.
    std::array<char, 32> digits{};
    auto [end, ec] = std::to_chars(digits.data(), digits.data() + digits.size(), units_);
    std::array<char, 34> text{};
    const auto length = static_cast<std::size_t>(end - digits.data());
    std::size_t out = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (i == length - 4) {
            text[out++] = '.';
        }
        text[out++] = digits[i];
    }
    double value = 0.0;
    std::from_chars(text.data(), text.data() + out, value);
    return value;
}

} // namespace veltrane
