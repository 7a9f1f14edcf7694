// The payoff chart's arithmetic of pixels: nice ticks, the axes a position gets, amounts to
// pixels and back, crisp lines at any device pixel ratio, where the marks and labels go, and
// readable texts at any scale.

#include "chart/chart_mapping.h"
#include "chart/nice_ticks.h"
#include "chart/payoff_chart_renderer.h"
#include "chart/tests/payoff_positions.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QtTest>
#include <cmath>
#include <limits>

using veltrane::ChartAxes;
using veltrane::ChartLabel;
using veltrane::ChartMapping;
using veltrane::ChartMark;
using veltrane::niceTicks;
using veltrane::PayoffChartModel;
using veltrane::PayoffChartRenderer;
using veltrane::RegionalSettings;
using veltrane::TickRange;

Q_DECLARE_METATYPE(PayoffChartModel)
Q_DECLARE_METATYPE(RegionalSettings)
Q_DECLARE_METATYPE(TickRange)

namespace {

TickRange ticks(double step, std::int64_t first, std::int64_t last) {
    return {step, first, last};
}

bool near(double a, double b) {
    return std::abs(a - b) <= 1e-9 * std::max(1.0, std::abs(b));
}

const QRectF plot(50, 20, 400, 300);

} // namespace

class TestChartMapping : public QObject {
    Q_OBJECT

private slots:
    void niceTicks_data();
    void niceTicks();
    void axes_data();
    void axes();
    void mapping_data();
    void mapping();
    void crispLines_data();
    void crispLines();
    void marks_data();
    void marks();
    void rangeBand_data();
    void rangeBand();
    void texts();
    void readableAtAnyScale_data();
    void readableAtAnyScale();
};

void TestChartMapping::niceTicks_data() {
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<TickRange>("expected");
    QTest::newRow("0 to 8: one apart") << 0.0 << 8.0 << ticks(1, 0, 8);
    QTest::newRow("0 to 9: two apart, widened to 10") << 0.0 << 9.0 << ticks(2, 0, 5);
    QTest::newRow("0 to 1: tenths would be ten, so fifths") << 0.0 << 1.0 << ticks(0.2, 0, 5);
    QTest::newRow("21.80 to 36: twos from 20") << 21.8 << 36.0 << ticks(2, 10, 18);
    QTest::newRow("1.60 to 3.00: fifths, on the ends") << 1.6 << 3.0 << ticks(0.2, 8, 15);
    QTest::newRow("-3,625 to 1,375: thousands") << -3625.0 << 1375.0 << ticks(1000, -4, 2);
    QTest::newRow("-900 to 100: two hundreds") << -900.0 << 100.0 << ticks(200, -5, 1);
    QTest::newRow("reversed reads the same") << 9.0 << 0.0 << ticks(2, 0, 5);
    QTest::newRow("one value is widened round it") << 5.0 << 5.0 << ticks(0.1, 47, 53);
    QTest::newRow("zero alone") << 0.0 << 0.0 << ticks(0.2, -3, 3);
    QTest::newRow("trillions") << 0.0 << 9e12 << ticks(2e12, 0, 5);
    QTest::newRow("not a number gives 0 to 1")
        << std::numeric_limits<double>::quiet_NaN() << 1.0 << TickRange{};
    QTest::newRow("infinity gives 0 to 1")
        << 0.0 << std::numeric_limits<double>::infinity() << TickRange{};
}

void TestChartMapping::niceTicks() {
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(TickRange, expected);
    const TickRange got = veltrane::niceTicks(low, high);
    QVERIFY2(near(got.step, expected.step), qPrintable(QString::number(got.step)));
    QCOMPARE(got.first, expected.first);
    QCOMPARE(got.last, expected.last);
    QVERIFY(got.intervals() >= 1 && got.intervals() <= 8);
    if (std::isfinite(low) && std::isfinite(high)) {
        QVERIFY(got.low() <= std::min(low, high) + 1e-9 &&
                got.high() >= std::max(low, high) - 1e-9);
    }
    // The step is 1, 2 or 5 times a power of ten.
    const double mantissa = got.step / std::pow(10.0, std::floor(std::log10(got.step) + 1e-12));
    QVERIFY2(near(mantissa, 1) || near(mantissa, 2) || near(mantissa, 5),
             qPrintable(QString::number(mantissa)));
}

