// Writing number texts: the number, rounded number and percent texts of calc/number_text.h.
// Currency texts have their one writer in calc/money_layout.cpp.
#include "calc/decimal_digits.h"
#include "calc/number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

namespace veltrane {

namespace {

// The 15 significant digits of a finite, non-zero magnitude and the power of ten of the first.
struct SignificantDigits {
    std::array<char, 15> digits{};
    int exponent = 0;
};

SignificantDigits significantDigits(double magnitude) {
    // "d.dddddddddddddde+XXX"
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                      std::chars_format::scientific, 14);
    SignificantDigits out;
    out.digits[0] = buffer[0];
    for (std::size_t i = 1; i < out.digits.size(); ++i) {
        out.digits[i] = buffer[i + 1];
    }
    // A sign and two or three digits after the "e", read by hand: a call to from_chars costs
    // more than the three digits.
    const char* exponentText = buffer.data() + 17;
    const bool negative = *exponentText == '-';
    int exponent = 0;
    for (++exponentText; exponentText != result.ptr; ++exponentText) {
        exponent = exponent * 10 + (*exponentText - '0');
    }
    out.exponent = negative ? -exponent : exponent;
    return out;
}

// Copies a separator or a few digits byte by byte, which costs less than a call to memcpy.
char* copyShort(std::string_view text, char* at) {
    for (char c : text) {
        *at++ = c;
    }
    return at;
}

// Appends digits as a fixed-point number with `fractionDigits` decimals, the integer part in
// the regional number groups: "123450" with two decimals is "1,234.50". The room for the whole
// text is taken at once.
void appendFixed(TextBuffer& out, std::string_view digits, std::size_t fractionDigits,
                 const RegionalSettings& settings) {
    const std::size_t integerLength = digits.size() - fractionDigits;
    const auto primary = static_cast<std::size_t>(std::max(settings.primaryGroupSize, 0));
    const auto secondary = settings.secondaryGroupSize > 0
                               ? static_cast<std::size_t>(settings.secondaryGroupSize)
                               : primary;
    const auto minimum = static_cast<std::size_t>(std::max(settings.minimumGroupingDigits, 1));
    const std::string_view separator = settings.groupSeparator;
    const std::string_view point =
        fractionDigits > 0 ? std::string_view{settings.decimalSeparator} : std::string_view{};
    const bool grouped = primary > 0 && !separator.empty() && integerLength >= primary + minimum;
    // Cut points counted from the right: the primary group, then secondary groups; the group
    // in front holds what is left, one to `secondary` digits. Counted by subtraction: dividing
    // by a group size known only at run time costs more than the few groups an amount has.
    std::size_t head = grouped ? integerLength - primary : integerLength;
    std::size_t cuts = grouped ? 1 : 0;
    while (grouped && head > secondary) {
        head -= secondary;
        ++cuts;
    }

    char* at = out.extend(digits.size() + cuts * separator.size() + point.size());
    const char* digit = digits.data();
    at = copyShort({digit, head}, at);
    digit += head;
    for (std::size_t cut = 1; cut < cuts; ++cut) {
        at = copyShort(separator, at);
        at = copyShort({digit, secondary}, at);
        digit += secondary;
    }
    if (grouped) {
        at = copyShort(separator, at);
        at = copyShort({digit, primary}, at);
        digit += primary;
    }
    at = copyShort(point, at);
    copyShort({digit, fractionDigits}, at);
}

// Adds one to a run of decimal digits in place. True when it carried out of the first digit,
// which then reads "0": the caller puts the "1" in front.
bool incrementDigits(char* first, char* last) {
    while (last != first) {
        --last;
        if (*last != '9') {
            ++*last;
            return false;
        }
        *last = '0';
    }
    return true;
}

// 10^n for n from 0 to 22, exactly.
double powerOfTen(int n) {
    return digits::exactPowersOfTen[static_cast<std::size_t>(n)];
}

// x × 10^places rounded half to even: a whole number of 10^-places. Nothing for a value that is
// not finite or whose scaled value overflows.
std::optional<double> roundedSteps(double x, int places) {
    if (places < 0 || places > 22 || !std::isfinite(x)) {
        return std::nullopt;
    }
    const double y = x * powerOfTen(places);
    if (!std::isfinite(y)) {
        return std::nullopt;
    }
    const double w = std::trunc(y);
    const double f = y - w;
    // From 2^53 on every double is an even integer; below it w fits an int64 exactly.
    const bool wEven = std::fabs(w) >= 0x1p53 || static_cast<std::int64_t>(w) % 2 == 0;
    double rounded = w;
    if (f > 0.5 || (f == 0.5 && !wEven)) {
        rounded = w + 1.0;
    } else if (f < -0.5 || (f == -0.5 && !wEven)) {
        rounded = w - 1.0;
    }
    return rounded;
}

} // namespace

