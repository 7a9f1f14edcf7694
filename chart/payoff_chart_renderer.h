#pragma once

#include "calc/regional_settings.h"
#include "chart/chart_colours.h"
#include "chart/chart_mapping.h"
#include "chart/payoff_chart_model.h"

#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

class QFontMetricsF;
class QPainter;

namespace veltrane {

// A marked point of the payoff line: its caption, its share price and where it is drawn.
struct ChartMark {
    enum class Kind { Breakeven, CurrentPrice, Strike };
    Kind kind;
    QString caption;
    Currency price;
    QPointF at;
};

// A text of the chart and the rectangle it is drawn in, in device-independent pixels.
struct ChartLabel {
    enum class Kind { AxisTitle, PriceTick, ProfitTick, Mark, ProfitRegion, LossRegion, Range };
    Kind kind;
    QString text;
    QRectF box;
};

// Paints the payoff chart on any painter: a window, an image or a printer. Keeps the model, the
// mapping and the drawing apart: `mapping` places the axes in an area, `labels` places the texts,
// `paint` only draws. Our own QPainter code, since Qt Charts is offered only under the GPL, which
// our licence cannot take.
class PayoffChartRenderer {
public:
    // Between two labels, and between a label in the plot and the payoff or zero line's middle.
    static constexpr double labelSpacing = 4.0;

    PayoffChartRenderer(PayoffChartModel model, RegionalSettings settings);

    const PayoffChartModel& model() const { return model_; }

    // Between every label and the picture's edge: half a line of the font, 8 pixels at least.
    static double edgeMargin(const QFontMetricsF& metrics);

    // Where the plot goes inside `bounds`, leaving room for the tick labels in that font and a
    // margin at every edge.
    ChartMapping mapping(const QRectF& bounds, const QFontMetricsF& metrics) const;

    // The points marked on the payoff line: breakeven (where there is one), current price and
    // strike, each where `map` puts it on the line.
    std::vector<ChartMark> marks(const ChartMapping& map) const;

    // The model's one-standard-deviation range of the price at expiry as `map` shades it: the
    // plot's height, across the part of the range the price axis shows. Nothing without a range,
    // or where the axis shows none of it.
    std::optional<QRectF> rangeBand(const ChartMapping& map) const;

    // The payoff line as `map` draws it: a point at a money price about every two pixels, and at
    // the axis's ends and every marked price, so that it bends where the position does.
    QPolygonF payoffCurve(const ChartMapping& map) const;

    // Every text of the chart in `bounds`, where it goes: inside the edge margin, labelSpacing
    // clear of each other, and those in the plot clear of the lines and the marks. A label with
    // no such place is left out; the chart's description still names every marked price.
    std::vector<ChartLabel> labels(const QRectF& bounds, const QFontMetricsF& metrics) const;

    // The chart in `bounds`, with a crosshair at `crosshairPrice` if one is given.
    void paint(QPainter& painter, const QRectF& bounds, const ChartColours& colours,
               std::optional<double> crosshairPrice = std::nullopt) const;

    // An amount written the way the user writes money; empty if it is no amount.
    QString moneyText(double amount) const;
    QString moneyText(Currency amount) const;
    // A share price or a profit in the user's money text, with as many more decimals as the price
    // or profit axis's step needs (four at most, the ten-thousandths money holds).
    QString priceText(double price) const;
    QString profitText(double amount) const;
    // The price under the crosshair and the position's profit or loss there.
    QString crosshairText(double price) const;
    // The range's label: "1 s.d. range $25.07 – $32.48"; empty without a range.
    QString rangeText() const;
    // The chart in words, for a screen reader.
    QString description() const;

private:
    std::vector<ChartLabel> labels(const QRectF& bounds, const QFontMetricsF& metrics,
                                   const ChartMapping& map, const QPolygonF& curve) const;
    // The steps of `paint`, in the order it takes them; each leaves the painter's pen and hints
    // as the next expects.
    void paintGrid(QPainter& painter, const ChartMapping& map, const ChartColours& colours) const;
    void paintRange(QPainter& painter, const ChartMapping& map, const ChartColours& colours) const;
    static void paintRegions(QPainter& painter, const ChartMapping& map,
                             const ChartColours& colours, const QPolygonF& curve, double zero);
    static void paintLines(QPainter& painter, const ChartMapping& map, const ChartColours& colours,
                           const QPolygonF& curve, double zero);
    void paintMarks(QPainter& painter, const ChartMapping& map, const ChartColours& colours) const;
    static void paintLabels(QPainter& painter, const ChartColours& colours,
                            const std::vector<ChartLabel>& labels);
    void paintCrosshair(QPainter& painter, const ChartMapping& map, const ChartColours& colours,
                        const QFontMetricsF& metrics, double crosshairPrice) const;

    ChartAxes axes_;
    PayoffChartModel model_;
    RegionalSettings settings_;
    // The user's settings with the decimals each axis's step needs.
    RegionalSettings priceSettings_;
    RegionalSettings profitSettings_;
};

} // namespace veltrane
