#pragma once

#include "calc/analysis.h"
#include "chart/payoff_chart_model.h"

#include <optional>

namespace veltrane {

// The payoff chart of an analysed position: its prices and most profit as the analysis gives
// them, and the analysis's own payoff function for the line. Nothing when the position has no
// shares or an amount the chart needs is beyond money's range.
std::optional<PayoffChartModel> payoffChartModel(const Analysis& analysis);

} // namespace veltrane