std::optional<double> roundToPlaces(double x, int places) {
    const std::optional<double> steps = roundedSteps(x, places);
    if (!steps) {
        return std::nullopt;
    }
    return *steps / powerOfTen(places);
}

namespace {

// The text of a nonzero number from its 15 significant digits: plain, or in the exponent form
// beyond the plain range.
void appendSignificant(TextBuffer& out, const SignificantDigits& sig, bool negative,
                       const RegionalSettings& settings) {
    std::string_view digits{sig.digits.data(), sig.digits.size()};
    while (digits.size() > 1 && digits.back() == '0') {
        digits.remove_suffix(1);
    }

    if (negative) {
        out.append(settings.negativeSign);
    }
    const int e = sig.exponent;
    if (e < -4 || e >= 15) {
        out.push(digits.front());
        if (digits.size() > 1) {
            out.append(settings.decimalSeparator);
            out.append(digits.substr(1));
        }
        out.append(e < 0 ? "E-" : "E+");
        // At least two digits; a double's exponent has at most three.
        const int magnitude = std::abs(e);
        if (magnitude >= 100) {
            out.push(static_cast<char>('0' + magnitude / 100));
        }
        out.push(static_cast<char>('0' + magnitude / 10 % 10));
        out.push(static_cast<char>('0' + magnitude % 10));
    } else if (e >= 0) {
        const auto integerDigits = static_cast<std::size_t>(e) + 1;
        if (digits.size() <= integerDigits) {
            out.append(digits);
            out.append(integerDigits - digits.size(), '0');
        } else {
            out.append(digits.substr(0, integerDigits));
            out.append(settings.decimalSeparator);
            out.append(digits.substr(integerDigits));
        }
    } else {
        out.push('0');
        out.append(settings.decimalSeparator);
        out.append(static_cast<std::size_t>(-e - 1), '0');
        out.append(digits);
    }
}

// The significant digits of the decimal `whole` × 10^-places (`whole` from 1 to 10^15 - 1):
// exactly the 15 that to_chars gives for the double nearest that decimal, since a decimal of at
// most 15 significant digits comes back whole from the double nearest it.
SignificantDigits decimalDigits(std::uint64_t whole, int places) {
    std::array<char, 20> buffer{};
    char* const end = buffer.data() + buffer.size();
    const char* const first = digits::putBackwards(whole, end);
    const auto count = static_cast<std::size_t>(end - first);
    SignificantDigits out;
    out.digits.fill('0');
    std::copy(first, static_cast<const char*>(end), out.digits.begin());
    out.exponent = static_cast<int>(count) - 1 - places;
    return out;
}

} // namespace

bool appendNumberText(TextBuffer& out, double x, const RegionalSettings& settings) {
    if (!std::isfinite(x)) {
        return false;
    }
    if (x == 0.0) {
        out.push('0'); // negative zero too: a sign on nothing would only confuse
        return true;
    }
    appendSignificant(out, significantDigits(std::fabs(x)), x < 0.0, settings);
    return true;
}

