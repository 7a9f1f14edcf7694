#include "chart/payoff_chart_renderer.h"

#include "calc/number_text.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace veltrane {

namespace {

constexpr double gap = 6.0;        // between a label and what it labels
constexpr double edgeMargin = 6.0; // between every title and label and the chart's edge
constexpr double hatchStep = 8.0;  // between the lines of a region's hatch
constexpr double markRadius = 4.0; // of the marked points
constexpr double sampleStep = 2.0; // pixels between samples of the payoff line

// A line of `devicePixels` at the painter's device pixel ratio, on whole device pixels.
QPen crispPen(const QColor& colour, int devicePixels, double ratio,
              Qt::PenStyle style = Qt::SolidLine) {
    QPen pen(colour, devicePixels / ratio, style, Qt::FlatCap);
    return pen;
}

double ratioOf(const QPainter& painter) {
    return painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
}

int devicePixelsFor(double pixels, double ratio) {
    return std::max(1, static_cast<int>(std::lround(pixels * ratio)));
}

// Every how many ticks a label goes: 1, 2 or 5 (then 10, 20...) ticks, so labels `needed` wide
// fit ticks `spacing` apart.
std::int64_t strideFor(double needed, double spacing) {
    std::int64_t stride = 1;
    for (int round = 0; round < 12 && static_cast<double>(stride) * spacing < needed; ++round) {
        stride = round % 3 == 0 ? stride * 2 : round % 3 == 1 ? stride / 2 * 5 : stride * 2;
    }
    return stride;
}

// The title of the profit axis, drawn above it; the marks' labels keep clear of it.
QString profitAxisTitle() {
    return QStringLiteral("Profit or loss");
}

} // namespace

PayoffChartRenderer::PayoffChartRenderer(PayoffChartModel model, RegionalSettings settings)
    : axes_{payoffAxes(model)}
    , model_{std::move(model)}
    , settings_{std::move(settings)} {}

QString PayoffChartRenderer::moneyText(Currency amount) const {
    return QString::fromStdString(currencyText(amount, settings_));
}

QString PayoffChartRenderer::moneyText(double amount) const {
    const std::optional<Currency> money = Currency::fromDouble(amount);
    return money ? moneyText(*money) : QString();
}

QString PayoffChartRenderer::crosshairText(double price) const {
    const std::optional<Currency> at = Currency::fromDouble(price);
    if (!at || !model_.profitAt) {
        return {};
    }
    const std::optional<Currency> profit = model_.profitAt(*at);
    if (!profit) {
        return {};
    }
    return QStringLiteral("At %1: %2 %3")
        .arg(moneyText(*at),
             *profit < Currency{} ? QStringLiteral("loss") : QStringLiteral("profit"),
             moneyText(*profit));
}

QString PayoffChartRenderer::description() const {
    QString text = QStringLiteral("Profit or loss at expiry against the share price at expiry, "
                                  "from %1 to %2. ")
                       .arg(moneyText(axes_.price.low()), moneyText(axes_.price.high()));
    if (model_.breakeven) {
        text += QStringLiteral("Breakeven %1, ").arg(moneyText(*model_.breakeven));
    } else {
        text += QStringLiteral("No breakeven, ");
    }
    text += QStringLiteral("current price %1, strike %2, most profit %3.")
                .arg(moneyText(model_.currentPrice), moneyText(model_.strikePrice),
                     moneyText(model_.maxProfit));
    return text;
}

std::vector<ChartMark> PayoffChartRenderer::marks(const ChartMapping& map) const {
    std::vector<ChartMark> found;
    const auto add = [&](ChartMark::Kind kind, const QString& caption, Currency price) {
        const std::optional<Currency> profit =
            model_.profitAt ? model_.profitAt(price) : std::nullopt;
        if (profit) {
            found.push_back(
                {kind, caption, price, map.point(price.toDouble(), profit->toDouble())});
        }
    };
    if (model_.breakeven) {
        add(ChartMark::Kind::Breakeven, QStringLiteral("Breakeven"), *model_.breakeven);
    }
    add(ChartMark::Kind::CurrentPrice, QStringLiteral("Current price"), model_.currentPrice);
    add(ChartMark::Kind::Strike, QStringLiteral("Strike"), model_.strikePrice);
    return found;
}

