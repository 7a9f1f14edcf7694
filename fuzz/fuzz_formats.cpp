// Number, currency and percent texts: every finite value within range gives a well-formed text
// whose digits are the value rounded as the format says; anything else is refused cleanly.
#include "calc/number_text.h"
#include "fuzz/fuzz_input.h"
#include "tests/support/well_formed.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The text with its grouping and symbol stripped, read back as a double.
double readBack(std::string text) {
    std::string plain;
    bool negative = false;
    for (char c : text) {
        if ((c >= '0' && c <= '9') || c == '.' || c == 'E' || c == '+') {
            plain += c;
        } else if (c == '-' || c == '(') {
            if (!plain.empty() && plain.back() == 'E') {
                plain += '-';
            } else {
                negative = true;
            }
        }
    }
    const double value = std::strtod(plain.c_str(), nullptr);
    return negative ? -value : value;
}

// The value written to 15 significant digits, as a double.
double fifteenDigits(double x) {
    char text[64];
    std::snprintf(text, sizeof text, "%.14e", x);
    return std::strtod(text, nullptr);
}

// What doubles cannot tell apart near x: a few units in the last place.
double slack(double x) {
    return 4.0 * (std::nextafter(std::fabs(x), INFINITY) - std::fabs(x));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 16) {
        return 0;
    }
    const auto x = veltrane::fuzz::take<double>(data);
    const auto units = veltrane::fuzz::take<std::int64_t>(data);
    const veltrane::RegionalSettings us;

    // Number text: refused exactly when not finite; otherwise 15 digits, nothing lost.
    const auto number = veltrane::numberText(x, us);
    if (number.has_value() != std::isfinite(x)) {
        std::abort();
    }
    if (number) {
        if (!veltrane::well_formed::number(*number) || readBack(*number) != fifteenDigits(x)) {
            std::abort();
        }
    }

    // Rounding to three places: within half a thousandth, or refused when it cannot scale.
    const auto rounded = veltrane::roundToPlaces(x, 3);
    if (rounded.has_value() != (std::isfinite(x) && std::isfinite(x * 1000.0))) {
        std::abort();
    }
    if (rounded && std::fabs(*rounded - x) > 0.0005 + slack(x)) {
        std::abort();
    }

    // Currency text: every amount has one, and it shows the cents rounded half away from zero.
    const std::string money = veltrane::currencyText(veltrane::Currency{units}, us);
    if (!veltrane::well_formed::currency(money)) {
        std::abort();
    }
    __int128 cents = units / 100;
    const std::int64_t rest = units % 100;
    if (rest >= 50) {
        ++cents;
    } else if (rest <= -50) {
        --cents;
    }
    std::string digits;
    for (char c : money) {
        if (c >= '0' && c <= '9') {
            digits += c;
        }
    }
    const auto magnitude = cents < 0 ? -cents : cents;
    if (digits != std::to_string(static_cast<unsigned long long>(magnitude / 100)) +
                      (magnitude % 100 < 10 ? "0" : "") +
                      std::to_string(static_cast<unsigned long long>(magnitude % 100)) ||
        (money.front() == '(') != (cents < 0)) {
        std::abort();
    }

    // Percent text: refused when x or x × 100 is not finite; otherwise two decimals of the
    // 15-digit product.
    const auto percent = veltrane::percentText(x, 2, us);
    const double p = x * 100.0;
    if (percent.has_value() != std::isfinite(p)) {
        std::abort();
    }
    if (percent) {
        if (!veltrane::well_formed::percent(*percent)) {
            std::abort();
        }
        const double shown = readBack(*percent);
        const double expected = fifteenDigits(p);
        if (std::fabs(shown - expected) > 0.005 + slack(expected)) {
            std::abort();
        }
    }
    return 0;
}
