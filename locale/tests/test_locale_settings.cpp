#include "calc/number_text.h"
#include "locale/locale_settings.h"

#include <QLocale>
#include <QProcessEnvironment>
#include <QTest>

Q_DECLARE_METATYPE(veltrane::RegionalSettings)

namespace veltrane {

// Lets QCOMPARE print both settings in full when they differ.
char* toString(const RegionalSettings& s) {
    const QString text =
        QStringLiteral("dec[%1] grp[%2] sizes %3/%4 min %5 neg[%6] pos[%7] pct[%8] sym[%9] "
                       "decimals %10 +[%11] -[%12]")
            .arg(QString::fromStdString(s.decimalSeparator),
                 QString::fromStdString(s.groupSeparator))
            .arg(s.primaryGroupSize)
            .arg(s.secondaryGroupSize)
            .arg(s.minimumGroupingDigits)
            .arg(QString::fromStdString(s.negativeSign), QString::fromStdString(s.positiveSign),
                 QString::fromStdString(s.percentSign), QString::fromStdString(s.currencySymbol))
            .arg(s.currencyDecimals)
            .arg(QString::fromStdString(s.currencyPositivePattern),
                 QString::fromStdString(s.currencyNegativePattern));
    return qstrdup(text.toUtf8().constData());
}

} // namespace veltrane

using veltrane::RegionalSettings;

namespace {

// A locale's settings, starting from the reference and changing what differs.
struct Expected {
    RegionalSettings settings;

    Expected& separators(const char* decimal, const char* group) {
        settings.decimalSeparator = decimal;
        settings.groupSeparator = group;
        return *this;
    }
    Expected& grouping(int primary, int secondary, int minimum) {
        settings.primaryGroupSize = primary;
        settings.secondaryGroupSize = secondary;
        settings.minimumGroupingDigits = minimum;
        return *this;
    }
    Expected& money(const char* symbol, int decimals, const char* positive, const char* negative) {
        settings.currencySymbol = symbol;
        settings.currencyDecimals = decimals;
        settings.currencyPositivePattern = positive;
        settings.currencyNegativePattern = negative;
        return *this;
    }
    Expected& negativeSign(const char* sign) {
        settings.negativeSign = sign;
        return *this;
    }
};

} // namespace

class TestLocaleSettings : public QObject {
    Q_OBJECT

private slots:
    void fromLocale_data();
    void fromLocale();
    void fromEnvironment_data();
    void fromEnvironment();
    void germanTextsReadAndWrite();
};

void TestLocaleSettings::fromLocale_data() {
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<RegionalSettings>("expected");

    // "\u00a0" is the no-break space, "\u202f" the narrow one, "\u00a4" the symbol's place.
    QTest::newRow("US English is the reference") << "en_US" << RegionalSettings{};
    QTest::newRow("English alone means US English") << "en" << RegionalSettings{};
    QTest::newRow("C is the reference, though it has no symbol") << "C" << RegionalSettings{};
    QTest::newRow("POSIX is C") << "POSIX" << RegionalSettings{};
    QTest::newRow("an unknown locale falls back to C") << "xx_YY" << RegionalSettings{};
    QTest::newRow("de_DE: symbol after, behind a no-break space")
        << "de_DE.UTF-8"
        << Expected{}
               .separators(",", ".")
               .money("€", 2, "#\u00a0\u00a4", "-#\u00a0\u00a4")
               .settings;
    QTest::newRow("fr_FR: narrow no-break space groups, negative in parentheses")
        << "fr_FR"
        << Expected{}
               .separators(",", "\u202f")
               .money("€", 2, "#\u00a0\u00a4", "(#\u00a0\u00a4)")
               .settings;
    QTest::newRow("es_ES: groups only from five digits")
        << "es_ES"
        << Expected{}
               .separators(",", ".")
               .grouping(3, 3, 2)
               .money("€", 2, "#\u00a0\u00a4", "-#\u00a0\u00a4")
               .settings;
    QTest::newRow("hi_IN: groups of two above the first three")
        << "hi_IN" << Expected{}.grouping(3, 2, 1).money("₹", 2, "\u00a4#", "\u00a4-#").settings;
    QTest::newRow("ja_JP: no currency decimals")
        << "ja_JP" << Expected{}.money("￥", 0, "\u00a4#", "(\u00a4#)").settings;
    QTest::newRow("nl_NL: symbol in front, behind a no-break space")
        << "nl_NL"
        << Expected{}
               .separators(",", ".")
               .money("€", 2, "\u00a4\u00a0#", "(\u00a4\u00a0#)")
               .settings;
    QTest::newRow("sv_SE: a real minus sign and a symbol of two letters")
        << "sv_SE"
        << Expected{}
               .separators(",", "\u00a0")
               .negativeSign("\u2212")
               .money("kr", 2, "#\u00a0\u00a4", "\u2212#\u00a0\u00a4")
               .settings;
    QTest::newRow("de_CH: apostrophe groups, point decimals")
        << "de_CH"
        << Expected{}
               .separators(".", "\u2019")
               .money("CHF", 2, "#\u00a0\u00a4", "-#\u00a0\u00a4")
               .settings;
    QTest::newRow("en_GB is English but not the reference")
        << "en_GB" << Expected{}.money("£", 2, "\u00a4#", "(\u00a4#)").settings;
}

