#pragma once

#include "chart/payoff_chart_renderer.h"

#include <QWidget>
#include <optional>

namespace veltrane {

// The payoff chart in a window. It paints with the chart library's renderer in the palette's
// colours, and follows the mouse and the arrow keys with a crosshair that reads the price and the
// profit or loss there. A screen reader hears the chart through its name and description; the
// figures list beside it is its text twin.
class PayoffChartWidget : public QWidget {
    Q_OBJECT

public:
    explicit PayoffChartWidget(QWidget* parent = nullptr);

    // The chart to draw, or nothing while the analysis has no figures.
    void setChart(std::optional<PayoffChartRenderer> chart);
    bool hasChart() const { return chart_.has_value(); }

    std::optional<double> crosshairPrice() const { return crosshair_; }
    // What the crosshair reads; empty without one.
    QString crosshairText() const;

    // Where the chart is drawn in the widget: the same mapping the painting uses.
    std::optional<ChartMapping> mapping() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void crosshairMoved(const QString& reading);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void moveCrosshair(std::optional<double> price);
    void describe();

    std::optional<PayoffChartRenderer> chart_;
    std::optional<double> crosshair_;
};

} // namespace veltrane
