#include "calc/calculation.h"
#include "calc/field_map.h"

#include <QtTest>
#include <array>
#include <string>
#include <vector>

using veltrane::Field;
using veltrane::FieldMap;
using veltrane::RegionalSettings;

namespace {

// Remembers every read and write, in order, so the tests can see that inputs are read afresh.
class RecordingFields : public FieldMap {
public:
    std::string text(Field field) const override {
        reads.push_back(field);
        return FieldMap::text(field);
    }
    void setText(Field field, std::string_view text) override {
        writes.push_back(field);
        FieldMap::setText(field, text);
    }

    mutable std::vector<Field> reads;
    std::vector<Field> writes;
};

using Results = std::array<QByteArray, 7>;

FieldMap withInputs(const QByteArray& option, const QByteArray& strike, const QByteArray& current,
                    const QByteArray& shares, const QByteArray& months) {
    FieldMap fields;
    fields.setText(Field::intOptionPrice, option.toStdString());
    fields.setText(Field::intStrikePrice, strike.toStdString());
    fields.setText(Field::intCurrentPrice, current.toStdString());
    fields.setText(Field::intNoShares, shares.toStdString());
    fields.setText(Field::cboMonthsOut, months.toStdString());
    return fields;
}

Results resultsOf(const FieldMap& fields) {
    Results results;
    for (std::size_t i = 0; i < results.size(); ++i) {
        results[i] = QByteArray::fromStdString(fields.text(veltrane::resultFields[i]));
    }
    return results;
}

void fillResults(FieldMap& fields, std::string_view text) {
    for (Field field : veltrane::resultFields) {
        fields.setText(field, text);
    }
}

} // namespace

Q_DECLARE_METATYPE(Results)