void TestChartMapping::axes_data() {
    QTest::addColumn<PayoffChartModel>("model");
    QTest::addColumn<TickRange>("price");
    QTest::addColumn<TickRange>("profit");
    // Breakeven 27.25: prices from 0.8 × 27.25 = 21.80 to 1.2 × 30 = 36; profit from -3,625 at
    // the axis's left end (20) to 1,375.
    QTest::newRow("worked example")
        << veltrane::testing::workedExample() << ticks(2, 10, 18) << ticks(1000, -4, 2);
    // Breakeven 29 below the strike: from 23.20 to 1.2 × 35 = 42; -900 at 20, most profit 100.
    QTest::newRow("in-the-money call")
        << veltrane::testing::inTheMoneyCall() << ticks(5, 4, 9) << ticks(200, -5, 1);
    // No breakeven: from 0.8 × 2 to 1.2 × 2.50; the whole line is profit, 170 to 260.
    QTest::newRow("no breakeven") << veltrane::testing::noBreakeven() << ticks(0.2, 8, 15)
                                  << ticks(50, 0, 6);
    // A breakeven far below: the price axis stops at zero.
    QTest::newRow("price axis never below zero")
        << veltrane::testing::coveredCall(10, 10, 9.99, 100) << ticks(2, 0, 6) << ticks(200, -1, 5);
    // Breakeven 0.0005: prices from 0.0004 to 0.0012; -0.01 at the left end, most profit 0.05.
    QTest::newRow("below a cent") << veltrane::testing::analysed("0.0003", "0.0010", "0.0008",
                                                                 "100")
                                  << ticks(0.0001, 4, 12) << ticks(0.01, -1, 5);
    // 0.00008 to 0.00012 would take ticks of 0.000005, which money cannot hold.
    QTest::newRow("one ten-thousandth: no tick finer")
        << veltrane::testing::coveredCall(0.0001, 0.0001, 0, 100) << ticks(0.0001, 0, 2)
        << ticks(0.002, -5, 0);
    QTest::newRow("tens of thousands")
        << veltrane::testing::analysed("1250", "30000", "28500", "500") << ticks(2000, 10, 18)
        << ticks(1e6, -4, 2);
}

void TestChartMapping::axes() {
    QFETCH(PayoffChartModel, model);
    QFETCH(TickRange, price);
    QFETCH(TickRange, profit);
    const ChartAxes axes = veltrane::payoffAxes(model);
    QVERIFY2(near(axes.price.step, price.step), qPrintable(QString::number(axes.price.step)));
    QCOMPARE(axes.price.first, price.first);
    QCOMPARE(axes.price.last, price.last);
    QVERIFY2(near(axes.profit.step, profit.step), qPrintable(QString::number(axes.profit.step)));
    QCOMPARE(axes.profit.first, profit.first);
    QCOMPARE(axes.profit.last, profit.last);
    QVERIFY(axes.profit.low() <= 0.0 && axes.profit.high() >= 0.0);
}

void TestChartMapping::mapping_data() {
    QTest::addColumn<PayoffChartModel>("model");
    QTest::addColumn<double>("price");
    QTest::addColumn<double>("profit");
    QTest::addColumn<QPointF>("pixel");
    const PayoffChartModel worked = veltrane::testing::workedExample();
    // Prices 20 to 36 across 400 pixels from x = 50; profit -4,000 to 2,000 up 300 from y = 320.
    QTest::newRow("worked: left bottom corner") << worked << 20.0 << -4000.0 << QPointF(50, 320);
    QTest::newRow("worked: right top corner") << worked << 36.0 << 2000.0 << QPointF(450, 20);
    QTest::newRow("worked: strike at most profit")
        << worked << 30.0 << 1375.0 << QPointF(300, 51.25);
    QTest::newRow("worked: breakeven on the zero line")
        << worked << 27.25 << 0.0 << QPointF(231.25, 120);
    const PayoffChartModel itm = veltrane::testing::inTheMoneyCall();
    // Prices 20 to 45, profit -1,000 to 200.
    QTest::newRow("in the money: current price") << itm << 35.0 << 100.0 << QPointF(290, 45);
    QTest::newRow("in the money: breakeven") << itm << 29.0 << 0.0 << QPointF(194, 70);
    const PayoffChartModel none = veltrane::testing::noBreakeven();
    // Prices 1.60 to 3.00, profit 0 to 300: zero is the bottom edge.
    QTest::newRow("no breakeven: zero at the bottom") << none << 1.6 << 0.0 << QPointF(50, 320);
    QTest::newRow("no breakeven: strike") << none << 2.5 << 260.0 << QPointF(307.142857142857, 60);
}

