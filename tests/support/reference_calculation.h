#pragma once

#include "calc/calculation.h"
#include "calc/currency.h"
#include "calc/number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

// The calculation as it first stood: every input read afresh when a step needs it (the shares
// three times, the months up to twelve times) and the ratio read back from its field. Kept only
// so the tests and the fuzzer can hold the shipped calculation to the very same results.
// Left exactly as it was written, lint findings and all, so the comparison means something.
// NOLINTBEGIN
namespace veltrane::reference {

// The number, currency and percent texts as they were first written, building each text in a
// string; the shipped ones now write in place.
namespace formats {

inline double powerOfTen(int n) {
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

inline SignificantDigits significantDigits(double magnitude) {
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
inline void appendGrouped(std::string& out, std::string_view digits,
                          const RegionalSettings& settings) {
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
inline void appendFixed(std::string& out, std::string_view digits, std::size_t fractionDigits,
                        const RegionalSettings& settings) {
    const std::size_t integerLength = digits.size() - fractionDigits;
    appendGrouped(out, digits.substr(0, integerLength), settings);
    if (fractionDigits > 0) {
        out += settings.decimalSeparator;
        out.append(digits.substr(integerLength));
    }
}

// Adds one to a run of decimal digits in place, growing it on a carry out of the first digit.
inline void incrementDigits(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

inline std::optional<std::string> numberText(double x, const RegionalSettings& settings) {
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

// Money is grouped and pointed by its own separators (LC_MONETARY), not the numbers'.
inline RegionalSettings moneyAsNumbers(const RegionalSettings& settings) {
    RegionalSettings money = settings;
    money.decimalSeparator = settings.moneyDecimalSeparator;
    money.groupSeparator = settings.moneyGroupSeparator;
    money.primaryGroupSize = settings.moneyPrimaryGroupSize;
    money.secondaryGroupSize = settings.moneySecondaryGroupSize;
    money.minimumGroupingDigits = settings.moneyMinimumGroupingDigits;
    return money;
}

inline std::string currencyText(Currency amount, const RegionalSettings& settings) {
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
            appendFixed(out, digits, fractionDigits, moneyAsNumbers(settings));
            ++i;
        } else {
            out += pattern[i++];
        }
    }
    return out;
}

inline std::optional<std::string> percentText(double x, int decimals,
                                              const RegionalSettings& settings) {
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

} // namespace formats

class ReadingAfresh {
public:
    ReadingAfresh(FieldAccess& fields, const RegionalSettings& settings)
        : fields_{fields}
        , settings_{settings} {}

    void run() {
        Amount optionsRecd;
        Amount totalAssigned;
        Amount totalReceipts;
        Amount totalStockCost;
        Amount netGain;

        product(optionsRecd, Field::intOptionPrice);
        product(totalAssigned, Field::intStrikePrice);
        combine(totalReceipts, optionsRecd, totalAssigned, add);
        product(totalStockCost, Field::intCurrentPrice);
        combine(netGain, totalReceipts, totalStockCost, subtract);

        std::optional<double> divideIntoCost;
        if (netGain.known && totalStockCost.known) {
            divideIntoCost = netGain.value.toDouble() / totalStockCost.value.toDouble();
        }

        double monthsFactor = 0.0;
        bool monthsReadable = false;
        for (const MonthsRow& row : monthsTable) {
            const ParsedNumber months = num(Field::cboMonthsOut);
            if (!months.ok()) {
                continue;
            }
            monthsReadable = true;
            if (months.value == row.months) {
                monthsFactor = row.factor;
                break;
            }
        }

        writeAmount(Field::intOptionsRecd, optionsRecd);
        writeAmount(Field::intTotalAssigned, totalAssigned);
        writeAmount(Field::intTotalReceipts, totalReceipts);
        writeAmount(Field::intTotalStockCost, totalStockCost);
        writeAmount(Field::intNetGain, netGain);
        writeRatio(divideIntoCost);

        std::optional<double> returnPct;
        if (const ParsedNumber shown = num(Field::intDivideIntoCost);
            shown.ok() && monthsReadable) {
            returnPct = shown.value * monthsFactor;
        }
        writeReturn(returnPct);
    }

private:
    struct MonthsRow {
        double months;
        double factor;
    };
    static constexpr std::array<MonthsRow, 12> monthsTable{{{8, 1.5},
                                                            {6, 2},
                                                            {1, 12},
                                                            {2, 6},
                                                            {3, 4},
                                                            {4, 3},
                                                            {5, 2.4},
                                                            {7, 1.71},
                                                            {9, 1.33},
                                                            {10, 1.2},
                                                            {11, 1.09},
                                                            {12, 1}}};

    struct Amount {
        Currency value;
        bool known = true;
    };

    ParsedNumber num(Field field) const { return parseNumber(fields_.text(field), settings_); }

    void product(Amount& target, Field price) const {
        const ParsedNumber shares = num(Field::intNoShares);
        if (shares.error == ParseError::NotANumber) {
            return;
        }
        const ParsedNumber perShare = shares.ok() ? num(price) : ParsedNumber{};
        if (perShare.error == ParseError::NotANumber) {
            return;
        }
        if (!shares.ok() || !perShare.ok()) {
            target.known = false;
            return;
        }
        const std::optional<Currency> amount = Currency::fromDouble(shares.value * perShare.value);
        if (!amount) {
            target.known = false;
            return;
        }
        target.value = *amount;
    }

    static void combine(Amount& target, const Amount& a, const Amount& b,
                        std::optional<Currency> (*operation)(Currency, Currency)) {
        const std::optional<Currency> result =
            a.known && b.known ? operation(a.value, b.value) : std::nullopt;
        if (!result) {
            target.known = false;
            return;
        }
        target.value = *result;
    }

    void writeAmount(Field field, const Amount& amount) const {
        fields_.setText(field, amount.known ? formats::currencyText(amount.value, settings_) : "");
    }

    void writeRatio(std::optional<double> ratio) const {
        std::optional<std::string> text;
        if (ratio && std::isfinite(*ratio)) {
            if (const std::optional<double> rounded = roundToPlaces(*ratio, 3)) {
                text = formats::numberText(*rounded, settings_);
            }
        }
        fields_.setText(Field::intDivideIntoCost, text.value_or(""));
    }

    void writeReturn(std::optional<double> returnPct) const {
        std::optional<std::string> text;
        if (returnPct) {
            text = formats::percentText(*returnPct, 2, settings_);
        }
        fields_.setText(Field::pctReturn, text.value_or(""));
    }

    FieldAccess& fields_;
    const RegionalSettings& settings_;
};

inline void calculateReadingAfresh(FieldAccess& fields, const RegionalSettings& settings) {
    ReadingAfresh{fields, settings}.run();
}

} // namespace veltrane::reference
// NOLINTEND
