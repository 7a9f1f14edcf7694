#pragma once

#include <cstdint>
#include <limits>
#include <optional>

namespace veltrane {

// A money amount with exactly four decimal places, held as a count of ten-thousandths.
// Amounts are only added and subtracted; products and ratios are formed in double.
class Currency {
public:
    static constexpr std::int64_t unitsPerOne = 10'000;

    constexpr Currency() = default;
    constexpr explicit Currency(std::int64_t units)
        : units_{units} {}

    static constexpr Currency max() { return Currency{std::numeric_limits<std::int64_t>::max()}; }
    static constexpr Currency min() { return Currency{std::numeric_limits<std::int64_t>::min()}; }

    // x × 10,000 in double, rounded half to even; nothing when x is NaN or out of range.
    static std::optional<Currency> fromDouble(double x);

    constexpr std::int64_t units() const { return units_; }

    // The units divided by 10,000, rounded once to the nearest double.
    double toDouble() const;

    friend constexpr bool operator==(Currency, Currency) = default;
    // clang-tidy 14 takes the defaulted comparison's own "0" for a null pointer.
    // NOLINTNEXTLINE(modernize-use-nullptr)
    friend constexpr auto operator<=>(Currency, Currency) = default;

private:
    std::int64_t units_ = 0;
};

// Exact sum and difference; nothing when the result leaves the range.
constexpr std::optional<Currency> add(Currency a, Currency b) {
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a.units(), b.units(), &sum)) {
        return std::nullopt;
    }
    return Currency{sum};
}

constexpr std::optional<Currency> subtract(Currency a, Currency b) {
    std::int64_t difference = 0;
    if (__builtin_sub_overflow(a.units(), b.units(), &difference)) {
        return std::nullopt;
    }
    return Currency{difference};
}

namespace detail {

// A count of units rounded to `divisor` units, an exact half away from zero. The divisor is a
// constant, so no division instruction is needed.
template <std::int64_t divisor>
constexpr std::int64_t roundedQuotient(std::int64_t units) {
    std::int64_t quotient = units / divisor;
    const std::int64_t rest = units % divisor;
    if (2 * rest >= divisor) {
        ++quotient;
    } else if (2 * rest <= -divisor) {
        --quotient;
    }
    return quotient;
}

} // namespace detail

// The amount as a whole count of the last decimal a text with `decimals` decimals (0 to 4)
// shows, an exact half away from zero: 1.2350 is 124 with two, -1.2350 is -124.
constexpr std::int64_t shownUnits(Currency amount, int decimals) {
    switch (decimals) {
    case 0:
        return detail::roundedQuotient<10'000>(amount.units());
    case 1:
        return detail::roundedQuotient<1'000>(amount.units());
    case 2:
        return detail::roundedQuotient<100>(amount.units());
    case 3:
        return detail::roundedQuotient<10>(amount.units());
    default:
        return amount.units();
    }
}

} // namespace veltrane