ChartMapping PayoffChartRenderer::mapping(const QRectF& bounds,
                                          const QFontMetricsF& metrics) const {
    double widest = 0.0;
    for (std::int64_t i = axes_.profit.first; i <= axes_.profit.last; ++i) {
        widest = std::max(widest, metrics.horizontalAdvance(moneyText(axes_.profit.value(i))));
    }
    const double lastPrice = metrics.horizontalAdvance(moneyText(axes_.price.high()));
    const double line = metrics.height();
    const QRectF area = bounds.adjusted(edgeMargin, edgeMargin, -edgeMargin, -edgeMargin);
    // Left: the profit labels; top: the axis's title and a line for the marks' labels; bottom: the
    // price labels and their title; right: half the last price label, which is centred on its tick.
    const QRectF plot = area.adjusted(widest + 2 * gap, 2 * line + 2 * gap, -(lastPrice / 2 + gap),
                                      -(2 * line + 2 * gap));
    return {axes_, plot.isValid() ? plot : QRectF(area.center(), QSizeF(1, 1))};
}

void PayoffChartRenderer::paint(QPainter& painter, const QRectF& bounds,
                                const ChartColours& colours,
                                std::optional<double> crosshairPrice) const {
    painter.save();
    const double ratio = ratioOf(painter);
    const QFontMetricsF metrics(painter.font());
    const ChartMapping map = mapping(bounds, metrics);
    painter.fillRect(bounds, colours.background);
    // Titles and labels keep a margin from every edge, at any scale.
    const QRectF area = bounds.adjusted(edgeMargin, edgeMargin, -edgeMargin, -edgeMargin);

    paintGrid(painter, area, map, colours, metrics);
    paintAxisTitles(painter, area, map, metrics);
    const QPolygonF curve = payoffCurve(map);
    const double zero = ChartMapping::crisp(map.y(0.0), devicePixelsFor(1.0, ratio), ratio);
    paintRegions(painter, map, colours, curve, zero);
    paintLines(painter, map, colours, curve, zero);
    paintRegionTags(painter, map, colours, metrics, curve, zero);
    paintMarks(painter, area, map, colours, metrics);
    if (crosshairPrice && model_.profitAt) {
        paintCrosshair(painter, map, colours, metrics, *crosshairPrice);
    }
    painter.restore();
}

