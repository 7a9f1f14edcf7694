#include "calc/analysis.h"
#include "calc/calendar_date.h"

#include <QtTest>
#include <array>
#include <chrono>
#include <optional>
#include <span>
#include <string>

using veltrane::Analysis;
using veltrane::AnalysisFigure;
using veltrane::AnalysisInput;
using veltrane::AnalysisInputs;
using veltrane::Currency;
using veltrane::FigureState;
using veltrane::RegionalSettings;

namespace {

// A position under test: the inputs as texts, changed one at a time from a starting point.
struct Position {
    AnalysisInputs in;

    Position set(AnalysisInput input, std::optional<std::string> text) const {
        Position p = *this;
        veltrane::inputText(p.in, input) = std::move(text);
        return p;
    }
    Position fees(const char* text) const { return set(AnalysisInput::fees, text); }
    Position dividend(const char* text) const { return set(AnalysisInput::dividend, text); }
    Position contracts(const char* text) const {
        return set(AnalysisInput::shares, std::nullopt).set(AnalysisInput::contracts, text);
    }
    Position months(const char* text) const {
        return set(AnalysisInput::expiry, std::nullopt).set(AnalysisInput::months, text);
    }
    Position days(const char* text) const {
        return set(AnalysisInput::expiry, std::nullopt).set(AnalysisInput::days, text);
    }
    Position dates(const char* expiry, const char* asOf) const {
        return set(AnalysisInput::expiry, expiry).set(AnalysisInput::asOf, asOf);
    }
};

// Calls sold on shares held, expiring 2027-03-19, counted from 2026-12-18.
Position call(const char* option, const char* strike, const char* current, const char* shares) {
    Position p;
    p.in.optionPrice = option;
    p.in.strikePrice = strike;
    p.in.currentPrice = current;
    p.in.shares = shares;
    p.in.expiry = "2027-03-19";
    p.in.asOf = "2026-12-18";
    p.in.today = std::chrono::year{2026} / 1 / 1; // never used while an as-of date is given
    return p;
}

// The trader's cases every group of figures is checked against.
Position outOfTheMoney() {
    return call("1.25", "30", "28.50", "500");
}
Position inTheMoney() {
    return call("3.10", "30", "32", "200");
}
Position atTheMoney() {
    return call("1.50", "30", "30", "100");
}
// A penny premium that the fees swallow: the position loses at every price.
Position feesAboveEverything() {
    return call("0.05", "30", "29.90", "100").fees("20");
}
Position withDividend() {
    return outOfTheMoney().dividend("0.24");
}
// The premium alone exceeds the stock cost: no price loses.
Position deepPremium() {
    return call("40", "30", "28.50", "100");
}

RegionalSettings germanSettings() {
    return {.decimalSeparator = ",",
            .groupSeparator = ".",
            .currencySymbol = "€",
            .currencyPositivePattern = "#\u00a0¤",
            .currencyNegativePattern = "-#\u00a0¤",
            .moneyDecimalSeparator = ",",
            .moneyGroupSeparator = "."};
}

QByteArray refusalsText(const veltrane::AnalysisResult& result) {
    QByteArray text;
    for (const veltrane::Refusal& refusal : result.refusals) {
        text += QByteArray::fromStdString(veltrane::refusalMessage(refusal)) + ' ';
    }
    return text;
}

QByteArray bytes(const std::optional<std::string>& text) {
    return text ? QByteArray::fromStdString(*text) : QByteArray();
}

using Expected = QList<QByteArray>;

constexpr std::array moneyFigures{AnalysisFigure::premium, AnalysisFigure::dividends,
                                  AnalysisFigure::fees, AnalysisFigure::cost,
                                  AnalysisFigure::assigned};
constexpr std::array profitFigures{AnalysisFigure::maxProfit, AnalysisFigure::staticProfit,
                                   AnalysisFigure::maxLoss, AnalysisFigure::breakeven};
constexpr std::array returnFigures{AnalysisFigure::staticReturn, AnalysisFigure::ifCalledReturn,
                                   AnalysisFigure::downsideProtection,
                                   AnalysisFigure::upsideToStrike};
constexpr std::array perYearFigures{AnalysisFigure::days, AnalysisFigure::staticReturnAnnualised,
                                    AnalysisFigure::ifCalledReturnAnnualised,
                                    AnalysisFigure::staticReturnCompound,
                                    AnalysisFigure::ifCalledReturnCompound};

} // namespace

Q_DECLARE_METATYPE(Position)
Q_DECLARE_METATYPE(RegionalSettings)
Q_DECLARE_METATYPE(AnalysisFigure)
Q_DECLARE_METATYPE(AnalysisInput)
Q_DECLARE_METATYPE(veltrane::InputNamer)

class TestAnalysis : public QObject {
    Q_OBJECT

