#pragma once

#include "calc/calculation.h"
#include "calc/currency.h"
#include "calc/number_text.h"

#include <array>
#include <cmath>
#include <optional>
#include <string>

// The calculation as it first stood: every input read afresh when a step needs it (the shares
// three times, the months up to twelve times) and the ratio read back from its field. Kept only
// so the tests and the fuzzer can hold the shipped calculation to the very same results.
namespace veltrane::reference {

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
        fields_.setText(field, amount.known ? currencyText(amount.value, settings_) : "");
    }

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

inline void calculateReadingAfresh(FieldAccess& fields, const RegionalSettings& settings) {
    ReadingAfresh{fields, settings}.run();
}

} // namespace veltrane::reference
