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

constexpr double gap = 6.0;        // between a label and what it labels, and between label rows
constexpr double hatchStep = 8.0;  // between the lines of a region's hatch
constexpr double markRadius = 4.0; // of the marked points
constexpr double sampleStep = 2.0; // pixels between samples of the payoff line
constexpr double padding = 3.0;    // each side of a text on a box of its own, in the plot
constexpr int moneyDecimals = 4;   // money holds ten-thousandths: no step needs more

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

// The user's money texts, with the decimals a tick `step` apart needs if they write fewer: a
// whole-dollar step keeps the user's two, a step of 0.0005 takes four.
RegionalSettings withStepDecimals(RegionalSettings settings, double step) {
    settings.currencyDecimals =
        std::max(settings.currencyDecimals, stepDecimals(step, moneyDecimals));
    return settings;
}

// True where the segment from `a` to `b` passes through `box` (Liang and Barsky's clipping).
bool crosses(QPointF a, QPointF b, const QRectF& box) {
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const std::array<double, 4> towards{-dx, dx, -dy, dy};
    const std::array<double, 4> room{a.x() - box.left(), box.right() - a.x(), a.y() - box.top(),
                                     box.bottom() - a.y()};
    double enter = 0.0;
    double leave = 1.0;
    for (std::size_t i = 0; i < towards.size(); ++i) {
        if (towards[i] == 0.0) {
            if (room[i] < 0.0) {
                return false;
            }
            continue;
        }
        const double at = room[i] / towards[i];
        if (towards[i] < 0.0) {
            enter = std::max(enter, at);
        } else {
            leave = std::min(leave, at);
        }
        if (enter > leave) {
            return false;
        }
    }
    return true;
}

// The payoff line's height at pixel column `x`; nothing outside it.
std::optional<double> curveYAt(const QPolygonF& curve, double x) {
    for (qsizetype i = 1; i < curve.size(); ++i) {
        const QPointF& a = curve[i - 1];
        const QPointF& b = curve[i];
        if (a.x() <= x && x <= b.x()) {
            return b.x() > a.x() ? a.y() + (b.y() - a.y()) * (x - a.x()) / (b.x() - a.x()) : b.y();
        }
    }
    return std::nullopt;
}

// Where the labels go, one at a time: each inside the area and its own room, labelSpacing clear
// of every label before it and of the lines' middles, and off the marks.
class LabelPlacer {
public:
    LabelPlacer(const QRectF& area, std::vector<QLineF> lines)
        : area_{area}
        , lines_{std::move(lines)} {}

    void avoid(const QRectF& box) { marks_.push_back(box); }

    bool fits(const QRectF& box, const QRectF& room) const {
        if (!area_.contains(box) || !room.contains(box)) {
            return false;
        }
        const QRectF clear =
            box.adjusted(-PayoffChartRenderer::labelSpacing, -PayoffChartRenderer::labelSpacing,
                         PayoffChartRenderer::labelSpacing, PayoffChartRenderer::labelSpacing);
        const auto touches = [&](const ChartLabel& other) { return clear.intersects(other.box); };
        const auto covers = [&](const QRectF& mark) { return box.intersects(mark); };
        const auto crossed = [&](const QLineF& line) {
            return crosses(line.p1(), line.p2(), clear);
        };
        return std::none_of(placed_.begin(), placed_.end(), touches) &&
               std::none_of(marks_.begin(), marks_.end(), covers) &&
               std::none_of(lines_.begin(), lines_.end(), crossed);
    }

    // The first of `boxes` that fits, taken for the label; false, and nothing taken, if none does.
    bool place(ChartLabel::Kind kind, const QString& text, std::initializer_list<QRectF> boxes,
               const QRectF& room) {
        for (const QRectF& box : boxes) {
            if (fits(box, room)) {
                placed_.push_back({kind, text, box});
                return true;
            }
        }
        return false;
    }

    bool place(ChartLabel::Kind kind, const QString& text, const QRectF& box, const QRectF& room) {
        return place(kind, text, {box}, room);
    }

    std::vector<ChartLabel> take() { return std::move(placed_); }

private:
    QRectF area_;
    std::vector<QLineF> lines_;
    std::vector<QRectF> marks_;
    std::vector<ChartLabel> placed_;
};

