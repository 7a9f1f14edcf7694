#pragma once

#include "chart/nice_ticks.h"
#include "chart/payoff_chart_model.h"

#include <QPointF>
#include <QRectF>

namespace veltrane {

// The two axes of the payoff chart: share price at expiry across, profit or loss up.
struct ChartAxes {
    TickRange price;
    TickRange profit;
};

// The price axis runs from max(0, 0.8 × the least of breakeven, current price and strike) to
// 1.2 × the greater of current price and strike; the profit axis from the position's value at the
// price axis's left end to its most profit, always with 0. Both are widened to nice ticks, none
// finer than the ten-thousandth money holds.
ChartAxes payoffAxes(const PayoffChartModel& model);

// Values to pixels and back, inside the plot rectangle, in device-independent pixels.
class ChartMapping {
public:
    ChartMapping(const ChartAxes& axes, const QRectF& plot);

    const ChartAxes& axes() const { return axes_; }
    const QRectF& plot() const { return plot_; }

    double x(double price) const;
    double y(double profit) const;
    QPointF point(double price, double profit) const { return {x(price), y(profit)}; }
    // The price under a pixel column, held inside the price axis.
    double priceAt(double x) const;

    // Where to draw a line `devicePixels` wide (at least one) along `position` so that it covers
    // whole device pixels at `ratio` device pixels per pixel: a crisp edge at any scale.
    static double crisp(double position, int devicePixels, double ratio);

private:
    ChartAxes axes_;
    QRectF plot_;
};

} // namespace veltrane
