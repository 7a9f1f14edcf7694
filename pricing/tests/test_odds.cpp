// The odds of a covered call by the Black–Scholes–Merton model, through the analysis, figure by
// figure. The expected figures were worked out apart from the program: python3, N(x) from
// math.erf, the implied volatility by a 400-step bisection, money in exact fractions; each row
// holds them rounded as written.
#include "calc/analysis.h"
#include "calc/calendar_date.h"
#include "pricing/black_scholes_merton.h"

#include <QtTest>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <limits>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>

using veltrane::Analysis;
using veltrane::AnalysisFigure;
using veltrane::AnalysisInput;
using veltrane::AnalysisInputs;
using veltrane::RegionalSettings;

namespace {

constexpr std::chrono::year_month_day asOfDate = std::chrono::year{2026} / 12 / 18;

// A position under test: the inputs as texts, changed one at a time from a starting point.
struct Position {
    AnalysisInputs in;

    Position set(AnalysisInput input, std::optional<std::string> text) const {
        Position p = *this;
        veltrane::inputText(p.in, input) = std::move(text);
        return p;
    }
    Position rate(std::optional<std::string> text) const {
        return set(AnalysisInput::rate, std::move(text));
    }
    Position volatility(const char* text) const { return set(AnalysisInput::volatility, text); }
    Position dividend(const char* text, std::optional<std::string> exDate = std::nullopt) const {
        return set(AnalysisInput::dividend, text).set(AnalysisInput::exDividend, std::move(exDate));
    }
    Position days(const std::string& text) const {
        return set(AnalysisInput::expiry, std::nullopt).set(AnalysisInput::days, text);
    }
    Position months(const char* text) const {
        return set(AnalysisInput::expiry, std::nullopt).set(AnalysisInput::months, text);
    }
    Position netDebit() const {
        Position p = *this;
        p.in.returnBase = veltrane::ReturnBase::netDebit;
        return p;
    }

