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
    if (analysis.priceRange) {
        const std::optional<Currency> low = Currency::fromDouble(analysis.priceRange->first);
        const std::optional<Currency> high = Currency::fromDouble(analysis.priceRange->second);
        if (low && high) {
            model.priceRange = std::pair{*low, *high};
        }
    }
    return model;
}

std::optional<PayoffChartModel> payoffChartModel(const Analysis& analysis,
                                                 const RegionalSettings& settings) {
    std::optional<PayoffChartModel> model = payoffChartModel(analysis);
    if (model) {
        model->probProfit = figureText(analysis, AnalysisFigure::probProfit, settings);
    }
    return model;
}

} // namespace veltrane
