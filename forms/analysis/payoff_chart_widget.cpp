#include "forms/analysis/payoff_chart_widget.h"

#include "chart/chart_colours.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace veltrane {

namespace {

// An arrow key moves the crosshair a tenth of a tick; Page Up and Page Down a whole tick.
constexpr double arrowFraction = 0.1;

} // namespace

PayoffChartWidget::PayoffChartWidget(QWidget* parent)
    : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QStringLiteral("Payoff chart"));
    describe();
}

void PayoffChartWidget::setChart(std::optional<PayoffChartRenderer> chart) {
    chart_ = std::move(chart);
    if (crosshair_ && chart_) {
        const TickRange& price = payoffAxes(chart_->model()).price;
        crosshair_ = std::clamp(*crosshair_, price.low(), price.high());
    } else {
        crosshair_.reset();
    }
    describe();
    emit crosshairMoved(crosshairText());
    update();
}

QString PayoffChartWidget::crosshairText() const {
    return chart_ && crosshair_ ? chart_->crosshairText(*crosshair_) : QString();
}

std::optional<ChartMapping> PayoffChartWidget::mapping() const {
    if (!chart_) {
        return std::nullopt;
    }
    return chart_->mapping(QRectF(rect()), QFontMetricsF(font()));
}

QSize PayoffChartWidget::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.averageCharWidth() * 80, metrics.height() * 24};
}

QSize PayoffChartWidget::minimumSizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.averageCharWidth() * 50, metrics.height() * 15};
}

void PayoffChartWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const ChartColours colours = ChartColours::forPalette(palette());
    if (!chart_) {
        painter.fillRect(rect(), colours.background);
        painter.setPen(colours.text);
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap,
                         QStringLiteral("The chart shows once every input is accepted."));
        return;
    }
    chart_->paint(painter, QRectF(rect()), colours, crosshair_);
    if (hasFocus()) {
        painter.setPen(QPen(colours.text, 1.0, Qt::DotLine));
        painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }
}

void PayoffChartWidget::mouseMoveEvent(QMouseEvent* event) {
    if (const std::optional<ChartMapping> map = mapping()) {
        if (map->plot().contains(event->position())) {
            moveCrosshair(map->priceAt(event->position().x()));
        }
    }
    QWidget::mouseMoveEvent(event);
}

void PayoffChartWidget::keyPressEvent(QKeyEvent* event) {
    if (!chart_) {
        QWidget::keyPressEvent(event);
        return;
    }
    const TickRange price = payoffAxes(chart_->model()).price;
    const double from = crosshair_.value_or(chart_->model().currentPrice.toDouble());
    switch (event->key()) {
    case Qt::Key_Left:
        moveCrosshair(from - price.step * arrowFraction);
        break;
    case Qt::Key_Right:
        moveCrosshair(from + price.step * arrowFraction);
        break;
    case Qt::Key_PageDown:
        moveCrosshair(from - price.step);
        break;
    case Qt::Key_PageUp:
        moveCrosshair(from + price.step);
        break;
    case Qt::Key_Home:
        moveCrosshair(price.low());
        break;
    case Qt::Key_End:
        moveCrosshair(price.high());
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

// The keyboard's way in starts the crosshair at the current price.
void PayoffChartWidget::focusInEvent(QFocusEvent* event) {
    if (chart_ && !crosshair_) {
        moveCrosshair(chart_->model().currentPrice.toDouble());
    }
    QWidget::focusInEvent(event);
    update();
}

void PayoffChartWidget::moveCrosshair(std::optional<double> price) {
    if (price && chart_) {
        const TickRange range = payoffAxes(chart_->model()).price;
        // Held on the axis, and on a price money can hold, so that it reads as money does.
        const double held = std::clamp(*price, range.low(), range.high());
        const std::optional<Currency> money = Currency::fromDouble(held);
        price = money ? money->toDouble() : held;
    }
    crosshair_ = price;
    describe();
    emit crosshairMoved(crosshairText());
    update();
}

void PayoffChartWidget::describe() {
    if (!chart_) {
        setAccessibleDescription(QStringLiteral("Empty until every input is accepted."));
        return;
    }
    const QString reading = crosshairText();
    setAccessibleDescription(reading.isEmpty()
                                 ? chart_->description()
                                 : chart_->description() + QLatin1Char(' ') +
                                       QStringLiteral("Crosshair: ") + reading + QLatin1Char('.'));
}

} // namespace veltrane
