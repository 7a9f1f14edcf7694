#pragma once

#include "calc/currency.h"

#include <functional>
#include <optional>

namespace veltrane {

// What the payoff chart draws, every amount as the analysis gives it: the chart maps amounts to
// pixels and writes them with the user's money texts, and works out no figure of its own.
struct PayoffChartModel {
    Currency currentPrice;
    Currency strikePrice;
    // The share price at which the position neither gains nor loses; some positions have none.
    std::optional<Currency> breakeven;
    Currency maxProfit;
    // The position's profit or loss at expiry for a share price; nothing where it has none.
    std::function<std::optional<Currency>(Currency sharePrice)> profitAt;
};

} // namespace veltrane