// A mark's label up and to the left of its point, where a rising or level payoff line leaves
// room, or else the first place round it that keeps clear; `label` gives its text and size.
void placeMarkLabel(LabelPlacer& placer, QPointF at, const ChartLabel& label, double reach,
                    const QRectF& room) {
    const QSizeF size = label.box.size();
    const double toLeft = at.x() - reach - 1 - size.width();
    const double toRight = at.x() + reach + 1;
    const double above = at.y() - reach - 1 - size.height();
    const double below = at.y() + reach + 1;
    const double further = size.height() + PayoffChartRenderer::labelSpacing;
    placer.place(label.kind, label.text,
                 {QRectF(QPointF(toLeft, above), size), QRectF(QPointF(toRight, above), size),
                  QRectF(QPointF(toRight, below), size), QRectF(QPointF(toLeft, below), size),
                  QRectF(QPointF(toLeft, above - further), size),
                  QRectF(QPointF(toRight, above - further), size),
                  QRectF(QPointF(toRight, below + further), size),
                  QRectF(QPointF(toLeft, below + further), size)},
                 room);
}

// Where a region's name may go: between pixel columns `from` and `to`, at these fractions of the
// way, tried in turn.
struct RegionSpan {
    double from = 0.0;
    double to = 0.0;
    std::array<double, 5> along{};
};

// A region's name inside it, at the first spot that keeps clear of the lines: across the span,
// half way from the zero line to the payoff line, or a little nearer either. The hatch
// tells the regions apart where none does.
void placeRegionTag(LabelPlacer& placer, const ChartLabel& tag, const RegionSpan& span,
                    const QPolygonF& curve, double zero, const QRectF& plot) {
    const bool profit = tag.kind == ChartLabel::Kind::ProfitRegion;
    for (const double along : span.along) {
        const double x = span.from + (span.to - span.from) * along;
        const std::optional<double> edge = curveYAt(curve, x);
        if (!edge || (profit ? *edge >= zero : *edge <= zero)) {
            continue;
        }
        for (const double depth : {0.5, 0.35, 0.65}) {
            const QPointF centre(x, zero + (*edge - zero) * depth);
            const QSizeF size = tag.box.size();
            const QRectF box(centre - QPointF(size.width() / 2, size.height() / 2), size);
            if (placer.place(tag.kind, tag.text, box, plot)) {
                return;
            }
        }
    }
}

QString profitAxisTitle() {
    return QStringLiteral("Profit or loss");
}

QString priceAxisTitle() {
    return QStringLiteral("Share price at expiry");
}

} // namespace

PayoffChartRenderer::PayoffChartRenderer(PayoffChartModel model, RegionalSettings settings)
    : axes_{payoffAxes(model)}
    , model_{std::move(model)}
    , settings_{std::move(settings)}
    , priceSettings_{withStepDecimals(settings_, axes_.price.step)}
    , profitSettings_{withStepDecimals(settings_, axes_.profit.step)} {}

double PayoffChartRenderer::edgeMargin(const QFontMetricsF& metrics) {
    return std::max(8.0, metrics.height() / 2);
}

QString PayoffChartRenderer::moneyText(Currency amount) const {
    return QString::fromStdString(currencyText(amount, settings_));
}

QString PayoffChartRenderer::moneyText(double amount) const {
    const std::optional<Currency> money = Currency::fromDouble(amount);
    return money ? moneyText(*money) : QString();
}

QString PayoffChartRenderer::priceText(double price) const {
    const std::optional<Currency> money = Currency::fromDouble(price);
    return money ? QString::fromStdString(currencyText(*money, priceSettings_)) : QString();
}

QString PayoffChartRenderer::profitText(double amount) const {
    const std::optional<Currency> money = Currency::fromDouble(amount);
    return money ? QString::fromStdString(currencyText(*money, profitSettings_)) : QString();
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
        .arg(priceText(at->toDouble()),
             *profit < Currency{} ? QStringLiteral("loss") : QStringLiteral("profit"),
             profitText(profit->toDouble()));
}

QString PayoffChartRenderer::description() const {
    QString text = QStringLiteral("Profit or loss at expiry against the share price at expiry, "
                                  "from %1 to %2. ")
                       .arg(priceText(axes_.price.low()), priceText(axes_.price.high()));
    if (model_.breakeven) {
        text += QStringLiteral("Breakeven %1, ").arg(priceText(model_.breakeven->toDouble()));
    } else {
        text += QStringLiteral("No breakeven, ");
    }
    text +=
        QStringLiteral("current price %1, strike %2, most profit %3.")
            .arg(priceText(model_.currentPrice.toDouble()),
                 priceText(model_.strikePrice.toDouble()), profitText(model_.maxProfit.toDouble()));
    if (model_.priceRange) {
        text += QStringLiteral(" Shaded: the model's one standard deviation range of the price at "
                               "expiry, %1 to %2.")
                    .arg(priceText(model_.priceRange->first.toDouble()),
                         priceText(model_.priceRange->second.toDouble()));
    }
    if (model_.probProfit) {
        text += QStringLiteral(" The model's chance of profit %1.")
                    .arg(QString::fromStdString(*model_.probProfit));
    }
    return text;
}

