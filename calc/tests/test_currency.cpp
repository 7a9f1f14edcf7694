#include "calc/currency.h"
#include "calc/tests/exact_compare.h"

#include <QtTest>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <random>
#include <string>

using veltrane::Currency;

template <typename A, typename B>
concept Multipliable = requires(A a, B b) {
    a* b;
};
template <typename A, typename B>
concept Divisible = requires(A a, B b) {
    a / b;
};

// Amounts are never multiplied or divided, and never made from a double by accident.
static_assert(!Multipliable<Currency, Currency>);
static_assert(!Divisible<Currency, Currency>);
static_assert(!Multipliable<Currency, double>);
static_assert(!std::is_convertible_v<double, Currency>);
static_assert(!std::is_convertible_v<std::int64_t, Currency>);
static_assert(!std::is_convertible_v<Currency, double>);
static_assert(sizeof(Currency) == sizeof(std::int64_t));
static_assert(Currency::max().units() == 9'223'372'036'854'775'807);
static_assert(Currency::min().units() == -9'223'372'036'854'775'807 - 1);
static_assert(veltrane::add(Currency{2}, Currency{3}) == Currency{5});
static_assert(!veltrane::add(Currency::max(), Currency{1}));

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

// The double nearest to a decimal text, as an independent reference.
double nearest(const std::string& decimal) {
    double value = 0.0;
    std::from_chars(decimal.data(), decimal.data() + decimal.size(), value);
    return value;
}

} // namespace

class TestCurrency : public QObject {
    Q_OBJECT

private slots:
    void fromDouble_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qint64>("units");

