#pragma once

#include "calc/regional_settings.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace veltrane::fuzz {

// A handful of regional settings, chosen by one input byte: the reference, separators of more
// than one byte, and separators no real locale uses.
inline const RegionalSettings& settingsFor(std::uint8_t choice) {
    static const std::array<RegionalSettings, 4> all{
        RegionalSettings{},
        RegionalSettings{.decimalSeparator = ",",
                         .groupSeparator = ".",
                         .currencySymbol = "€",
                         .currencyPositivePattern = "#\u00a0¤",
                         .currencyNegativePattern = "-#\u00a0¤",
                         .moneyDecimalSeparator = ",",
                         .moneyGroupSeparator = "."},
        RegionalSettings{.decimalSeparator = ",",
                         .groupSeparator = "\u202f",
                         .secondaryGroupSize = 2,
                         .minimumGroupingDigits = 2,
                         .negativeSign = "\u2212",
                         .currencySymbol = "CHF",
                         .currencyDecimals = 0,
                         .moneyDecimalSeparator = ",",
                         .moneyGroupSeparator = "\u202f",
                         .moneySecondaryGroupSize = 2,
                         .moneyMinimumGroupingDigits = 2},
        RegionalSettings{.decimalSeparator = "?",
                         .groupSeparator = "~~",
                         .negativeSign = "_",
                         .positiveSign = "^",
                         .percentSign = "pct",
                         .currencySymbol = "¤¤",
                         .currencyPositivePattern = "<¤#>",
                         .currencyNegativePattern = "[¤#]",
                         .moneyDecimalSeparator = "?",
                         .moneyGroupSeparator = "~~"},
    };
    return all[choice % all.size()];
}

} // namespace veltrane::fuzz
