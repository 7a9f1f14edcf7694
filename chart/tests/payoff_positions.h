#pragma once

#include "calc/analysis.h"
#include "calc/currency.h"
#include "chart/analysis_chart_model.h"
#include "chart/payoff_chart_model.h"

#include <cmath>
#include <optional>
#include <utility>

// Covered-call positions for the chart's tests, drawn from their defining numbers: shares bought
// at the current price, calls sold at the strike for the premium. The profit at expiry is
// shares × (min(price, strike) − current price + premium).
namespace veltrane::testing {

inline Currency money(double amount) {
    return *Currency::fromDouble(amount);
}

inline PayoffChartModel coveredCall(double current, double strike, double premium, double shares) {
    PayoffChartModel model;
    model.currentPrice = money(current);
    model.strikePrice = money(strike);
    if (current - premium > 0.0) {
        model.breakeven = money(current - premium);
    }
    model.maxProfit = money(shares * (strike - current + premium));
    model.profitAt = [=](Currency price) -> std::optional<Currency> {
        return Currency::fromDouble(shares *
                                    (std::min(price.toDouble(), strike) - current + premium));
    };
    return model;
}

// The worked example: 500 shares at 28.50, calls at 30 sold for 1.25.
inline PayoffChartModel workedExample() {
    return coveredCall(28.50, 30, 1.25, 500);
}

// In the money: the shares stand above the strike, and the premium holds the intrinsic value.
inline PayoffChartModel inTheMoneyCall() {
    return coveredCall(35, 30, 6, 100);
}

// A premium above the share price: the position cannot lose, so it has no breakeven.
inline PayoffChartModel noBreakeven() {
    return coveredCall(2, 2.5, 2.10, 100);
}

// The worked example with the market model's range of the price at expiry and chance of profit.
inline PayoffChartModel workedExampleWithOdds(double low, double high) {
    PayoffChartModel model = workedExample();
    model.priceRange = std::pair{money(low), money(high)};
    model.probProfit = "61.42%";
    return model;
}

// The chart of a position as the program analyses it, from the texts a user types.
inline PayoffChartModel analysed(const char* option, const char* strike, const char* current,
                                 const char* shares) {
    AnalysisInputs inputs;
    inputs.optionPrice = option;
    inputs.strikePrice = strike;
    inputs.currentPrice = current;
    inputs.shares = shares;
    inputs.days = "30";
    return *payoffChartModel(*analysePosition(inputs, {}).analysis);
}

} // namespace veltrane::testing
