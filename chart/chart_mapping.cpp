#include "chart/chart_mapping.h"

#include <algorithm>
#include <cmath>

namespace veltrane {

namespace {

constexpr int maxIntervals = 8;
// Money holds ten-thousandths: a finer tick would name an amount money cannot hold, and two ticks
// would read the same.
constexpr double moneyUnit = 1.0 / static_cast<double>(Currency::unitsPerOne);

double amount(Currency value) {
    return value.toDouble();
}

} // namespace

ChartAxes payoffAxes(const PayoffChartModel& model) {
    const double spot = amount(model.currentPrice);
    const double strike = amount(model.strikePrice);
    double least = std::min(spot, strike);
    if (model.breakeven) {
        least = std::min(least, amount(*model.breakeven));
    }
    const double left = std::max(0.0, 0.8 * least);
    const double right = 1.2 * std::max(spot, strike);
    ChartAxes axes{niceTicks(left, right, maxIntervals, moneyUnit), {}};

    // Zero, the most profit, and what the position is worth at the axis's left end.
    double low = std::min(0.0, amount(model.maxProfit));
    double high = std::max(0.0, amount(model.maxProfit));
    if (model.profitAt) {
        if (const auto leftPrice = Currency::fromDouble(axes.price.low())) {
            if (const auto atLeft = model.profitAt(*leftPrice)) {
                low = std::min(low, amount(*atLeft));
                high = std::max(high, amount(*atLeft));
            }
        }
    }
    axes.profit = niceTicks(low, high, maxIntervals, moneyUnit);
    return axes;
}

ChartMapping::ChartMapping(const ChartAxes& axes, const QRectF& plot)
    : axes_{axes}
    , plot_{plot} {}

double ChartMapping::x(double price) const {
    const TickRange& range = axes_.price;
    return plot_.left() + (price - range.low()) / (range.high() - range.low()) * plot_.width();
}

double ChartMapping::y(double profit) const {
    const TickRange& range = axes_.profit;
    return plot_.bottom() - (profit - range.low()) / (range.high() - range.low()) * plot_.height();
}

double ChartMapping::priceAt(double xPixel) const {
    const TickRange& range = axes_.price;
    if (!(plot_.width() > 0.0)) {
        return range.low();
    }
    const double fraction = std::clamp((xPixel - plot_.left()) / plot_.width(), 0.0, 1.0);
    return range.low() + fraction * (range.high() - range.low());
}

double ChartMapping::crisp(double position, int devicePixels, double ratio) {
    const int width = std::max(1, devicePixels);
    if (!(ratio > 0.0)) {
        ratio = 1.0;
    }
    // The line's first device pixel is the one the position falls in; its middle is half the
    // line's width further on.
    const double first = std::floor(position * ratio + 1e-9);
    return (first + width / 2.0) / ratio;
}

} // namespace veltrane