QString PayoffChartRenderer::rangeText() const {
    if (!model_.priceRange) {
        return {};
    }
    return QStringLiteral("1 s.d. range %1 \u2013 %2")
        .arg(priceText(model_.priceRange->first.toDouble()),
             priceText(model_.priceRange->second.toDouble()));
}

std::optional<QRectF> PayoffChartRenderer::rangeBand(const ChartMapping& map) const {
    if (!model_.priceRange) {
        return std::nullopt;
    }
    const TickRange& axis = map.axes().price;
    const double low = std::max(model_.priceRange->first.toDouble(), axis.low());
    const double high = std::min(model_.priceRange->second.toDouble(), axis.high());
    if (!(low < high)) {
        return std::nullopt;
    }
    const QRectF plot = map.plot();
    return QRectF(QPointF(map.x(low), plot.top()), QPointF(map.x(high), plot.bottom()));
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
        widest = std::max(widest, metrics.horizontalAdvance(profitText(axes_.profit.value(i))));
    }
    const double firstPrice = metrics.horizontalAdvance(priceText(axes_.price.low()));
    const double lastPrice = metrics.horizontalAdvance(priceText(axes_.price.high()));
    const double line = metrics.height();
    const double margin = edgeMargin(metrics);
    const QRectF area = bounds.adjusted(margin, margin, -margin, -margin);
    // Left: the profit labels, or half the first price label, which is centred on its tick; top:
    // the axis's title and a line for the marks' labels; bottom: the lowest profit label's lower
    // half, the price labels and their title; right: half the last price label.
    const QRectF plot =
        area.adjusted(std::max(widest + gap, firstPrice / 2), 2 * line + 2 * gap,
                      -(lastPrice / 2 + gap), -(line / 2 + gap + line + gap + line));
    return {axes_, plot.isValid() ? plot : QRectF(area.center(), QSizeF(1, 1))};
}

std::vector<ChartLabel> PayoffChartRenderer::labels(const QRectF& bounds,
                                                    const QFontMetricsF& metrics) const {
    const ChartMapping map = mapping(bounds, metrics);
    return labels(bounds, metrics, map, payoffCurve(map));
}