bool appendRoundedNumberText(TextBuffer& out, double x, int places,
                             const RegionalSettings& settings) {
    const std::optional<double> steps = roundedSteps(x, places);
    if (!steps) {
        return false;
    }
    // The rounded value is a whole number of 10^-places, which gives its digits without
    // to_chars while it has at most 15 of them.
    const double magnitude = std::fabs(*steps);
    constexpr double fifteenDigits = 1e15;
    if (magnitude == 0.0 || !(magnitude < fifteenDigits)) {
        return appendNumberText(out, *steps / powerOfTen(places), settings);
    }
    appendSignificant(out, decimalDigits(static_cast<std::uint64_t>(magnitude), places),
                      *steps < 0.0, settings);
    return true;
}

std::optional<std::string> numberText(double x, const RegionalSettings& settings) {
    TextBuffer out;
    if (!appendNumberText(out, x, settings)) {
        return std::nullopt;
    }
    return out.str();
}

bool appendFixedText(TextBuffer& out, double p, int decimals, const RegionalSettings& settings) {
    if (decimals < 0 || !std::isfinite(p)) {
        return false;
    }
    // N = |p| written to 15 digits, times 10^decimals, rounded half away from zero: the kept
    // digits (with a carry, one more) followed by `zeros` zeros.
    std::array<char, 16> kept{};
    std::size_t keptSize = 0;
    std::size_t zeros = 0;
    if (p != 0.0) {
        const SignificantDigits sig = significantDigits(std::fabs(p));
        const int shift = sig.exponent - 14 + decimals; // N = digits × 10^shift
        if (shift >= -15) {
            keptSize = shift >= 0 ? sig.digits.size() : static_cast<std::size_t>(15 + shift);
            zeros = shift >= 0 ? static_cast<std::size_t>(shift) : 0;
            std::copy_n(sig.digits.begin(), keptSize, kept.begin() + 1);
            const bool roundUp = keptSize < sig.digits.size() && sig.digits[keptSize] >= '5';
            if (roundUp && incrementDigits(kept.data() + 1, kept.data() + 1 + keptSize)) {
                kept[0] = '1';
                ++keptSize;
            }
        }
    }
    // The carry, if any, went into kept[0]; without one the digits start at kept[1].
    const std::string_view keptDigits{kept.data() + (kept[0] == '1' ? 0 : 1), keptSize};
    const bool isZero = keptDigits.find_first_not_of('0') == std::string_view::npos;

    // Zeros in front up to one integer digit: "0.50", "0.00".
    const auto fractionDigits = static_cast<std::size_t>(decimals);
    const std::size_t length = keptSize + zeros;
    const std::size_t padding = length <= fractionDigits ? fractionDigits + 1 - length : 0;
    TextBuffer scaled;
    scaled.append(padding, '0');
    scaled.append(keptDigits);
    scaled.append(zeros, '0');

    if (p < 0.0 && !isZero) {
        out.append(settings.negativeSign);
    }
    appendFixed(out, scaled.view(), fractionDigits, settings);
    return true;
}

bool appendPercentText(TextBuffer& out, double x, int decimals, const RegionalSettings& settings) {
    if (!std::isfinite(x) || !appendFixedText(out, x * 100.0, decimals, settings)) {
        return false;
    }
    out.append(settings.percentSign);
    return true;
}

std::optional<std::string> fixedText(double x, int decimals, const RegionalSettings& settings) {
    TextBuffer out;
    if (!appendFixedText(out, x, decimals, settings)) {
        return std::nullopt;
    }
    return out.str();
}

std::optional<std::string> percentText(double x, int decimals, const RegionalSettings& settings) {
    TextBuffer out;
    if (!appendPercentText(out, x, decimals, settings)) {
        return std::nullopt;
    }
    return out.str();
}

} // namespace veltrane
