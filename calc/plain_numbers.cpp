#include "calc/plain_numbers.h"

#include "calc/number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>

namespace veltrane {

RegionalSettings plainSettings(int currencyDecimals) {
    return {.decimalSeparator = ".",
            .groupSeparator = "",
            .primaryGroupSize = 0,
            .negativeSign = "-",
            .positiveSign = "+",
            .percentSign = "",
            .currencySymbol = "",
            .currencyDecimals = currencyDecimals,
            .currencyPositivePattern = "#",
            .currencyNegativePattern = "-#",
            .moneyDecimalSeparator = ".",
            .moneyGroupSeparator = "",
            .moneyPrimaryGroupSize = 0};
}

namespace {

// An input as the plain settings read it to the very same double: the shortest digits that
// give it back. A text that is no number stays one, and an overflow stays an overflow.
std::string plainInput(std::string_view text, const RegionalSettings& settings) {
    const ParsedNumber parsed = parseNumber(text, settings);
    if (parsed.error == ParseError::NotANumber) {
        return {};
    }
    if (parsed.error == ParseError::Overflow) {
        return "1E999";
    }
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), parsed.value);
    return {buffer.data(), result.ptr};
}

} // namespace

void calculatePlainly(const FieldAccess& inputs, const RegionalSettings& settings,
                      FieldAccess& plain) {
    for (const Field field : inputFields) {
        plain.setText(field, plainInput(inputs.text(field), settings));
    }
    CalculateIt(plain, plainSettings());
    const std::string ratio = plain.text(Field::intDivideIntoCost);
    if (!ratio.empty()) {
        plain.setText(Field::intDivideIntoCost, withDecimals(ratio, 3));
    }
}

std::string withDecimals(std::string_view plainNumber, int places) {
    std::string sign;
    if (!plainNumber.empty() && plainNumber.front() == '-') {
        sign = "-";
        plainNumber.remove_prefix(1);
    }
    // Digits and the place of the point among them, whatever form the text has.
    std::string digits;
    long point = -1;
    long exponent = 0;
    const std::size_t e = plainNumber.find('E');
    if (e != std::string_view::npos) {
        exponent = std::strtol(std::string{plainNumber.substr(e + 1)}.c_str(), nullptr, 10);
        plainNumber = plainNumber.substr(0, e);
    }
    for (const char c : plainNumber) {
        if (c == '.') {
            point = static_cast<long>(digits.size());
        } else {
            digits.push_back(c);
        }
    }
    if (point < 0) {
        point = static_cast<long>(digits.size());
    }
    point += exponent;
    if (point <= 0) {
        digits.insert(0, static_cast<std::size_t>(1 - point), '0');
        point = 1;
    }
    const long fraction = static_cast<long>(digits.size()) - point;
    if (fraction < places) {
        digits.append(static_cast<std::size_t>(places - fraction), '0');
    }
    const auto integerDigits = static_cast<std::size_t>(point);
    std::string out = sign + digits.substr(0, integerDigits);
    if (digits.size() > integerDigits) {
        out.append(".").append(digits.substr(integerDigits));
    }
    return out;
}

std::string inPlainForm(std::string_view plainNumber, PlainForm form, bool percent) {
    std::string out{plainNumber};
    if (out.empty()) {
        return out;
    }
    if (percent && form.percentAsFraction) {
        const std::size_t point = out.find('.');
        const int decimals =
            point == std::string::npos ? 0 : static_cast<int>(out.size() - point - 1);
        out = withDecimals(out.append("E-2"), decimals + 2);
    }
    if (form.decimalSeparator != '.') {
        std::replace(out.begin(), out.end(), '.', form.decimalSeparator);
    }
    return out;
}

void reshapePlainResults(FieldAccess& plain, PlainForm form) {
    if (form.isDefault()) {
        return;
    }
    for (const Field field : resultFields) {
        plain.setText(field, inPlainForm(plain.text(field), form, field == Field::pctReturn));
    }
}

} // namespace veltrane