    QByteArray described() const {
        QByteArray text;
        for (const veltrane::AnalysisInputInfo& info : veltrane::analysisInputs) {
            if (const auto& value = veltrane::inputText(in, info.input)) {
                text += QByteArray(info.key.data(), static_cast<qsizetype>(info.key.size())) + '=' +
                        QByteArray::fromStdString(*value) + ' ';
            }
        }
        return text;
    }
};

// Calls expiring 2027-03-19, counted from 2026-12-18: 91 days.
Position call(const char* option, const char* strike, const char* current, const char* shares) {
    Position p;
    p.in.optionPrice = option;
    p.in.strikePrice = strike;
    p.in.currentPrice = current;
    p.in.shares = shares;
    p.in.expiry = "2027-03-19";
    p.in.asOf = veltrane::calendarDateText(asOfDate);
    return p;
}

Position outOfTheMoney() {
    return call("1.25", "30", "28.50", "500").rate("4.5");
}
Position inTheMoney() {
    return call("3.10", "30", "32", "200").rate("4.5");
}
Position atTheMoney() {
    return call("1.50", "30", "30", "100").rate("4.5");
}
// Above the intrinsic value (2) but below the call's worth at no volatility, 32 − 30·e^(−rT).
Position belowTheBound() {
    return call("2.20", "30", "32", "200").rate("4.5");
}
Position atTheSharePrice() {
    return call("28.50", "30", "28.50", "100").rate("4.5");
}
// The premium alone exceeds the stock cost: no price loses, and the net debit is below 0.
Position deepPremium() {
    return atTheSharePrice().set(AnalysisInput::optionPrice, "40");
}
Position exDividend() {
    return outOfTheMoney().dividend("0.24", "2027-02-10");
}
// Deep in the money, a big dividend a week before expiry.
Position bigDividendNearExpiry() {
    return call("20.10", "30", "50", "100").rate("4.5").dividend("1.50", "2027-03-12");
}

const veltrane::CallModel* model() {
    return &veltrane::blackScholesMerton();
}

// The model's own figures are checked to the digits a row writes, not to the plain text's two.
std::optional<double> Analysis::*modelDouble(AnalysisFigure figure) {
    switch (figure) {
    case AnalysisFigure::impliedVolatility:
        return &Analysis::impliedVolatility;
    case AnalysisFigure::volatility:
        return &Analysis::volatility;
    case AnalysisFigure::probAssigned:
        return &Analysis::probAssigned;
    case AnalysisFigure::probProfit:
        return &Analysis::probProfit;
    case AnalysisFigure::callDelta:
        return &Analysis::callDelta;
    case AnalysisFigure::positionDelta:
        return &Analysis::positionDelta;
    default:
        return nullptr;
    }
}

QByteArray actualText(const Analysis& a, AnalysisFigure figure, const QByteArray& wanted) {
    const auto member = modelDouble(figure);
    if (member == nullptr || !(a.*member) || wanted.isEmpty()) {
        const auto text = veltrane::figurePlainText(a, figure);
        return text ? QByteArray::fromStdString(*text) : QByteArray();
    }
    const bool percent = veltrane::figureInfo(figure).kind == veltrane::FigureKind::ratio;
    const int decimals = static_cast<int>(wanted.size() - wanted.indexOf('.') - 1);
    return QByteArray::number(*(a.*member) * (percent ? 100.0 : 1.0), 'f', decimals);
}

using Expected = QList<QByteArray>;

constexpr std::array volatilityFigures{AnalysisFigure::impliedVolatility,
                                       AnalysisFigure::volatility, AnalysisFigure::oddsNote};
constexpr std::array oddsFigures{AnalysisFigure::probAssigned, AnalysisFigure::probProfit,
                                 AnalysisFigure::callDelta, AnalysisFigure::positionDelta,
                                 AnalysisFigure::timeDecayPerDay};
constexpr std::array timeValueFigures{AnalysisFigure::intrinsicValue, AnalysisFigure::timeValue,
                                      AnalysisFigure::timeValueReturn};
constexpr std::array earlyAssignmentFigures{
    AnalysisFigure::earlyAssignment, AnalysisFigure::earlyAssignmentProfit,
    AnalysisFigure::earlyAssignmentReturn, AnalysisFigure::earlyAssignmentReturnAnnualised};
constexpr std::array basisFigures{AnalysisFigure::basisCost, AnalysisFigure::basisProfitIfCalled,
                                  AnalysisFigure::basisReturnIfCalled,
                                  AnalysisFigure::basisBreakeven,
                                  AnalysisFigure::basisLossIfCalled};
constexpr std::array returnBaseFigures{
    AnalysisFigure::staticReturn,           AnalysisFigure::ifCalledReturn,
    AnalysisFigure::downsideProtection,     AnalysisFigure::upsideToStrike,
    AnalysisFigure::staticReturnAnnualised, AnalysisFigure::ifCalledReturnAnnualised};

void addColumns() {
    QTest::addColumn<Position>("position");
    QTest::addColumn<Expected>("expected");
}

// The dividend's present value taken out: S* = S − V·e^(−r·tx).
double shareStar(double share, double dividend, double rate, double yearsToEx) {
    return share - dividend * std::exp(-rate * yearsToEx);
}

std::string numberText(double x) {
    std::array<char, 32> buffer{};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), x).ptr;
    return {buffer.data(), end};
}

// Read as the program reads a number, whatever the process locale.
double numberOf(std::string_view text) {
    double x = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), x);
    return x;
}

std::string dateAfterAsOf(int days) {
    return veltrane::calendarDateText(std::chrono::sys_days{asOfDate} + std::chrono::days{days});
}

} // namespace

Q_DECLARE_METATYPE(Position)
Q_DECLARE_METATYPE(veltrane::PositionValues)

class TestOdds : public QObject {
    Q_OBJECT

