#include "calc/number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <system_error>

namespace veltrane {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Walks a text left to right; every test of the grammar is one method.
class Cursor {
public:
    explicit Cursor(std::string_view text)
        : text_{text} {}

    bool atEnd() const { return pos_ == text_.size(); }
    std::size_t position() const { return pos_; }
    char peek() const { return atEnd() ? '\0' : text_[pos_]; }
    bool peekDigit() const { return isDigit(peek()); }
    char take() { return text_[pos_++]; }

    // Consumes `token` if the text continues with it. An empty token never matches.
    bool accept(std::string_view token) {
        if (!startsWith(token)) {
            return false;
        }
        pos_ += token.size();
        return true;
    }

    // True when `token` follows and a digit follows that.
    bool tokenThenDigit(std::string_view token) const {
        const auto after = pos_ + token.size();
        return startsWith(token) && after < text_.size() && isDigit(text_[after]);
    }

    bool startsWith(std::string_view token) const {
        // The first byte decides almost every time; compare the rest only when it matches.
        return !token.empty() && peek() == token.front() &&
               text_.substr(pos_, token.size()) == token;
    }

    void skipBlanks() {
        while (!atEnd() && isBlank(text_[pos_])) {
            ++pos_;
        }
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// Exponents beyond this are clamped: no double is nearer than zero or infinity past it.
constexpr std::int64_t exponentClamp = 1'000'000'000'000;

// Where the parts of a written number lie, once the grammar has accepted it.
struct WrittenNumber {
    bool negative = false;
    std::string_view mantissa; // digits with their separators
    std::string_view number;   // the mantissa and the exponent
    std::int64_t integerDigits = 0;
    std::int64_t exponent = 0; // as written, clamped
    bool plain = false;        // what from_chars reads as it stands: no groups, a "." point
};

// The double nearest to the decimal written, decided on its significant digits alone so that
// any number of digits and any exponent are handled alike.
ParsedNumber convertNormalised(const WrittenNumber& written) {
    const double zero = written.negative ? -0.0 : 0.0;
    std::string digits;
    std::int64_t leadingZeros = 0;
    for (char c : written.mantissa) {
        if (!isDigit(c)) {
            continue;
        }
        if (digits.empty() && c == '0') {
            ++leadingZeros;
        } else {
            digits += c;
        }
    }
    while (!digits.empty() && digits.back() == '0') {
        digits.pop_back();
    }
    if (digits.empty()) {
        return {zero, ParseError::None};
    }
    // The power of ten of the first significant digit.
    const std::int64_t exponent = written.integerDigits - leadingZeros - 1 + written.exponent;
    // DBL_MAX is below 1E309 and half the smallest subnormal above 1E-325.
    if (exponent > 309) {
        return {0.0, ParseError::Overflow};
    }
    if (exponent < -325) {
        return {zero, ParseError::None};
    }
    std::string text;
    text.reserve(digits.size() + 24);
    text += digits.front();
    text += '.';
    text.append(digits, 1);
    text += 'e';
    text += std::to_string(exponent);

    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone: decide between overflow and underflow ourselves.
        if (exponent > 0) {
            return {0.0, ParseError::Overflow};
        }
        return {zero, ParseError::None};
    }
    if (ec != std::errc{} || end != text.data() + text.size()) {
        return {0.0, ParseError::NotANumber};
    }
    return {written.negative ? -value : value, ParseError::None};
}

ParsedNumber convert(const WrittenNumber& written) {
    // What people type is short and plain: from_chars reads it where it stands.
    constexpr std::size_t plainLimit = 40;
    if (written.plain && written.number.size() <= plainLimit) {
        double value = 0.0;
        const auto* const last = written.number.data() + written.number.size();
        const auto [end, ec] = std::from_chars(written.number.data(), last, value);
        if (ec == std::errc{} && end == last) {
            return {written.negative ? -value : value, ParseError::None};
        }
    }
    return convertNormalised(written);
}

// Most texts are a few ASCII digits with perhaps a decimal point ("500", "28.50"): a form
// that from_chars reads exactly as the grammar does, so read it where it stands.
std::optional<double> readPlainDigits(std::string_view text, const RegionalSettings& settings) {
    constexpr std::size_t plainLimit = 40;
    if (text.empty() || text.size() > plainLimit) {
        return std::nullopt;
    }
    const bool pointIsDot =
        settings.decimalSeparator.size() == 1 && settings.decimalSeparator[0] == '.';
    bool point = false;
    bool digit = false;
    for (char c : text) {
        if (isDigit(c)) {
            digit = true;
        } else if (c == '.' && pointIsDot && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digit) {
        return std::nullopt;
    }
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// The whole grammar, for texts that are not plain digits. Kept out of line so that the plain
// case, nearly every text, pays for none of it.
[[gnu::noinline]] ParsedNumber parseWritten(std::string_view text,
                                            const RegionalSettings& settings) {
    constexpr ParsedNumber notANumber{0.0, ParseError::NotANumber};
    Cursor cursor{text};
    cursor.skipBlanks();

    WrittenNumber written;
    if (cursor.accept("-") || cursor.accept(settings.negativeSign)) {
        written.negative = true;
    } else if (!cursor.accept("+")) {
        cursor.accept(settings.positiveSign);
    }
    cursor.accept(settings.currencySymbol);

    const std::size_t start = cursor.position();
    bool grouped = false;
    std::int64_t fractionDigits = 0;
    // Group separators stand only between digits of the integer part, where the regional
    // grouping puts them: under German rules "28.50" is a slip of the keyboard, not 2850.
    const std::int64_t primary = settings.primaryGroupSize;
    const std::int64_t secondary =
        settings.secondaryGroupSize > 0 ? settings.secondaryGroupSize : primary;
    std::int64_t groupLength = 0;
    while (cursor.peekDigit()) {
        cursor.take();
        ++written.integerDigits;
        ++groupLength;
        if (primary > 0 && cursor.tokenThenDigit(settings.groupSeparator)) {
            if (grouped ? groupLength != secondary : groupLength > secondary) {
                return notANumber;
            }
            cursor.accept(settings.groupSeparator);
            grouped = true;
            groupLength = 0;
        }
    }
    if (grouped && groupLength != primary) {
        return notANumber;
    }
    if (cursor.accept(settings.decimalSeparator)) {
        while (cursor.peekDigit()) {
            cursor.take();
            ++fractionDigits;
        }
    }
    if (written.integerDigits + fractionDigits == 0) {
        return notANumber;
    }
    written.mantissa = text.substr(start, cursor.position() - start);

    if (cursor.peek() == 'E' || cursor.peek() == 'e') {
        cursor.take();
        const bool exponentNegative = cursor.accept("-");
        if (!exponentNegative) {
            cursor.accept("+");
        }
        if (!cursor.peekDigit()) {
            return notANumber;
        }
        while (cursor.peekDigit()) {
            const int digit = cursor.take() - '0';
            if (written.exponent < exponentClamp) {
                written.exponent = written.exponent * 10 + digit;
            }
        }
        if (exponentNegative) {
            written.exponent = -written.exponent;
        }
    }
    written.number = text.substr(start, cursor.position() - start);

    cursor.skipBlanks();
    if (!cursor.atEnd()) {
        return notANumber;
    }
    written.plain = !grouped && (fractionDigits == 0 || settings.decimalSeparator == ".");
    return convert(written);
}

} // namespace

ParsedNumber parseNumber(std::string_view text, const RegionalSettings& settings) {
    if (const auto plain = readPlainDigits(text, settings)) {
        return {*plain, ParseError::None};
    }
    return parseWritten(text, settings);
}

bool isNumeric(std::string_view text, const RegionalSettings& settings) {
    return parseNumber(text, settings).ok();
}

namespace {

double powerOfTen(int n) {
    double result = 1.0;
    for (int i = 0; i < n; ++i) {
        result *= 10.0; // exact up to 10^22
    }
    return result;
}

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
    const char* exponentText = buffer.data() + 17; // after "e"
    if (*exponentText == '+') {
        ++exponentText;
    }
    std::from_chars(exponentText, result.ptr, out.exponent);
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
// regional groups: "123450" with two decimals is "1,234.50". The room for the whole text is
// taken at once.
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

// A count of units rounded to `divisor` units, an exact half away from zero. The divisor is a
// constant, so no division instruction is needed.
template <std::int64_t divisor>
std::int64_t roundedQuotient(std::int64_t units) {
    std::int64_t quotient = units / divisor;
    const std::int64_t rest = units % divisor;
    if (2 * rest >= divisor) {
        ++quotient;
    } else if (2 * rest <= -divisor) {
        --quotient;
    }
    return quotient;
}

// "00" to "99": the digits of a number written two at a time.
constexpr std::array<char, 200> digitPairs = [] {
    std::array<char, 200> pairs{};
    for (std::size_t i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

// Writes the decimal digits of `value` so that they end at `last`; gives where they start.
char* writeDigitsBackwards(std::uint64_t value, char* last) {
    while (value >= 100) {
        const std::size_t pair = 2 * static_cast<std::size_t>(value % 100);
        value /= 100;
        *--last = digitPairs[pair + 1];
        *--last = digitPairs[pair];
    }
    if (value >= 10) {
        const std::size_t pair = 2 * static_cast<std::size_t>(value);
        *--last = digitPairs[pair + 1];
        *--last = digitPairs[pair];
    } else {
        *--last = static_cast<char>('0' + value);
    }
    return last;
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

} // namespace

std::optional<double> roundToPlaces(double x, int places) {
    if (places < 0 || places > 22 || !std::isfinite(x)) {
        return std::nullopt;
    }
    const double scale = powerOfTen(places);
    const double y = x * scale;
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
    return rounded / scale;
}

bool appendNumberText(TextBuffer& out, double x, const RegionalSettings& settings) {
    if (!std::isfinite(x)) {
        return false;
    }
    if (x == 0.0) {
        out.push('0'); // negative zero too: a sign on nothing would only confuse
        return true;
    }
    const SignificantDigits sig = significantDigits(std::fabs(x));
    std::string_view digits{sig.digits.data(), sig.digits.size()};
    while (digits.size() > 1 && digits.back() == '0') {
        digits.remove_suffix(1);
    }

    if (x < 0.0) {
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
    return true;
}

std::optional<std::string> numberText(double x, const RegionalSettings& settings) {
    TextBuffer out;
    if (!appendNumberText(out, x, settings)) {
        return std::nullopt;
    }
    return out.str();
}

void appendCurrencyText(TextBuffer& out, Currency amount, const RegionalSettings& settings) {
    // Round to the shown decimals, an exact half away from zero, without leaving int64.
    const int decimals = std::clamp(settings.currencyDecimals, 0, 4);
    std::int64_t shown = amount.units();
    switch (decimals) {
    case 0:
        shown = roundedQuotient<10'000>(shown);
        break;
    case 1:
        shown = roundedQuotient<1'000>(shown);
        break;
    case 2:
        shown = roundedQuotient<100>(shown);
        break;
    case 3:
        shown = roundedQuotient<10>(shown);
        break;
    default:
        break;
    }
    const bool negative = shown < 0;
    const std::uint64_t magnitude = negative ? std::uint64_t{0} - static_cast<std::uint64_t>(shown)
                                             : static_cast<std::uint64_t>(shown);

    // The digits, with zeros in front up to one integer digit: "0.50".
    const auto fractionDigits = static_cast<std::size_t>(decimals);
    std::array<char, 24> buffer; // only the digits written below are read
    char* const end = buffer.data() + buffer.size();
    char* first = writeDigitsBackwards(magnitude, end);
    while (static_cast<std::size_t>(end - first) <= fractionDigits) {
        *--first = '0';
    }
    const std::string_view digits{first, static_cast<std::size_t>(end - first)};

    constexpr std::string_view symbolMark = "¤";
    const std::string_view pattern =
        negative ? settings.currencyNegativePattern : settings.currencyPositivePattern;
    for (std::size_t i = 0; i < pattern.size();) {
        if (pattern[i] == '#') {
            appendFixed(out, digits, fractionDigits, settings);
            ++i;
        } else if (pattern[i] == symbolMark.front() &&
                   pattern.substr(i, symbolMark.size()) == symbolMark) {
            out.append(settings.currencySymbol);
            i += symbolMark.size();
        } else {
            out.push(pattern[i++]);
        }
    }
}

std::string currencyText(Currency amount, const RegionalSettings& settings) {
    TextBuffer out;
    appendCurrencyText(out, amount, settings);
    return out.str();
}

bool appendPercentText(TextBuffer& out, double x, int decimals, const RegionalSettings& settings) {
    if (decimals < 0 || !std::isfinite(x)) {
        return false;
    }
    const double p = x * 100.0;
    if (!std::isfinite(p)) {
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
    out.append(settings.percentSign);
    return true;
}

std::optional<std::string> percentText(double x, int decimals, const RegionalSettings& settings) {
    TextBuffer out;
    if (!appendPercentText(out, x, decimals, settings)) {
        return std::nullopt;
    }
    return out.str();
}

} // namespace veltrane