    // Each figure of the row through its plain value; "" where the figure is empty.
    static void compareFigures(std::span<const AnalysisFigure> figures) {
        QFETCH(Position, position);
        QFETCH(Expected, expected);
        QCOMPARE(expected.size(), static_cast<qsizetype>(figures.size()));
        const auto result = veltrane::analysePosition(position.in, RegionalSettings{});
        QVERIFY2(result.ok(), refusalsText(result).constData());
        for (std::size_t i = 0; i < figures.size(); ++i) {
            const QByteArray actual =
                bytes(veltrane::figurePlainText(*result.analysis, figures[i]));
            const QByteArray& wanted = expected[static_cast<qsizetype>(i)];
            QVERIFY2(actual == wanted,
                     qPrintable(QStringLiteral("%1: got \"%2\", expected \"%3\"")
                                    .arg(QString::fromUtf8(veltrane::figureInfo(figures[i]).key),
                                         QString::fromUtf8(actual), QString::fromUtf8(wanted))));
        }
    }

private slots:
    // The worked example, figure by figure, through the plain values and the US texts.
    void workedExample_data() {
        QTest::addColumn<Position>("position");
        QTest::addColumn<AnalysisFigure>("figure");
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<QByteArray>("text");

        using F = AnalysisFigure;
        const Position dated = outOfTheMoney();
        const Position monthly = outOfTheMoney().months("3");
        struct Row {
            F figure;
            const char* plain;
            const char* text;
        };
        const Row shared[] = {
            {F::premium, "625.00", "$625.00"},      {F::cost, "14250.00", "$14,250.00"},
            {F::maxProfit, "1375.00", "$1,375.00"}, {F::staticProfit, "625.00", "$625.00"},
            {F::breakeven, "27.2500", "$27.25"},    {F::staticReturn, "4.39", "4.39%"},
            {F::ifCalledReturn, "9.65", "9.65%"},   {F::downsideProtection, "4.39", "4.39%"},
            {F::upsideToStrike, "5.26", "5.26%"},
        };
        for (const Row& row : shared) {
            const char* key = veltrane::figureInfo(row.figure).key.data();
            QTest::addRow("dates: %s", key)
                << dated << row.figure << QByteArray(row.plain) << QByteArray(row.text);
            QTest::addRow("months: %s", key)
                << monthly << row.figure << QByteArray(row.plain) << QByteArray(row.text);
        }
        const Row byDates[] = {
            {F::days, "91", "91"},
            {F::staticReturnAnnualised, "17.59", "17.59%"},
            {F::ifCalledReturnAnnualised, "38.70", "38.70%"},
            {F::staticReturnCompound, "18.79", "18.79%"},
            {F::ifCalledReturnCompound, "44.70", "44.70%"},
        };
        for (const Row& row : byDates) {
            QTest::addRow("dates: %s", veltrane::figureInfo(row.figure).key.data())
                << dated << row.figure << QByteArray(row.plain) << QByteArray(row.text);
        }
        const Row byMonths[] = {
            {F::days, "", ""},
            {F::staticReturnAnnualised, "17.54", "17.54%"},
            {F::ifCalledReturnAnnualised, "38.60", "38.60%"},
            {F::staticReturnCompound, "18.73", "18.73%"},
            {F::ifCalledReturnCompound, "44.55", "44.55%"},
        };
        for (const Row& row : byMonths) {
            QTest::addRow("months: %s", veltrane::figureInfo(row.figure).key.data())
                << monthly << row.figure << QByteArray(row.plain) << QByteArray(row.text);
        }
    }

    void workedExample() {
        QFETCH(Position, position);
        QFETCH(AnalysisFigure, figure);
        QFETCH(QByteArray, plain);
        QFETCH(QByteArray, text);

        const auto result = veltrane::analysePosition(position.in, RegionalSettings{});
        QVERIFY2(result.ok(), refusalsText(result).constData());
        QCOMPARE(bytes(veltrane::figurePlainText(*result.analysis, figure)), plain);
        QCOMPARE(bytes(veltrane::figureText(*result.analysis, figure, RegionalSettings{})), text);
        QVERIFY(result.analysis->complete());
    }

    void moneyAmounts_data() {
        QTest::addColumn<Position>("position");
        QTest::addColumn<Expected>("expected"); // premium, dividends, fees, cost, assigned

        QTest::newRow("out-of-the-money call")
            << outOfTheMoney() << Expected{"625.00", "0.00", "0.00", "14250.00", "15000.00"};
        QTest::newRow("in-the-money call")
            << inTheMoney() << Expected{"620.00", "0.00", "0.00", "6400.00", "6000.00"};
        QTest::newRow("at the money")
            << atTheMoney() << Expected{"150.00", "0.00", "0.00", "3000.00", "3000.00"};
        QTest::newRow("fees") << feesAboveEverything()
                              << Expected{"5.00", "0.00", "20.00", "2990.00", "3000.00"};
        QTest::newRow("dividend") << withDividend()
                                  << Expected{"625.00", "120.00", "0.00", "14250.00", "15000.00"};
        QTest::newRow("five contracts are 500 shares")
            << outOfTheMoney().contracts("5")
            << Expected{"625.00", "0.00", "0.00", "14250.00", "15000.00"};
        // 37.125 is held as it is and shown rounded half away from zero.
        QTest::newRow("premium with half a cent")
            << call("1.125", "25", "24", "33")
            << Expected{"37.13", "0.00", "0.00", "792.00", "825.00"};
        QTest::newRow("fees beyond the ten-thousandths")
            << outOfTheMoney().fees("1.23456")
            << Expected{"625.00", "0.00", "1.23", "14250.00", "15000.00"};
        QTest::newRow("inputs as users type them")
            << call(" $1.25 ", "3E1", "+28.5", "\t500 ").fees("$0")
            << Expected{"625.00", "0.00", "0.00", "14250.00", "15000.00"};
        // The product in double past 15 digits is not whole cents, as in the calculation.
        QTest::newRow("largest premium that fits")
            << call("922337203685477", "1", "1", "1")
            << Expected{"922337203685476.97", "0.00", "0.00", "1.00", "1.00"};
        QTest::newRow("stock cost beyond the money range")
            << call("1", "1", "1E15", "1") << Expected{"1.00", "0.00", "0.00", "", "1.00"};
        QTest::newRow("fees beyond the money range")
            << outOfTheMoney().fees("1E15")
            << Expected{"625.00", "0.00", "", "14250.00", "15000.00"};
        // 100 × an odd count above 2^52 is not a whole double: no count of shares to use.
        QTest::newRow("contracts beyond an exact count of shares")
            << call("1", "1", "1", "1").contracts("4503599627370497")
            << Expected{"", "", "0.00", "", ""};
    }

    void moneyAmounts() { compareFigures(moneyFigures); }

