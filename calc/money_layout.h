#pragma once

#include "calc/currency.h"
#include "calc/regional_settings.h"
#include "calc/text_buffer.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace veltrane {

// The one writer of currency texts (currencyText is one amount of it). A layout kept for many
// amounts works out what they share once: the texts before and after the digits for either
// sign, the separators and the grouping. A pattern with no amount or more than one, and texts
// too long to keep ready (no locale has them), are read as they stand for each amount, as a
// single amount is. Holds views into `settings`, which must outlive it.
class MoneyLayout {
public:
    // Texts around the digits up to this long are kept ready; longer ones are read from the
    // pattern for each amount, as are separators longer than separatorLimit.
    static constexpr std::size_t affixLimit = 32;
    static constexpr std::size_t separatorLimit = 8;
    // Where a text is built: room for the affixes, the 19 digits of an int64 and 18 separators
    // and the point, and the affix block copied in whole before the digits.
    using Room = std::array<char, 3 * affixLimit + 19 + 19 * separatorLimit>;

    explicit MoneyLayout(const RegionalSettings& settings);

    // The text of `amount`, built in `room` (or, the long way, in `spill`); valid while both are.
    std::string_view text(Currency amount, Room& room, TextBuffer& spill) const;

    void append(TextBuffer& out, Currency amount) const;

    // One amount with no layout kept, the pattern read as it stands: for a single text this
    // costs less than working out a layout first.
    static void appendOne(TextBuffer& out, Currency amount, const RegionalSettings& settings);

    // The settings it was made from.
    const RegionalSettings& settings() const { return settings_; }

private:
    // How the digits are written: the decimals shown, the point and the grouping.
    struct Digits {
        explicit Digits(const RegionalSettings& settings);

        // The magnitude's digits with the point and group separators, ending at `last`; gives
        // where they start.
        char* write(std::uint64_t magnitude, char* last) const;
        template <typename Unsigned>
        char* writeAs(Unsigned magnitude, char* last) const;
        // The most bytes write() takes.
        std::size_t most() const;

        int decimals = 2;
        std::string_view point;
        std::string_view group;
        unsigned primary = 0;
        unsigned secondary = 0;
        // Integer parts from this value up are grouped; none are when `grouping` is false.
        std::uint64_t groupedFrom = 0;
        bool grouping = false;
    };

    // The bytes one side of the digits, right-aligned in `bytes` so that the whole block can be
    // copied at once and the digits written over what is left of it.
    struct Affix {
        std::array<char, affixLimit> bytes{};
        std::size_t size = 0;

        // Adds `text` on the right while it fits; false where it does not.
        bool add(std::string_view text);
        // Moves what was added to the right end of the block.
        void alignRight();
    };
    struct Sides {
        Affix before;
        Affix after;
    };

    // The text of `amount` with the pattern read as it stands.
    static void appendAsWritten(TextBuffer& out, Currency amount, const RegionalSettings& settings,
                                const Digits& digits);
    // False for a pattern this layout does not keep ready (no "#" or more than one, or an affix
    // too long): those amounts are written as the pattern stands.
    bool split(std::string_view pattern, Sides& sides) const;

    const RegionalSettings& settings_;
    Digits digits_;
    Sides negative_;
    Sides positive_;
    bool prepared_ = false;
};

} // namespace veltrane
