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

// Paints the payoff chart on any painter: a window, an image or a printer. Keeps the model, the
// mapping and the drawing apart: `mapping` places the axes in an area, `paint` only draws. Our
// own QPainter code, since Qt Charts is offered only under the GPL, which our licence cannot take.
class PayoffChartRenderer {
public:
    PayoffChartRenderer(PayoffChartModel model, RegionalSettings settings);

    const PayoffChartModel& model() const { return model_; }

    // Where the plot goes inside `bounds`, leaving room for the tick labels in that font and a
    // margin at every edge.
    ChartMapping mapping(const QRectF& bounds, const QFontMetricsF& metrics) const;

    // The points marked on the payoff line: breakeven (where there is one), current price and
    // strike, each where `map` puts it on the line.
    std::vector<ChartMark> marks(const ChartMapping& map) const;

    // The chart in `bounds`, with a crosshair at `crosshairPrice` if one is given.
    void paint(QPainter& painter, const QRectF& bounds, const ChartColours& colours,
               std::optional<double> crosshairPrice = std::nullopt) const;

    // An amount written the way the user writes money; empty if it is no amount.
    QString moneyText(double amount) const;
    QString moneyText(Currency amount) const;
    // The price under the crosshair and the position's profit or loss there.
    QString crosshairText(double price) const;
    // The chart in words, for a screen reader.
    QString description() const;

private:
    // The steps of `paint`, in the order it takes them; each leaves the painter's pen and hints
    // as the next expects.
    void paintGrid(QPainter& painter, const QRectF& area, const ChartMapping& map,
                   const ChartColours& colours, const QFontMetricsF& metrics) const;
    static void paintAxisTitles(QPainter& painter, const QRectF& area, const ChartMapping& map,
                                const QFontMetricsF& metrics);
    QPolygonF payoffCurve(const ChartMapping& map) const;
    static void paintRegions(QPainter& painter, const ChartMapping& map,
                             const ChartColours& colours, const QPolygonF& curve, double zero);
    static void paintLines(QPainter& painter, const ChartMapping& map, const ChartColours& colours,
                           const QPolygonF& curve, double zero);
    void paintRegionTags(QPainter& painter, const ChartMapping& map, const ChartColours& colours,
                         const QFontMetricsF& metrics, const QPolygonF& curve, double zero) const;
    void paintMarks(QPainter& painter, const QRectF& area, const ChartMapping& map,
                    const ChartColours& colours, const QFontMetricsF& metrics) const;
    void paintCrosshair(QPainter& painter, const ChartMapping& map, const ChartColours& colours,
                        const QFontMetricsF& metrics, double crosshairPrice) const;

    ChartAxes axes_;
    PayoffChartModel model_;
    RegionalSettings settings_;
};

} // namespace veltrane