    static void compareFigures(std::span<const AnalysisFigure> figures) {
        QFETCH(Position, position);
        QFETCH(Expected, expected);
        QCOMPARE(expected.size(), static_cast<qsizetype>(figures.size()));
        const auto result = veltrane::analysePosition(position.in, RegionalSettings{}, model());
        QVERIFY(result.ok());
        // An empty figure of these groups is empty by definition: the position is complete.
        QVERIFY2(result.analysis->complete(), result.analysis->incompleteReason().c_str());
        for (std::size_t i = 0; i < figures.size(); ++i) {
            const QByteArray& wanted = expected[static_cast<qsizetype>(i)];
            const QByteArray actual = actualText(*result.analysis, figures[i], wanted);
            QVERIFY2(actual == wanted,
                     qPrintable(QStringLiteral("%1: got \"%2\", expected \"%3\"")
                                    .arg(QString::fromUtf8(veltrane::figureInfo(figures[i]).key),
                                         QString::fromUtf8(actual), QString::fromUtf8(wanted))));
        }
    }

private slots:
    void volatility_data() {
        addColumns();
        const char* belowNote = "no volatility fits: the option price is not above what the call "
                                "is worth at no volatility";
        const char* shareNote = "no volatility fits: the option price is not below the share price";
        QTest::newRow("out of the money")
            << outOfTheMoney() << Expected{"30.621807", "30.621807", ""};
        QTest::newRow("in the money") << inTheMoney() << Expected{"27.404685", "27.404685", ""};
        QTest::newRow("at the money") << atTheMoney() << Expected{"22.324181", "22.324181", ""};
        QTest::newRow("rate not given: 0")
            << outOfTheMoney().rate(std::nullopt) << Expected{"32.770981", "32.770981", ""};
        QTest::newRow("rate negative")
            << outOfTheMoney().rate("-2") << Expected{"33.701007", "33.701007", ""};
        QTest::newRow("3 months: T = 3/12, not 91/365")
            << outOfTheMoney().months("3") << Expected{"30.573817", "30.573817", ""};
        QTest::newRow("dividend with its ex-date: S* = S - V e^(-r tx)")
            << exDividend() << Expected{"32.428934", "32.428934", ""};
        QTest::newRow("dividend without its ex-date")
            << outOfTheMoney().dividend("0.24")
            << Expected{"", "", "the dividend needs its ex-dividend date"};
        QTest::newRow("price below the no-arbitrage bound")
            << belowTheBound() << Expected{"", "", belowNote};
        QTest::newRow("below the bound, volatility typed")
            << belowTheBound().volatility("25") << Expected{"", "25.000000", belowNote};
        QTest::newRow("price at the share price")
            << atTheSharePrice() << Expected{"", "", shareNote};
        QTest::newRow("at the share price, volatility typed")
            << atTheSharePrice().volatility("40") << Expected{"", "40.000000", shareNote};
        QTest::newRow("volatility typed beside the implied one")
            << outOfTheMoney().volatility("50") << Expected{"30.621807", "50.000000", ""};
    }
    void volatility() { compareFigures(volatilityFigures); }

    void odds_data() {
        addColumns();
        QTest::newRow("out of the money")
            << outOfTheMoney()
            << Expected{"36.747639", "61.419173", "0.4263614", "286.81931", "5.37"};
        QTest::newRow("in the money")
            << inTheMoney() << Expected{"68.624074", "77.584039", "0.7330482", "53.39037", "2.08"};
        QTest::newRow("at the money")
            << atTheMoney() << Expected{"51.791265", "69.324780", "0.5621346", "43.78654", "0.91"};
        QTest::newRow("rate not given: 0")
            << outOfTheMoney().rate(std::nullopt)
            << Expected{"34.631599", "57.623927", "0.4084028", "295.79860", "4.98"};
        QTest::newRow("rate negative")
            << outOfTheMoney().rate("-2")
            << Expected{"33.775825", "56.070774", "0.4011719", "299.41406", "4.82"};
        QTest::newRow("3 months") << outOfTheMoney().months("3")
                                  << Expected{"36.753859", "61.430218", "0.4264143", "286.79283",
                                              "5.35"};
        QTest::newRow("dividend with its ex-date")
            << exDividend() << Expected{"35.185032", "60.567673", "0.4135559", "293.22207", "5.54"};
        QTest::newRow("dividend without its ex-date")
            << outOfTheMoney().dividend("0.24") << Expected{"", "", "", "", ""};
        QTest::newRow("price below the no-arbitrage bound")
            << belowTheBound() << Expected{"", "", "", "", ""};
        QTest::newRow("below the bound, volatility typed")
            << belowTheBound().volatility("25")
            << Expected{"70.694412", "72.510157", "0.7483504", "50.32991", "1.92"};
        QTest::newRow("no price loses: chance of profit 100")
            << deepPremium().volatility("30")
            << Expected{"36.601565", "100.000000", "0.4236243", "57.63757", "1.05"};
        QTest::newRow("no price breaks even: chance of profit 0")
            << call("0.05", "30", "29.90", "100").set(AnalysisInput::fees, "20")
            << Expected{"32.991363", "0.000000", "0.3326893", "66.73107", "0.05"};
    }
    void odds() { compareFigures(oddsFigures); }