void TestLocaleSettings::fromLocale() {
    QFETCH(QString, localeName);
    QFETCH(RegionalSettings, expected);

    QCOMPARE(veltrane::regionalSettingsFor(QLocale(localeName)), expected);
}

void TestLocaleSettings::fromEnvironment_data() {
    QTest::addColumn<QStringList>("variables");
    QTest::addColumn<QString>("decimalSeparator");
    QTest::addColumn<QString>("currencySymbol");

    QTest::newRow("nothing set is C") << QStringList{} << "."
                                      << "$";
    QTest::newRow("LANG alone") << QStringList{"LANG=de_DE.UTF-8"} << ","
                                << "€";
    QTest::newRow("LC_ALL beats LANG")
        << QStringList{"LANG=en_US.UTF-8", "LC_ALL=fr_FR.UTF-8"} << ","
        << "€";
    QTest::newRow("an empty LC_ALL counts as unset")
        << QStringList{"LANG=de_DE.UTF-8", "LC_ALL="} << ","
        << "€";
    QTest::newRow("LC_ALL=C beats a German LANG")
        << QStringList{"LANG=de_DE.UTF-8", "LC_ALL=C"} << "."
        << "$";
    QTest::newRow("numbers from LC_NUMERIC, money from LC_MONETARY")
        << QStringList{"LANG=en_US.UTF-8", "LC_NUMERIC=de_DE.UTF-8", "LC_MONETARY=en_GB.UTF-8"}
        << ","
        << "£";
    QTest::newRow("LC_MESSAGES does not decide numbers")
        << QStringList{"LANG=en_US.UTF-8", "LC_MESSAGES=de_DE.UTF-8"} << "."
        << "$";
}

void TestLocaleSettings::fromEnvironment() {
    QFETCH(QStringList, variables);
    QFETCH(QString, decimalSeparator);
    QFETCH(QString, currencySymbol);

    QProcessEnvironment environment;
    for (const QString& variable : variables) {
        const qsizetype equals = variable.indexOf(u'=');
        environment.insert(variable.left(equals), variable.mid(equals + 1));
    }
    const RegionalSettings settings = veltrane::regionalSettingsFromEnvironment(environment);
    QCOMPARE(QString::fromStdString(settings.decimalSeparator), decimalSeparator);
    QCOMPARE(QString::fromStdString(settings.currencySymbol), currencySymbol);
}

// The settings are for reading as well as writing: the core must take them both ways.
void TestLocaleSettings::germanTextsReadAndWrite() {
    const RegionalSettings german = veltrane::regionalSettingsFor(QLocale("de_DE"));

    const veltrane::ParsedNumber read = veltrane::parseNumber("1.234,50", german);
    QVERIFY(read.ok());
    QCOMPARE(read.value, 1234.5);
    QCOMPARE(QString::fromStdString(veltrane::currencyText(veltrane::Currency{12'345'000}, german)),
             QStringLiteral("1.234,50\u00a0€"));
}

QTEST_APPLESS_MAIN(TestLocaleSettings)
#include "test_locale_settings.moc"
