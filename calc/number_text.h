#pragma once

#include "calc/currency.h"
#include "calc/regional_settings.h"
#include "calc/text_buffer.h"

#include <optional>
#include <string>
#include <string_view>

namespace veltrane {

enum class ParseError { None, NotANumber, Overflow };

// A plain pair rather than an optional: it is returned in registers, which the months test,
// reading the same field up to twelve times, feels.
struct ParsedNumber {
    double value = 0.0;
    ParseError error = ParseError::None;

    bool ok() const { return error == ParseError::None; }
};

// Reads a number as the user writes it: blanks, a sign, the currency symbol, digits with
// group separators, a decimal part, an exponent, blanks. The value is the double nearest to
// the decimal written; a magnitude beyond the double range is an overflow.
ParsedNumber parseNumber(std::string_view text, const RegionalSettings& settings);

// True exactly when parseNumber succeeds on the same text.
bool isNumeric(std::string_view text, const RegionalSettings& settings);

// x × 10^places, rounded half to even on the scaled value, divided back. Nothing for a value
// that is not finite or whose scaled value overflows.
std::optional<double> roundToPlaces(double x, int places);

// 15 significant digits, plain or in the exponent form ("1E+15", "1.5E-05").
// Nothing for a value that is not finite.
std::optional<std::string> numberText(double x, const RegionalSettings& settings);

// Rounded to the regional currency decimals, half away from zero, grouped, with the symbol.
// Written by MoneyLayout (calc/money_layout.h), which a caller writing many amounts keeps.
std::string currencyText(Currency amount, const RegionalSettings& settings);

// x × 100 written to 15 significant digits, rounded to `decimals` half away from zero,
// grouped, with the percent sign. Nothing for a value that is not finite or overflows.
std::optional<std::string> percentText(double x, int decimals, const RegionalSettings& settings);

// x written to 15 significant digits, rounded to `decimals` half away from zero, grouped:
// "0.532". Nothing for a value that is not finite.
std::optional<std::string> fixedText(double x, int decimals, const RegionalSettings& settings);

// The number and percent texts above, appended to `out` where they fit on the stack: the
// calculation writes two per call and needs no string for them. False, with nothing written,
// where the text above is nothing.
bool appendNumberText(TextBuffer& out, double x, const RegionalSettings& settings);
bool appendPercentText(TextBuffer& out, double x, int decimals, const RegionalSettings& settings);
bool appendFixedText(TextBuffer& out, double x, int decimals, const RegionalSettings& settings);

// appendNumberText of roundToPlaces(x, places), the digits of a short result taken from the
// rounding itself rather than worked out again.
bool appendRoundedNumberText(TextBuffer& out, double x, int places,
                             const RegionalSettings& settings);

} // namespace veltrane