        QTest::newRow("whole amount") << 625.0 << true << qint64{6'250'000};
        QTest::newRow("four places exact") << 37.125 << true << qint64{371'250};
        QTest::newRow("fifth place half, even below") << 37.12345 << true << qint64{371'234};
        QTest::newRow("fifth place half, even above") << 1.23455 << true << qint64{12'346};
        QTest::newRow("half unit to even 2") << 0.00025 << true << qint64{2};
        QTest::newRow("half unit to even 4") << 0.00035 << true << qint64{4};
        QTest::newRow("negative half unit to even -2") << -0.00025 << true << qint64{-2};
        QTest::newRow("negative half unit to even -4") << -0.00035 << true << qint64{-4};
        QTest::newRow("below half a unit") << 0.00004 << true << qint64{0};
        QTest::newRow("zero") << 0.0 << true << qint64{0};
        QTest::newRow("negative zero") << -0.0 << true << qint64{0};
        QTest::newRow("negative amount") << -125.0 << true << qint64{-1'250'000};
        QTest::newRow("largest whole dollars")
            << 922'337'203'685'477.0 << true << qint64{9'223'372'036'854'769'664};
        QTest::newRow("just past the top rounds to 2^63")
            << 922'337'203'685'477.625 << false << qint64{0};
        QTest::newRow("bottom lands exactly on -2^63")
            << -922'337'203'685'477.625 << true << std::numeric_limits<qint64>::min();
        QTest::newRow("one step below the bottom") << -922'337'203'685'477.75 << false << qint64{0};
        QTest::newRow("1E15 overflows") << 1e15 << false << qint64{0};
        QTest::newRow("-1E15 overflows") << -1e15 << false << qint64{0};
        QTest::newRow("product overflows double") << 1e305 << false << qint64{0};
        QTest::newRow("NaN") << notANumber << false << qint64{0};
        QTest::newRow("+infinity") << infinity << false << qint64{0};
        QTest::newRow("-infinity") << -infinity << false << qint64{0};
    }

    void fromDouble() {
        QFETCH(double, x);
        QFETCH(bool, ok);
        QFETCH(qint64, units);
        const auto amount = Currency::fromDouble(x);
        QCOMPARE(amount.has_value(), ok);
        if (ok) {
            QCOMPARE(amount->units(), units);
        }
    }

    // fromDouble rounds without calling nearbyint: the same units as nearbyint gives, on every
    // half and near-half, at the 2^52 and 2^53 edges and the ends of the range, and at random.
    void fromDoubleRoundsAsNearbyint() {
        const auto byNearbyint = [](double x) -> std::optional<Currency> {
            const double rounded = std::nearbyint(x * 10'000.0);
            constexpr double twoTo63 = 9'223'372'036'854'775'808.0;
            if (!(rounded >= -twoTo63 && rounded < twoTo63)) {
                return std::nullopt;
            }
            return Currency{static_cast<std::int64_t>(rounded)};
        };
        std::vector<double> scaled{0.0,
                                   -0.0,
                                   0.5,
                                   1.5,
                                   2.5,
                                   0.49999999999999994,
                                   -0.5,
                                   -1.5,
                                   -2.5,
                                   1e-300,
                                   -1e-300,
                                   4503599627370495.5,
                                   4503599627370496.0,
                                   4503599627370497.0,
                                   9007199254740993.0,
                                   -4503599627370495.5,
                                   -4503599627370497.0,
                                   9'223'372'036'854'775'807.0,
                                   -9'223'372'036'854'775'808.0,
                                   std::numeric_limits<double>::infinity(),
                                   -std::numeric_limits<double>::infinity(),
                                   std::numeric_limits<double>::quiet_NaN(),
                                   std::numeric_limits<double>::max(),
                                   std::numeric_limits<double>::denorm_min()};
        std::mt19937_64 random{20'261'207};
        for (int i = 0; i < 100'000; ++i) {
            // Halves and their neighbours at every size, and doubles of any bits at all.
            const double half = static_cast<double>(random() >> (random() % 64)) + 0.5;
            scaled.push_back(std::nextafter(half, 0.0));
            scaled.push_back(half);
            scaled.push_back(-std::nextafter(half, 1e300));
            scaled.push_back(std::bit_cast<double>(random()));
        }
        for (const double x : scaled) {
            // x is the scaled value; fromDouble scales by 10,000 itself.
            const double input = x / 10'000.0;
            const std::optional<Currency> got = Currency::fromDouble(input);
            const std::optional<Currency> expected = byNearbyint(input);
            QVERIFY2(got == expected, qPrintable(QString::number(input, 'g', 17)));
        }
    }

    void arithmetic_data() {
        QTest::addColumn<qint64>("a");
        QTest::addColumn<qint64>("b");
        QTest::addColumn<bool>("sumOk");
        QTest::addColumn<qint64>("sum");
        QTest::addColumn<bool>("differenceOk");
        QTest::addColumn<qint64>("difference");

        constexpr qint64 max = std::numeric_limits<qint64>::max();
        constexpr qint64 min = std::numeric_limits<qint64>::min();
        QTest::newRow("ordinary") << qint64{6'250'000} << qint64{150'000'000} << true
                                  << qint64{156'250'000} << true << qint64{-143'750'000};
        QTest::newRow("max + 1 unit overflows")
            << max << qint64{1} << false << qint64{0} << true << max - 1;
        QTest::newRow("max + 0 stays") << max << qint64{0} << true << max << true << max;
        QTest::newRow("min - 1 unit overflows")
            << min << qint64{-1} << false << qint64{0} << true << min + 1;
        QTest::newRow("min + -1 overflows, min - 1 too")
            << min << qint64{1} << true << min + 1 << false << qint64{0};
        QTest::newRow("max - min overflows")
            << max << min << true << qint64{-1} << false << qint64{0};
        QTest::newRow("min - max overflows")
            << min << max << true << qint64{-1} << false << qint64{0};
        QTest::newRow("subtraction takes first minus second")
            << qint64{1} << qint64{2} << true << qint64{3} << true << qint64{-1};
        QTest::newRow("min - min is zero") << min << min << false << qint64{0} << true << qint64{0};
    }

    void arithmetic() {
        QFETCH(qint64, a);
        QFETCH(qint64, b);
        QFETCH(bool, sumOk);
        QFETCH(qint64, sum);
        QFETCH(bool, differenceOk);
        QFETCH(qint64, difference);

        const auto s = veltrane::add(Currency{a}, Currency{b});
        QCOMPARE(s.has_value(), sumOk);
        if (sumOk) {
            QCOMPARE(s->units(), sum);
        }
        const auto d = veltrane::subtract(Currency{a}, Currency{b});
        QCOMPARE(d.has_value(), differenceOk);
        if (differenceOk) {
            QCOMPARE(d->units(), difference);
        }
    }

    void toDouble_data() {
        QTest::addColumn<qint64>("units");
        QTest::addColumn<double>("expected");

        QTest::newRow("whole") << qint64{6'250'000} << 625.0;
        QTest::newRow("one unit") << qint64{1} << 0.0001;
        QTest::newRow("minus one unit") << qint64{-1} << -0.0001;
        QTest::newRow("zero") << qint64{0} << 0.0;
        QTest::newRow("2^53 units, still exact input")
            << qint64{9'007'199'254'740'992} << nearest("900719925474.0992");
        QTest::newRow("2^53 + 1 units, one rounding")
            << qint64{9'007'199'254'740'993} << nearest("900719925474.0993");
        QTest::newRow("largest") << std::numeric_limits<qint64>::max()
                                 << nearest("922337203685477.5807");
        QTest::newRow("smallest") << std::numeric_limits<qint64>::min()
                                  << nearest("-922337203685477.5808");
        QTest::newRow("just below -2^53")
            << qint64{-9'007'199'254'740'995} << nearest("-900719925474.0995");
    }

    void toDouble() {
        QFETCH(qint64, units);
        QFETCH(double, expected);
        COMPARE_EXACT(Currency{units}.toDouble(), expected);
    }

    // Every amount round-trips through double when it has at most 15 significant digits.
    void toDoubleRoundTrips() {
        for (qint64 units : {qint64{1}, qint64{-371'250}, qint64{123'456'789'012'345},
                             qint64{-999'999'999'999'999}}) {
            const auto back = Currency::fromDouble(Currency{units}.toDouble());
            QVERIFY(back.has_value());
            QCOMPARE(back->units(), units);
        }
    }
};

QTEST_APPLESS_MAIN(TestCurrency)
#include "test_currency.moc"
