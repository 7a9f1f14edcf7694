#pragma once

#include "calc/calculation.h"
#include "calc/regional_settings.h"

#include <string>
#include <string_view>

namespace veltrane {

// How figures are written for machines, whatever the user's locale: "." as the decimal point,
// no grouping, no currency symbol or percent sign, "-" before a negative value, money to
// `currencyDecimals` decimals (a price per share is written to four).
RegionalSettings plainSettings(int currencyDecimals = 2);

// The seven results of a position, written plainly into `plain`: the inputs are read as
// `settings` reads them and handed to the calculation in plain digits, so every figure is the
// one the user's texts show, rounded by the same core. The ratio has exactly three decimals
// ("2.000"), the return the digits of its percent text ("38.40"); an empty result stays empty.
void calculatePlainly(const FieldAccess& inputs, const RegionalSettings& settings,
                      FieldAccess& plain);

// A number text of `plainSettings()` ("0.1", "1.5E+16") written with at least `places`
// decimals and no exponent ("0.100", "15000000000000000.000"): zeros added, no digit changed.
std::string withDecimals(std::string_view plainNumber, int places);

// How plain figures are written for the spreadsheet that reads them back: its decimal separator
// ("," where fields are separated by ';'), and percentages as fractions (38.40 as 0.3840), which
// a percent format shows right.
struct PlainForm {
    char decimalSeparator = '.';
    bool percentAsFraction = false;

    bool isDefault() const { return decimalSeparator == '.' && !percentAsFraction; }
};

// A plain figure (`percent`: a percentage) in `form`: no digit changed, only the point moved
// and written as the form says. An empty text stays empty.
std::string inPlainForm(std::string_view plainNumber, PlainForm form, bool percent);

// The seven plain results of `plain` (calculatePlainly's) rewritten in `form`; the return is
// the percentage.
void reshapePlainResults(FieldAccess& plain, PlainForm form);

} // namespace veltrane
