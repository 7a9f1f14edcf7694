#include "calc/calculation.h"

#include "calc/currency.h"
#include "calc/number_text.h"

#include <cmath>
#include <optional>
#include <string>

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

class Calculation {
public:
    Calculation(FieldAccess& fields, const RegionalSettings& settings)
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

        // Not finite when there is no stock cost: +inf, -inf or NaN, as IEEE gives it.
        std::optional<double> divideIntoCost;
        if (netGain.known && totalStockCost.known) {
            divideIntoCost = netGain.value.toDouble() / totalStockCost.value.toDouble();
        }

        // Each test reads the months afresh; one that cannot be read fails alone.
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

        // The return rests on the ratio as shown, read back from its field.
        std::optional<double> returnPct;
        if (const ParsedNumber shown = num(Field::intDivideIntoCost);
            shown.ok() && monthsReadable) {
            returnPct = shown.value * monthsFactor;
        }
        writeReturn(returnPct);
    }

private:
    ParsedNumber num(Field field) const { return parseNumber(fields_.text(field), settings_); }

    // Shares × price, formed in double and held as money. A text that is not a number skips
    // the step (the amount stays 0); an overflow anywhere makes the amount unknowable.
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
        fields_.setText(field, amount.known ? currencyText(amount.value, settings_) : "");
    }

    // A ratio that is not finite (no stock cost) has no figure to show.
    void writeRatio(std::optional<double> ratio) const {
        std::optional<std::string> text;
        if (ratio && std::isfinite(*ratio)) {
            if (const std::optional<double> rounded = roundToPlaces(*ratio, 3)) {
                text = numberText(*rounded, settings_);
            }
        }
        fields_.setText(Field::intDivideIntoCost, text.value_or(""));
    }

    void writeReturn(std::optional<double> returnPct) const {
        std::optional<std::string> text;
        if (returnPct) {
            text = percentText(*returnPct, 2, settings_);
        }
        fields_.setText(Field::pctReturn, text.value_or(""));
    }

    FieldAccess& fields_;
    const RegionalSettings& settings_;
};

} // namespace

void CalculateIt(FieldAccess& fields, const RegionalSettings& settings) {
    Calculation{fields, settings}.run();
}

} // namespace veltrane