    void timeValue_data() {
        addColumns();
        QTest::newRow("out of the money")
            << outOfTheMoney() << Expected{"0.0000", "1.2500", "4.39"};
        QTest::newRow("in the money") << inTheMoney() << Expected{"2.0000", "1.1000", "3.44"};
        QTest::newRow("at the money") << atTheMoney() << Expected{"0.0000", "1.5000", "5.00"};
        QTest::newRow("fractions of a cent")
            << call("1.3333", "31.7777", "33.0101", "777") << Expected{"1.2324", "0.1009", "0.31"};
        QTest::newRow("over the net debit")
            << inTheMoney().netDebit() << Expected{"2.0000", "1.1000", "3.81"};
        QTest::newRow("net debit below 0")
            << deepPremium().netDebit() << Expected{"0.0000", "40.0000", ""};
    }
    void timeValue() { compareFigures(timeValueFigures); }

    void earlyAssignment_data() {
        addColumns();
        QTest::newRow("likely: deep in the money, big dividend a week before expiry")
            << bigDividendNearExpiry() << Expected{"likely", "10.00", "0.20", "0.87"};
        QTest::newRow("likely, over the net debit")
            << bigDividendNearExpiry().netDebit() << Expected{"likely", "10.00", "0.33", "1.45"};
        QTest::newRow("unlikely: in the money, small dividend")
            << inTheMoney().dividend("0.24", "2027-02-10")
            << Expected{"unlikely", "220.00", "3.44", "23.23"};
        QTest::newRow("unlikely: out of the money")
            << exDividend() << Expected{"unlikely", "1375.00", "9.65", "65.22"};
        QTest::newRow("no volatility fits: no verdict, the profit still shown")
            << call("2.05", "30", "32", "200").rate("4.5").dividend("0.24", "2027-02-10")
            << Expected{"", "10.00", "0.16", "1.06"};
        QTest::newRow("dividend without its ex-date")
            << outOfTheMoney().dividend("0.24") << Expected{"", "", "", ""};
    }
    void earlyAssignment() { compareFigures(earlyAssignmentFigures); }

    void basis_data() {
        addColumns();
        QTest::newRow("strike below the cost basis: a loss, no breakeven")
            << outOfTheMoney().set(AnalysisInput::costBasis, "35")
            << Expected{"17500.00", "-1875.00", "-10.71", "", "2500.00"};
        QTest::newRow("strike above the cost basis")
            << outOfTheMoney().set(AnalysisInput::costBasis, "20")
            << Expected{"10000.00", "5625.00", "56.25", "18.7500", ""};
        QTest::newRow("dividend and fees")
            << exDividend().set(AnalysisInput::costBasis, "25").set(AnalysisInput::fees, "10")
            << Expected{"12500.00", "3235.00", "25.88", "23.5300", ""};
        QTest::newRow("premium above the shares' cost: no price loses")
            << outOfTheMoney().set(AnalysisInput::costBasis, "1")
            << Expected{"500.00", "15125.00", "3025.00", "", ""};
        QTest::newRow("no cost basis") << outOfTheMoney() << Expected{"", "", "", "", ""};
    }
    void basis() { compareFigures(basisFigures); }

    void returnBase_data() {
        addColumns();
        QTest::newRow("stock cost")
            << outOfTheMoney() << Expected{"4.39", "9.65", "4.39", "5.26", "17.59", "38.70"};
        QTest::newRow("net debit") << outOfTheMoney().netDebit()
                                   << Expected{"4.59", "10.09", "4.39", "5.26", "18.40", "40.48"};
        QTest::newRow("net debit with fees")
            << outOfTheMoney().set(AnalysisInput::fees, "10").netDebit()
            << Expected{"4.51", "10.01", "4.32", "5.26", "18.09", "40.15"};
        QTest::newRow("net debit over 3 months")
            << outOfTheMoney().months("3").netDebit()
            << Expected{"4.59", "10.09", "4.39", "5.26", "18.35", "40.37"};
        QTest::newRow("net debit exactly 0")
            << atTheSharePrice().netDebit() << Expected{"", "", "100.00", "5.26", "", ""};
        QTest::newRow("net debit below 0")
            << deepPremium().netDebit() << Expected{"", "", "140.35", "5.26", "", ""};
    }
    void returnBase() { compareFigures(returnBaseFigures); }

