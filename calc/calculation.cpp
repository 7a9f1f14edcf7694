#include "calc/calculation.h"

#include "calc/currency.h"
#include "calc/money_layout.h"
#include "calc/number_text.h"
#include "calc/text_buffer.h"

#include <cmath>
#include <optional>

namespace veltrane {

namespace {

// Months to expiry and the annualising factor, in the order they are tested. Each factor is
// twelve over the months kept to two decimals (1.71, not 12/7).
struct MonthsRow {
    double months;
    double factor;
};
constexpr std::array<MonthsRow, 12> monthsTable{{{8, 1.5},
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

// A working amount. One that overflowed cannot be known, and neither can anything computed
// from it: it is shown as the empty text rather than as a figure that would mislead.
struct Amount {
    Currency value;
    bool known = true;
};

// Where the calculation's inputs come from: the texts of the fields, read as they are needed.
class FieldTexts {
public:
    FieldTexts(const FieldAccess& fields, const RegionalSettings& settings)
        : fields_{fields}
        , settings_{settings} {}

    ParsedNumber operator()(Field field) const {
        return parseNumber(fields_.text(field), settings_);
    }

private:
    const FieldAccess& fields_;
    const RegionalSettings& settings_;
};

// ... or the numbers a caller read from them before.
class ReadNumbers {
public:
    explicit ReadNumbers(const ReadInputs& inputs)
        : inputs_{inputs} {}

    ParsedNumber operator()(Field field) const { return inputs_[field]; }

private:
    const ReadInputs& inputs_;
};

template <typename Inputs>
class Calculation {
public:
    Calculation(const Inputs& inputs, FieldAccess& fields, const RegionalSettings& settings,
                const MoneyLayout& money)
        : inputs_{inputs}
        , fields_{fields}
        , settings_{settings}
        , money_{money} {}

    void run() {
        // Reading a field has no effect the user can see: each input is read and converted
        // once, and every step that needs it uses what was read.
        const ParsedNumber shares = num(Field::intNoShares);
        Amount optionsRecd;
        Amount totalAssigned;
        Amount totalReceipts;
        Amount totalStockCost;
        Amount netGain;

        product(optionsRecd, shares, Field::intOptionPrice);
        product(totalAssigned, shares, Field::intStrikePrice);
        combine(totalReceipts, optionsRecd, totalAssigned, add);
        product(totalStockCost, shares, Field::intCurrentPrice);
        combine(netGain, totalReceipts, totalStockCost, subtract);

        // Not finite when there is no stock cost: +inf, -inf or NaN, as IEEE gives it.
        std::optional<double> divideIntoCost;
        if (netGain.known && totalStockCost.known) {
            divideIntoCost = netGain.value.toDouble() / totalStockCost.value.toDouble();
        }

        // The first row whose months equal the number read; none when it cannot be read.
        const ParsedNumber months = num(Field::cboMonthsOut);
        double monthsFactor = 0.0;
        if (months.ok()) {
            for (const MonthsRow& row : monthsTable) {
                if (months.value == row.months) {
                    monthsFactor = row.factor;
                    break;
                }
            }
        }

        writeAmount(Field::intOptionsRecd, optionsRecd);
        writeAmount(Field::intTotalAssigned, totalAssigned);
        writeAmount(Field::intTotalReceipts, totalReceipts);
        writeAmount(Field::intTotalStockCost, totalStockCost);
        writeAmount(Field::intNetGain, netGain);
        TextBuffer shownRatio;
        writeRatio(shownRatio, divideIntoCost);

        // The return rests on the ratio as shown: the very text just written, read as a number.
        std::optional<double> returnPct;
        if (const ParsedNumber shown = parseNumber(shownRatio.view(), settings_);
            shown.ok() && months.ok()) {
            returnPct = shown.value * monthsFactor;
        }
        writeReturn(returnPct);
    }

private:
    ParsedNumber num(Field field) const { return inputs_(field); }

    // Shares × price, formed in double and held as money. A text that is not a number skips
    // the step (the amount stays 0); an overflow anywhere makes the amount unknowable. Shares
    // that are no number leave the price unread.
    void product(Amount& target, const ParsedNumber& shares, Field price) const {
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
        if (!amount.known) {
            fields_.setText(field, {});
            return;
        }
        MoneyLayout::Room room;
        TextBuffer spill;
        fields_.setText(field, money_.text(amount.value, room, spill));
    }

    // A ratio that is not finite (no stock cost) has no figure to show. Leaves in `text` what
    // it wrote.
    void writeRatio(TextBuffer& text, std::optional<double> ratio) const {
        if (ratio && std::isfinite(*ratio)) {
            appendRoundedNumberText(text, *ratio, 3, settings_);
        }
        fields_.setText(Field::intDivideIntoCost, text.view());
    }

    void writeReturn(std::optional<double> returnPct) const {
        TextBuffer text;
        if (returnPct) {
            appendPercentText(text, *returnPct, 2, settings_);
        }
        fields_.setText(Field::pctReturn, text.view());
    }

    const Inputs& inputs_;
    FieldAccess& fields_;
    const RegionalSettings& settings_;
    // The five amounts share one currency layout, worked out once.
    const MoneyLayout& money_;
};

} // namespace

void CalculateIt(FieldAccess& fields, const RegionalSettings& settings) {
    const FieldTexts texts{fields, settings};
    const MoneyLayout money{settings};
    Calculation<FieldTexts>{texts, fields, settings, money}.run();
}

ReadInputs readInputs(const FieldAccess& fields, const RegionalSettings& settings) {
    ReadInputs inputs;
    for (const Field field : inputFields) {
        inputs.numbers[static_cast<std::size_t>(field)] = parseNumber(fields.text(field), settings);
    }
    return inputs;
}

void CalculateIt(const ReadInputs& inputs, FieldAccess& results, const RegionalSettings& settings,
                 const MoneyLayout& money) {
    const ReadNumbers numbers{inputs};
    if (&money.settings() != &settings) {
        const MoneyLayout own{settings};
        Calculation<ReadNumbers>{numbers, results, settings, own}.run();
        return;
    }
    Calculation<ReadNumbers>{numbers, results, settings, money}.run();
}

} // namespace veltrane
