#include "chart/nice_ticks.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace veltrane {

namespace {

// m × 10^n; a negative power is a division, since 10^-n is not a double but 10^n is.
double scaled(double mantissa, int exponent) {
    return exponent >= 0 ? mantissa * std::pow(10.0, exponent)
                         : mantissa / std::pow(10.0, -exponent);
}

// Room for the rounding of value / step: a value a hair off a tick still lands on it.
constexpr double slack = 1e-9;

} // namespace

TickRange niceTicks(double low, double high, int maxIntervals, double finest) {
    maxIntervals = std::max(1, maxIntervals);
    if (!std::isfinite(low) || !std::isfinite(high)) {
        return {};
    }
    if (high < low) {
        std::swap(low, high);
    }
    if (high - low <= 0.0) {
        // One value: a range around it, at a tenth of its size (or one unit about zero).
        const double half = low == 0.0 ? 0.5 : std::abs(low) * 0.05;
        low -= half;
        high += half;
    }
    const double rough = (high - low) / maxIntervals;
    int start = static_cast<int>(std::floor(std::log10(rough))) - 1;
    if (finest > 0.0 && std::isfinite(finest)) {
        start = std::max(start, static_cast<int>(std::floor(std::log10(finest))) - 1);
    }
    for (int exponent = start; exponent < start + 400; ++exponent) {
        for (const double mantissa : std::array{1.0, 2.0, 5.0}) {
            const double step = scaled(mantissa, exponent);
            if (step < finest * (1.0 - slack)) {
                continue;
            }
            const double first = std::floor(low / step + slack);
            const double last = std::ceil(high / step - slack);
            if (last - first <= maxIntervals && std::abs(first) < 9e15 && std::abs(last) < 9e15) {
                return {step, static_cast<std::int64_t>(first),
                        static_cast<std::int64_t>(std::max(last, first + 1.0))};
            }
        }
    }
    return {};
}

int stepDecimals(double step, int most) {
    for (int decimals = 0; decimals < most; ++decimals) {
        const double shifted = scaled(std::abs(step), decimals);
        if (std::abs(shifted - std::round(shifted)) <= slack * std::max(1.0, shifted)) {
            return decimals;
        }
    }
    return std::max(0, most);
}

} // namespace veltrane
