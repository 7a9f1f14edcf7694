// The payoff chart in a window: the crosshair by keys and mouse, what a screen reader hears, and
// lines that stay crisp at device pixel ratios 1, 1.25 and 2.

#include "chart/chart_colours.h"
#include "chart/payoff_chart_renderer.h"
#include "chart/readable_colour.h"
#include "chart/tests/payoff_positions.h"
#include "forms/analysis/payoff_chart_widget.h"

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

using veltrane::ChartColours;
using veltrane::ChartMapping;
using veltrane::PayoffChartRenderer;
using veltrane::PayoffChartWidget;

namespace {

PayoffChartRenderer workedChart() {
    return {veltrane::testing::workedExample(), {}};
}

struct Shown {
    PayoffChartWidget chart;

    explicit Shown(bool withChart = true) {
        if (withChart) {
            chart.setChart(workedChart());
        }
        chart.resize(640, 400);
        chart.show();
        chart.activateWindow();
    }
};

QString accessibleDescription(QWidget& widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&widget);
    return face != nullptr ? face->text(QAccessible::Description) : QString();
}

} // namespace

class TestPayoffChartWidget : public QObject {
    Q_OBJECT

private slots:
    void keysMoveTheCrosshair_data();
    void keysMoveTheCrosshair();
    void mouseMovesTheCrosshair();
    void screenReaderHearsTheChart();
    void emptyUntilThereIsAChart();
    void newChartKeepsTheCrosshairOnItsAxis();
    void crispAtEveryRatio_data();
    void crispAtEveryRatio();
    void coloursReadableOnLightAndDark_data();
    void coloursReadableOnLightAndDark();
};

void TestPayoffChartWidget::keysMoveTheCrosshair_data() {
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<double>("price");
    QTest::addColumn<QString>("reading");
    // Ticks two dollars apart: an arrow moves 0.20, a page 2.00. The focus starts it at 28.50.
    QTest::newRow("focus alone: the current price")
        << QList<int>{} << 28.5 << "At $28.50: profit $625.00";
    QTest::newRow("Right: a tenth of a tick")
        << QList<int>{Qt::Key_Right} << 28.7 << "At $28.70: profit $725.00";
    QTest::newRow("Left twice") << QList<int>{Qt::Key_Left, Qt::Key_Left} << 28.1
                                << "At $28.10: profit $425.00";
    QTest::newRow("Page Up: a whole tick, past the strike")
        << QList<int>{Qt::Key_PageUp} << 30.5 << "At $30.50: profit $1,375.00";
    QTest::newRow("Home: the left end, a loss")
        << QList<int>{Qt::Key_Home} << 20.0 << "At $20.00: loss ($3,625.00)";
    QTest::newRow("End: the right end")
        << QList<int>{Qt::Key_End} << 36.0 << "At $36.00: profit $1,375.00";
    QTest::newRow("no further left than the axis")
        << QList<int>{Qt::Key_Home, Qt::Key_Left, Qt::Key_PageDown} << 20.0
        << "At $20.00: loss ($3,625.00)";
    QTest::newRow("no further right than the axis")
        << QList<int>{Qt::Key_End, Qt::Key_Right} << 36.0 << "At $36.00: profit $1,375.00";
    QTest::newRow("to breakeven and across it")
        << QList<int>{Qt::Key_PageDown, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right}
        << 27.3 << "At $27.30: profit $25.00";
}