    void profitsAndLoss_data() {
        QTest::addColumn<Position>("position");
        QTest::addColumn<Expected>("expected"); // max_profit, static_profit, max_loss, breakeven

        QTest::newRow("out-of-the-money call")
            << outOfTheMoney() << Expected{"1375.00", "625.00", "13625.00", "27.2500"};
        QTest::newRow("in-the-money call: static equals if called")
            << inTheMoney() << Expected{"220.00", "220.00", "5780.00", "28.9000"};
        QTest::newRow("at the money")
            << atTheMoney() << Expected{"150.00", "150.00", "2850.00", "28.5000"};
        QTest::newRow("fees so large that no price breaks even")
            << feesAboveEverything() << Expected{"-5.00", "-15.00", "3005.00", ""};
        QTest::newRow("premium above the stock cost: no price loses")
            << deepPremium() << Expected{"4150.00", "4000.00", "-1150.00", ""};
        QTest::newRow("dividend") << withDividend()
                                  << Expected{"1495.00", "745.00", "13505.00", "27.0100"};
        // The premium just covers the fall to the strike: the breakeven is the strike itself.
        QTest::newRow("maximum profit exactly 0: breakeven at the strike")
            << call("0.50", "30", "30.50", "100") << Expected{"0.00", "0.00", "3000.00", "30.0000"};
        QTest::newRow("contracts") << outOfTheMoney().contracts("5")
                                   << Expected{"1375.00", "625.00", "13625.00", "27.2500"};
        // 8161 / 300 = 27.20333...: the breakeven keeps its ten-thousandths.
        QTest::newRow("breakeven between cents")
            << call("1.30", "30", "28.50", "300").fees("1")
            << Expected{"839.00", "389.00", "8161.00", "27.2033"};
        // 100.0001 / 2 = 50.00005: a tie, to even; 100.0003 / 2 goes up to 50.0002.
        QTest::newRow("breakeven tie rounds down to even")
            << call("0", "60", "50.00005", "2") << Expected{"20.00", "0.00", "100.00", "50.0000"};
        QTest::newRow("breakeven tie rounds up to even")
            << call("0", "60", "50.00015", "2") << Expected{"20.00", "0.00", "100.00", "50.0002"};
        QTest::newRow("stock cost beyond the money range")
            << call("1", "1", "1E15", "1") << Expected{"", "", "", ""};
        // premium + dividends lies past the top of the range: every figure on it is empty.
        QTest::newRow("dividends push the credit past the range")
            << call("922337203685477", "1", "1", "1").dividend("1") << Expected{"", "", "", ""};
        // The same premium less fees fits again: no step on the way overflows.
        QTest::newRow("fees bring the premium and dividends back in range")
            << call("922337203685477", "1", "1", "1").dividend("1").fees("2")
            << Expected{"922337203685475.97", "922337203685475.97", "-922337203685474.97", ""};
        // The loss would pass the top of the range; the profit still fits, and is below 0.
        QTest::newRow("fees push the maximum loss past the range")
            << call("0", "1", "922337203685477", "1").fees("1")
            << Expected{"-922337203685476.97", "-922337203685476.97", "", ""};
    }

    void profitsAndLoss() { compareFigures(profitFigures); }

    void returns_data() {
        QTest::addColumn<Position>("position");
        QTest::addColumn<Expected>("expected"); // static, if called, downside, upside

        QTest::newRow("out-of-the-money call")
            << outOfTheMoney() << Expected{"4.39", "9.65", "4.39", "5.26"};
        // 220 / 6400 = 3.4375 %, shown half away from zero.
        QTest::newRow("in-the-money call: static equals if called")
            << inTheMoney() << Expected{"3.44", "3.44", "9.69", "-6.25"};
        QTest::newRow("at the money") << atTheMoney() << Expected{"5.00", "5.00", "5.00", "0.00"};
        QTest::newRow("fees so large that no price breaks even")
            << feesAboveEverything() << Expected{"-0.50", "-0.17", "-0.50", "0.33"};
        QTest::newRow("dividend") << withDividend() << Expected{"5.23", "10.49", "5.23", "5.26"};
        QTest::newRow("stock cost beyond the money range")
            << call("1", "1", "1E15", "1") << Expected{"", "", "", ""};
        QTest::newRow("stock cost that rounds to 0")
            << call("0", "1", "0.00001", "1") << Expected{"", "", "", ""};
    }

    void returns() { compareFigures(returnFigures); }

    void perYear_data() {
        QTest::addColumn<Position>("position");
        QTest::addColumn<Expected>("expected"); // days, simple static and if called, compound

        QTest::newRow("expiry in 91 days")
            << outOfTheMoney() << Expected{"91", "17.59", "38.70", "18.79", "44.70"};
        QTest::newRow("3 months instead of the dates")
            << outOfTheMoney().months("3") << Expected{"", "17.54", "38.60", "18.73", "44.55"};
        QTest::newRow("91 days typed")
            << outOfTheMoney().days("91") << Expected{"91", "17.59", "38.70", "18.79", "44.70"};
        QTest::newRow("12 months: the return itself")
            << outOfTheMoney().months("12") << Expected{"", "4.39", "9.65", "4.39", "9.65"};
        QTest::newRow("1 month") << outOfTheMoney().months(" 1 ")
                                 << Expected{"", "52.63", "115.79", "67.38", "202.04"};
        // 2028 is a leap year: 25 February to 17 March is a day longer than in 2027.
        QTest::newRow("across a leap day") << outOfTheMoney().dates("2028-03-17", "2028-02-25")
                                           << Expected{"21", "76.23", "167.71", "110.87", "395.82"};
        QTest::newRow("same dates without a leap day")
            << outOfTheMoney().dates("2027-03-17", "2027-02-25")
            << Expected{"20", "80.04", "176.10", "118.89", "437.15"};
        QTest::newRow("across a year end") << outOfTheMoney().dates("2027-01-15", "2026-12-18")
                                           << Expected{"28", "57.17", "125.78", "74.99", "232.27"};
        QTest::newRow("expiry the next day")
            << outOfTheMoney().dates("2026-12-19", "2026-12-18")
            << Expected{"1", "1600.88", "3521.93", "637338424.31", "39983794815989100.00"};
        QTest::newRow("dividend over 3 months")
            << withDividend().months("3") << Expected{"", "20.91", "41.96", "22.61", "49.04"};
        // A static loss of more than the cost: no compound rate; the simple one remains.
        QTest::newRow("static loss beyond the cost: no compound return")
            << call("0", "30", "1", "1").fees("2").days("30")
            << Expected{"30", "-2433.33", "32850.00", "", "40465916526952600000.00"};
        QTest::newRow("compound return beyond the double range")
            << call("0", "30", "1", "1").fees("2").days("1")
            << Expected{"1", "-73000.00", "985500.00", "", ""};
        QTest::newRow("days beyond what the program counts")
            << outOfTheMoney().days("1E300") << Expected{"", "", "", "", ""};
    }

    void perYear() { compareFigures(perYearFigures); }