void TestChartMapping::mapping() {
    QFETCH(PayoffChartModel, model);
    QFETCH(double, price);
    QFETCH(double, profit);
    QFETCH(QPointF, pixel);
    const ChartMapping map(veltrane::payoffAxes(model), plot);
    const QPointF got = map.point(price, profit);
    QVERIFY2(std::abs(got.x() - pixel.x()) < 1e-6 && std::abs(got.y() - pixel.y()) < 1e-6,
             qPrintable(QStringLiteral("(%1, %2)").arg(got.x()).arg(got.y())));
    // And back: the column gives the price again.
    QVERIFY(near(map.priceAt(got.x()), price));
}

void TestChartMapping::crispLines_data() {
    QTest::addColumn<double>("position");
    QTest::addColumn<int>("devicePixels");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<double>("centre");
    QTest::newRow("ratio 1: middle of the pixel") << 10.0 << 1 << 1.0 << 10.5;
    QTest::newRow("ratio 1: a fraction stays in its pixel") << 10.3 << 1 << 1.0 << 10.5;
    QTest::newRow("ratio 1: two pixels wide") << 10.0 << 2 << 1.0 << 11.0;
    QTest::newRow("ratio 1.25: device pixel 12") << 10.0 << 1 << 1.25 << 10.0;
    QTest::newRow("ratio 1.25: device pixel 15") << 12.3 << 1 << 1.25 << 12.4;
    QTest::newRow("ratio 2: one device pixel") << 10.0 << 1 << 2.0 << 10.25;
    QTest::newRow("ratio 2: two device pixels") << 10.0 << 2 << 2.0 << 10.5;
    QTest::newRow("no ratio counts as 1") << 10.0 << 1 << 0.0 << 10.5;
}

void TestChartMapping::crispLines() {
    QFETCH(double, position);
    QFETCH(int, devicePixels);
    QFETCH(double, ratio);
    QFETCH(double, centre);
    const double got = ChartMapping::crisp(position, devicePixels, ratio);
    QVERIFY2(near(got, centre), qPrintable(QString::number(got)));
    // Its edges fall on whole device pixels.
    const double scale = ratio > 0 ? ratio : 1.0;
    const double edge = got * scale - devicePixels / 2.0;
    QVERIFY(near(edge, std::round(edge)));
}

void TestChartMapping::marks_data() {
    QTest::addColumn<PayoffChartModel>("model");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QList<QPointF>>("points");
    QTest::newRow("worked example")
        << veltrane::testing::workedExample() << QStringList{"Breakeven", "Current price", "Strike"}
        << QList<QPointF>{{231.25, 120}, {262.5, 88.75}, {300, 51.25}};
    QTest::newRow("in-the-money call: strike below the current price")
        << veltrane::testing::inTheMoneyCall()
        << QStringList{"Breakeven", "Current price", "Strike"}
        << QList<QPointF>{{194, 70}, {290, 45}, {210, 45}};
    QTest::newRow("no breakeven: no breakeven mark")
        << veltrane::testing::noBreakeven() << QStringList{"Current price", "Strike"}
        << QList<QPointF>{{164.285714285714, 110}, {307.142857142857, 60}};
}

void TestChartMapping::marks() {
    QFETCH(PayoffChartModel, model);
    QFETCH(QStringList, captions);
    QFETCH(QList<QPointF>, points);
    const PayoffChartRenderer renderer(model, {});
    const std::vector<ChartMark> marks =
        renderer.marks(ChartMapping(veltrane::payoffAxes(model), plot));
    QStringList gotCaptions;
    for (const ChartMark& mark : marks) {
        gotCaptions << mark.caption;
    }
    QCOMPARE(gotCaptions, captions);
    for (std::size_t i = 0; i < marks.size(); ++i) {
        const QPointF at = marks[i].at;
        const QPointF wanted = points[static_cast<qsizetype>(i)];
        QVERIFY2(
            std::abs(at.x() - wanted.x()) < 1e-6 && std::abs(at.y() - wanted.y()) < 1e-6,
            qPrintable(
                QStringLiteral("%1 at (%2, %3)").arg(marks[i].caption).arg(at.x()).arg(at.y())));
    }
}

