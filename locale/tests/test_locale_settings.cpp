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
                 QString::fromStdString(s.currencyNegativePattern)) +
        QStringLiteral(" money dec[%1] grp[%2] sizes %3/%4 min %5 own[%6 %7 %8 %9]")
            .arg(QString::fromStdString(s.moneyDecimalSeparator),
                 QString::fromStdString(s.moneyGroupSeparator))
            .arg(s.moneyPrimaryGroupSize)
            .arg(s.moneySecondaryGroupSize)
            .arg(s.moneyMinimumGroupingDigits)
            .arg(QString::fromStdString(s.nativeZeroDigit),
                 QString::fromStdString(s.nativeDecimalSeparator),
                 QString::fromStdString(s.nativeGroupSeparator),
                 QString::fromStdString(s.nativeNegativeSign)) +
        QStringLiteral(" dates[%1] order %2 sep[%3] end[%4] padded %5")
            .arg(QString::fromStdString(s.shortDatePattern))
            .arg(static_cast<int>(s.dateOrder))
            .arg(QString::fromStdString(s.dateSeparator), QString::fromStdString(s.dateEnding))
            .arg(s.datePadded);
    return qstrdup(text.toUtf8().constData());
}

} // namespace veltrane

using veltrane::RegionalSettings;

namespace {

// A locale's settings, starting from the reference and changing what differs.
struct Expected {
    RegionalSettings settings;