    // Figures as the user reads them, in two locales.
    void texts_data() {
        QTest::addColumn<RegionalSettings>("settings");
        QTest::addColumn<Position>("position");
        QTest::addColumn<AnalysisFigure>("figure");
        QTest::addColumn<QByteArray>("text");

        using F = AnalysisFigure;
        const RegionalSettings us;
        const RegionalSettings german = germanSettings();
        const Position germanCall = call("1,25", "30", "28,50", "500");
        QTest::newRow("us premium") << us << outOfTheMoney() << F::premium << QByteArray("$625.00");
        QTest::newRow("us cost") << us << outOfTheMoney() << F::cost << QByteArray("$14,250.00");
        QTest::newRow("us negative profit")
            << us << feesAboveEverything() << F::maxProfit << QByteArray("($5.00)");
        QTest::newRow("us breakeven")
            << us << outOfTheMoney() << F::breakeven << QByteArray("$27.25");
        QTest::newRow("us breakeven between cents")
            << us << call("1.30", "30", "28.50", "300").fees("1") << F::breakeven
            << QByteArray("$27.20");
        QTest::newRow("us no breakeven")
            << us << feesAboveEverything() << F::breakeven << QByteArray();
        QTest::newRow("us negative ratio")
            << us << inTheMoney() << F::upsideToStrike << QByteArray("-6.25%");
        QTest::newRow("us days") << us << outOfTheMoney() << F::days << QByteArray("91");

        QTest::newRow("german premium")
            << german << germanCall << F::premium << QByteArray("625,00\u00a0€");
        QTest::newRow("german cost")
            << german << germanCall << F::cost << QByteArray("14.250,00\u00a0€");
        QTest::newRow("german negative profit")
            << german << call("0,05", "30", "29,90", "100").fees("20") << F::maxProfit
            << QByteArray("-5,00\u00a0€");
        QTest::newRow("german breakeven")
            << german << germanCall << F::breakeven << QByteArray("27,25\u00a0€");
        QTest::newRow("german ratio")
            << german << germanCall << F::staticReturn << QByteArray("4,39%");
        QTest::newRow("german compound")
            << german << germanCall << F::ifCalledReturnCompound << QByteArray("44,70%");
        QTest::newRow("german large ratio")
            << german << germanCall.dates("2026-12-19", "2026-12-18") << F::ifCalledReturnAnnualised
            << QByteArray("3.521,93%");
        QTest::newRow("german days") << german << germanCall << F::days << QByteArray("91");

        const RegionalSettings yen{.currencySymbol = "¥", .currencyDecimals = 0};
        QTest::newRow("no currency decimals: breakeven whole")
            << yen << outOfTheMoney() << F::breakeven << QByteArray("¥27");
    }

    void texts() {
        QFETCH(RegionalSettings, settings);
        QFETCH(Position, position);
        QFETCH(AnalysisFigure, figure);
        QFETCH(QByteArray, text);

        const auto result = veltrane::analysePosition(position.in, settings);
        QVERIFY2(result.ok(), refusalsText(result).constData());
        QCOMPARE(bytes(veltrane::figureText(*result.analysis, figure, settings)), text);
    }

    void plainValuesIgnoreCurrencyDecimals() {
        const RegionalSettings yen{.currencySymbol = "¥", .currencyDecimals = 0};
        const auto result = veltrane::analysePosition(outOfTheMoney().in, yen);
        QVERIFY(result.ok());
        QCOMPARE(bytes(veltrane::figureText(*result.analysis, AnalysisFigure::premium, yen)),
                 QByteArray("¥625"));
        QCOMPARE(bytes(veltrane::figurePlainText(*result.analysis, AnalysisFigure::premium)),
                 QByteArray("625.00"));
        QCOMPARE(bytes(veltrane::figurePlainText(*result.analysis, AnalysisFigure::breakeven)),
                 QByteArray("27.2500"));
    }

    void germanReadsItsOwnNumbers() {
        // "28.50" under German rules is a slip of the keyboard, not 2850: refused, not used.
        const auto result =
            veltrane::analysePosition(call("1,25", "30", "28.50", "500").in, germanSettings());
        QVERIFY(!result.ok());
        QCOMPARE(result.refusals.size(), std::size_t{1});
        QCOMPARE(veltrane::refusalMessage(result.refusals.front()),
                 std::string("Current share price \"28.50\" is not a number."));
    }

    // The chart's function: the result at expiry at any share price.
    void payoff_data() {
        QTest::addColumn<Position>("position");
        QTest::addColumn<double>("price");
        QTest::addColumn<QByteArray>("expected"); // ten-thousandths; "" when empty

        QTest::newRow("price falls to 0: the maximum loss")
            << outOfTheMoney() << 0.0 << QByteArray("-136250000");
        QTest::newRow("at the breakeven") << outOfTheMoney() << 27.25 << QByteArray("0");
        QTest::newRow("price unchanged: static profit")
            << outOfTheMoney() << 28.50 << QByteArray("6250000");
        QTest::newRow("between price and strike")
            << outOfTheMoney() << 29.123 << QByteArray("9365000");
        QTest::newRow("at the strike: maximum profit")
            << outOfTheMoney() << 30.0 << QByteArray("13750000");
        QTest::newRow("far above the strike: still the maximum")
            << outOfTheMoney() << 450.0 << QByteArray("13750000");
        QTest::newRow("with dividend and fees")
            << withDividend().fees("9.95") << 29.0 << QByteArray("9850500");
        QTest::newRow("shares worth more than money holds: no figure")
            << outOfTheMoney() << 1e300 << QByteArray("");
        QTest::newRow("stock cost beyond the money range")
            << call("1", "1", "1E15", "1") << 1.0 << QByteArray("");
    }

    void payoff() {
        QFETCH(Position, position);
        QFETCH(double, price);
        QFETCH(QByteArray, expected);

        const auto result = veltrane::analysePosition(position.in, RegionalSettings{});
        QVERIFY2(result.ok(), refusalsText(result).constData());
        const std::optional<Currency> value = veltrane::payoffAt(*result.analysis, price);
        QCOMPARE(value ? QByteArray::number(static_cast<qlonglong>(value->units())) : QByteArray(),
                 expected);
    }

    // What must hold between the figures of every position a trader meets.
    void identities_data() {
        QTest::addColumn<Position>("position");
        QTest::newRow("out of the money") << outOfTheMoney();
        QTest::newRow("in the money") << inTheMoney();
        QTest::newRow("at the money") << atTheMoney();
        QTest::newRow("fees") << feesAboveEverything();
        QTest::newRow("dividend and fees") << withDividend().fees("13.37");
        QTest::newRow("deep premium") << deepPremium();
        QTest::newRow("fractions of a cent") << call("1.3333", "31.7777", "29.0101", "777");
    }