void TestChartMapping::rangeBand_data() {
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<double>("left");
    QTest::addColumn<double>("right");
    // Prices 20 to 36 across 400 pixels from x = 50: 25 pixels a dollar.
    QTest::newRow("inside the axis") << 25.07 << 32.48 << 176.75 << 362.0;
    QTest::newRow("below the axis: cut at its left end") << 10.0 << 30.0 << 50.0 << 300.0;
    QTest::newRow("beyond the axis: cut at its right end") << 25.0 << 90.0 << 175.0 << 450.0;
    QTest::newRow("wholly left of the axis: none") << 5.0 << 15.0 << 0.0 << 0.0;
    QTest::newRow("no width: none") << 28.5 << 28.5 << 0.0 << 0.0;
}

// The band spans the plot's height, across only the prices the axis shows.
void TestChartMapping::rangeBand() {
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(double, left);
    QFETCH(double, right);
    const PayoffChartModel model = veltrane::testing::workedExampleWithOdds(low, high);
    const ChartMapping map(veltrane::payoffAxes(model), plot);
    const PayoffChartRenderer renderer(model, {});
    const std::optional<QRectF> band = renderer.rangeBand(map);
    QCOMPARE(band.has_value(), left < right);
    if (band) {
        QVERIFY2(near(band->left(), left) && near(band->right(), right),
                 qPrintable(QStringLiteral("%1 to %2").arg(band->left()).arg(band->right())));
        QCOMPARE(band->top(), plot.top());
        QCOMPARE(band->bottom(), plot.bottom());
    }
    // Named even where the axis shows none of it.
    const std::vector<ChartLabel> labels =
        renderer.labels(QRectF(0, 0, 960, 600), QFontMetricsF(QGuiApplication::font()));
    QVERIFY(std::any_of(labels.begin(), labels.end(), [](const ChartLabel& label) {
        return label.kind == ChartLabel::Kind::Range;
    }));
    // The axes are the position's own, range or not.
    QCOMPARE(map.axes().price.first,
             veltrane::payoffAxes(veltrane::testing::workedExample()).price.first);
    QCOMPARE(map.axes().price.last,
             veltrane::payoffAxes(veltrane::testing::workedExample()).price.last);
}

// Labels in the user's money texts, never in a format of the chart's own.
void TestChartMapping::texts() {
    // Texts moved in whole: GCC 12 at -O3 warns falsely when a literal is assigned.
    veltrane::RegionalSettings odd;
    odd.decimalSeparator = std::string{"?"};
    odd.groupSeparator = std::string{"~"};
    // Money has separators of its own (LC_MONETARY); here the same as the numbers'.
    odd.moneyDecimalSeparator = std::string{"?"};
    odd.moneyGroupSeparator = std::string{"~"};
    odd.currencySymbol = std::string{"€"};
    odd.currencyPositivePattern = std::string{"# ¤"};
    odd.currencyNegativePattern = "-# ¤";
    const PayoffChartRenderer renderer(veltrane::testing::workedExample(), odd);
    QCOMPARE(renderer.moneyText(-4000.0), QStringLiteral("-4~000?00 €"));
    QCOMPARE(renderer.crosshairText(30.0), QStringLiteral("At 30?00 €: profit 1~375?00 €"));
    QCOMPARE(renderer.crosshairText(20.0), QStringLiteral("At 20?00 €: loss -3~625?00 €"));
    QCOMPARE(renderer.description(),
             QStringLiteral("Profit or loss at expiry against the share price at expiry, from "
                            "20?00 € to 36?00 €. Breakeven 27?25 €, current price 28?50 €, strike "
                            "30?00 €, most profit 1~375?00 €."));
    const PayoffChartRenderer odds(veltrane::testing::workedExampleWithOdds(25.07, 32.48), odd);
    QCOMPARE(odds.rangeText(), QStringLiteral("1 s.d. range 25?07 € \u2013 32?48 €"));
    QVERIFY2(odds.description().endsWith(
                 QStringLiteral("range of the price at expiry, 25?07 € to 32?48 €. The model's "
                                "chance of profit 61.42%.")),
             qPrintable(odds.description()));
    QCOMPARE(renderer.rangeText(), QString());
    const PayoffChartRenderer none(veltrane::testing::noBreakeven(), {});
    QVERIFY(none.description().contains(QStringLiteral("No breakeven, current price $2.00")));
}