class TestCalculation : public QObject {
    Q_OBJECT

private slots:
    void results_data() {
        QTest::addColumn<QByteArray>("option");
        QTest::addColumn<QByteArray>("strike");
        QTest::addColumn<QByteArray>("current");
        QTest::addColumn<QByteArray>("shares");
        QTest::addColumn<QByteArray>("months");
        QTest::addColumn<Results>("expected");

        QTest::newRow("worked example")
            << QByteArray("1.25") << QByteArray("30") << QByteArray("28.50") << QByteArray("500")
            << QByteArray("3") << Results{"$625.00",   "$15,000.00", "$15,625.00", "$14,250.00",
                                          "$1,375.00", "0.096",      "38.40%"};
        QTest::newRow("negative net gain")
            << QByteArray("0.75") << QByteArray("20") << QByteArray("22") << QByteArray("100")
            << QByteArray("2") << Results{"$75.00",    "$2,000.00", "$2,075.00", "$2,200.00",
                                          "($125.00)", "-0.057",    "-34.20%"};
        QTest::newRow("premium with a half cent")
            << QByteArray("1.125") << QByteArray("25") << QByteArray("24") << QByteArray("33")
            << QByteArray("6")
            << Results{"$37.13", "$825.00", "$862.13", "$792.00", "$70.13", "0.089", "17.80%"};
        QTest::newRow("inputs as users type them")
            << QByteArray(" $1.25 ") << QByteArray("3E1") << QByteArray("+28.5")
            << QByteArray("\t500 ") << QByteArray("3")
            << Results{"$625.00",   "$15,000.00", "$15,625.00", "$14,250.00",
                       "$1,375.00", "0.096",      "38.40%"};
        QTest::newRow("fractional shares and negative price are used as they are")
            << QByteArray("-1") << QByteArray("10") << QByteArray("10") << QByteArray("2.5")
            << QByteArray("12")
            << Results{"($2.50)", "$25.00", "$22.50", "$25.00", "($2.50)", "-0.1", "-10.00%"};

        // Only reachable through the menu entry, which calculates without the check.
        QTest::newRow("option price not a number")
            << QByteArray("abc") << QByteArray("30") << QByteArray("28.50") << QByteArray("500")
            << QByteArray("3") << Results{"$0.00",   "$15,000.00", "$15,000.00", "$14,250.00",
                                          "$750.00", "0.053",      "21.20%"};
        QTest::newRow("strike price not a number")
            << QByteArray("1.25") << QByteArray("abc") << QByteArray("28.50") << QByteArray("500")
            << QByteArray("3") << Results{"$625.00",      "$0.00",  "$625.00", "$14,250.00",
                                          "($13,625.00)", "-0.956", "-382.40%"};
        QTest::newRow("current price not a number: no ratio")
            << QByteArray("1.25") << QByteArray("30") << QByteArray("abc") << QByteArray("500")
            << QByteArray("3")
            << Results{"$625.00", "$15,000.00", "$15,625.00", "$0.00", "$15,625.00", "", ""};
        QTest::newRow("shares not a number")
            << QByteArray("1.25") << QByteArray("30") << QByteArray("28.50") << QByteArray("abc")
            << QByteArray("3") << Results{"$0.00", "$0.00", "$0.00", "$0.00", "$0.00", "", ""};
        QTest::newRow("every input empty")
            << QByteArray() << QByteArray() << QByteArray() << QByteArray() << QByteArray()
            << Results{"$0.00", "$0.00", "$0.00", "$0.00", "$0.00", "", ""};
        QTest::newRow("zero stock cost with a loss")
            << QByteArray("0") << QByteArray("-1") << QByteArray("0") << QByteArray("1")
            << QByteArray("3")
            << Results{"$0.00", "($1.00)", "($1.00)", "$0.00", "($1.00)", "", ""};
        QTest::newRow("minus zero shares")
            << QByteArray("1") << QByteArray("1") << QByteArray("1") << QByteArray("-0")
            << QByteArray("3") << Results{"$0.00", "$0.00", "$0.00", "$0.00", "$0.00", "", ""};

        QTest::newRow("no months chosen: no return")
            << QByteArray("1.25") << QByteArray("30") << QByteArray("28.50") << QByteArray("500")
            << QByteArray()
            << Results{"$625.00", "$15,000.00", "$15,625.00", "$14,250.00", "$1,375.00", "0.096",
                       ""};
        QTest::newRow("months not a number: no return")
            << QByteArray("1.25") << QByteArray("30") << QByteArray("28.50") << QByteArray("500")
            << QByteArray("three")
            << Results{"$625.00", "$15,000.00", "$15,625.00", "$14,250.00", "$1,375.00", "0.096",
                       ""};

        // Amounts beyond what money can hold show nothing, and neither does what rests on them.
        QTest::newRow("premium beyond the money range")
            << QByteArray("1000") << QByteArray("30") << QByteArray("28.50") << QByteArray("1E12")
            << QByteArray("3")
            << Results{"", "$30,000,000,000,000.00", "", "$28,500,000,000,000.00", "", "", ""};
        QTest::newRow("product beyond the double range")
            << QByteArray("1E200") << QByteArray("30") << QByteArray("28.50") << QByteArray("1E200")
            << QByteArray("3") << Results{"", "", "", "", "", "", ""};
        QTest::newRow("shares text beyond the double range")
            << QByteArray("1") << QByteArray("1") << QByteArray("1") << QByteArray("1E400")
            << QByteArray("3") << Results{"", "", "", "", "", "", ""};
        QTest::newRow("stock cost beyond the money range")
            << QByteArray("1") << QByteArray("1") << QByteArray("1E15") << QByteArray("1")
            << QByteArray("3") << Results{"$1.00", "$1.00", "$2.00", "", "", "", ""};
        QTest::newRow("receipts overflow")
            << QByteArray("900000000000000") << QByteArray("900000000000000") << QByteArray("1")
            << QByteArray("1") << QByteArray("3")
            << Results{
                   "$900,000,000,000,000.00", "$900,000,000,000,000.00", "", "$1.00", "", "", ""};
        QTest::newRow("net gain overflows")
            << QByteArray("0") << QByteArray("900000000000000") << QByteArray("-900000000000000")
            << QByteArray("1") << QByteArray("3") << Results{"$0.00",
                                                             "$900,000,000,000,000.00",
                                                             "$900,000,000,000,000.00",
                                                             "($900,000,000,000,000.00)",
                                                             "",
                                                             "",
                                                             ""};
        // Past 15 significant digits the product in double is no longer whole cents.
        QTest::newRow("largest amounts that fit")
            << QByteArray("922337203685477") << QByteArray("0") << QByteArray("1")
            << QByteArray("1") << QByteArray("12")
            << Results{"$922,337,203,685,476.97",   "$0.00",
                       "$922,337,203,685,476.97",   "$1.00",
                       "$922,337,203,685,475.97",   "922337203685476",
                       "92,233,720,368,547,600.00%"};
    }

    void results() {
        QFETCH(QByteArray, option);
        QFETCH(QByteArray, strike);
        QFETCH(QByteArray, current);
        QFETCH(QByteArray, shares);
        QFETCH(QByteArray, months);
        QFETCH(Results, expected);

        FieldMap fields = withInputs(option, strike, current, shares, months);
        // Left-over figures from an earlier calculation must never survive.
        fillResults(fields, "stale");
        veltrane::CalculateIt(fields, RegionalSettings{});
        const Results actual = resultsOf(fields);
        for (std::size_t i = 0; i < actual.size(); ++i) {
            QCOMPARE(actual[i], expected[i]);
        }
    }

    void monthsFactor_data() {
        QTest::addColumn<QByteArray>("months");
        QTest::addColumn<QByteArray>("expected");

        const std::array<const char*, 12> returns{"115.20%", "57.60%", "38.40%", "28.80%",
                                                  "23.04%",  "19.20%", "16.42%", "14.40%",
                                                  "12.77%",  "11.52%", "10.46%", "9.60%"};
        int months = 0;
        for (const char* expected : returns) {
            ++months;
            QTest::newRow(qPrintable(QStringLiteral("months %1").arg(months)))
                << QByteArray::number(months) << QByteArray(expected);
        }
        QTest::newRow("leading zero matches eight") << QByteArray("08") << QByteArray("14.40%");
        QTest::newRow("decimal eight matches") << QByteArray("8.0") << QByteArray("14.40%");
        QTest::newRow("exponent twelve matches") << QByteArray("1.2E1") << QByteArray("9.60%");
        QTest::newRow("zero matches no row") << QByteArray("0") << QByteArray("0.00%");
        QTest::newRow("thirteen matches no row") << QByteArray("13") << QByteArray("0.00%");
        QTest::newRow("two and a half matches no row") << QByteArray("2.5") << QByteArray("0.00%");
        QTest::newRow("minus three matches no row") << QByteArray("-3") << QByteArray("0.00%");
    }