    void identities() {
        QFETCH(Position, position);
        const auto result = veltrane::analysePosition(position.in, RegionalSettings{});
        QVERIFY2(result.ok(), refusalsText(result).constData());
        const Analysis& a = *result.analysis;
        QVERIFY(a.maxProfit && a.maxLoss && a.staticProfit && a.assigned);
        QCOMPARE(veltrane::add(*a.maxLoss, *a.maxProfit), a.assigned);
        QCOMPARE(veltrane::payoffAt(a, a.currentPrice), a.staticProfit);
        QCOMPARE(veltrane::payoffAt(a, a.strikePrice), a.maxProfit);
        QCOMPARE(veltrane::payoffAt(a, 0.0), veltrane::subtract(Currency{}, *a.maxLoss));
        QVERIFY(*a.staticProfit <= *a.maxProfit);
    }

    void completeness_data() {
        QTest::addColumn<Position>("position");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<QByteArray>("reason");

        QTest::newRow("every figure shown") << outOfTheMoney() << true << QByteArray();
        QTest::newRow("no days with months") << outOfTheMoney().months("3") << true << QByteArray();
        QTest::newRow("no breakeven") << feesAboveEverything() << true << QByteArray();
        QTest::newRow("no compound return")
            << call("0", "30", "1", "1").fees("2").days("30") << true << QByteArray();
        QTest::newRow("stock cost overflows")
            << call("1", "1", "1E15", "1") << false
            << QByteArray("Stock cost is beyond the largest amount the program holds.");
        QTest::newRow("maximum loss overflows")
            << call("0", "1", "922337203685477", "1").fees("1") << false
            << QByteArray("Maximum loss is beyond the largest amount the program holds.");
        QTest::newRow("compound return overflows")
            << call("0", "30", "1", "1").fees("2").days("1") << false
            << QByteArray("Return if called per year (compounded) is beyond the largest number "
                          "the program holds.");
        QTest::newRow("stock cost rounds to 0")
            << call("0", "1", "0.00001", "1") << false
            << QByteArray("Static return (price unchanged) cannot be formed: the stock cost "
                          "rounds to 0.");
    }

    void completeness() {
        QFETCH(Position, position);
        QFETCH(bool, complete);
        QFETCH(QByteArray, reason);

        const auto result = veltrane::analysePosition(position.in, RegionalSettings{});
        QVERIFY2(result.ok(), refusalsText(result).constData());
        const Analysis& a = *result.analysis;
        QCOMPARE(a.complete(), complete);
        QCOMPARE(QByteArray::fromStdString(a.incompleteReason()), reason);
        // A figure has a text exactly when it is shown.
        for (const auto& info : veltrane::analysisFigures) {
            const bool shown = a.state(info.figure) == FigureState::shown;
            QCOMPARE(veltrane::figureText(a, info.figure, RegionalSettings{}).has_value(), shown);
            QCOMPARE(veltrane::figurePlainText(a, info.figure).has_value(), shown);
        }
    }

    void refusals_data() {
        QTest::addColumn<Position>("position");
        QTest::addColumn<AnalysisInput>("input");
        QTest::addColumn<QByteArray>("message");

        using I = AnalysisInput;
        const Position p = outOfTheMoney();
        QTest::newRow("option price not a number")
            << p.set(I::optionPrice, "abc") << I::optionPrice
            << QByteArray("Option price \"abc\" is not a number.");
        QTest::newRow("option price given empty")
            << p.set(I::optionPrice, "") << I::optionPrice
            << QByteArray("Option price \"\" is not a number.");
        QTest::newRow("option price missing")
            << p.set(I::optionPrice, std::nullopt) << I::optionPrice
            << QByteArray("Option price is required.");
        QTest::newRow("negative option price")
            << p.set(I::optionPrice, "-0.01") << I::optionPrice
            << QByteArray("Option price \"-0.01\" must be 0 or more.");
        QTest::newRow("number beyond the double range")
            << p.set(I::optionPrice, "1E400") << I::optionPrice
            << QByteArray("Option price \"1E400\" is beyond the largest number the program holds.");
        QTest::newRow("strike price 0") << p.set(I::strikePrice, "0") << I::strikePrice
                                        << QByteArray("Strike price \"0\" must be more than 0.");
        QTest::newRow("negative current price")
            << p.set(I::currentPrice, "-28.50") << I::currentPrice
            << QByteArray("Current share price \"-28.50\" must be more than 0.");
        QTest::newRow("no shares") << p.set(I::shares, "0") << I::shares
                                   << QByteArray("Shares \"0\" must be a whole number, 1 or more.");
        QTest::newRow("part of a share")
            << p.set(I::shares, "2.5") << I::shares
            << QByteArray("Shares \"2.5\" must be a whole number, 1 or more.");
        QTest::newRow("half a contract")
            << p.contracts("0.5") << I::contracts
            << QByteArray("Contracts \"0.5\" must be a whole number, 1 or more.");
        QTest::newRow("shares and contracts")
            << p.set(I::contracts, "5") << I::contracts
            << QByteArray("Contracts \"5\" cannot be given with shares: give one of the two.");
        QTest::newRow("neither shares nor contracts")
            << p.set(I::shares, std::nullopt) << I::shares
            << QByteArray("No position size: give shares or contracts.");
        QTest::newRow("negative fees")
            << p.fees("-1") << I::fees << QByteArray("Fees \"-1\" must be 0 or more.");
        QTest::newRow("negative dividend")
            << p.dividend("-0.24") << I::dividend
            << QByteArray("Dividend per share \"-0.24\" must be 0 or more.");
        QTest::newRow("days 0") << p.days("0") << I::days
                                << QByteArray("Days to expiry \"0\" must be a whole number, 1 or "
                                              "more.");
        QTest::newRow("part of a day")
            << p.days("1.5") << I::days
            << QByteArray("Days to expiry \"1.5\" must be a whole number, 1 or more.");
        QTest::newRow("months 0") << p.months("0") << I::months
                                  << QByteArray("Months to expiry \"0\" must be a whole number of "
                                                "months from 1 to 12.");
        QTest::newRow("months 13") << p.months("13") << I::months
                                   << QByteArray("Months to expiry \"13\" must be a whole number "
                                                 "of months from 1 to 12.");
        QTest::newRow("months written as a decimal")
            << p.months("3.0") << I::months
            << QByteArray(
                   "Months to expiry \"3.0\" must be a whole number of months from 1 to 12.");
        QTest::newRow("months with a leading zero")
            << p.months("03") << I::months
            << QByteArray("Months to expiry \"03\" must be a whole number of months from 1 to 12.");
        QTest::newRow("expiry day first under US settings: no month 19")
            << p.dates("19/03/2027", "2026-12-18") << I::expiry
            << QByteArray("Expiry date \"19/03/2027\" is not a real date; dates are written like "
                          "2027-03-19, 3/19/2027 or 3/19/27.");
        QTest::newRow("expiry without leading zeros")
            << p.dates("2027-3-19", "2026-12-18") << I::expiry
            << QByteArray("Expiry date \"2027-3-19\" is not a date written like 2027-03-19, "
                          "3/19/2027 or 3/19/27.");
        QTest::newRow("29 February of a common year")
            << p.dates("2027-02-29", "2026-12-18") << I::expiry
            << QByteArray("Expiry date \"2027-02-29\" is not a real date; dates are written like "
                          "2027-03-19, 3/19/2027 or 3/19/27.");
        QTest::newRow("as-of month 13")
            << p.dates("2027-03-19", "2026-13-01") << I::asOf
            << QByteArray("As-of date \"2026-13-01\" is not a real date; dates are written like "
                          "2027-03-19, 3/19/2027 or 3/19/27.");
        QTest::newRow("expiry on the as-of date")
            << p.dates("2026-12-18", "2026-12-18") << I::expiry
            << QByteArray("Expiry date \"2026-12-18\" must be after the as-of date, 2026-12-18.");
        QTest::newRow("expiry already past")
            << p.dates("2026-11-20", "2026-12-18") << I::expiry
            << QByteArray("Expiry date \"2026-11-20\" must be after the as-of date, 2026-12-18.");
        QTest::newRow("no time to expiry")
            << p.set(I::expiry, std::nullopt) << I::expiry
            << QByteArray("No time to expiry: give expiry date, days to expiry or months to "
                          "expiry.");
        QTest::newRow("expiry and months")
            << p.set(I::months, "3") << I::months
            << QByteArray("Months to expiry \"3\" cannot be given with expiry date: give one time "
                          "to expiry.");
        QTest::newRow("volatility 0")
            << p.set(I::volatility, "0") << I::volatility
            << QByteArray(
                   "Volatility \"0\" must be more than 0 and at most 1000 (percent a year).");
        QTest::newRow("volatility 1001")
            << p.set(I::volatility, "1001") << I::volatility
            << QByteArray("Volatility \"1001\" must be more than 0 and at most 1000 (percent a "
                          "year).");
        QTest::newRow("rate -21")
            << p.set(I::rate, "-21") << I::rate
            << QByteArray("Interest rate \"-21\" must be from -20 to 100 (percent a year).");
        QTest::newRow("rate 101")
            << p.set(I::rate, "101") << I::rate
            << QByteArray("Interest rate \"101\" must be from -20 to 100 (percent a year).");
        QTest::newRow("ex-dividend on the as-of date")
            << p.dividend("0.24").set(I::exDividend, "2026-12-18") << I::exDividend
            << QByteArray("Ex-dividend date \"2026-12-18\" must be after the as-of date, "
                          "2026-12-18.");
        QTest::newRow("ex-dividend after the expiry")
            << p.dividend("0.24").set(I::exDividend, "2027-03-20") << I::exDividend
            << QByteArray("Ex-dividend date \"2027-03-20\" must be on or before the expiry, "
                          "2027-03-19.");
        QTest::newRow("ex-dividend with months")
            << p.months("3").dividend("0.24").set(I::exDividend, "2027-01-15") << I::exDividend
            << QByteArray("Ex-dividend date \"2027-01-15\" needs an expiry date or days to "
                          "expiry, not months to expiry.");
        QTest::newRow("cost basis 0")
            << p.set(I::costBasis, "0") << I::costBasis
            << QByteArray("Cost basis per share \"0\" must be more than 0.");
    }