std::vector<ChartLabel> PayoffChartRenderer::labels(const QRectF& bounds,
                                                    const QFontMetricsF& metrics,
                                                    const ChartMapping& map,
                                                    const QPolygonF& curve) const {
    const double margin = edgeMargin(metrics);
    const QRectF area = bounds.adjusted(margin, margin, -margin, -margin);
    const QRectF plot = map.plot();
    const double line = metrics.height();
    const double zero = map.y(0.0);
    std::vector<QLineF> lines{QLineF(plot.left(), zero, plot.right(), zero)};
    for (qsizetype i = 1; i < curve.size(); ++i) {
        lines.emplace_back(curve[i - 1], curve[i]);
    }
    LabelPlacer placer(area, std::move(lines));
    const auto width = [&](const QString& text) { return metrics.horizontalAdvance(text); };

    // The titles first: a tick label that would touch one goes without.
    placer.place(ChartLabel::Kind::AxisTitle, profitAxisTitle(),
                 QRectF(area.topLeft(), QSizeF(width(profitAxisTitle()), line)), area);
    const double priceRow = plot.bottom() + line / 2 + gap;
    const double titleWidth = width(priceAxisTitle());
    const double titleLeft = std::clamp(plot.center().x() - titleWidth / 2, area.left(),
                                        std::max(area.left(), area.right() - titleWidth));
    placer.place(ChartLabel::Kind::AxisTitle, priceAxisTitle(),
                 QRectF(titleLeft, priceRow + line + gap, titleWidth, line), area);

    // In a small chart a label goes on every second or fifth tick, so that no two touch.
    double widestPrice = 0.0;
    for (std::int64_t i = axes_.price.first; i <= axes_.price.last; ++i) {
        widestPrice = std::max(widestPrice, width(priceText(axes_.price.value(i))));
    }
    const std::int64_t priceStride =
        strideFor(widestPrice + 2 * labelSpacing, plot.width() / axes_.price.intervals());
    for (std::int64_t i = axes_.price.first; i <= axes_.price.last; ++i) {
        if (i % priceStride == 0) {
            const QString text = priceText(axes_.price.value(i));
            const double x = map.x(axes_.price.value(i));
            placer.place(ChartLabel::Kind::PriceTick, text,
                         QRectF(x - width(text) / 2, priceRow, width(text), line), area);
        }
    }
    const std::int64_t profitStride =
        strideFor(line + 2 * labelSpacing, plot.height() / axes_.profit.intervals());
    for (std::int64_t i = axes_.profit.first; i <= axes_.profit.last; ++i) {
        if (i % profitStride == 0) {
            const QString text = profitText(axes_.profit.value(i));
            const double y = map.y(axes_.profit.value(i));
            placer.place(ChartLabel::Kind::ProfitTick, text,
                         QRectF(plot.left() - gap - width(text), y - line / 2, width(text), line),
                         area);
        }
    }

    // The marks' labels, round their points, in the plot and the band above it.
    const std::vector<ChartMark> found = marks(map);
    const double reach = markRadius + 1;
    for (const ChartMark& mark : found) {
        placer.avoid(QRectF(mark.at - QPointF(reach, reach), QSizeF(2 * reach, 2 * reach)));
    }
    const QRectF aboveAndIn(QPointF(plot.left(), area.top()), plot.bottomRight());
    for (const ChartMark& mark : found) {
        const QString text =
            QStringLiteral("%1 %2").arg(mark.caption, priceText(mark.price.toDouble()));
        placeMarkLabel(
            placer, mark.at,
            {ChartLabel::Kind::Mark, text, QRectF(0, 0, width(text) + 2 * padding, line)}, reach,
            aboveAndIn);
    }

    // Profit right of breakeven, towards the flat top; loss left of it, where it is deepest.
    const double breakeven = model_.breakeven ? map.x(model_.breakeven->toDouble()) : plot.left();
    const QString profit = QStringLiteral("Profit");
    const QString loss = QStringLiteral("Loss");
    placeRegionTag(
        placer,
        {ChartLabel::Kind::ProfitRegion, profit, QRectF(0, 0, width(profit) + 2 * padding, line)},
        {breakeven, plot.right(), {0.75, 0.6, 0.9, 0.45, 0.3}}, curve, zero, plot);
    placeRegionTag(
        placer, {ChartLabel::Kind::LossRegion, loss, QRectF(0, 0, width(loss) + 2 * padding, line)},
        {plot.left(), model_.breakeven ? breakeven : plot.right(), {0.25, 0.15, 0.35, 0.5, 0.08}},
        curve, zero, plot);

    // The range's name at the top of its band, else at its foot, else above the plot; where the
    // axis shows none of the range, at the end it lies beyond.
    if (model_.priceRange) {
        const std::optional<QRectF> band = rangeBand(map);
        const double middle = band ? band->center().x()
                                   : map.x(std::clamp(model_.priceRange->first.toDouble(),
                                                      axes_.price.low(), axes_.price.high()));
        const QString text = rangeText();
        const QSizeF size(width(text) + 2 * padding, line);
        const double left =
            std::max(plot.left(), std::min(middle - size.width() / 2, plot.right() - size.width()));
        placer.place(ChartLabel::Kind::Range, text,
                     {QRectF(QPointF(left, plot.top() + labelSpacing), size),
                      QRectF(QPointF(left, plot.bottom() - labelSpacing - line), size),
                      QRectF(QPointF(left, plot.top() - gap - line), size)},
                     aboveAndIn);
    }
    return placer.take();
}

void PayoffChartRenderer::paint(QPainter& painter, const QRectF& bounds,
                                const ChartColours& colours,
                                std::optional<double> crosshairPrice) const {
    painter.save();
    const double ratio = ratioOf(painter);
    const QFontMetricsF metrics(painter.font());
    const ChartMapping map = mapping(bounds, metrics);
    painter.fillRect(bounds, colours.background);

    paintRange(painter, map, colours);
    paintGrid(painter, map, colours);
    const QPolygonF curve = payoffCurve(map);
    const double zero = ChartMapping::crisp(map.y(0.0), devicePixelsFor(1.0, ratio), ratio);
    paintRegions(painter, map, colours, curve, zero);
    paintLines(painter, map, colours, curve, zero);
    paintMarks(painter, map, colours);
    paintLabels(painter, colours, labels(bounds, metrics, map, curve));
    if (crosshairPrice && model_.profitAt) {
        paintCrosshair(painter, map, colours, metrics, *crosshairPrice);
    }
    painter.restore();
}