// Grid and tick labels.
void PayoffChartRenderer::paintGrid(QPainter& painter, const QRectF& area, const ChartMapping& map,
                                    const ChartColours& colours,
                                    const QFontMetricsF& metrics) const {
    const double ratio = ratioOf(painter);
    const QRectF plot = map.plot();
    const int thin = devicePixelsFor(1.0, ratio);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    // In a small chart a label goes on every second or fifth tick, so that no two touch.
    const double priceSpacing = plot.width() / axes_.price.intervals();
    const double widestPrice = std::max(metrics.horizontalAdvance(moneyText(axes_.price.low())),
                                        metrics.horizontalAdvance(moneyText(axes_.price.high())));
    const std::int64_t priceStride = strideFor(widestPrice + gap, priceSpacing);
    const std::int64_t profitStride =
        strideFor(metrics.height(), plot.height() / axes_.profit.intervals());
    for (std::int64_t i = axes_.price.first; i <= axes_.price.last; ++i) {
        const double x = ChartMapping::crisp(map.x(axes_.price.value(i)), thin, ratio);
        painter.setPen(crispPen(colours.grid, thin, ratio));
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        if (i % priceStride != 0) {
            continue;
        }
        const QString label = moneyText(axes_.price.value(i));
        const double width = metrics.horizontalAdvance(label);
        painter.setPen(colours.text);
        painter.drawText(QRectF(x - width / 2, plot.bottom() + gap, width, metrics.height()),
                         Qt::AlignCenter, label);
    }
    for (std::int64_t i = axes_.profit.first; i <= axes_.profit.last; ++i) {
        const double y = ChartMapping::crisp(map.y(axes_.profit.value(i)), thin, ratio);
        painter.setPen(crispPen(colours.grid, thin, ratio));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        if (i % profitStride != 0) {
            continue;
        }
        painter.setPen(colours.text);
        painter.drawText(QRectF(area.left(), y - metrics.height() / 2,
                                plot.left() - gap - area.left(), metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, moneyText(axes_.profit.value(i)));
    }
}

// The two axes' titles, in whatever pen the grid left.
void PayoffChartRenderer::paintAxisTitles(QPainter& painter, const QRectF& area,
                                          const ChartMapping& map, const QFontMetricsF& metrics) {
    const QRectF plot = map.plot();
    painter.drawText(QRectF(plot.left(), plot.bottom() + gap + metrics.height() + gap / 2,
                            plot.width(), metrics.height()),
                     Qt::AlignCenter, QStringLiteral("Share price at expiry"));
    painter.drawText(QRectF(area.left(), area.top() + gap / 2, area.width(), metrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, profitAxisTitle());
}

// The payoff line, sampled along the price axis and at its corners.
QPolygonF PayoffChartRenderer::payoffCurve(const ChartMapping& map) const {
    const QRectF plot = map.plot();
    std::vector<double> prices;
    for (int i = 0; plot.left() + i * sampleStep < plot.right(); ++i) {
        prices.push_back(map.priceAt(plot.left() + i * sampleStep));
    }
    prices.push_back(axes_.price.high());
    for (const Currency corner : {model_.strikePrice, model_.currentPrice}) {
        prices.push_back(corner.toDouble());
    }
    if (model_.breakeven) {
        prices.push_back(model_.breakeven->toDouble());
    }
    std::sort(prices.begin(), prices.end());
    QPolygonF curve;
    for (const double price : prices) {
        const std::optional<Currency> at = Currency::fromDouble(price);
        const std::optional<Currency> profit =
            at && model_.profitAt ? model_.profitAt(*at) : std::nullopt;
        if (profit && price >= axes_.price.low() && price <= axes_.price.high()) {
            curve << map.point(price, profit->toDouble());
        }
    }
    return curve;
}

// Profit above the zero line, loss below: each filled lightly, hatched its own way and named.
void PayoffChartRenderer::paintRegions(QPainter& painter, const ChartMapping& map,
                                       const ChartColours& colours, const QPolygonF& curve,
                                       double zero) {
    if (curve.size() < 2) {
        return;
    }
    const QRectF plot = map.plot();
    QPainterPath region;
    region.moveTo(curve.front().x(), zero);
    for (const QPointF& point : curve) {
        region.lineTo(point);
    }
    region.lineTo(curve.back().x(), zero);
    region.closeSubpath();
    painter.setRenderHint(QPainter::Antialiasing, true);
    struct Side {
        QRectF side;
        QColor colour;
        double slope = 0.0;
    };
    const std::array<Side, 2> sides{{
        {QRectF(QPointF(plot.left(), plot.top()), QPointF(plot.right(), zero)), colours.profit,
         -1.0},
        {QRectF(QPointF(plot.left(), zero), QPointF(plot.right(), plot.bottom())), colours.loss,
         1.0},
    }};
    for (const Side& side : sides) {
        painter.save();
        painter.setClipRect(side.side);
        painter.setClipPath(region, Qt::IntersectClip);
        QColor wash = side.colour;
        wash.setAlphaF(0.12F);
        painter.fillRect(side.side, wash);
        painter.setPen(QPen(side.colour, 1.0));
        const double height = plot.height();
        // Profit's hatch rises to the right, loss's falls.
        const double from = side.slope < 0 ? plot.bottom() : plot.top();
        const double first = plot.left() - height;
        for (int i = 0; first + i * hatchStep < plot.right() + height; ++i) {
            const double x = first + i * hatchStep;
            painter.drawLine(QPointF(x, from), QPointF(x + height, from + side.slope * height));
        }
        painter.restore();
    }
}

// The zero line, then the payoff line over everything but the marks.
void PayoffChartRenderer::paintLines(QPainter& painter, const ChartMapping& map,
                                     const ChartColours& colours, const QPolygonF& curve,
                                     double zero) {
    const double ratio = ratioOf(painter);
    const QRectF plot = map.plot();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(crispPen(colours.text, devicePixelsFor(1.0, ratio), ratio));
    painter.drawLine(QPointF(plot.left(), zero), QPointF(plot.right(), zero));
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(colours.text, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(curve);
}

// Region names, on the background so the hatch never crosses them.
void PayoffChartRenderer::paintRegionTags(QPainter& painter, const ChartMapping& map,
                                          const ChartColours& colours, const QFontMetricsF& metrics,
                                          const QPolygonF& curve, double zero) const {
    const QRectF plot = map.plot();
    auto tag = [&](const QString& text, const QColor& colour, QPointF centre) {
        const QRectF box(centre.x() - metrics.horizontalAdvance(text) / 2 - 3,
                         centre.y() - metrics.height() / 2, metrics.horizontalAdvance(text) + 6,
                         metrics.height());
        painter.fillRect(box, colours.background);
        painter.setPen(colour);
        painter.drawText(box, Qt::AlignCenter, text);
    };
    const double right = std::max(model_.strikePrice.toDouble(), model_.currentPrice.toDouble());
    if (model_.maxProfit > Currency{} &&
        zero - map.y(model_.maxProfit.toDouble()) > 1.5 * metrics.height()) {
        tag(QStringLiteral("Profit"), colours.profit,
            QPointF((map.x(right) + plot.right()) / 2,
                    (zero + map.y(model_.maxProfit.toDouble())) / 2));
    }
    if (!curve.isEmpty() && curve.front().y() - zero > 1.5 * metrics.height()) {
        const double end = model_.breakeven ? map.x(model_.breakeven->toDouble()) : plot.right();
        const double x = plot.left() + (end - plot.left()) / 3;
        tag(QStringLiteral("Loss"), colours.loss,
            QPointF(std::max(x, plot.left() + metrics.horizontalAdvance(QStringLiteral("Loss"))),
                    zero + (curve.front().y() - zero) * 2 / 3));
    }
}

// The marked points, each labelled with its caption and price; a label that would cover an
// earlier one moves down a line.
void PayoffChartRenderer::paintMarks(QPainter& painter, const QRectF& area, const ChartMapping& map,
                                     const ChartColours& colours,
                                     const QFontMetricsF& metrics) const {
    const QRectF plot = map.plot();
    const double titleBottom = gap / 2 + metrics.height();
    // The axis's title is there first; the labels may use the margin above the plot.
    std::vector<QRectF> placed{QRectF(
        area.left(), area.top(), metrics.horizontalAdvance(profitAxisTitle()) + gap, titleBottom)};
    const QRectF room(QPointF(plot.left(), area.top() + gap / 2), plot.bottomRight());
    const std::array<QPolygonF, 3> shapes{
        QPolygonF({QPointF(0, -markRadius), QPointF(markRadius, 0), QPointF(0, markRadius),
                   QPointF(-markRadius, 0)}),
        QPolygonF(QRectF(-markRadius, -markRadius, 2 * markRadius, 2 * markRadius)),
        QPolygonF({QPointF(0, -markRadius - 1), QPointF(markRadius + 1, markRadius),
                   QPointF(-markRadius - 1, markRadius)}),
    };
    for (const ChartMark& mark : marks(map)) {
        const QPointF at = mark.at;
        painter.setPen(QPen(colours.background, 1.5));
        painter.setBrush(colours.text);
        painter.drawPolygon(shapes[static_cast<std::size_t>(mark.kind)].translated(at));
        painter.setBrush(Qt::NoBrush);

        const QString label = QStringLiteral("%1 %2").arg(mark.caption, moneyText(mark.price));
        const double width = metrics.horizontalAdvance(label) + 6;
        // Up and to the left of the point, where a rising or level payoff line leaves room, or
        // else the first place round it that stays in the chart and clear of earlier labels.
        const double toLeft = at.x() - markRadius - 2 - width;
        const double toRight = at.x() + markRadius + 2;
        const double above = at.y() - markRadius - 2 - metrics.height();
        const double below = at.y() + markRadius + 2;
        const double line = metrics.height() + 2;
        const std::array<QPointF, 8> corners{{{toLeft, above},
                                              {toRight, above},
                                              {toRight, below},
                                              {toLeft, below},
                                              {toLeft, above - line},
                                              {toRight, above - line},
                                              {toRight, below + line},
                                              {toLeft, below + line}}};
        // A chart too small for the label goes without it: the figures list has every price.
        std::optional<QRectF> box;
        for (const QPointF& corner : corners) {
            const QRectF candidate(corner, QSizeF(width, metrics.height()));
            const bool clashes =
                std::any_of(placed.begin(), placed.end(),
                            [&](const QRectF& other) { return other.intersects(candidate); });
            if (room.contains(candidate) && !clashes) {
                box = candidate;
                break;
            }
        }
        if (!box) {
            continue;
        }
        placed.push_back(*box);
        painter.fillRect(*box, colours.background);
        painter.setPen(colours.text);
        painter.drawText(*box, Qt::AlignCenter, label);
    }
}

// The crosshair at `crosshairPrice` and its reading.
void PayoffChartRenderer::paintCrosshair(QPainter& painter, const ChartMapping& map,
                                         const ChartColours& colours, const QFontMetricsF& metrics,
                                         double crosshairPrice) const {
    const double ratio = ratioOf(painter);
    const QRectF plot = map.plot();
    const int thin = devicePixelsFor(1.0, ratio);
    const double price = std::clamp(crosshairPrice, axes_.price.low(), axes_.price.high());
    const std::optional<Currency> at = Currency::fromDouble(price);
    const std::optional<Currency> profit = at ? model_.profitAt(*at) : std::nullopt;
    if (profit) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        const double x = ChartMapping::crisp(map.x(price), thin, ratio);
        const double y = ChartMapping::crisp(map.y(profit->toDouble()), thin, ratio);
        painter.setPen(crispPen(colours.text, thin, ratio, Qt::DashLine));
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        const QString reading = crosshairText(price);
        const double width = metrics.horizontalAdvance(reading) + 8;
        const double left = std::max(plot.left(), std::min(x + gap, plot.right() - width));
        const QRectF box(left, plot.top() + 2, width, metrics.height() + 4);
        painter.fillRect(box, colours.background);
        painter.setPen(crispPen(colours.text, thin, ratio));
        painter.drawRect(box);
        painter.drawText(box, Qt::AlignCenter, reading);
    }
}

} // namespace veltrane