    // From a hair above the no-arbitrage bound to a hair below S*, a day to 1000 days, with
    // and without a dividend: the implied volatility prices the call back to the option price.
    void impliedPricesBack_data() {
        QTest::addColumn<Position>("position");
        QTest::addColumn<double>("rate");
        QTest::addColumn<double>("years");
        QTest::addColumn<double>("shareStar");
        for (const char* strike : {"15", "27", "30", "33", "60"}) {
            for (const int days : {1, 30, 91, 365, 1000}) {
                for (const char* ratePercent : {"-5", "0", "10"}) {
                    const double rate = numberOf(ratePercent) / 100.0;
                    for (const bool dividend : {false, true}) {
                        const double years = days / 365.0;
                        const int toEx = (days + 1) / 2;
                        const double star =
                            dividend ? shareStar(30.0, 0.5, rate, toEx / 365.0) : 30.0;
                        const double bound =
                            std::max(star - numberOf(strike) * std::exp(-rate * years), 0.0);
                        for (const double way : {1e-6, 0.01, 0.3, 0.9}) {
                            const std::string price = numberText(bound + way * (star - bound));
                            Position p = call(price.c_str(), strike, "30", "100")
                                             .days(std::to_string(days))
                                             .rate(ratePercent);
                            if (dividend) {
                                p = p.dividend("0.5", dateAfterAsOf(toEx));
                            }
                            QTest::addRow("K %s, %d days, rate %s%%, %s, %g of the way", strike,
                                          days, ratePercent, dividend ? "dividend" : "no dividend",
                                          way)
                                << p << rate << years << star;
                        }
                    }
                }
            }
        }
    }
    void impliedPricesBack() {
        QFETCH(Position, position);
        QFETCH(double, rate);
        QFETCH(double, years);
        QFETCH(double, shareStar);
        const auto result = veltrane::analysePosition(position.in, RegionalSettings{}, model());
        QVERIFY(result.ok());
        const std::optional<double> sigma = result.analysis->impliedVolatility;
        QVERIFY2(sigma, result.analysis->oddsNote.c_str());
        const double price = numberOf(*position.in.optionPrice);
        const double value =
            veltrane::callValue(shareStar, result.analysis->strikePrice, rate, years, *sigma);
        QVERIFY2(std::abs(value - price) <= 1e-10 * price,
                 qPrintable(QStringLiteral("value %1 for price %2 at volatility %3")
                                .arg(value, 0, 'g', 17)
                                .arg(price, 0, 'g', 17)
                                .arg(*sigma, 0, 'g', 17)));
    }

