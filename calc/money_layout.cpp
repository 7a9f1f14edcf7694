#include "calc/money_layout.h"

#include "calc/decimal_digits.h"
#include "calc/number_text.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

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

// An amount rounded to the shown decimals, an exact half away from zero, without leaving int64.
struct Shown {
    std::uint64_t magnitude = 0;
    bool negative = false;
};

Shown shown(Currency amount, int decimals) {
    const std::int64_t units = shownUnits(amount, decimals);
    const bool negative = units < 0;
    return {negative ? std::uint64_t{0} - static_cast<std::uint64_t>(units)
                     : static_cast<std::uint64_t>(units),
            negative};
}

// Reads a money pattern from the left: `amount` at each "#", `text` with the symbol for each
// "¤" and with every other byte as it stands.
template <typename Text, typename Amount>
void readPattern(std::string_view pattern, std::string_view symbol, const Text& text,
                 const Amount& amount) {
    for (std::size_t i = 0; i < pattern.size();) {
        if (pattern[i] == '#') {
            amount();
            ++i;
        } else if (pattern[i] == symbolMark.front() &&
                   pattern.substr(i, symbolMark.size()) == symbolMark) {
            text(symbol);
            i += symbolMark.size();
        } else {
            text(pattern.substr(i, 1));
            ++i;
        }
    }
}

} // namespace

MoneyLayout::Digits::Digits(const RegionalSettings& settings)
    : decimals{std::clamp(settings.currencyDecimals, 0, 4)}
    , point{settings.moneyDecimalSeparator}
    , group{settings.moneyGroupSeparator} {
    const int primarySize = std::max(settings.moneyPrimaryGroupSize, 0);
    const int secondarySize =
        settings.moneySecondaryGroupSize > 0 ? settings.moneySecondaryGroupSize : primarySize;
    const int minimum = std::max(settings.moneyMinimumGroupingDigits, 1);
    // An int64 has at most 19 digits: grouping that would start at 20 never happens.
    constexpr int digitsAtMost = 19;
    grouping = primarySize > 0 && !group.empty() && primarySize < digitsAtMost &&
               minimum < digitsAtMost && primarySize + minimum <= digitsAtMost;
    if (grouping) {
        primary = static_cast<unsigned>(primarySize);
        secondary = static_cast<unsigned>(std::min(secondarySize, digitsAtMost));
        groupedFrom = 1;
        for (int i = 1; i < primarySize + minimum; ++i) {
            groupedFrom *= 10;
        }
    }
}

std::size_t MoneyLayout::Digits::most() const {
    constexpr std::size_t digitsAtMost = 19;
    return digitsAtMost + (grouping ? (digitsAtMost - 1) * group.size() : 0) + point.size();
}

char* MoneyLayout::Digits::write(std::uint64_t magnitude, char* last) const {
    // Most amounts fit 32 bits, whose divisions cost less.
    return magnitude <= std::numeric_limits<std::uint32_t>::max()
               ? writeAs(static_cast<std::uint32_t>(magnitude), last)
               : writeAs(magnitude, last);
}

template <typename Unsigned>
char* MoneyLayout::Digits::writeAs(Unsigned magnitude, char* last) const {
    Unsigned rest = magnitude;
    if (decimals == 2) {
        last = digits::putPair(rest % 100, last);
        rest /= 100;
        last = putBefore(point, last);
    } else if (decimals > 0) {
        for (int i = 0; i < decimals; ++i) {
            *--last = static_cast<char>('0' + rest % 10);
            rest /= 10;
        }
        last = putBefore(point, last);
    }
    if (!grouping || rest < groupedFrom) {
        return digits::putBackwards(rest, last);
    }
    // A separator before each full group that has digits in front of it: the primary group
    // next to the point, secondary groups further left. Groups of three, the usual, a group
    // at a time.
    if (primary == 3 && secondary == 3) {
        while (rest >= 1000) {
            const Unsigned three = rest % 1000;
            rest /= 1000;
            last = digits::putPair(three % 100, last);
            *--last = static_cast<char>('0' + three / 100);
            last = putBefore(group, last);
        }
        return digits::putBackwards(rest, last);
    }
    unsigned size = primary;
    unsigned inGroup = 0;
    for (;;) {
        *--last = static_cast<char>('0' + rest % 10);
        rest /= 10;
        if (rest == 0) {
            return last;
        }
        if (++inGroup == size) {
            last = putBefore(group, last);
            size = secondary;
            inGroup = 0;
        }
    }
}

