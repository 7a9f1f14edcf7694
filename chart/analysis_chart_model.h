#pragma once

#include "calc/analysis.h"
#include "calc/regional_settings.h"
#include "chart/payoff_chart_model.h"

#include <optional>

namespace veltrane {

// The payoff chart of an analysed position: its prices and most profit as the analysis gives
// them, and the analysis's own payoff function for the line. Nothing when the position has no
// shares or an amount the chart needs is beyond money's range.
// The model's one-standard-deviation range of the price at expiry comes with it where the
// analysis has one.
std::optional<PayoffChartModel> payoffChartModel(const Analysis& analysis);

// The same, with the chance of profit written in the user's settings for the chart's words.
std::optional<PayoffChartModel> payoffChartModel(const Analysis& analysis,
                                                 const RegionalSettings& settings);

} // namespace veltrane