    // What must hold for any position, over random positions from deep out of the money to
    // deep in it.
    void properties() {
        std::mt19937_64 random{20261218};
        const auto uniform = [&](double low, double high) {
            return std::uniform_real_distribution<double>{low, high}(random);
        };
        const auto whole = [&](std::int64_t low, std::int64_t high) {
            return std::uniform_int_distribution<std::int64_t>{low, high}(random);
        };
        const auto cents = [](std::int64_t units) {
            return numberText(static_cast<double>(units) / 100.0);
        };
        int withOdds = 0;
        constexpr int positions = 4000;
        for (int i = 0; i < positions; ++i) {
            const std::int64_t strikeCents = whole(100, 50'000);
            const double strike = static_cast<double>(strikeCents) / 100.0;
            const std::int64_t shareCents = std::max<std::int64_t>(
                1, std::llround(strike * std::exp(uniform(std::log(0.3), std::log(3.0))) * 100.0));
            const double share = static_cast<double>(shareCents) / 100.0;
            const int days = static_cast<int>(whole(1, 1000));
            const std::string ratePercent = cents(whole(-500, 1000));
            const double rate = numberOf(ratePercent) / 100.0;
            const bool dividend = whole(0, 1) == 1;
            const std::int64_t dividendCents = dividend ? whole(1, shareCents / 20 + 1) : 0;
            const int toEx = static_cast<int>(whole(1, days));
            const double star = dividend
                                    ? shareStar(share, static_cast<double>(dividendCents) / 100.0,
                                                rate, toEx / 365.0)
                                    : share;
            // The price of a call at a random volatility, in the ten-thousandths money holds.
            const double sigma = std::exp(uniform(std::log(0.05), std::log(2.0)));
            const double value =
                star > 0.0 ? veltrane::callValue(star, strike, rate, days / 365.0, sigma) : 0.0;
            const std::int64_t priceUnits = std::llround(value * 10'000.0);

            Position p = call(numberText(static_cast<double>(priceUnits) / 10'000.0).c_str(),
                              cents(strikeCents).c_str(), cents(shareCents).c_str(),
                              std::to_string(whole(1, 2000)).c_str())
                             .days(std::to_string(days))
                             .rate(ratePercent);
            if (dividend) {
                p = p.dividend(cents(dividendCents).c_str(), dateAfterAsOf(toEx));
            }
            if (whole(0, 3) == 0) {
                p = p.volatility(cents(whole(1, 30'000)).c_str());
            }
            const QByteArray where = p.described();
            const auto result = veltrane::analysePosition(p.in, RegionalSettings{}, model());
            QVERIFY2(result.ok(), where.constData());
            const Analysis& a = *result.analysis;

            QVERIFY2(a.intrinsicValue && a.timeValue, where.constData());
            QVERIFY2(a.intrinsicValue->units() + a.timeValue->units() == priceUnits,
                     where.constData());
            if (a.callDelta) {
                ++withOdds;
                QVERIFY2(*a.callDelta >= 0.0 && *a.callDelta <= 1.0, where.constData());
            }
            if (a.probProfit && a.probAssigned && a.breakeven &&
                *a.breakeven <= veltrane::Currency{strikeCents * 100}) {
                QVERIFY2(*a.probProfit >= *a.probAssigned, where.constData());
            }
            // Where the call is worth its floor, S* − K·e^(−rT), the Black formula rounds a few
            // ulps either way (up to 9 seen): a drop that small is rounding, not the model.
            constexpr double roundingDrop = 32.0 * std::numeric_limits<double>::epsilon();
            if (star > 0.0) {
                double before = 0.0;
                for (const double s : {0.001, 0.01, 0.05, 0.1, 0.2, 0.4, 0.8, 1.6, 3.2, 6.4}) {
                    const double after = veltrane::callValue(star, strike, rate, days / 365.0, s);
                    QVERIFY2(after >= before * (1.0 - roundingDrop),
                             (where + "volatility " + QByteArray::number(s)).constData());
                    before = after;
                }
            }
        }
        // Most positions reach the model's figures, so the checks above are not idle.
        QVERIFY2(withOdds > positions * 3 / 4, QByteArray::number(withOdds).constData());
    }

    // A figure formed alone, as a screen forms what its filters and rank compare, is the figure
    // of the whole analysis; the model runs only for its own figures.
    void figureAlone_data() {
        QTest::addColumn<veltrane::PositionValues>("values");
        using std::chrono::days;
        using std::chrono::sys_days;
        veltrane::PositionValues otm;
        otm.optionPrice = 1.25;
        otm.strikePrice = 30.0;
        otm.currentPrice = 28.5;
        otm.contracts = 5.0;
        otm.asOf = asOfDate;
        otm.expiry = sys_days{asOfDate} + days{91};
        otm.fees = 12.5;
        otm.rate = 4.5;
        QTest::newRow("out of the money") << otm;
        veltrane::PositionValues dividend = otm;
        dividend.dividend = 0.24;
        dividend.exDividend = sys_days{asOfDate} + days{54};
        dividend.returnBase = veltrane::ReturnBase::netDebit;
        QTest::newRow("a dividend before expiry, over the net debit") << dividend;
        veltrane::PositionValues itm = otm;
        itm.strikePrice = 20.0;
        itm.optionPrice = 8.0;
        itm.volatility = 35.0;
        itm.dividend = 3.0;
        itm.exDividend = sys_days{asOfDate} + days{84};
        QTest::newRow("deep in the money, a big dividend, volatility typed") << itm;
        veltrane::PositionValues floor = otm;
        floor.optionPrice = 0.0;
        QTest::newRow("no volatility fits a price of 0") << floor;
    }

    void figureAlone() {
        QFETCH(veltrane::PositionValues, values);
        const auto whole = veltrane::analyseValues(values, model());
        QVERIFY(whole);
        for (const veltrane::AnalysisFigureInfo& info : veltrane::analysisFigures) {
            veltrane::FigureSet wanted;
            wanted.set(static_cast<std::size_t>(info.figure));
            const auto alone = veltrane::analyseValues(
                values, veltrane::formedByModel(info.figure) ? model() : nullptr, wanted);
            QVERIFY(alone);
            const QByteArray where{info.key.data(), static_cast<qsizetype>(info.key.size())};
            QVERIFY2(alone->state(info.figure) == whole->state(info.figure), where.constData());
            QVERIFY2(veltrane::figurePlainText(*alone, info.figure) ==
                         veltrane::figurePlainText(*whole, info.figure),
                     where.constData());
        }
    }
};

QTEST_APPLESS_MAIN(TestOdds)
#include "test_odds.moc"
