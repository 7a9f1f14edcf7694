#include "chart/analysis_chart_model.h"

namespace veltrane {

std::optional<PayoffChartModel> payoffChartModel(const Analysis& analysis) {
    const std::optional<Currency> current = Currency::fromDouble(analysis.currentPrice);
    const std::optional<Currency> strike = Currency::fromDouble(analysis.strikePrice);
    if (!current || !strike || !analysis.maxProfit || !analysis.shares) {
        return std::nullopt;
    }
    PayoffChartModel model;
    model.currentPrice = *current;
    model.strikePrice = *strike;
    model.breakeven = analysis.breakeven;
    model.maxProfit = *analysis.maxProfit;
    model.profitAt = [analysis](Currency price) { return payoffAt(analysis, price.toDouble()); };
    return model;
}

} // namespace veltrane