    // Numbers and money alike, as one locale writes both.
    Expected& separators(const char* decimal, const char* group) {
        settings.decimalSeparator = decimal;
        settings.groupSeparator = group;
        settings.moneyDecimalSeparator = decimal;
        settings.moneyGroupSeparator = group;
        return *this;
    }
    Expected& grouping(int primary, int secondary, int minimum) {
        settings.primaryGroupSize = primary;
        settings.secondaryGroupSize = secondary;
        settings.minimumGroupingDigits = minimum;
        settings.moneyPrimaryGroupSize = primary;
        settings.moneySecondaryGroupSize = secondary;
        settings.moneyMinimumGroupingDigits = minimum;
        return *this;
    }
    Expected& money(const char* symbol, int decimals, const char* positive, const char* negative) {
        settings.currencySymbol = symbol;
        settings.currencyDecimals = decimals;
        settings.currencyPositivePattern = positive;
        settings.currencyNegativePattern = negative;
        return *this;
    }
    // The short date pattern, and the form in figures read from it.
    Expected& dates(const char* pattern, veltrane::DateOrder order, const char* separator,
                    bool padded, const char* ending = "") {
        settings.shortDatePattern = pattern;
        settings.dateOrder = order;
        settings.dateSeparator = separator;
        settings.datePadded = padded;
        settings.dateEnding = ending;
        return *this;
    }
    Expected& isoDatesOnly() {
        settings.dateOrder = veltrane::DateOrder::isoOnly;
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
    void dateFormsInFigures_data();
    void dateFormsInFigures();
    void fromEnvironment_data();
    void fromEnvironment();
    void germanTextsReadAndWrite();
    void moneyFollowsLcMonetary_data();
    void moneyFollowsLcMonetary();
    void ownDigitsAreWrittenInLatinForm();
    void textsTheProgramWritesReadBack_data();
    void textsTheProgramWritesReadBack();
};

void TestLocaleSettings::fromLocale_data() {
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<RegionalSettings>("expected");

    // "\u00a0" is the no-break space, "\u202f" the narrow one, "\u00a4" the symbol's place.
    QTest::newRow("US English is the reference") << "en_US" << RegionalSettings{};
    QTest::newRow("English alone means US English") << "en" << RegionalSettings{};
    QTest::newRow("C is the reference, though it has no symbol and reads ISO dates only")
        << "C" << Expected{}.isoDatesOnly().settings;
    QTest::newRow("POSIX is C") << "POSIX" << Expected{}.isoDatesOnly().settings;
    QTest::newRow("an unknown locale falls back to C")
        << "xx_YY" << Expected{}.isoDatesOnly().settings;
    QTest::newRow("de_DE: symbol after, behind a no-break space")
        << "de_DE.UTF-8"
        << Expected{}
               .separators(",", ".")
               .money("€", 2, "#\u00a0\u00a4", "-#\u00a0\u00a4")
               .dates("dd.MM.yy", veltrane::DateOrder::dayMonthYear, ".", true)
               .settings;
    QTest::newRow("fr_FR: narrow no-break space groups, negative in parentheses")
        << "fr_FR"
        << Expected{}
               .separators(",", "\u202f")
               .money("€", 2, "#\u00a0\u00a4", "(#\u00a0\u00a4)")
               .dates("dd/MM/yyyy", veltrane::DateOrder::dayMonthYear, "/", true)
               .settings;
    QTest::newRow("es_ES: groups only from five digits")
        << "es_ES"
        << Expected{}
               .separators(",", ".")
               .grouping(3, 3, 2)
               .money("€", 2, "#\u00a0\u00a4", "-#\u00a0\u00a4")
               .dates("d/M/yy", veltrane::DateOrder::dayMonthYear, "/", false)
               .settings;
    QTest::newRow("hi_IN: groups of two above the first three")
        << "hi_IN"
        << Expected{}
               .grouping(3, 2, 1)
               .money("₹", 2, "\u00a4#", "\u00a4-#")
               .dates("d/M/yy", veltrane::DateOrder::dayMonthYear, "/", false)
               .settings;
    QTest::newRow("ja_JP: no currency decimals")
        << "ja_JP"
        << Expected{}
               .money("￥", 0, "\u00a4#", "(\u00a4#)")
               .dates("yyyy/MM/dd", veltrane::DateOrder::yearMonthDay, "/", true)
               .settings;
    QTest::newRow("nl_NL: symbol in front, behind a no-break space")
        << "nl_NL"
        << Expected{}
               .separators(",", ".")
               .money("€", 2, "\u00a4\u00a0#", "(\u00a4\u00a0#)")
               .dates("dd-MM-yyyy", veltrane::DateOrder::dayMonthYear, "-", true)
               .settings;
    QTest::newRow("sv_SE: a real minus sign and a symbol of two letters")
        << "sv_SE"
        << Expected{}
               .separators(",", "\u00a0")
               .negativeSign("\u2212")
               .money("kr", 2, "#\u00a0\u00a4", "\u2212#\u00a0\u00a4")
               .dates("yyyy-MM-dd", veltrane::DateOrder::yearMonthDay, "-", true)
               .settings;
    QTest::newRow("de_CH: apostrophe groups, point decimals")
        << "de_CH"
        << Expected{}
               .separators(".", "\u2019")
               .money("CHF", 2, "#\u00a0\u00a4", "-#\u00a0\u00a4")
               .dates("dd.MM.yy", veltrane::DateOrder::dayMonthYear, ".", true)
               .settings;
    QTest::newRow("en_GB is English but not the reference")
        << "en_GB"
        << Expected{}
               .money("£", 2, "\u00a4#", "(\u00a4#)")
               .dates("dd/MM/yyyy", veltrane::DateOrder::dayMonthYear, "/", true)
               .settings;
}

void TestLocaleSettings::fromLocale() {
    QFETCH(QString, localeName);
    QFETCH(RegionalSettings, expected);

    QCOMPARE(veltrane::regionalSettingsFor(QLocale(localeName)), expected);
}

void TestLocaleSettings::dateFormsInFigures_data() {
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("ending");

    using veltrane::DateOrder;
    QTest::newRow("en_US") << "en_US" << static_cast<int>(DateOrder::monthDayYear) << "/"
                           << "";
    QTest::newRow("de_DE") << "de_DE" << static_cast<int>(DateOrder::dayMonthYear) << "."
                           << "";
    QTest::newRow("hu_HU: a blank in the separator, an ending")
        << "hu_HU" << static_cast<int>(DateOrder::yearMonthDay) << ". "
        << ".";
    QTest::newRow("C names the month: ISO alone")
        << "C" << static_cast<int>(DateOrder::isoOnly) << "/"
        << "";
    QTest::newRow("C by the environment's name")
        << "C.UTF-8" << static_cast<int>(DateOrder::isoOnly) << "/"
        << "";
    QTest::newRow("bg_BG writes a word: ISO alone")
        << "bg_BG" << static_cast<int>(DateOrder::isoOnly) << "/"
        << "";
}

// The order and separator of the short date pattern, when it writes figures alone.
void TestLocaleSettings::dateFormsInFigures() {
    QFETCH(QString, localeName);
    QFETCH(int, order);
    QFETCH(QString, separator);
    QFETCH(QString, ending);

    const RegionalSettings settings = veltrane::regionalSettingsNamed(localeName).value();
    QCOMPARE(static_cast<int>(settings.dateOrder), order);
    if (settings.dateOrder != veltrane::DateOrder::isoOnly) {
        QCOMPARE(QString::fromStdString(settings.dateSeparator), separator);
        QCOMPARE(QString::fromStdString(settings.dateEnding), ending);
    }
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

RegionalSettings settingsFromVariables(const QStringList& variables) {
    QProcessEnvironment environment;
    for (const QString& variable : variables) {
        const qsizetype equals = variable.indexOf(u'=');
        environment.insert(variable.left(equals), variable.mid(equals + 1));
    }
    return veltrane::regionalSettingsFromEnvironment(environment);
}

void TestLocaleSettings::moneyFollowsLcMonetary_data() {
    QTest::addColumn<QStringList>("variables");
    QTest::addColumn<QString>("money");
    QTest::addColumn<QString>("ratio");

    QTest::newRow("German money, US numbers")
        << QStringList{"LANG=en_US.UTF-8", "LC_MONETARY=de_DE.UTF-8"} << "-1.234,50\u00a0€"
        << "-0.057";
    QTest::newRow("US money, German numbers")
        << QStringList{"LANG=en_US.UTF-8", "LC_NUMERIC=de_DE.UTF-8"} << "($1,234.50)"
        << "-0,057";
    QTest::newRow("Indian money groups in lakhs under US numbers")
        << QStringList{"LANG=en_US.UTF-8", "LC_MONETARY=hi_IN.UTF-8"} << "₹-1,234.50"
        << "-0.057";
    QTest::newRow("LC_ALL decides both")
        << QStringList{"LC_MONETARY=de_DE.UTF-8", "LC_NUMERIC=de_DE.UTF-8", "LC_ALL=C"}
        << "($1,234.50)"
        << "-0.057";
    QTest::newRow("an empty category falls to LANG")
        << QStringList{"LANG=de_DE.UTF-8", "LC_MONETARY="} << "-1.234,50\u00a0€"
        << "-0,057";
}

// POSIX order: LC_ALL if set and not empty, else the category, else LANG, else C.
void TestLocaleSettings::moneyFollowsLcMonetary() {
    QFETCH(QStringList, variables);
    QFETCH(QString, money);
    QFETCH(QString, ratio);

    const RegionalSettings settings = settingsFromVariables(variables);
    QCOMPARE(
        QString::fromStdString(veltrane::currencyText(veltrane::Currency{-12'345'000}, settings)),
        money);
    QCOMPARE(QString::fromStdString(veltrane::numberText(-0.057, settings).value()), ratio);
    QCOMPARE(veltrane::parseNumber(money.toStdString(), settings).value, -1234.5);
    QCOMPARE(veltrane::parseNumber(ratio.toStdString(), settings).value, -0.057);
}

// Arabic writes Arabic-Indic digits; the program writes ASCII ones, never a mixture.
void TestLocaleSettings::ownDigitsAreWrittenInLatinForm() {
    for (const char* name : {"ar_EG", "fa_IR"}) {
        const RegionalSettings settings = veltrane::regionalSettingsFor(QLocale(name));
        const QString money = QString::fromStdString(
            veltrane::currencyText(veltrane::Currency{-12'345'000}, settings));
        QVERIFY2(money.contains(QStringLiteral("1,23")), qPrintable(money));
        for (const QChar c : money) {
            QVERIFY2(!c.isDigit() || c.unicode() < 0x80, qPrintable(money));
        }
        QCOMPARE(QString::fromStdString(veltrane::numberText(-0.057, settings).value()),
                 QStringLiteral("-0.057"));
        // The locale's own form is read too.
        const QLocale locale(name);
        QCOMPARE(
            veltrane::parseNumber(locale.toString(1234.5, 'f', 2).toStdString(), settings).value,
            1234.5);
        QCOMPARE(
            veltrane::parseNumber(locale.toString(-0.057, 'f', 3).toStdString(), settings).value,
            -0.057);
    }
}

void TestLocaleSettings::textsTheProgramWritesReadBack_data() {
    QTest::addColumn<QStringList>("variables");

    for (const char* name : {"C", "en_US", "en_GB", "de_DE", "de_CH", "fr_FR", "es_ES", "nl_NL",
                             "sv_SE", "hi_IN", "ja_JP", "ar_EG", "fa_IR"}) {
        QTest::newRow(name) << QStringList{QStringLiteral("LANG=%1.UTF-8").arg(name)};
    }
    QTest::newRow("German money, US numbers")
        << QStringList{"LANG=en_US.UTF-8", "LC_MONETARY=de_DE.UTF-8"};
    QTest::newRow("US money, French numbers")
        << QStringList{"LANG=en_US.UTF-8", "LC_NUMERIC=fr_FR.UTF-8"};
    QTest::newRow("Swedish money, Indian numbers")
        << QStringList{"LC_NUMERIC=hi_IN.UTF-8", "LC_MONETARY=sv_SE.UTF-8"};
}

// Property: every money and number text the program shows is accepted back under the same
// settings, as typed or with any of the blanks a user types for a no-break space, and gives the
// same amount.
void TestLocaleSettings::textsTheProgramWritesReadBack() {
    QFETCH(QStringList, variables);
    const RegionalSettings settings = settingsFromVariables(variables);
    const qint64 scale = [&] {
        qint64 unit = 1;
        for (int i = settings.currencyDecimals; i < 4; ++i) {
            unit *= 10;
        }
        return unit;
    }();

    quint64 state = 0x9e3779b97f4a7c15ULL;
    for (int i = 0; i < 2000; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        // Shown amounts up to a hundred billion, whose cents a double holds exactly.
        const auto magnitude = static_cast<qint64>((state >> 11) % 1'000'000'000'000'000ULL);
        const qint64 shown = (i % 2 == 0 ? magnitude : -magnitude) / scale * scale;
        const std::string text = veltrane::currencyText(veltrane::Currency{shown}, settings);
        for (const QString& typed :
             {QString::fromStdString(text),
              QString::fromStdString(text).replace(u'\u202f', u' ').replace(u'\u00a0', u' '),
              QString::fromStdString(text).replace(u'\u202f', u'\u00a0')}) {
            const veltrane::ParsedNumber read =
                veltrane::parseNumber(typed.toStdString(), settings);
            QVERIFY2(read.ok(), qPrintable(typed));
            QVERIFY2(veltrane::isNumeric(typed.toStdString(), settings), qPrintable(typed));
            const auto amount = veltrane::Currency::fromDouble(read.value);
            QVERIFY2(amount && amount->units() == shown, qPrintable(typed));
        }
        const double ratio = static_cast<double>(shown % 100'000'000) / 1e6;
        const std::string ratioText = veltrane::numberText(ratio, settings).value();
        QCOMPARE(veltrane::parseNumber(ratioText, settings).value, ratio);
    }
}

QTEST_APPLESS_MAIN(TestLocaleSettings)
#include "test_locale_settings.moc"