void TestPayoffChartWidget::keysMoveTheCrosshair() {
    QFETCH(QList<int>, keys);
    QFETCH(double, price);
    QFETCH(QString, reading);
    Shown shown;
    QVERIFY(QTest::qWaitForWindowActive(&shown.chart));
    // The chart is the window's only control: it has the focus, and the crosshair, already.
    QVERIFY(shown.chart.hasFocus());
    QSignalSpy moved(&shown.chart, &PayoffChartWidget::crosshairMoved);
    for (const int key : keys) {
        QTest::keyClick(&shown.chart, Qt::Key(key));
    }
    QVERIFY(shown.chart.crosshairPrice().has_value());
    QVERIFY2(std::abs(*shown.chart.crosshairPrice() - price) < 1e-9,
             qPrintable(QString::number(*shown.chart.crosshairPrice())));
    QCOMPARE(shown.chart.crosshairText(), reading);
    QCOMPARE(moved.size(), keys.size());
    if (!keys.isEmpty()) {
        QCOMPARE(moved.last().first().toString(), reading);
    }
    QVERIFY(accessibleDescription(shown.chart)
                .endsWith(QStringLiteral("Crosshair: ") + reading + QLatin1Char('.')));
}

void TestPayoffChartWidget::mouseMovesTheCrosshair() {
    Shown shown;
    QVERIFY(QTest::qWaitForWindowExposed(&shown.chart));
    const std::optional<ChartMapping> map = shown.chart.mapping();
    QVERIFY(map.has_value());
    QVERIFY(map->plot().width() > 300 && map->plot().height() > 200);
    const QPoint atStrike(static_cast<int>(map->x(30.0)),
                          static_cast<int>(map->plot().center().y()));
    QTest::mouseMove(&shown.chart, atStrike);
    QTRY_VERIFY(shown.chart.crosshairPrice().has_value());
    // Within the price of one pixel of the strike.
    const double pixelPrice =
        (map->axes().price.high() - map->axes().price.low()) / map->plot().width();
    QVERIFY(std::abs(*shown.chart.crosshairPrice() - 30.0) <= pixelPrice);
    // Outside the plot the crosshair stays where it was.
    const double before = *shown.chart.crosshairPrice();
    QTest::mouseMove(&shown.chart, QPoint(2, 2));
    QCOMPARE(*shown.chart.crosshairPrice(), before);
}

void TestPayoffChartWidget::screenReaderHearsTheChart() {
    Shown shown;
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&shown.chart);
    QVERIFY(face != nullptr);
    QCOMPARE(face->text(QAccessible::Name), QStringLiteral("Payoff chart"));
    QCOMPARE(face->text(QAccessible::Description),
             QStringLiteral("Profit or loss at expiry against the share price at expiry, from "
                            "$20.00 to $36.00. Breakeven $27.25, current price $28.50, strike "
                            "$30.00, most profit $1,375.00."));
    QCOMPARE(shown.chart.focusPolicy(), Qt::StrongFocus);
}

void TestPayoffChartWidget::emptyUntilThereIsAChart() {
    Shown shown(false);
    QVERIFY(QTest::qWaitForWindowActive(&shown.chart));
    shown.chart.setFocus();
    QTest::keyClick(&shown.chart, Qt::Key_Right);
    QVERIFY(!shown.chart.crosshairPrice().has_value());
    QVERIFY(!shown.chart.mapping().has_value());
    QCOMPARE(accessibleDescription(shown.chart),
             QStringLiteral("Empty until every input is accepted."));
    // It paints all the same.
    QVERIFY(!shown.chart.grab().isNull());
}

void TestPayoffChartWidget::newChartKeepsTheCrosshairOnItsAxis() {
    Shown shown;
    QVERIFY(QTest::qWaitForWindowActive(&shown.chart));
    shown.chart.setFocus();
    QTest::keyClick(&shown.chart, Qt::Key_End);
    QCOMPARE(*shown.chart.crosshairPrice(), 36.0);
    // A new position's axis ends at 3.00: the crosshair is held on it, and gone with the chart.
    shown.chart.setChart(PayoffChartRenderer(veltrane::testing::noBreakeven(), {}));
    QCOMPARE(*shown.chart.crosshairPrice(), 3.0);
    shown.chart.setChart(std::nullopt);
    QVERIFY(!shown.chart.crosshairPrice().has_value());
    QCOMPARE(shown.chart.crosshairText(), QString());
}