// Byte by byte: the texts are a byte or a symbol of a few, and a call to copy them costs more.
bool MoneyLayout::Affix::add(std::string_view text) {
    if (text.size() > affixLimit - size) {
        return false;
    }
    for (const char c : text) {
        bytes[size++] = c;
    }
    return true;
}

void MoneyLayout::Affix::alignRight() {
    // From the last byte back, so that no byte is written over before it has moved.
    for (std::size_t i = size; i > 0; --i) {
        bytes[affixLimit - size + i - 1] = bytes[i - 1];
    }
}

// The affixes are split after the members they are written into: those are declared first.
MoneyLayout::MoneyLayout(const RegionalSettings& settings)
    : settings_{settings}
    , digits_{settings}
    , prepared_{digits_.point.size() <= separatorLimit && digits_.group.size() <= separatorLimit &&
                split(settings.currencyNegativePattern, negative_) &&
                split(settings.currencyPositivePattern, positive_)} {}

// The texts on either side of the one "#", each right-aligned in its block.
bool MoneyLayout::split(std::string_view pattern, Sides& sides) const {
    Affix* side = &sides.before;
    bool fits = true;
    int amounts = 0;
    readPattern(
        pattern, settings_.currencySymbol,
        [&](std::string_view piece) { fits = fits && side->add(piece); },
        [&] {
            ++amounts;
            side = &sides.after;
        });
    sides.before.alignRight();
    sides.after.alignRight();
    return fits && amounts == 1;
}

void MoneyLayout::appendAsWritten(TextBuffer& out, Currency amount,
                                  const RegionalSettings& settings, const Digits& digits) {
    const Shown value = shown(amount, digits.decimals);
    TextBuffer room;
    const std::size_t most = digits.most();
    char* const end = room.extend(most) + most;
    const char* const first = digits.write(value.magnitude, end);
    const std::string_view written{first, static_cast<std::size_t>(end - first)};
    readPattern(
        value.negative ? settings.currencyNegativePattern : settings.currencyPositivePattern,
        settings.currencySymbol, [&](std::string_view piece) { out.append(piece); },
        [&] { out.append(written); });
}

std::string_view MoneyLayout::text(Currency amount, Room& room, TextBuffer& spill) const {
    if (!prepared_) {
        appendAsWritten(spill, amount, settings_, digits_);
        return spill.view();
    }
    const Shown value = shown(amount, digits_.decimals);
    const Sides& sides = value.negative ? negative_ : positive_;

    // Built from the right: the text after the digits, the digits, the text before them. Each
    // affix block is copied whole; the digits overwrite what lies left of the text after.
    char* const end = room.data() + room.size();
    std::memcpy(end - affixLimit, sides.after.bytes.data(), affixLimit);
    char* const first = digits_.write(value.magnitude, end - sides.after.size);
    std::memcpy(first - affixLimit, sides.before.bytes.data(), affixLimit);
    const char* const start = first - sides.before.size;
    return {start, static_cast<std::size_t>(end - start)};
}

void MoneyLayout::append(TextBuffer& out, Currency amount) const {
    Room room;
    TextBuffer spill;
    out.append(text(amount, room, spill));
}

void MoneyLayout::appendOne(TextBuffer& out, Currency amount, const RegionalSettings& settings) {
    appendAsWritten(out, amount, settings, Digits{settings});
}

std::string currencyText(Currency amount, const RegionalSettings& settings) {
    TextBuffer out;
    MoneyLayout::appendOne(out, amount, settings);
    return out.str();
}

} // namespace veltrane