// The model's range, a light wash the grid, the regions and the line are drawn over.
void PayoffChartRenderer::paintRange(QPainter& painter, const ChartMapping& map,
                                     const ChartColours& colours) const {
    if (const std::optional<QRectF> band = rangeBand(map)) {
        QColor wash = colours.text;
        wash.setAlphaF(0.1F);
        painter.fillRect(*band, wash);
    }
}

// The grid, a line at every tick.
void PayoffChartRenderer::paintGrid(QPainter& painter, const ChartMapping& map,
                                    const ChartColours& colours) const {
    const double ratio = ratioOf(painter);
    const QRectF plot = map.plot();
    const int thin = devicePixelsFor(1.0, ratio);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(crispPen(colours.grid, thin, ratio));
    for (std::int64_t i = axes_.price.first; i <= axes_.price.last; ++i) {
        const double x = ChartMapping::crisp(map.x(axes_.price.value(i)), thin, ratio);
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    }
    for (std::int64_t i = axes_.profit.first; i <= axes_.profit.last; ++i) {
        const double y = ChartMapping::crisp(map.y(axes_.profit.value(i)), thin, ratio);
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
}

// The payoff line at money prices only: the profit of a price money cannot hold would be the
// profit of its nearest money price drawn beside it, a stair where the prices are small. Between
// money prices the line is straight, and each bend is one of the marked prices.
QPolygonF PayoffChartRenderer::payoffCurve(const ChartMapping& map) const {
    const QRectF plot = map.plot();
    std::vector<Currency> prices{model_.strikePrice, model_.currentPrice};
    const auto add = [&](double price) {
        if (const std::optional<Currency> money = Currency::fromDouble(price)) {
            prices.push_back(*money);
        }
    };
    for (int i = 0; plot.left() + i * sampleStep < plot.right(); ++i) {
        add(map.priceAt(plot.left() + i * sampleStep));
    }
    add(axes_.price.low());
    add(axes_.price.high());
    if (model_.breakeven) {
        prices.push_back(*model_.breakeven);
    }
    std::sort(prices.begin(), prices.end());
    prices.erase(std::unique(prices.begin(), prices.end()), prices.end());
    const std::optional<Currency> low = Currency::fromDouble(axes_.price.low());
    const std::optional<Currency> high = Currency::fromDouble(axes_.price.high());
    QPolygonF curve;
    if (!low || !high || !model_.profitAt) {
        return curve;
    }
    for (const Currency price : prices) {
        const std::optional<Currency> profit =
            *low <= price && price <= *high ? model_.profitAt(price) : std::nullopt;
        if (profit) {
            curve << map.point(price.toDouble(), profit->toDouble());
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

// The marked points, each its own shape.
void PayoffChartRenderer::paintMarks(QPainter& painter, const ChartMapping& map,
                                     const ChartColours& colours) const {
    const std::array<QPolygonF, 3> shapes{
        QPolygonF({QPointF(0, -markRadius), QPointF(markRadius, 0), QPointF(0, markRadius),
                   QPointF(-markRadius, 0)}),
        QPolygonF(QRectF(-markRadius, -markRadius, 2 * markRadius, 2 * markRadius)),
        QPolygonF({QPointF(0, -markRadius - 1), QPointF(markRadius + 1, markRadius),
                   QPointF(-markRadius - 1, markRadius)}),
    };
    painter.setPen(QPen(colours.background, 1.5));
    painter.setBrush(colours.text);
    for (const ChartMark& mark : marks(map)) {
        painter.drawPolygon(shapes[static_cast<std::size_t>(mark.kind)].translated(mark.at));
    }
    painter.setBrush(Qt::NoBrush);
}

// The texts where `labels` placed them; those in the plot on the background, so the hatch and
// the grid never cross them.
void PayoffChartRenderer::paintLabels(QPainter& painter, const ChartColours& colours,
                                      const std::vector<ChartLabel>& labels) {
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    for (const ChartLabel& label : labels) {
        const bool profit = label.kind == ChartLabel::Kind::ProfitRegion;
        const bool loss = label.kind == ChartLabel::Kind::LossRegion;
        if (profit || loss || label.kind == ChartLabel::Kind::Mark ||
            label.kind == ChartLabel::Kind::Range) {
            painter.fillRect(label.box, colours.background);
        }
        painter.setPen(profit ? colours.profit : loss ? colours.loss : colours.text);
        painter.drawText(label.box, Qt::AlignCenter, label.text);
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