    void refusals() {
        QFETCH(Position, position);
        QFETCH(AnalysisInput, input);
        QFETCH(QByteArray, message);

        const auto result = veltrane::analysePosition(position.in, RegionalSettings{});
        QVERIFY(!result.ok());
        QCOMPARE(result.refusals.size(), std::size_t{1});
        QCOMPARE(result.refusals.front().input, input);
        QCOMPARE(QByteArray::fromStdString(veltrane::refusalMessage(result.refusals.front())),
                 message);
    }

    void accepted_data() {
        QTest::addColumn<Position>("position");
        using I = AnalysisInput;
        const Position p = outOfTheMoney();
        QTest::newRow("option price 0") << p.set(I::optionPrice, "0");
        QTest::newRow("option price minus 0") << p.set(I::optionPrice, "-0");
        QTest::newRow("months with blanks") << p.months(" 12\t");
        QTest::newRow("29 February of a leap year") << p.dates("2028-02-29", "2026-12-18");
        QTest::newRow("date with blanks") << p.dates(" 2027-03-19 ", "2026-12-18");
        QTest::newRow("whole shares written with a decimal") << p.set(I::shares, "500.00");
        QTest::newRow("as-of date ignored beside days") << p.days("30");
    }

    void accepted() {
        QFETCH(Position, position);
        const auto result = veltrane::analysePosition(position.in, RegionalSettings{});
        QVERIFY2(result.ok(), refusalsText(result).constData());
        QVERIFY(result.refusals.empty());
    }

    // Several bad inputs are all reported, in the order of the inputs.
    void everyRefusalInOrder() {
        Position p = outOfTheMoney()
                         .fees("x")
                         .set(AnalysisInput::strikePrice, "-30")
                         .set(AnalysisInput::optionPrice, "abc");
        const auto result = veltrane::analysePosition(p.in, RegionalSettings{});
        QCOMPARE(result.refusals.size(), std::size_t{3});
        QCOMPARE(result.refusals[0].input, AnalysisInput::optionPrice);
        QCOMPARE(result.refusals[1].input, AnalysisInput::strikePrice);
        QCOMPARE(result.refusals[2].input, AnalysisInput::fees);
    }

    void refusalNaming_data() {
        QTest::addColumn<veltrane::InputNamer>("naming");
        QTest::addColumn<QByteArray>("bad");
        QTest::addColumn<QByteArray>("clash");

        // The caller spells an input as it likes, here from the key; nothing: the caption.
        const veltrane::InputNamer key = [](AnalysisInput input) {
            std::string name{"<"};
            name.append(veltrane::inputInfo(input).key).push_back('>');
            return name;
        };
        QTest::newRow("caption")
            << veltrane::InputNamer{nullptr}
            << QByteArray("Strike price \"0\" must be more than 0.")
            << QByteArray("Contracts \"5\" cannot be given with shares: give one of the two.");
        QTest::newRow("the caller's spelling")
            << key << QByteArray("<strike_price> \"0\" must be more than 0.")
            << QByteArray("<contracts> \"5\" cannot be given with <shares>: give one of the two.");
    }

