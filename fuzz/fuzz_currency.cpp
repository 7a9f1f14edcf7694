// Money arithmetic is exact or an overflow, checked against 128-bit integers; the conversion
// from double lands on the nearest unit, ties to even, or refuses.
#include "calc/currency.h"
#include "fuzz/fuzz_input.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr __int128 low = std::numeric_limits<std::int64_t>::min();
constexpr __int128 high = std::numeric_limits<std::int64_t>::max();

void checkExact(std::optional<veltrane::Currency> result, __int128 exact) {
    const bool fits = exact >= low && exact <= high;
    if (result.has_value() != fits || (fits && result->units() != exact)) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 24) {
        return 0;
    }
    const auto a = veltrane::fuzz::take<std::int64_t>(data);
    const auto b = veltrane::fuzz::take<std::int64_t>(data);
    const auto x = veltrane::fuzz::take<double>(data);

    using veltrane::Currency;
    checkExact(veltrane::add(Currency{a}, Currency{b}), __int128{a} + b);
    checkExact(veltrane::subtract(Currency{a}, Currency{b}), __int128{a} - b);

    const auto converted = Currency::fromDouble(x);
    const double scaled = x * 10000.0;
    if (std::isnan(scaled) || std::fabs(scaled) >= 0x1p63) {
        // Only -2^63 itself is in range at that magnitude.
        if (converted.has_value() && scaled != -0x1p63) {
            std::abort();
        }
        return 0;
    }
    if (!converted) {
        std::abort();
    }
    const double units = static_cast<double>(converted->units());
    const double distance = std::fabs(units - scaled);
    if (distance > 0.5 ||
        (distance == 0.5 && std::fmod(static_cast<double>(converted->units()), 2.0) != 0.0)) {
        std::abort();
    }

    // Back to double: the nearest double to the exact decimal, as strtod rounds it.
    char text[32];
    const auto magnitude = a < 0 ? -static_cast<__int128>(a) : static_cast<__int128>(a);
    std::snprintf(text, sizeof text, "%s%llu.%04llu", a < 0 ? "-" : "",
                  static_cast<unsigned long long>(magnitude / 10000),
                  static_cast<unsigned long long>(magnitude % 10000));
    const double expected = std::strtod(text, nullptr);
    const double back = Currency{a}.toDouble();
    if (std::memcmp(&expected, &back, sizeof back) != 0 && !(expected == 0.0 && back == 0.0)) {
        std::abort();
    }
    return 0;
}
