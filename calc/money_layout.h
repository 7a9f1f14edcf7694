#pragma once

#include "calc/currency.h"
#include "calc/regional_settings.h"
#include "calc/text_buffer.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace veltrane {

// The currency text of the regional settings, with what every amount shares worked out once:
// the texts before and after the digits for either sign, the separators and the grouping.
// Writes exactly what appendCurrencyText writes. Holds views into `settings`, which must
// outlive it.
class MoneyLayout {
public:
    // Texts around the digits up to this long are kept ready; longer ones (no locale has them)
    // are written the long way, as are separators longer than separatorLimit.
    static constexpr std::size_t affixLimit = 32;
    static constexpr std::size_t separatorLimit = 8;
    // Where a text is built: room for the affixes, the 19 digits of an int64 and 18 separators
    // and the point, and the affix block copied in whole before the digits.
    using Room = std::array<char, 3 * affixLimit + 19 + 19 * separatorLimit>;

    explicit MoneyLayout(const RegionalSettings& settings);

    // The text of `amount`, built in `room` (or, the long way, in `spill`); valid while both are.
    std::string_view text(Currency amount, Room& room, TextBuffer& spill) const;

    void append(TextBuffer& out, Currency amount) const;

    // The settings it was made from.
    const RegionalSettings& settings() const { return settings_; }

private:
    // The bytes one side of the digits, right-aligned in `bytes` so that the whole block can be
    // copied at once and the digits written over what is left of it.
    struct Affix {
        std::array<char, affixLimit> bytes{};
        std::size_t size = 0;
    };
    struct Sides {
        Affix before;
        Affix after;
    };

    // False for a pattern this layout does not cover (no "#" or more than one, or an affix too
    // long): those amounts are written the long way.
    bool split(std::string_view pattern, Sides& sides) const;
    template <typename Unsigned>
    char* writeDigits(Unsigned magnitude, char* last) const;

    const RegionalSettings& settings_;
    int decimals_ = 2;
    std::string_view decimal_;
    std::string_view group_;
    unsigned primary_ = 0;
    unsigned secondary_ = 0;
    // Integer parts from this value up are grouped; none are when `grouping_` is false.
    std::uint64_t groupedFrom_ = 0;
    bool grouping_ = false;
    Sides negative_;
    Sides positive_;
    bool prepared_ = false;
};

} // namespace veltrane
