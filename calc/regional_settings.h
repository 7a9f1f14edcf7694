#pragma once

#include <string>

namespace veltrane {

// The order of a date's parts when the user writes it in figures alone.
enum class DateOrder { isoOnly, dayMonthYear, monthDayYear, yearMonthDay };

// How numbers and money are written where the user lives. Texts are UTF-8, so a separator
// may be more than one byte (a no-break space, say). The defaults are US English.
struct RegionalSettings {
    std::string decimalSeparator = ".";
    std::string groupSeparator = ",";
    // Digits in the group next to the separator, and in every group further left.
    int primaryGroupSize = 3;
    int secondaryGroupSize = 3;
    // The fewest integer digits for which grouping is applied at all (Spanish waits for 5).
    int minimumGroupingDigits = 1;
    std::string negativeSign = "-";
    std::string positiveSign = "+";
    std::string percentSign = "%";

    std::string currencySymbol = "$";
    int currencyDecimals = 2;
    // Money patterns: "¤" stands for the symbol, "#" for the unsigned amount.
    std::string currencyPositivePattern = "¤#";
    std::string currencyNegativePattern = "(¤#)";

    // Money's own separators and grouping: LC_MONETARY may name another locale than LC_NUMERIC.
    std::string moneyDecimalSeparator = ".";
    std::string moneyGroupSeparator = ",";
    int moneyPrimaryGroupSize = 3;
    int moneySecondaryGroupSize = 3;
    int moneyMinimumGroupingDigits = 1;

    // A locale whose own digits are not ASCII (Arabic, Persian) is written with ASCII digits and
    // the separators above, and read in that form or in its own: its zero digit (UTF-8; the other
    // nine follow it), separators and minus sign. Empty where the locale's digits are ASCII.
    std::string nativeZeroDigit{};
    std::string nativeDecimalSeparator{};
    std::string nativeGroupSeparator{};
    std::string nativeNegativeSign{};

    // How the user's short dates are written, as a Qt date pattern ("M/d/yy", "dd.MM.yy").
    std::string shortDatePattern = "M/d/yy";

    // How a date typed as text (the command line, CSV) may be written besides YYYY-MM-DD: the
    // short date form in figures, its parts in this order between separators, an ending after
    // the last part ("." in hu_HU), and "03" rather than "3" for March in its examples.
    // isoOnly where the locale has no such form (C writes a month's name).
    DateOrder dateOrder = DateOrder::monthDayYear;
    std::string dateSeparator = "/";
    std::string dateEnding{};
    bool datePadded = false;

    friend bool operator==(const RegionalSettings&, const RegionalSettings&) = default;
};

} // namespace veltrane
