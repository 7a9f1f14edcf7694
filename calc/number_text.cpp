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
    const bool pointIsDot = settings.decimalSeparator == ".";
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

// A sign, then perhaps the currency symbol, before the digits.
void readSignAndSymbol(Cursor& cursor, const RegionalSettings& settings, WrittenNumber& written) {
    if (cursor.accept("-") || cursor.accept(settings.negativeSign)) {
        written.negative = true;
    } else if (!cursor.accept("+")) {
        cursor.accept(settings.positiveSign);
    }
    cursor.accept(settings.currencySymbol);
}

// The integer part's digits. Group separators stand only between them, where the regional
// grouping puts them: under German rules "28.50" is a slip of the keyboard, not 2850. Gives
// whether the digits were grouped, or nothing when a separator stands out of place.
std::optional<bool> readIntegerDigits(Cursor& cursor, const RegionalSettings& settings,
                                      WrittenNumber& written) {
    const std::int64_t primary = settings.primaryGroupSize;
    const std::int64_t secondary =
        settings.secondaryGroupSize > 0 ? settings.secondaryGroupSize : primary;
    bool grouped = false;
    std::int64_t groupLength = 0;
    while (cursor.peekDigit()) {
        cursor.take();
        ++written.integerDigits;
        ++groupLength;
        if (primary > 0 && cursor.tokenThenDigit(settings.groupSeparator)) {
            if (grouped ? groupLength != secondary : groupLength > secondary) {
                return std::nullopt;
            }
            cursor.accept(settings.groupSeparator);
            grouped = true;
            groupLength = 0;
        }
    }
    if (grouped && groupLength != primary) {
        return std::nullopt;
    }
    return grouped;
}

// The decimal separator and the digits after it; gives how many digits there were.
std::int64_t readFractionDigits(Cursor& cursor, const RegionalSettings& settings) {
    std::int64_t fractionDigits = 0;
    if (cursor.accept(settings.decimalSeparator)) {
        while (cursor.peekDigit()) {
            cursor.take();
            ++fractionDigits;
        }
    }
    return fractionDigits;
}

// "E" or "e", a sign, and at least one digit; false when the digits are missing. A text with no
// exponent is fine as it is.
bool readExponent(Cursor& cursor, WrittenNumber& written) {
    if (cursor.peek() != 'E' && cursor.peek() != 'e') {
        return true;
    }
    cursor.take();
    const bool exponentNegative = cursor.accept("-");
    if (!exponentNegative) {
        cursor.accept("+");
    }
    if (!cursor.peekDigit()) {
        return false;
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
    return true;
}

} // namespace

