// Reading number texts: parseNumber and isNumeric of calc/number_text.h.
#include "calc/decimal_digits.h"
#include "calc/number_text.h"
#include "calc/typed_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <string>
#include <system_error>

namespace veltrane {

namespace {

using typed::isBlank;
using typed::isDigit;

// What people type is short and plain: past this many bytes a text takes the longer road.
constexpr std::size_t plainLimit = 40;

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

// The plain texts of readPlainDigits with at most 15 digits, read in the one pass that checks
// them: the digits as a whole number, divided once by a power of ten. Both are doubles exactly
// (below 10^15 and up to 10^22), so the one rounding of the division gives the double nearest
// the decimal, which is what from_chars gives. Nothing for any other text, which then takes
// the longer road.
std::optional<double> readShortPlainDigits(std::string_view text,
                                           const RegionalSettings& settings) {
    constexpr std::size_t shortLimit = 16; // 15 digits and a point at most
    if (text.empty() || text.size() > shortLimit) {
        return std::nullopt;
    }
    const char* at = text.data();
    const char* const end = at + text.size();
    std::uint64_t whole = 0;
    const auto readDigits = [&] {
        for (; at != end; ++at) {
            const auto d = static_cast<unsigned>(static_cast<unsigned char>(*at)) - unsigned{'0'};
            if (d > 9) {
                return;
            }
            whole = whole * 10 + d;
        }
    };
    readDigits();
    std::size_t fraction = 0;
    const bool point = at != end;
    if (point) {
        const bool pointIsDot =
            settings.decimalSeparator.size() == 1 && settings.decimalSeparator[0] == '.';
        if (*at != '.' || !pointIsDot) {
            return std::nullopt;
        }
        const char* const fractionStart = ++at;
        readDigits();
        if (at != end) {
            return std::nullopt;
        }
        fraction = static_cast<std::size_t>(end - fractionStart);
    }
    // Every byte is a digit but the point, if there is one.
    const std::size_t digits = text.size() - (point ? 1U : 0U);
    if (digits == 0 || digits > 15) {
        return std::nullopt;
    }
    // A whole number needs no division, whose wait is most of the time a short text takes.
    if (fraction == 0) {
        return static_cast<double>(whole);
    }
    return static_cast<double>(whole) / digits::exactPowersOfTen[fraction];
}

// How numbers or money are grouped and pointed: the one part of the settings that differs
// between LC_NUMERIC and LC_MONETARY.
struct Separators {
    std::string_view decimal;
    std::string_view group;
    int primary;
    int secondary;
    int minimum;
};

Separators numberSeparators(const RegionalSettings& settings) {
    return {settings.decimalSeparator, settings.groupSeparator, settings.primaryGroupSize,
            settings.secondaryGroupSize, settings.minimumGroupingDigits};
}

Separators moneySeparators(const RegionalSettings& settings) {
    return {settings.moneyDecimalSeparator, settings.moneyGroupSeparator,
            settings.moneyPrimaryGroupSize, settings.moneySecondaryGroupSize,
            settings.moneyMinimumGroupingDigits};
}

// The blanks people type where a locale writes one: a space, a no-break space, a narrow one.
constexpr std::array<std::string_view, 3> typedBlanks{" ", "\u00a0", "\u202f"};

bool isTypedBlank(std::string_view token) {
    return std::find(typedBlanks.begin(), typedBlanks.end(), token) != typedBlanks.end();
}

// Consumes a group separator followed by a digit; where the locale groups with a blank, any of
// the blanks people type will do.
bool acceptGroup(Cursor& cursor, std::string_view group) {
    if (cursor.tokenThenDigit(group)) {
        return cursor.accept(group);
    }
    if (!isTypedBlank(group)) {
        return false;
    }
    for (const std::string_view blank : typedBlanks) {
        if (cursor.tokenThenDigit(blank)) {
            return cursor.accept(blank);
        }
    }
    return false;
}

constexpr ParsedNumber notANumber{0.0, ParseError::NotANumber};

// An exponent after the mantissa, if one is written: "E", a sign, digits (clamped). False for
// an "E" without digits.
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

// The integer digits with their group separators. Group separators stand only between digits
// of the integer part, where the regional grouping puts them: under German rules "28.50" is a
// slip of the keyboard, not 2850. False when the groups are wrong.
bool readIntegerDigits(Cursor& cursor, const Separators& separators, WrittenNumber& written,
                       bool& grouped) {
    const std::int64_t primary = separators.primary;
    const std::int64_t secondary = separators.secondary > 0 ? separators.secondary : primary;
    std::int64_t groupLength = 0;
    while (cursor.peekDigit()) {
        cursor.take();
        ++written.integerDigits;
        ++groupLength;
        if (primary > 0 && acceptGroup(cursor, separators.group)) {
            if (grouped ? groupLength != secondary : groupLength > secondary) {
                return false;
            }
            grouped = true;
            groupLength = 0;
        }
    }
    return !grouped || groupLength == primary;
}

// The unsigned number at the cursor: digits with group separators, a decimal part, an exponent.
// False when there is none or its groups are wrong.
bool readUnsigned(Cursor& cursor, std::string_view text, const Separators& separators,
                  WrittenNumber& written) {
    const std::size_t start = cursor.position();
    bool grouped = false;
    if (!readIntegerDigits(cursor, separators, written, grouped)) {
        return false;
    }
    std::int64_t fractionDigits = 0;
    if (cursor.accept(separators.decimal)) {
        while (cursor.peekDigit()) {
            cursor.take();
            ++fractionDigits;
        }
    }
    if (written.integerDigits + fractionDigits == 0) {
        return false;
    }
    written.mantissa = text.substr(start, cursor.position() - start);
    if (!readExponent(cursor, written)) {
        return false;
    }
    written.number = text.substr(start, cursor.position() - start);
    written.plain = !grouped && (fractionDigits == 0 || separators.decimal == ".");
    return true;
}

// Blanks, a sign, the currency symbol (in a money text), the number, blanks.
ParsedNumber parseSigned(std::string_view text, const RegionalSettings& settings, bool money) {
    Cursor cursor{text};
    cursor.skipBlanks();
    WrittenNumber written;
    if (cursor.accept("-") || cursor.accept(settings.negativeSign)) {
        written.negative = true;
    } else if (!cursor.accept("+")) {
        cursor.accept(settings.positiveSign);
    }
    if (money) {
        cursor.accept(settings.currencySymbol);
    }
    if (!readUnsigned(cursor, text, money ? moneySeparators(settings) : numberSeparators(settings),
                      written)) {
        return notANumber;
    }
    cursor.skipBlanks();
    if (!cursor.atEnd()) {
        return notANumber;
    }
    return convert(written);
}

// Consumes a minus sign where `affix` has the locale's (in its own form too): the locale's or the
// keyboard's. Nothing is consumed, and true returned, when the affix has no sign here.
bool acceptAffixSign(Cursor& cursor, std::string_view& affix, const RegionalSettings& settings,
                     bool& matched) {
    for (const std::string_view sign :
         {std::string_view{settings.nativeNegativeSign}, std::string_view{settings.negativeSign}}) {
        if (!sign.empty() && affix.starts_with(sign)) {
            affix.remove_prefix(sign.size());
            matched = true;
            return cursor.accept(sign) || cursor.accept("-");
        }
    }
    return true;
}

// Consumes any run of typed blanks, or none, where `affix` has a blank.
bool acceptAffixBlank(Cursor& cursor, std::string_view& affix) {
    for (const std::string_view blank : typedBlanks) {
        if (affix.starts_with(blank)) {
            affix.remove_prefix(blank.size());
            while (cursor.accept(" ") || cursor.accept("\u00a0") || cursor.accept("\u202f")) {
            }
            return true;
        }
    }
    return false;
}

// Consumes the text a money pattern has around the amount: the symbol for "¤", the minus sign
// as the locale or the keyboard writes it, any run of typed blanks (or none) for a blank, and
// every other character as it stands.
bool acceptAffix(Cursor& cursor, std::string_view affix, const RegionalSettings& settings) {
    constexpr std::string_view symbolMark = "¤";
    while (!affix.empty()) {
        if (affix.starts_with(symbolMark)) {
            affix.remove_prefix(symbolMark.size());
            if (!cursor.accept(settings.currencySymbol)) {
                return false;
            }
            continue;
        }
        bool sign = false;
        if (!acceptAffixSign(cursor, affix, settings, sign)) {
            return false;
        }
        if (sign || acceptAffixBlank(cursor, affix)) {
            continue;
        }
        if (cursor.peek() != affix.front()) {
            return false;
        }
        cursor.take();
        affix.remove_prefix(1);
    }
    return true;
}

// A money text as the program writes it under these settings: "($125.00)", "1.234,50 €".
ParsedNumber parseMoneyPattern(std::string_view text, const RegionalSettings& settings,
                               std::string_view pattern, bool negative) {
    const std::size_t amountAt = pattern.find('#');
    if (amountAt == std::string_view::npos) {
        return notANumber;
    }
    Cursor cursor{text};
    cursor.skipBlanks();
    WrittenNumber written;
    written.negative = negative;
    if (!acceptAffix(cursor, pattern.substr(0, amountAt), settings) ||
        !readUnsigned(cursor, text, moneySeparators(settings), written) ||
        !acceptAffix(cursor, pattern.substr(amountAt + 1), settings)) {
        return notANumber;
    }
    cursor.skipBlanks();
    return cursor.atEnd() ? convert(written) : notANumber;
}

// The text with a locale's own digits, separators and minus sign in the form the settings read.
std::string withLatinDigits(std::string_view text, const RegionalSettings& settings, bool money) {
    std::string out;
    const std::string_view zero = settings.nativeZeroDigit;
    const std::string_view decimal =
        money ? settings.moneyDecimalSeparator : settings.decimalSeparator;
    const std::string_view group = money ? settings.moneyGroupSeparator : settings.groupSeparator;
    for (std::size_t i = 0; i < text.size();) {
        const std::string_view rest = text.substr(i);
        // The ten digits are ten code points in a row, alike in all but the last byte.
        if (rest.size() >= zero.size() &&
            rest.substr(0, zero.size() - 1) == zero.substr(0, zero.size() - 1)) {
            const int offset = static_cast<unsigned char>(rest[zero.size() - 1]) -
                               static_cast<unsigned char>(zero.back());
            if (offset >= 0 && offset <= 9) {
                out.push_back(static_cast<char>('0' + offset));
                i += zero.size();
                continue;
            }
        }
        if (!settings.nativeDecimalSeparator.empty() &&
            rest.starts_with(settings.nativeDecimalSeparator)) {
            out.append(decimal);
            i += settings.nativeDecimalSeparator.size();
        } else if (!settings.nativeGroupSeparator.empty() &&
                   rest.starts_with(settings.nativeGroupSeparator)) {
            out.append(group);
            i += settings.nativeGroupSeparator.size();
        } else if (!settings.nativeNegativeSign.empty() &&
                   rest.starts_with(settings.nativeNegativeSign)) {
            out.push_back('-');
            i += settings.nativeNegativeSign.size();
        } else {
            out.push_back(text[i++]);
        }
    }
    return out;
}

ParsedNumber parseLatin(std::string_view text, const RegionalSettings& settings, bool money) {
    const ParsedNumber signedForm = parseSigned(text, settings, money);
    if (!money || signedForm.error != ParseError::NotANumber) {
        return signedForm;
    }
    const ParsedNumber negative =
        parseMoneyPattern(text, settings, settings.currencyNegativePattern, true);
    if (negative.error != ParseError::NotANumber) {
        return negative;
    }
    return parseMoneyPattern(text, settings, settings.currencyPositivePattern, false);
}

// The whole grammar, for texts that are not plain digits. Kept out of line so that the plain
// case, nearly every text, pays for none of it. A text with the currency symbol is money, read
// with the money separators.
[[gnu::noinline]] ParsedNumber parseWritten(std::string_view text,
                                            const RegionalSettings& settings) {
    const bool money = !settings.currencySymbol.empty() &&
                       text.find(settings.currencySymbol) != std::string_view::npos;
    if (!settings.nativeZeroDigit.empty()) {
        return parseLatin(withLatinDigits(text, settings, money), settings, money);
    }
    return parseLatin(text, settings, money);
}

} // namespace

ParsedNumber parseNumber(std::string_view text, const RegionalSettings& settings) {
    if (const auto plain = readShortPlainDigits(text, settings)) {
        return {*plain, ParseError::None};
    }
    if (const auto plain = readPlainDigits(text, settings)) {
        return {*plain, ParseError::None};
    }
    return parseWritten(text, settings);
}

bool isNumeric(std::string_view text, const RegionalSettings& settings) {
    return parseNumber(text, settings).ok();
}

} // namespace veltrane