void TestChartMapping::readableAtAnyScale_data() {
    QTest::addColumn<PayoffChartModel>("model");
    QTest::addColumn<RegionalSettings>("settings");
    QTest::addColumn<QStringList>("prices");
    QTest::addColumn<QStringList>("profits");
    const PayoffChartModel belowACent =
        veltrane::testing::analysed("0.0003", "0.0010", "0.0008", "100");
    QTest::newRow("below a cent: four decimals")
        << belowACent << RegionalSettings{}
        << QStringList{"$0.0004", "$0.0005", "$0.0006", "$0.0007", "$0.0008",
                       "$0.0009", "$0.0010", "$0.0011", "$0.0012"}
        << QStringList{"($0.01)", "$0.00", "$0.01", "$0.02", "$0.03", "$0.04", "$0.05"};
    // Every text from the user's money writer: its separators, never a point of the chart's own.
    RegionalSettings odd{.decimalSeparator = "?",
                         .groupSeparator = "~",
                         .currencySymbol = "€",
                         .currencyPositivePattern = "# ¤",
                         .currencyNegativePattern = "-# ¤",
                         .moneyDecimalSeparator = "?",
                         .moneyGroupSeparator = "~"};
    QTest::newRow("below a cent, odd separators")
        << belowACent << odd
        << QStringList{"0?0004 €", "0?0005 €", "0?0006 €", "0?0007 €", "0?0008 €",
                       "0?0009 €", "0?0010 €", "0?0011 €", "0?0012 €"}
        << QStringList{"-0?01 €", "0?00 €", "0?01 €", "0?02 €", "0?03 €", "0?04 €", "0?05 €"};
    QTest::newRow("a few tenths of a cent: three decimals")
        << veltrane::testing::coveredCall(0.010, 0.012, 0.001, 1000) << RegionalSettings{}
        << QStringList{"$0.007", "$0.008", "$0.009", "$0.010", "$0.011",
                       "$0.012", "$0.013", "$0.014", "$0.015"}
        << QStringList{"($2.00)", "($1.00)", "$0.00", "$1.00", "$2.00", "$3.00"};
    QTest::newRow("dollars: the user's two decimals")
        << veltrane::testing::workedExample() << RegionalSettings{}
        << QStringList{"$20.00", "$22.00", "$24.00", "$26.00", "$28.00",
                       "$30.00", "$32.00", "$34.00", "$36.00"}
        << QStringList{"($4,000.00)", "($3,000.00)", "($2,000.00)", "($1,000.00)",
                       "$0.00",       "$1,000.00",   "$2,000.00"};
    QTest::newRow("yen: none, but one where the step is half a yen")
        << veltrane::testing::coveredCall(4, 5, 0.5, 100)
        << RegionalSettings{.currencySymbol = "¥", .currencyDecimals = 0}
        << QStringList{"¥2.5", "¥3.0", "¥3.5", "¥4.0", "¥4.5", "¥5.0", "¥5.5", "¥6.0"}
        << QStringList{"(¥100)", "(¥50)", "¥0", "¥50", "¥100", "¥150"};
    QTest::newRow("the model's range, its label placed as the others")
        << veltrane::testing::workedExampleWithOdds(25.07, 32.48) << RegionalSettings{}
        << QStringList{"$20.00", "$22.00", "$24.00", "$26.00", "$28.00",
                       "$30.00", "$32.00", "$34.00", "$36.00"}
        << QStringList{"($4,000.00)", "($3,000.00)", "($2,000.00)", "($1,000.00)",
                       "$0.00",       "$1,000.00",   "$2,000.00"};
    QTest::newRow("tens of thousands")
        << veltrane::testing::analysed("1250", "30000", "28500", "500") << RegionalSettings{}
        << QStringList{"$20,000.00", "$22,000.00", "$24,000.00", "$26,000.00", "$28,000.00",
                       "$30,000.00", "$32,000.00", "$34,000.00", "$36,000.00"}
        << QStringList{"($4,000,000.00)", "($3,000,000.00)", "($2,000,000.00)", "($1,000,000.00)",
                       "$0.00",           "$1,000,000.00",   "$2,000,000.00"};
}