ParsedNumber parseNumber(std::string_view text, const RegionalSettings& settings) {
    constexpr ParsedNumber notANumber{0.0, ParseError::NotANumber};
    if (const auto plain = readPlainDigits(text, settings)) {
        return {*plain, ParseError::None};
    }
    Cursor cursor{text};
    cursor.skipBlanks();

    WrittenNumber written;
    readSignAndSymbol(cursor, settings, written);

    const std::size_t start = cursor.position();
    const std::optional<bool> grouped = readIntegerDigits(cursor, settings, written);
    if (!grouped) {
        return notANumber;
    }
    const std::int64_t fractionDigits = readFractionDigits(cursor, settings);
    if (written.integerDigits + fractionDigits == 0) {
        return notANumber;
    }
    written.mantissa = text.substr(start, cursor.position() - start);
    if (!readExponent(cursor, written)) {
        return notANumber;
    }
    written.number = text.substr(start, cursor.position() - start);

    cursor.skipBlanks();
    if (!cursor.atEnd()) {
        return notANumber;
    }
    written.plain = !*grouped && (fractionDigits == 0 || settings.decimalSeparator == ".");
    return convert(written);
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

// Appends a run of integer digits with the regional group separators between the groups.
void appendGrouped(std::string& out, std::string_view digits, const RegionalSettings& settings) {
    const auto primary = static_cast<std::size_t>(std::max(settings.primaryGroupSize, 0));
    const auto secondary = settings.secondaryGroupSize > 0
                               ? static_cast<std::size_t>(settings.secondaryGroupSize)
                               : primary;
    const auto minimum = static_cast<std::size_t>(std::max(settings.minimumGroupingDigits, 1));
    if (primary == 0 || settings.groupSeparator.empty() || digits.size() < primary + minimum) {
        out.append(digits);
        return;
    }
    // Cut points counted from the right: the primary group, then secondary groups.
    const std::size_t firstCut = digits.size() - primary;
    std::size_t head = firstCut % secondary;
    if (head == 0) {
        head = secondary;
    }
    out.append(digits.substr(0, head));
    for (std::size_t pos = head; pos < firstCut; pos += secondary) {
        out += settings.groupSeparator;
        out.append(digits.substr(pos, secondary));
    }
    out += settings.groupSeparator;
    out.append(digits.substr(firstCut));
}

// Appends integer digits, the decimal separator and the fraction: "1,234.50".
void appendFixed(std::string& out, std::string_view digits, std::size_t fractionDigits,
                 const RegionalSettings& settings) {
    const std::size_t integerLength = digits.size() - fractionDigits;
    appendGrouped(out, digits.substr(0, integerLength), settings);
    if (fractionDigits > 0) {
        out += settings.decimalSeparator;
        out.append(digits.substr(integerLength));
    }
}

// Adds one to a run of decimal digits in place, growing it on a carry out of the first digit.
void incrementDigits(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
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

std::optional<std::string> numberText(double x, const RegionalSettings& settings) {
    if (!std::isfinite(x)) {
        return std::nullopt;
    }
    if (x == 0.0) {
        return "0"; // negative zero too: a sign on nothing would only confuse
    }
    const SignificantDigits sig = significantDigits(std::fabs(x));
    std::string_view digits{sig.digits.data(), sig.digits.size()};
    while (digits.size() > 1 && digits.back() == '0') {
        digits.remove_suffix(1);
    }

    std::string out = x < 0.0 ? settings.negativeSign : std::string{};
    const int e = sig.exponent;
    if (e < -4 || e >= 15) {
        out += digits.front();
        if (digits.size() > 1) {
            out += settings.decimalSeparator;
            out.append(digits.substr(1));
        }
        out += e < 0 ? "E-" : "E+";
        const int magnitude = std::abs(e);
        if (magnitude < 10) {
            out += '0';
        }
        out += std::to_string(magnitude);
    } else if (e >= 0) {
        const auto integerDigits = static_cast<std::size_t>(e) + 1;
        if (digits.size() <= integerDigits) {
            out.append(digits);
            out.append(integerDigits - digits.size(), '0');
        } else {
            out.append(digits.substr(0, integerDigits));
            out += settings.decimalSeparator;
            out.append(digits.substr(integerDigits));
        }
    } else {
        out += '0';
        out += settings.decimalSeparator;
        out.append(static_cast<std::size_t>(-e - 1), '0');
        out.append(digits);
    }
    return out;
}

std::string currencyText(Currency amount, const RegionalSettings& settings) {
    const int decimals = std::clamp(settings.currencyDecimals, 0, 4);
    const auto divisor = static_cast<std::int64_t>(powerOfTen(4 - decimals));
    // Round to the shown decimals, an exact half away from zero, without leaving int64.
    std::int64_t shown = amount.units() / divisor;
    const std::int64_t rest = amount.units() % divisor;
    if (2 * rest >= divisor) {
        ++shown;
    } else if (2 * rest <= -divisor) {
        --shown;
    }
    const bool negative = shown < 0;
    const std::uint64_t magnitude = negative ? std::uint64_t{0} - static_cast<std::uint64_t>(shown)
                                             : static_cast<std::uint64_t>(shown);

    // Written with room in front for the zeros that "0.50" needs.
    const auto fractionDigits = static_cast<std::size_t>(decimals);
    std::array<char, 32> buffer{};
    char* const start = buffer.data() + 8;
    char* first = start;
    const char* const end = std::to_chars(start, buffer.data() + buffer.size(), magnitude).ptr;
    while (static_cast<std::size_t>(end - first) <= fractionDigits) {
        *--first = '0';
    }
    const std::string_view digits{first, static_cast<std::size_t>(end - first)};

    constexpr std::string_view symbolMark = "¤";
    const std::string_view pattern =
        negative ? settings.currencyNegativePattern : settings.currencyPositivePattern;
    std::string out;
    for (std::size_t i = 0; i < pattern.size();) {
        if (pattern.substr(i, symbolMark.size()) == symbolMark) {
            out += settings.currencySymbol;
            i += symbolMark.size();
        } else if (pattern[i] == '#') {
            appendFixed(out, digits, fractionDigits, settings);
            ++i;
        } else {
            out += pattern[i++];
        }
    }
    return out;
}

std::optional<std::string> percentText(double x, int decimals, const RegionalSettings& settings) {
    if (decimals < 0 || !std::isfinite(x)) {
        return std::nullopt;
    }
    const double p = x * 100.0;
    if (!std::isfinite(p)) {
        return std::nullopt;
    }
    // N = |p| written to 15 digits, times 10^decimals, rounded half away from zero.
    std::string scaled;
    if (p != 0.0) {
        const SignificantDigits sig = significantDigits(std::fabs(p));
        const std::string_view digits{sig.digits.data(), sig.digits.size()};
        const int shift = sig.exponent - 14 + decimals; // N = digits × 10^shift
        if (shift >= 0) {
            scaled.assign(digits);
            scaled.append(static_cast<std::size_t>(shift), '0');
        } else if (shift >= -15) {
            const auto kept = static_cast<std::size_t>(15 + shift);
            scaled.assign(digits.substr(0, kept));
            if (digits[kept] >= '5') {
                incrementDigits(scaled);
            }
        }
    }
    const auto fractionDigits = static_cast<std::size_t>(decimals);
    if (scaled.size() <= fractionDigits) {
        scaled.insert(0, fractionDigits + 1 - scaled.size(), '0');
    }
    const bool isZero = scaled.find_first_not_of('0') == std::string::npos;

    std::string out = (p < 0.0 && !isZero) ? settings.negativeSign : std::string{};
    appendFixed(out, scaled, fractionDigits, settings);
    out += settings.percentSign;
    return out;
}

} // namespace veltrane