void TestPayoffChartWidget::crispAtEveryRatio_data() {
    QTest::addColumn<double>("ratio");
    QTest::newRow("1") << 1.0;
    QTest::newRow("1.25") << 1.25;
    QTest::newRow("2") << 2.0;
}

// Across the empty band above the most profit, right of the strike, every device pixel is
// background or grid, nothing between: the grid lines fall on whole device pixels. And nothing
// is drawn near the edges at any scale.
void TestPayoffChartWidget::crispAtEveryRatio() {
    QFETCH(double, ratio);
    const QSize size(640, 400);
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    const ChartColours colours = ChartColours::light();
    const PayoffChartRenderer chart = workedChart();
    {
        QPainter painter(&image);
        chart.paint(painter, QRectF(QPointF(0, 0), QSizeF(size)), colours);
    }
    const ChartMapping map =
        chart.mapping(QRectF(QPointF(0, 0), QSizeF(size)), QFontMetricsF(QApplication::font()));
    const int row = static_cast<int>((map.y(2000) + map.y(1375)) / 2 * ratio);
    const int from = static_cast<int>(map.x(31) * ratio);
    const int to = static_cast<int>((map.plot().right() - 2) * ratio);
    int gridPixels = 0;
    int run = 0;
    const int lineWidth = std::max(1, static_cast<int>(std::lround(ratio)));
    for (int x = from; x < to; ++x) {
        const QColor pixel = image.pixelColor(x, row);
        QVERIFY2(pixel == colours.background || pixel == colours.grid,
                 qPrintable(QStringLiteral("%1 at %2").arg(pixel.name()).arg(x)));
        if (pixel == colours.grid) {
            ++gridPixels;
            ++run;
        } else {
            QVERIFY(run == 0 || run == lineWidth);
            run = 0;
        }
    }
    // Three grid lines there: at 32, 34 and 36 (the last at the plot's edge, left out).
    QCOMPARE(gridPixels, 2 * lineWidth);
    // Titles and labels keep off every edge: a band of background all round.
    const int band = static_cast<int>(4 * ratio);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const bool inBand =
                x < band || y < band || x >= image.width() - band || y >= image.height() - band;
            if (inBand && image.pixelColor(x, y) != colours.background) {
                QFAIL(qPrintable(QStringLiteral("ink at the edge, at %1,%2").arg(x).arg(y)));
            }
        }
    }
}

void TestPayoffChartWidget::coloursReadableOnLightAndDark_data() {
    QTest::addColumn<QColor>("base");
    QTest::addColumn<QColor>("text");
    QTest::newRow("light: white") << QColor(Qt::white) << QColor(Qt::black);
    QTest::newRow("light: grey") << QColor(0xef, 0xef, 0xef) << QColor(0x20, 0x20, 0x20);
    QTest::newRow("dark: Adwaita dark") << QColor(0x24, 0x24, 0x24) << QColor(Qt::white);
    QTest::newRow("dark: black") << QColor(Qt::black) << QColor(0xdd, 0xdd, 0xdd);
}

// The line, the labels and the two regions' names reach WCAG's 4.5 to 1 on the chart's
// background, and profit and loss keep hues apart (blue and vermilion), whatever the palette.
void TestPayoffChartWidget::coloursReadableOnLightAndDark() {
    QFETCH(QColor, base);
    QFETCH(QColor, text);
    QPalette palette;
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::Text, text);
    const ChartColours colours = ChartColours::forPalette(palette);
    QCOMPARE(colours.background, base);
    for (const QColor& ink : {colours.text, colours.profit, colours.loss}) {
        const double ratio = veltrane::contrastRatio(ink, base);
        QVERIFY2(ratio >= 4.5,
                 qPrintable(QStringLiteral("%1: %2 to 1").arg(ink.name()).arg(ratio)));
    }
    QVERIFY(std::abs(colours.profit.hslHue() - 202) <= 2);
    QVERIFY(std::abs(colours.loss.hslHue() - 26) <= 2);
}

QTEST_MAIN(TestPayoffChartWidget)
#include "test_payoff_chart_widget.moc"
