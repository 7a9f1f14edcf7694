#include "calc/field_map.h"
#include "calc/plain_numbers.h"

#include <QTest>
#include <string>

using veltrane::Field;
using veltrane::FieldMap;
using veltrane::RegionalSettings;

namespace {

// German-style settings: the user's texts carry a decimal comma, point groups and a symbol.
RegionalSettings germanSettings() {
    return {.decimalSeparator = ",",
            .groupSeparator = ".",
            .currencySymbol = "€",
            .currencyPositivePattern = "#\u00a0¤",
            .currencyNegativePattern = "-#\u00a0¤"};
}

QStringList plainResults(const QStringList& inputs, const RegionalSettings& settings) {
    FieldMap typed;
    for (std::size_t i = 0; i < veltrane::inputFields.size(); ++i) {
        typed.setText(veltrane::inputFields[i],
                      inputs.value(static_cast<qsizetype>(i)).toStdString());
    }
    FieldMap plain;
    veltrane::calculatePlainly(typed, settings, plain);
    QStringList texts;
    for (const Field field : veltrane::resultFields) {
        texts << QString::fromStdString(plain.text(field));
    }
    return texts;
}

} // namespace

Q_DECLARE_METATYPE(RegionalSettings)

class TestPlainNumbers : public QObject {
    Q_OBJECT

private slots:
    void resultsWrittenPlainly_data();
    void resultsWrittenPlainly();
    void withDecimals_data();
    void withDecimals();
    void inPlainForm_data();
    void inPlainForm();
};

void TestPlainNumbers::resultsWrittenPlainly_data() {
    QTest::addColumn<RegionalSettings>("settings");
    QTest::addColumn<QStringList>("inputs");
    QTest::addColumn<QStringList>("expected");

    const QStringList worked{"625.00",  "15000.00", "15625.00", "14250.00",
                             "1375.00", "0.096",    "38.40"};
    QTest::newRow("worked example, US")
        << RegionalSettings{} << QStringList{"1.25", "30", "28.50", "500", "3"} << worked;
    QTest::newRow("the same position typed the German way gives the same figures")
        << germanSettings() << QStringList{"1,25", "30", "28,50", "500", "3"} << worked;
    QTest::newRow("a symbol and groups in the input")
        << RegionalSettings{} << QStringList{"$1.25", "$30", "$28.50", "1,000", "3"}
        << QStringList{"1250.00", "30000.00", "31250.00", "28500.00", "2750.00", "0.096", "38.40"};
    QTest::newRow("negative gain: a minus, no parentheses")
        << RegionalSettings{} << QStringList{"0.75", "20", "22", "100", "2"}
        << QStringList{"75.00", "2000.00", "2075.00", "2200.00", "-125.00", "-0.057", "-34.20"};
    QTest::newRow("half a cent rounds as the money text rounds it")
        << RegionalSettings{} << QStringList{"1.125", "25", "24", "33", "6"}
        << QStringList{"37.13", "825.00", "862.13", "792.00", "70.13", "0.089", "17.80"};
    QTest::newRow("a whole ratio keeps three decimals")
        << RegionalSettings{} << QStringList{"0", "20", "10", "1", "12"}
        << QStringList{"0.00", "20.00", "20.00", "10.00", "10.00", "1.000", "100.00"};
    QTest::newRow("no months: the return stays empty")
        << RegionalSettings{} << QStringList{"1.25", "30", "28.50", "500", ""}
        << QStringList{"625.00", "15000.00", "15625.00", "14250.00", "1375.00", "0.096", ""};
    QTest::newRow("no stock cost: no ratio and no return")
        << RegionalSettings{} << QStringList{"1", "2", "0", "10", "3"}
        << QStringList{"10.00", "20.00", "30.00", "0.00", "30.00", "", ""};
    QTest::newRow("a product beyond the money range stays empty")
        << RegionalSettings{} << QStringList{"1E300", "2", "1", "10", "3"}
        << QStringList{"", "20.00", "", "10.00", "", "", ""};
}

void TestPlainNumbers::resultsWrittenPlainly() {
    QFETCH(RegionalSettings, settings);
    QFETCH(QStringList, inputs);
    QFETCH(QStringList, expected);

    QCOMPARE(plainResults(inputs, settings), expected);
}

void TestPlainNumbers::withDecimals_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("places");
    QTest::addColumn<QString>("expected");

    QTest::newRow("already three") << "0.096" << 3 << "0.096";
    QTest::newRow("a whole number") << "2" << 3 << "2.000";
    QTest::newRow("one decimal") << "-0.1" << 3 << "-0.100";
    QTest::newRow("more decimals are kept, not rounded") << "0.12345" << 3 << "0.12345";
    QTest::newRow("a large exponent") << "1.5E+16" << 3 << "15000000000000000.000";
    QTest::newRow("a small exponent") << "-1.5E-05" << 3 << "-0.000015";
    QTest::newRow("digits of an exponent form")
        << "9.22337203685478E+18" << 3 << "9223372036854780000.000";
}

void TestPlainNumbers::withDecimals() {
    QFETCH(QString, text);
    QFETCH(int, places);
    QFETCH(QString, expected);

    QCOMPARE(QString::fromStdString(veltrane::withDecimals(text.toStdString(), places)), expected);
}

void TestPlainNumbers::inPlainForm_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("percent");
    QTest::addColumn<QChar>("decimal");
    QTest::addColumn<bool>("fraction");
    QTest::addColumn<QString>("expected");

    QTest::newRow("the default changes nothing")
        << "38.40" << true << QChar{'.'} << false << "38.40";
    QTest::newRow("a decimal comma") << "-1375.00" << false << QChar{','} << false << "-1375,00";
    QTest::newRow("a percentage as a fraction")
        << "38.40" << true << QChar{'.'} << true << "0.3840";
    QTest::newRow("a small negative percentage, comma")
        << "-0.05" << true << QChar{','} << true << "-0,0005";
    QTest::newRow("a large percentage") << "12345.67" << true << QChar{'.'} << true << "123.4567";
    QTest::newRow("a whole percentage") << "100" << true << QChar{'.'} << true << "1.00";
    QTest::newRow("money is never a fraction")
        << "625.00" << false << QChar{'.'} << true << "625.00";
    QTest::newRow("no figure stays empty") << "" << true << QChar{','} << true << "";
}

void TestPlainNumbers::inPlainForm() {
    QFETCH(QString, text);
    QFETCH(bool, percent);
    QFETCH(QChar, decimal);
    QFETCH(bool, fraction);
    QFETCH(QString, expected);

    const veltrane::PlainForm form{decimal.toLatin1(), fraction};
    QCOMPARE(QString::fromStdString(veltrane::inPlainForm(text.toStdString(), form, percent)),
             expected);
}

QTEST_APPLESS_MAIN(TestPlainNumbers)
#include "test_plain_numbers.moc"