    void refusalNaming() {
        QFETCH(veltrane::InputNamer, naming);
        QFETCH(QByteArray, bad);
        QFETCH(QByteArray, clash);

        const auto result = veltrane::analysePosition(outOfTheMoney()
                                                          .set(AnalysisInput::strikePrice, "0")
                                                          .set(AnalysisInput::contracts, "5")
                                                          .in,
                                                      RegionalSettings{});
        QCOMPARE(result.refusals.size(), std::size_t{2});
        QCOMPARE(QByteArray::fromStdString(veltrane::refusalMessage(result.refusals[0], naming)),
                 bad);
        QCOMPARE(QByteArray::fromStdString(veltrane::refusalMessage(result.refusals[1], naming)),
                 clash);
    }

    // The caller's date counts the days when no as-of date is given; the clock is never read.
    void todayCountsWhenNoAsOfDate() {
        Position p = outOfTheMoney().set(AnalysisInput::asOf, std::nullopt);
        p.in.today = std::chrono::year{2026} / 12 / 18;
        auto result = veltrane::analysePosition(p.in, RegionalSettings{});
        QVERIFY(result.ok());
        QCOMPARE(result.analysis->days, std::optional<std::int64_t>{91});

        p.in.today = std::chrono::year{2027} / 3 / 19;
        result = veltrane::analysePosition(p.in, RegionalSettings{});
        QVERIFY(!result.ok());
        QCOMPARE(QByteArray::fromStdString(veltrane::refusalMessage(result.refusals.front())),
                 QByteArray("Expiry date \"2027-03-19\" must be after the as-of date, "
                            "2027-03-19."));
    }

    void tablesFollowTheirEnums() {
        for (std::size_t i = 0; i < veltrane::analysisInputs.size(); ++i) {
            QCOMPARE(static_cast<std::size_t>(veltrane::analysisInputs[i].input), i);
        }
        for (std::size_t i = 0; i < veltrane::analysisFigures.size(); ++i) {
            QCOMPARE(static_cast<std::size_t>(veltrane::analysisFigures[i].figure), i);
        }
        QCOMPARE(veltrane::inputInfo(AnalysisInput::asOf).key, std::string_view{"as_of"});
    }

    void calendarDates_data() {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<qint64>("days");

        QTest::newRow("same day") << QByteArray("2026-12-18") << QByteArray("2026-12-18")
                                  << qint64{0};
        QTest::newRow("leap year")
            << QByteArray("2028-01-01") << QByteArray("2029-01-01") << qint64{366};
        QTest::newRow("century not a leap year")
            << QByteArray("2100-02-28") << QByteArray("2100-03-01") << qint64{1};
        QTest::newRow("backwards")
            << QByteArray("2027-03-19") << QByteArray("2026-12-18") << qint64{-91};
    }

    void calendarDates() {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(qint64, days);

        const auto a = veltrane::parseCalendarDate(from.toStdString());
        const auto b = veltrane::parseCalendarDate(to.toStdString());
        QVERIFY(a.ok() && b.ok());
        QCOMPARE(veltrane::daysBetween(a.date, b.date), days);
        QCOMPARE(QByteArray::fromStdString(veltrane::calendarDateText(a.date)), from);
    }

    // A date typed as the user's settings show it: the pattern's order, any separators, digits
    // alone, two-digit years in this century; an empty result for what is no date.
    void shownDates_data() {
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<QByteArray>("date");

        const QByteArray us("M/d/yy");
        const QByteArray german("dd.MM.yy");
        QTest::newRow("en_US as shown") << us << QByteArray("3/18/27") << QByteArray("2027-03-18");
        QTest::newRow("en_US, both digits and a long year")
            << us << QByteArray("03/18/2027") << QByteArray("2027-03-18");
        QTest::newRow("en_US, digits alone")
            << us << QByteArray("031827") << QByteArray("2027-03-18");
        QTest::newRow("en_US, eight digits alone")
            << us << QByteArray("03182027") << QByteArray("2027-03-18");
        QTest::newRow("en_US, other separators and blanks")
            << us << QByteArray(" 3-18-27 ") << QByteArray("2027-03-18");
        QTest::newRow("de_DE as shown")
            << german << QByteArray("18.03.27") << QByteArray("2027-03-18");
        QTest::newRow("de_DE, one-digit parts")
            << german << QByteArray("8.1.2027") << QByteArray("2027-01-08");
        QTest::newRow("de_DE, digits alone")
            << german << QByteArray("180327") << QByteArray("2027-03-18");
        QTest::newRow("year first")
            << QByteArray("yyyy-MM-dd") << QByteArray("2027-03-18") << QByteArray("2027-03-18");
        QTest::newRow("en_US order refuses the German date")
            << us << QByteArray("18.03.27") << QByteArray();
        QTest::newRow("no 30 February") << us << QByteArray("2/30/27") << QByteArray();
        QTest::newRow("two parts") << us << QByteArray("3/18") << QByteArray();
        QTest::newRow("a three-digit year") << us << QByteArray("3/18/202") << QByteArray();
        QTest::newRow("a day of three digits") << us << QByteArray("3/018/27") << QByteArray();
        QTest::newRow("letters") << us << QByteArray("Mar 18 27") << QByteArray();
        QTest::newRow("a trailing separator") << us << QByteArray("3/18/27/") << QByteArray();
        QTest::newRow("seven digits alone") << us << QByteArray("0318202") << QByteArray();
        QTest::newRow("a run too long for any number")
            << us << QByteArray("3/18/99999999999999999999") << QByteArray();
        QTest::newRow("empty") << us << QByteArray("") << QByteArray();
    }

    void shownDates() {
        QFETCH(QByteArray, pattern);
        QFETCH(QByteArray, typed);
        QFETCH(QByteArray, date);

        const auto read = veltrane::readShownDate(typed.toStdString(), pattern.toStdString());
        QCOMPARE(read.has_value(), !date.isEmpty());
        if (read) {
            QCOMPARE(QByteArray::fromStdString(veltrane::calendarDateText(*read)), date);
            // What the window then shows reads back as the same date.
            const std::string shown = veltrane::shownDateText(*read, pattern.toStdString());
            QCOMPARE(veltrane::readShownDate(shown, pattern.toStdString()), read);
        }
    }

