#pragma once

#include "calc/currency.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>

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
    // The market model's share price at expiry one standard deviation below and above its
    // middle (low, high); nothing without the model's odds.
    std::optional<std::pair<Currency, Currency>> priceRange{};
    // The model's chance of profit as the figures write it ("61.42%"); nothing without it.
    std::optional<std::string> probProfit{};
};

} // namespace veltrane
