#include "calc/money_layout.h"

#include "calc/decimal_digits.h"
#include "calc/number_text.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace veltrane {

namespace {

constexpr std::string_view symbolMark = "¤";
static_assert(symbolMark.size() == 2, "the symbol mark is two bytes of UTF-8");

// Separators are mostly one byte: spare those the call a general copy would make.
char* putBefore(std::string_view text, char* last) {
    if (text.size() == 1) {
        *--last = text.front();
        return last;
    }
    last -= text.size();
    std::memcpy(last, text.data(), text.size());
    return last;
}

} // namespace

MoneyLayout::MoneyLayout(const RegionalSettings& settings)
    : settings_{settings}
    , decimals_{std::clamp(settings.currencyDecimals, 0, 4)}
    , decimal_{settings.moneyDecimalSeparator}
    , group_{settings.moneyGroupSeparator} {
    const int primary = std::max(settings.moneyPrimaryGroupSize, 0);
    const int secondary =
        settings.moneySecondaryGroupSize > 0 ? settings.moneySecondaryGroupSize : primary;
    const int minimum = std::max(settings.moneyMinimumGroupingDigits, 1);
    // An int64 has at most 19 digits: grouping that would start at 20 never happens.
    constexpr int digitsAtMost = 19;
    grouping_ = primary > 0 && !group_.empty() && primary < digitsAtMost &&
                minimum < digitsAtMost && primary + minimum <= digitsAtMost;
    if (grouping_) {
        primary_ = static_cast<unsigned>(primary);
        secondary_ = static_cast<unsigned>(std::min(secondary, digitsAtMost));
        groupedFrom_ = 1;
        for (int i = 1; i < primary + minimum; ++i) {
            groupedFrom_ *= 10;
        }
    }
    prepared_ = decimal_.size() <= separatorLimit && group_.size() <= separatorLimit &&
                split(settings.currencyNegativePattern, negative_) &&
                split(settings.currencyPositivePattern, positive_);
}

// The pattern walked once from the right: the text after "#", then the text before it, each
// right-aligned in its block. "¤" is the symbol and every other byte itself, as
// appendCurrencyText reads the pattern from the left: the marks found are the same, since two
// cannot overlap and "#" is no byte of one.
bool MoneyLayout::split(std::string_view pattern, Sides& sides) const {
    const std::string_view symbol = settings_.currencySymbol;
    Affix* affix = &sides.after;
    char* at = affix->bytes.data() + affixLimit;
    bool hash = false;
    for (std::size_t i = pattern.size(); i > 0;) {
        const char c = pattern[i - 1];
        if (c == '#') {
            if (hash) {
                return false;
            }
            hash = true;
            affix->size = static_cast<std::size_t>(affix->bytes.data() + affixLimit - at);
            affix = &sides.before;
            at = affix->bytes.data() + affixLimit;
            --i;
        } else if (c == symbolMark[1] && i >= 2 && pattern[i - 2] == symbolMark[0]) {
            if (symbol.size() > static_cast<std::size_t>(at - affix->bytes.data())) {
                return false;
            }
            at = putBefore(symbol, at);
            i -= 2;
        } else {
            if (at == affix->bytes.data()) {
                return false;
            }
            *--at = c;
            --i;
        }
    }
    affix->size = static_cast<std::size_t>(affix->bytes.data() + affixLimit - at);
    return hash;
}

// The magnitude's digits with the decimal point and group separators, ending at `last`.
template <typename Unsigned>
char* MoneyLayout::writeDigits(Unsigned magnitude, char* last) const {
    Unsigned rest = magnitude;
    if (decimals_ == 2) {
        last = digits::putPair(rest % 100, last);
        rest /= 100;
        last = putBefore(decimal_, last);
    } else if (decimals_ > 0) {
        for (int i = 0; i < decimals_; ++i) {
            *--last = static_cast<char>('0' + rest % 10);
            rest /= 10;
        }
        last = putBefore(decimal_, last);
    }
    if (!grouping_ || rest < groupedFrom_) {
        return digits::putBackwards(rest, last);
    }
    // A separator before each full group that has digits in front of it: the primary group
    // next to the point, secondary groups further left. Groups of three, the usual, a group
    // at a time.
    if (primary_ == 3 && secondary_ == 3) {
        while (rest >= 1000) {
            const Unsigned group = rest % 1000;
            rest /= 1000;
            last = digits::putPair(group % 100, last);
            *--last = static_cast<char>('0' + group / 100);
            last = putBefore(group_, last);
        }
        return digits::putBackwards(rest, last);
    }
    unsigned group = primary_;
    unsigned inGroup = 0;
    for (;;) {
        *--last = static_cast<char>('0' + rest % 10);
        rest /= 10;
        if (rest == 0) {
            return last;
        }
        if (++inGroup == group) {
            last = putBefore(group_, last);
            group = secondary_;
            inGroup = 0;
        }
    }
}

std::string_view MoneyLayout::text(Currency amount, Room& room, TextBuffer& spill) const {
    if (!prepared_) {
        appendCurrencyText(spill, amount, settings_);
        return spill.view();
    }
    const std::int64_t shown = shownUnits(amount, decimals_);
    const bool negative = shown < 0;
    const std::uint64_t magnitude = negative ? std::uint64_t{0} - static_cast<std::uint64_t>(shown)
                                             : static_cast<std::uint64_t>(shown);
    const Sides& sides = negative ? negative_ : positive_;

    // Built from the right: the text after the digits, the digits, the text before them. Each
    // affix block is copied whole; the digits overwrite what lies left of the text after.
    char* const end = room.data() + room.size();
    std::memcpy(end - affixLimit, sides.after.bytes.data(), affixLimit);
    char* const digitsEnd = end - sides.after.size;
    char* const first = magnitude <= std::numeric_limits<std::uint32_t>::max()
                            ? writeDigits(static_cast<std::uint32_t>(magnitude), digitsEnd)
                            : writeDigits(magnitude, digitsEnd);
    std::memcpy(first - affixLimit, sides.before.bytes.data(), affixLimit);
    const char* const start = first - sides.before.size;
    return {start, static_cast<std::size_t>(end - start)};
}

void MoneyLayout::append(TextBuffer& out, Currency amount) const {
    Room room;
    TextBuffer spill;
    out.append(text(amount, room, spill));
}

} // namespace veltrane