    // A date typed as text: YYYY-MM-DD, or the settings' own form in figures, leading zeros
    // optional, a two-digit year in 2000 to 2099. Any other form is refused naming the forms read.
    void typedDates_data() {
        QTest::addColumn<RegionalSettings>("settings");
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<QByteArray>("read"); // the date, or the expiry's refusal

        using veltrane::DateOrder;
        const RegionalSettings us{};
        // German dates; numbers as the worked example writes them.
        // Texts moved in whole: GCC 12 at -O3 warns falsely when a literal is assigned.
        RegionalSettings german{};
        german.dateOrder = DateOrder::dayMonthYear;
        german.dateSeparator = std::string{"."};
        german.datePadded = true;
        RegionalSettings c{};
        c.dateOrder = DateOrder::isoOnly;
        RegionalSettings odd{};
        odd.dateOrder = DateOrder::yearMonthDay;
        odd.dateSeparator = std::string{"?~"};
        odd.dateEnding = std::string{"~"};
        const QByteArray usForms = "2027-03-19, 3/19/2027 or 3/19/27.";
        const QByteArray notUs = "\" is not a date written like " + usForms;
        const QByteArray germanForms = "2027-03-19, 19.03.2027 or 19.03.27.";

        QTest::newRow("en_US long year")
            << us << QByteArray("3/19/2027") << QByteArray("2027-03-19");
        QTest::newRow("en_US short year")
            << us << QByteArray("3/19/27") << QByteArray("2027-03-19");
        QTest::newRow("en_US leading zeros")
            << us << QByteArray(" 03/09/2027 ") << QByteArray("2027-03-09");
        QTest::newRow("en_US 00 is 2000") << us << QByteArray("1/2/00") << QByteArray("2000-01-02");
        QTest::newRow("en_US 99 is 2099")
            << us << QByteArray("12/31/99") << QByteArray("2099-12-31");
        QTest::newRow("en_US ISO") << us << QByteArray("2027-03-19") << QByteArray("2027-03-19");
        QTest::newRow("en_US refuses the German form")
            << us << QByteArray("19.03.2027") << "Expiry date \"19.03.2027" + notUs;
        QTest::newRow("en_US refuses year first")
            << us << QByteArray("2027/03/19") << "Expiry date \"2027/03/19" + notUs;
        QTest::newRow("en_US refuses dashes")
            << us << QByteArray("19-03-2027") << "Expiry date \"19-03-2027" + notUs;
        QTest::newRow("en_US refuses a three-digit year")
            << us << QByteArray("3/19/202") << "Expiry date \"3/19/202" + notUs;
        QTest::newRow("en_US refuses a trailing separator")
            << us << QByteArray("3/19/27/") << "Expiry date \"3/19/27/" + notUs;
        QTest::newRow("en_US refuses digits alone")
            << us << QByteArray("03192027") << "Expiry date \"03192027" + notUs;
        QTest::newRow("en_US no 30 February")
            << us << QByteArray("2/30/2027")
            << "Expiry date \"2/30/2027\" is not a real date; dates are written like " + usForms;
        QTest::newRow("de_DE long year")
            << german << QByteArray("19.03.2027") << QByteArray("2027-03-19");
        QTest::newRow("de_DE short year, no zeros")
            << german << QByteArray("9.3.27") << QByteArray("2027-03-09");
        QTest::newRow("de_DE ISO")
            << german << QByteArray("2027-03-19") << QByteArray("2027-03-19");
        QTest::newRow("de_DE refuses the US form")
            << german << QByteArray("03/19/2027")
            << "Expiry date \"03/19/2027\" is not a date written like " + germanForms;
        QTest::newRow("de_DE no 31 April")
            << german << QByteArray("31.04.2027")
            << "Expiry date \"31.04.2027\" is not a real date; dates are written like " +
                   germanForms;
        QTest::newRow("C reads ISO") << c << QByteArray("2027-03-19") << QByteArray("2027-03-19");
        QTest::newRow("C refuses the US form")
            << c << QByteArray("3/19/2027")
            << QByteArray("Expiry date \"3/19/2027\" is not a date written like 2027-03-19.");
        QTest::newRow("odd separator and ending")
            << odd << QByteArray("2027?~3?~19~") << QByteArray("2027-03-19");
        QTest::newRow("odd ending left out")
            << odd << QByteArray("27?~03?~19") << QByteArray("2027-03-19");
        QTest::newRow("odd refuses one part of the separator")
            << odd << QByteArray("2027?3?19")
            << QByteArray("Expiry date \"2027?3?19\" is not a date written like 2027-03-19, "
                          "2027?~3?~19~ or 27?~3?~19~.");
    }

    void typedDates() {
        QFETCH(RegionalSettings, settings);
        QFETCH(QByteArray, typed);
        QFETCH(QByteArray, read);

        const veltrane::ParsedDate date = veltrane::readDate(typed.toStdString(), settings);
        if (!read.startsWith("Expiry")) {
            QVERIFY(date.ok());
            QCOMPARE(QByteArray::fromStdString(veltrane::calendarDateText(date.date)), read);
            return;
        }
        QVERIFY(!date.ok());
        const auto result = veltrane::analysePosition(
            outOfTheMoney().dates(typed.constData(), "2026-12-18").in, settings);
        QCOMPARE(result.refusals.size(), std::size_t{1});
        QCOMPARE(QByteArray::fromStdString(veltrane::refusalMessage(result.refusals.front())),
                 read);
    }

    void shownDateTexts_data() {
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("en_US") << QByteArray("M/d/yy") << QByteArray("1/8/27");
        QTest::newRow("de_DE") << QByteArray("dd.MM.yy") << QByteArray("08.01.27");
        QTest::newRow("ISO") << QByteArray("yyyy-MM-dd") << QByteArray("2027-01-08");
        QTest::newRow("a month's name written as its number")
            << QByteArray("d MMM yyyy") << QByteArray("8 01 2027");
        QTest::newRow("a quoted text")
            << QByteArray("d 'de' M 'y' yyyy") << QByteArray("8 de 1 y 2027");
    }

    void shownDateTexts() {
        QFETCH(QByteArray, pattern);
        QFETCH(QByteArray, text);
        const std::chrono::year_month_day date{std::chrono::year{2027}, std::chrono::January,
                                               std::chrono::day{8}};
        QCOMPARE(QByteArray::fromStdString(veltrane::shownDateText(date, pattern.toStdString())),
                 text);
    }
};

QTEST_GUILESS_MAIN(TestAnalysis)
#include "test_analysis.moc"