    void monthsFactor() {
        QFETCH(QByteArray, months);
        QFETCH(QByteArray, expected);

        FieldMap fields = withInputs("1.25", "30", "28.50", "500", months);
        veltrane::CalculateIt(fields, RegionalSettings{});
        QCOMPARE(QByteArray::fromStdString(fields.text(Field::pctReturn)), expected);
    }

    // Each input is read once, wherever the months match in the table, and the ratio is not
    // read back through the fields; the results are written in their order.
    void readsEachInputOnceAndWritesInOrder_data() {
        QTest::addColumn<QByteArray>("months");

        QTest::newRow("months 8: first row") << QByteArray("8");
        QTest::newRow("months 3: fifth row") << QByteArray("3");
        QTest::newRow("months 12: last row") << QByteArray("12");
        QTest::newRow("no months: every row tried") << QByteArray();
    }

    void readsEachInputOnceAndWritesInOrder() {
        QFETCH(QByteArray, months);

        RecordingFields fields;
        fields.setText(Field::intOptionPrice, "1.25");
        fields.setText(Field::intStrikePrice, "30");
        fields.setText(Field::intCurrentPrice, "28.50");
        fields.setText(Field::intNoShares, "500");
        fields.setText(Field::cboMonthsOut, months.toStdString());
        fields.writes.clear();

        veltrane::CalculateIt(fields, RegionalSettings{});

        const std::vector<Field> expectedReads{Field::intNoShares, Field::intOptionPrice,
                                               Field::intStrikePrice, Field::intCurrentPrice,
                                               Field::cboMonthsOut};
        QVERIFY(fields.reads == expectedReads);
        QVERIFY(fields.writes ==
                std::vector<Field>(veltrane::resultFields.begin(), veltrane::resultFields.end()));
    }

    // Shares that are not a number stop each product at once: no price is read.
    void skippedStepReadsNoFurther() {
        RecordingFields fields;
        fields.setText(Field::intNoShares, "abc");
        fields.setText(Field::cboMonthsOut, "8");
        veltrane::CalculateIt(fields, RegionalSettings{});
        QCOMPARE(std::count(fields.reads.begin(), fields.reads.end(), Field::intOptionPrice), 0);
        QCOMPARE(std::count(fields.reads.begin(), fields.reads.end(), Field::intNoShares), 1);
    }

    void sameInputsSameResults() {
        FieldMap first = withInputs("1.125", "25", "24", "33", "6");
        veltrane::CalculateIt(first, RegionalSettings{});
        FieldMap second = first;
        veltrane::CalculateIt(second, RegionalSettings{});
        QVERIFY(resultsOf(first) == resultsOf(second));
    }

    void otherRegionalSettings() {
        const RegionalSettings odd{.decimalSeparator = "?",
                                   .groupSeparator = "~",
                                   .negativeSign = "_",
                                   .percentSign = "pct",
                                   .currencySymbol = "¤",
                                   .currencyPositivePattern = "¤#",
                                   .currencyNegativePattern = "_¤#",
                                   .moneyDecimalSeparator = "?",
                                   .moneyGroupSeparator = "~"};
        FieldMap fields = withInputs("¤1?25", "30", "28?50", "500", "3");
        veltrane::CalculateIt(fields, odd);
        const Results expected{"¤625?00",   "¤15~000?00", "¤15~625?00", "¤14~250?00",
                               "¤1~375?00", "0?096",      "38?40pct"};
        QVERIFY(resultsOf(fields) == expected);

        // A negative ratio is read back with the regional minus.
        FieldMap loss = withInputs("0?75", "20", "22", "100", "2");
        veltrane::CalculateIt(loss, odd);
        QCOMPARE(QByteArray::fromStdString(loss.text(Field::intDivideIntoCost)), "_0?057");
        QCOMPARE(QByteArray::fromStdString(loss.text(Field::pctReturn)), "_34?20pct");
    }

    void fieldNamesAreControlNames() {
        QCOMPARE(veltrane::fieldName(Field::intOptionPrice), "intOptionPrice");
        QCOMPARE(veltrane::fieldName(Field::cboMonthsOut), "cboMonthsOut");
        QCOMPARE(veltrane::fieldName(Field::intDivideIntoCost), "intDivideIntoCost");
        QCOMPARE(veltrane::fieldName(Field::pctReturn), "pctReturn");
    }
};

QTEST_APPLESS_MAIN(TestCalculation)
#include "test_calculation.moc"