// Tick texts with the decimals the step needs; the line bent at the strike's very pixel; every
// label in the picture with a margin, clear of the others and, in the plot, of the lines.
void TestChartMapping::readableAtAnyScale() {
    QFETCH(PayoffChartModel, model);
    QFETCH(RegionalSettings, settings);
    QFETCH(QStringList, prices);
    QFETCH(QStringList, profits);
    const PayoffChartRenderer renderer(model, settings);
    const ChartAxes axes = veltrane::payoffAxes(model);
    QStringList gotPrices;
    for (std::int64_t i = axes.price.first; i <= axes.price.last; ++i) {
        gotPrices << renderer.priceText(axes.price.value(i));
    }
    QCOMPARE(gotPrices, prices);
    QStringList gotProfits;
    for (std::int64_t i = axes.profit.first; i <= axes.profit.last; ++i) {
        gotProfits << renderer.profitText(axes.profit.value(i));
    }
    QCOMPARE(gotProfits, profits);

    const QFontMetricsF metrics(QGuiApplication::font());
    for (const QSize size : {QSize(960, 600), QSize(640, 400), QSize(320, 200)}) {
        const QString at = QStringLiteral("%1 x %2: ").arg(size.width()).arg(size.height());
        const QRectF bounds(QPointF(0, 0), QSizeF(size));
        const ChartMapping map = renderer.mapping(bounds, metrics);
        const QPolygonF curve = renderer.payoffCurve(map);
        QVERIFY(curve.size() > 2);
        // The line's only bend is the strike's mark.
        std::vector<QPointF> bends;
        for (qsizetype i = 1; i + 1 < curve.size(); ++i) {
            const QPointF in = curve[i] - curve[i - 1];
            const QPointF out = curve[i + 1] - curve[i];
            const double turn = in.x() * out.y() - in.y() * out.x();
            if (std::abs(turn) > 1e-6 * std::hypot(in.x(), in.y()) * std::hypot(out.x(), out.y())) {
                bends.push_back(curve[i]);
            }
        }
        const std::vector<ChartMark> marks = renderer.marks(map);
        QCOMPARE(marks.back().caption, QStringLiteral("Strike"));
        QVERIFY2(bends.size() == 1 && std::abs(bends[0].x() - marks.back().at.x()) < 1e-9 &&
                     std::abs(bends[0].y() - marks.back().at.y()) < 1e-9,
                 qPrintable(at + QStringLiteral("%1 bends, strike at (%2, %3)")
                                     .arg(bends.size())
                                     .arg(marks.back().at.x())
                                     .arg(marks.back().at.y())));

        const std::vector<ChartLabel> labels = renderer.labels(bounds, metrics);
        const QRectF inside = bounds.adjusted(8, 8, -8, -8);
        int markLabels = 0;
        int rangeLabels = 0;
        QStringList priceLabels;
        for (std::size_t i = 0; i < labels.size(); ++i) {
            const ChartLabel& label = labels[i];
            const QString which = at + label.text;
            QVERIFY2(inside.contains(label.box), qPrintable(which + " at the edge"));
            for (std::size_t j = i + 1; j < labels.size(); ++j) {
                QVERIFY2(!label.box.adjusted(-3.99, -3.99, 3.99, 3.99).intersects(labels[j].box),
                         qPrintable(which + " touches " + labels[j].text));
            }
            markLabels += label.kind == ChartLabel::Kind::Mark ? 1 : 0;
            rangeLabels += label.kind == ChartLabel::Kind::Range ? 1 : 0;
            if (label.kind == ChartLabel::Kind::PriceTick) {
                priceLabels << label.text;
            }
            if (label.kind == ChartLabel::Kind::Mark ||
                label.kind == ChartLabel::Kind::ProfitRegion ||
                label.kind == ChartLabel::Kind::LossRegion ||
                label.kind == ChartLabel::Kind::Range) {
                // The payoff line's middle, sampled every half pixel, keeps 4 pixels off.
                const QRectF clear = label.box.adjusted(-3.99, -3.99, 3.99, 3.99);
                for (qsizetype k = 1; k < curve.size(); ++k) {
                    const QLineF piece(curve[k - 1], curve[k]);
                    for (double t = 0; t <= 1.0; t += 0.5 / std::max(1.0, piece.length())) {
                        QVERIFY2(!clear.contains(piece.pointAt(t)),
                                 qPrintable(which + " over the line"));
                    }
                }
            }
        }
        // Labels on every tick, or on every second or fifth where they are too wide; each mark
        // labelled where there is room.
        for (const QString& text : priceLabels) {
            QVERIFY2(prices.contains(text), qPrintable(at + text));
        }
        if (size.width() >= 960) {
            QCOMPARE(priceLabels, prices);
        }
        if (size.width() >= 640) {
            QVERIFY(priceLabels.size() >= 3);
            QCOMPARE(markLabels, static_cast<int>(marks.size()));
            QCOMPARE(rangeLabels, model.priceRange ? 1 : 0);
        }
    }
}

QTEST_MAIN(TestChartMapping)
#include "test_chart_mapping.moc"
