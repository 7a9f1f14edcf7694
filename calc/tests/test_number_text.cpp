#include "calc/number_text.h"
#include "calc/tests/exact_compare.h"
#include "calc/text_buffer.h"

#include <QtTest>
#include <array>
#include <charconv>
#include <clocale>
#include <cmath>
#include <limits>
#include <random>
#include <string>

using veltrane::Currency;
using veltrane::ParseError;
using veltrane::RegionalSettings;

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

enum class Outcome { Number, NotANumber, Overflow };

// Separators no real locale uses, so nothing hard-coded can pass by accident.
RegionalSettings oddSettings() {
    return {.decimalSeparator = "?",
            .groupSeparator = "~",
            .negativeSign = "_",
            .percentSign = "pct",
            .currencySymbol = "¤¤",
            .currencyPositivePattern = "<¤#>",
            .currencyNegativePattern = "[¤#]",
            .moneyDecimalSeparator = "?",
            .moneyGroupSeparator = "~"};
}

// German-style settings: multi-byte symbol after the amount, no-break space before it.
RegionalSettings germanSettings() {
    return {.decimalSeparator = ",",
            .groupSeparator = ".",
            .currencySymbol = "€",
            .currencyPositivePattern = "#\u00a0¤",
            .currencyNegativePattern = "-#\u00a0¤",
            .moneyDecimalSeparator = ",",
            .moneyGroupSeparator = "."};
}

std::string str(const QByteArray& bytes) {
    return bytes.toStdString();
}

} // namespace

Q_DECLARE_METATYPE(Outcome)
Q_DECLARE_METATYPE(RegionalSettings)

class TestNumberText : public QObject {
    Q_OBJECT

    static void compareRoundedText(double x, int places, const RegionalSettings& settings) {
        veltrane::TextBuffer expected;
        const std::optional<double> rounded = veltrane::roundToPlaces(x, places);
        const bool written = rounded && veltrane::appendNumberText(expected, *rounded, settings);
        veltrane::TextBuffer actual;
        QCOMPARE(veltrane::appendRoundedNumberText(actual, x, places, settings), written);
        QCOMPARE(std::string{actual.view()}, std::string{expected.view()});
    }

private slots:
    void initTestCase() {
        // Prove the core never reads the process locale: under German rules strtod and printf
        // would read and write a decimal comma.
        if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
            qWarning("de_DE.UTF-8 is not generated here; running under the C locale");
        }
    }

    void parse_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<double>("value");

        const auto number = [](const char* name, const QByteArray& text, double value) {
            QTest::newRow(name) << text << Outcome::Number << value;
        };
        const auto rejected = [](const char* name, const QByteArray& text) {
            QTest::newRow(name) << text << Outcome::NotANumber << 0.0;
        };
        const auto overflow = [](const char* name, const QByteArray& text) {
            QTest::newRow(name) << text << Outcome::Overflow << 0.0;
        };

        number("whole", "500", 500);
        number("blanks around", " 28.50 ", 28.5);
        number("tabs around", "\t12\t", 12);
        number("dollar and groups", "$1,234.50", 1234.5);
        number("minus", "-3", -3);
        number("plus", "+7", 7);
        number("minus then dollar", "-$5", -5);
        number("plus then dollar", "+$5.25", 5.25);
        number("leading point", ".5", 0.5);
        number("trailing point", "5.", 5);
        number("leading zero", "08", 8);
        number("exponent", "1E3", 1000);
        number("small e with sign", "1e-2", 0.01);
        number("exponent plus", "1E+2", 100);
        number("exponent after fraction", "2.5E1", 25);
        number("exponent with blanks after", "1E3  ", 1000);
        number("groups of three", "1,234,567", 1234567);
        number("one full group", "123,456", 123456);
        number("group then decimal", "12,345.678", 12345.678);
        number("minus zero", "-0", -0.0);
        number("zeros only", "000.000", 0);
        number("nearest double to 0.1", "0.1", 0.1);
        number("tie rounds to even", "9007199254740993", 9007199254740992.0);
        number("just past the tie rounds up", "9007199254740993.0000000001", 9007199254740994.0);
        number("largest double", "1.7976931348623157E308", std::numeric_limits<double>::max());
        number("smallest subnormal", "4.9406564584124654E-324",
               std::numeric_limits<double>::denorm_min());
        number("rounds up to the smallest subnormal", "3E-324",
               std::numeric_limits<double>::denorm_min());
        number("underflow is zero", "1E-400", 0.0);
        number("negative underflow is minus zero", "-1E-400", -0.0);
        number("below half the smallest subnormal", "2E-324", 0.0);
        number("huge negative exponent", "1E-99999999999999999999999", 0.0);
        number("zero with huge exponent", "0E99999999999999", 0.0);
        number("many leading zeros", "0000000000000000000000000000000000000012.5", 12.5);
        number("long digits scaled back", "1000000000000000000000000000000E-30", 1.0);
        number("many fraction zeros then exponent", "0." + QByteArray(1000, '0') + "1E1001", 1.0);
        number("many digits then exponent", QByteArray(500, '9') + "E-500", 1.0);

        rejected("empty", "");
        rejected("blanks only", "   ");
        rejected("letter after digits", "12a");
        rejected("letters", "abc");
        rejected("two points", "1.2.3");
        rejected("sign alone", "-");
        rejected("dollar alone", "$");
        rejected("point alone", ".");
        rejected("sign and point", "-.");
        rejected("trailing group separator", "1,");
        rejected("leading group separator", ",1");
        rejected("two group separators", "1,,2");
        rejected("groups of one", "1,2,3");
        rejected("last group too short", "12,34");
        rejected("last group too long", "1,2345");
        rejected("first group too long", "1234,567");
        rejected("middle group too short", "1,23,456");
        rejected("comma as a decimal point", "1,5");
        rejected("group separator alone", ",");
        rejected("group separator in the fraction", "1.2,3");
        rejected("group separator after the point", "1.,5");
        rejected("exponent without digits", "1E");
        rejected("exponent sign without digits", "1E+");
        rejected("exponent alone", "E5");
        rejected("exponent with a fraction", "1e5.5");
        rejected("dollar before the sign", "$-5");
        rejected("dollar after the digits", "5$");
        rejected("two signs", "--5");
        rejected("plus minus", "+-5");
        rejected("blank inside", "1 2");
        rejected("blank after the sign", "- 5");
        rejected("hexadecimal", "0x10");
        rejected("infinity word", "inf");
        rejected("nan word", "nan");
        rejected("parentheses", "(5)");
        rejected("newline after", "12\n");
        rejected("no-break space before", "\xc2\xa0"
                                          "12");
        rejected("full-width digits", "\xef\xbc\x91\xef\xbc\x92");
        rejected("arabic-indic digit", "\xd9\xa3");
        rejected("nul inside", QByteArray("1\0"
                                          "2",
                                          3));
        rejected("invalid utf-8", "\xff\xfe"
                                  "1");
        rejected("twenty thousand group separators", QByteArray(20000, ','));

        overflow("beyond the double range", "1E400");
        overflow("negative beyond the double range", "-1E400");
        overflow("just past the largest double", "1.8E308");
        overflow("huge exponent", "1E99999999999999999999999");
        overflow("many digits", QByteArray(400, '9'));
    }

    void parse() {
        QFETCH(QByteArray, text);
        QFETCH(Outcome, outcome);
        QFETCH(double, value);

        const RegionalSettings us;
        const auto parsed = veltrane::parseNumber(str(text), us);
        switch (outcome) {
        case Outcome::Number:
            QVERIFY(parsed.ok());
            COMPARE_EXACT(parsed.value, value);
            break;
        case Outcome::NotANumber:
            QVERIFY(parsed.error == ParseError::NotANumber);
            break;
        case Outcome::Overflow:
            QVERIFY(parsed.error == ParseError::Overflow);
            break;
        }
        // The test and the conversion share one grammar: they never disagree.
        QCOMPARE(veltrane::isNumeric(str(text), us), outcome == Outcome::Number);
    }

    // Plain digits with perhaps a point, the texts nearly every input is, are read by a shortcut
    // of their own: it must give the double from_chars gives, bit for bit.
    void plainDigitsAsFromChars_data() {
        QTest::addColumn<QByteArray>("text");

        for (const char* text : {"0",
                                 "5",
                                 "500",
                                 "1.25",
                                 "28.50",
                                 "0.1",
                                 "0.3",
                                 ".5",
                                 "5.",
                                 "007",
                                 "0.000",
                                 "00.10",
                                 "999999999999999",
                                 "99999999999999.9",
                                 "0.00000000000001",
                                 ".000000000000001",
                                 "123456789012345.",
                                 "900719925474099",
                                 "1000000000000000",
                                 "9007199254740993",
                                 "0.1000000000000000055511151231257827",
                                 "4503599627370497.5",
                                 "1234567890.12345",
                                 "2.2250738585072014",
                                 "0.30000000000000004",
                                 "123.456e1",
                                 "1..2",
                                 ".",
                                 "",
                                 "12345678901234567890123456789012345678901"}) {
            QTest::newRow(text[0] == '\0' ? "empty" : text) << QByteArray{text};
        }
    }

    void plainDigitsAsFromChars() {
        QFETCH(QByteArray, text);
        const RegionalSettings us;
        const std::string_view view{text.constData(), static_cast<std::size_t>(text.size())};
        double expected = 0.0;
        const auto [end, ec] = std::from_chars(view.data(), view.data() + view.size(), expected);
        const auto parsed = veltrane::parseNumber(view, us);
        if (ec == std::errc{} && end == view.data() + view.size()) {
            QVERIFY(parsed.ok());
            COMPARE_EXACT(parsed.value, expected);
        } else {
            QVERIFY(!parsed.ok() || view.find_first_not_of("0123456789.") != view.npos);
        }
    }

    // Every length up to the shortcut's limit and past it, the point anywhere, leading zeros;
    // a fixed seed so that a failure names a text that fails again.
    void randomPlainDigitsAsFromChars() {
        const RegionalSettings us;
        std::mt19937 random{20'261'207};
        for (int i = 0; i < 200'000; ++i) {
            std::string text;
            const std::size_t digits = 1 + random() % 18;
            for (std::size_t d = 0; d < digits; ++d) {
                text += static_cast<char>('0' + random() % 10);
            }
            if (random() % 3 != 0) {
                text.insert(random() % (text.size() + 1), 1, '.');
            }
            double expected = 0.0;
            std::from_chars(text.data(), text.data() + text.size(), expected);
            const auto parsed = veltrane::parseNumber(text, us);
            QVERIFY2(parsed.ok(), text.c_str());
            QVERIFY2(std::bit_cast<std::uint64_t>(parsed.value) ==
                         std::bit_cast<std::uint64_t>(expected),
                     text.c_str());
        }
    }

    void parseWithOtherSeparators_data() {
        QTest::addColumn<RegionalSettings>("settings");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");

        QTest::newRow("odd: groups and point")
            << oddSettings() << QByteArray("1~234?5") << true << 1234.5;
        QTest::newRow("odd: symbol of two characters")
            << oddSettings() << QByteArray("¤¤12") << true << 12.0;
        QTest::newRow("odd: regional minus") << oddSettings() << QByteArray("_3") << true << -3.0;
        QTest::newRow("odd: ASCII minus still a sign")
            << oddSettings() << QByteArray("-3") << true << -3.0;
        QTest::newRow("odd: US point is foreign")
            << oddSettings() << QByteArray("1.5") << false << 0.0;
        QTest::newRow("odd: US dollar is foreign")
            << oddSettings() << QByteArray("$1") << false << 0.0;
        QTest::newRow("german: comma decimal")
            << germanSettings() << QByteArray("1.234,50") << true << 1234.5;
        QTest::newRow("german: symbol in front")
            << germanSettings() << QByteArray("€5") << true << 5.0;
        const RegionalSettings french{.decimalSeparator = ",", .groupSeparator = "\u202f"};
        QTest::newRow("french: narrow no-break space groups")
            << french << QByteArray("1\u202f234,5") << true << 1234.5;
        const RegionalSettings indian{.secondaryGroupSize = 2};
        QTest::newRow("indian: groups of 3 then 2")
            << indian << QByteArray("12,34,567") << true << 1234567.0;
        QTest::newRow("indian: groups of 3 throughout are wrong")
            << indian << QByteArray("1,234,567") << false << 0.0;
        const RegionalSettings ungrouped{.primaryGroupSize = 0};
        QTest::newRow("no grouping: a separator is foreign")
            << ungrouped << QByteArray("1,234") << false << 0.0;
        QTest::newRow("french: half a separator is not one") << french
                                                             << QByteArray("1\xe2\x80"
                                                                           "234")
                                                             << false << 0.0;
        QTest::newRow("french: a plain space groups as the narrow one does")
            << french << QByteArray("15 000,5") << true << 15000.5;
    }

    // The money texts the program writes read back; a text with the currency symbol is money,
    // read with the money separators, any other a number.
    void parseMoneyTexts_data() {
        QTest::addColumn<RegionalSettings>("settings");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");

        const RegionalSettings us;
        QTest::newRow("us: negative in parentheses")
            << us << QByteArray("($125.00)") << true << -125.0;
        QTest::newRow("us: grouped in parentheses")
            << us << QByteArray("($1,234,567.89)") << true << -1234567.89;
        QTest::newRow("us: parentheses without the symbol are no money")
            << us << QByteArray("(5)") << false << 0.0;
        QTest::newRow("us: a no-break space after the symbol")
            << us << QByteArray("$\u00a05") << false << 0.0;
        QTest::newRow("us: a no-break space before the symbol")
            << us << QByteArray("\u00a0$5") << false << 0.0;
        QTest::newRow("us: a sign inside parentheses") << us << QByteArray("(-$5)") << false << 0.0;
        QTest::newRow("us: half the parentheses") << us << QByteArray("($5") << false << 0.0;

        QTest::newRow("german: symbol after, no-break space")
            << germanSettings() << QByteArray("1.234,50\u00a0€") << true << 1234.5;
        QTest::newRow("german: negative")
            << germanSettings() << QByteArray("-1.234,50\u00a0€") << true << -1234.5;
        QTest::newRow("german: typed with a space")
            << germanSettings() << QByteArray("12,5 €") << true << 12.5;
        QTest::newRow("german: typed with no space")
            << germanSettings() << QByteArray("12,5€") << true << 12.5;
        QTest::newRow("german: a US point in money")
            << germanSettings() << QByteArray("12.5 €") << false << 0.0;

        const RegionalSettings french{.decimalSeparator = ",",
                                      .groupSeparator = "\u202f",
                                      .currencySymbol = "€",
                                      .currencyPositivePattern = "#\u00a0¤",
                                      .currencyNegativePattern = "(#\u00a0¤)",
                                      .moneyDecimalSeparator = ",",
                                      .moneyGroupSeparator = "\u202f"};
        QTest::newRow("french: as written")
            << french << QByteArray("15\u202f000,00\u00a0€") << true << 15000.0;
        QTest::newRow("french: plain spaces")
            << french << QByteArray("15 000,00 €") << true << 15000.0;
        QTest::newRow("french: no-break spaces")
            << french << QByteArray("15\u00a0000,00\u00a0€") << true << 15000.0;
        QTest::newRow("french: negative")
            << french << QByteArray("(1 234,50 €)") << true << -1234.5;
        QTest::newRow("french: two spaces in a group")
            << french << QByteArray("15  000,00 €") << false << 0.0;

        // Numbers in German, money in US dollars: each text by its own separators.
        const RegionalSettings split{.decimalSeparator = ",", .groupSeparator = "."};
        QTest::newRow("split: money with money separators")
            << split << QByteArray("$1,234.50") << true << 1234.5;
        QTest::newRow("split: a number with number separators")
            << split << QByteArray("1.234,50") << true << 1234.5;
        QTest::newRow("split: money with number separators")
            << split << QByteArray("$1.234,50") << false << 0.0;

        const RegionalSettings arabic{.currencySymbol = "ج.م.",
                                      .currencyPositivePattern = "# ¤",
                                      .currencyNegativePattern = "-# ¤",
                                      .nativeZeroDigit = "٠",
                                      .nativeDecimalSeparator = "٫",
                                      .nativeGroupSeparator = "٬",
                                      .nativeNegativeSign = "\u061c-"};
        QTest::newRow("own digits: the locale's own form")
            << arabic << QByteArray("١٬٢٣٤٫٥") << true << 1234.5;
        QTest::newRow("own digits: the Latin form")
            << arabic << QByteArray("1,234.5") << true << 1234.5;
        QTest::newRow("own digits: a negative") << arabic << QByteArray("\u061c-٩") << true << -9.0;
        QTest::newRow("own digits: money")
            << arabic << QByteArray("-١٬٢٣٤٫٥٠ ج.م.") << true << -1234.5;
    }

    void parseMoneyTexts() { parseWithOtherSeparators(); }

    void parseWithOtherSeparators() {
        QFETCH(RegionalSettings, settings);
        QFETCH(QByteArray, text);
        QFETCH(bool, ok);
        QFETCH(double, value);

        const auto parsed = veltrane::parseNumber(str(text), settings);
        QCOMPARE(parsed.ok(), ok);
        QCOMPARE(veltrane::isNumeric(str(text), settings), ok);
        if (ok) {
            COMPARE_EXACT(parsed.value, value);
        }
    }

    void roundToPlaces_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("places");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("expected");

        QTest::newRow("worked example ratio") << 1375.0 / 14250.0 << 3 << true << 0.096;
        QTest::newRow("half to even, down") << 0.0965 << 3 << true << 0.096;
        QTest::newRow("half to even, up") << 0.0135 << 3 << true << 0.014;
        QTest::newRow("negative, beyond half") << -0.0568181 << 3 << true << -0.057;
        QTest::newRow("negative half to even, down") << -0.0965 << 3 << true << -0.096;
        QTest::newRow("negative half to even, up") << -0.0135 << 3 << true << -0.014;
        QTest::newRow("above half") << 0.0885416 << 3 << true << 0.089;
        QTest::newRow("whole number") << 2.0 << 3 << true << 2.0;
        QTest::newRow("half of the last place, zero even") << 0.0005 << 3 << true << 0.0;
        QTest::newRow("one and a half places") << 0.0015 << 3 << true << 0.002;
        QTest::newRow("tiny negative keeps its sign") << -0.0001 << 3 << true << -0.0;
        QTest::newRow("no places") << 2.5 << 0 << true << 2.0;
        QTest::newRow("large ratio") << 123456789.0125 << 3 << true << 123456789.012;
        QTest::newRow("scaled value overflows") << 1e306 << 3 << false << 0.0;
        QTest::newRow("NaN") << notANumber << 3 << false << 0.0;
        QTest::newRow("+infinity") << infinity << 3 << false << 0.0;
        QTest::newRow("-infinity") << -infinity << 3 << false << 0.0;
    }

    void roundToPlaces() {
        QFETCH(double, x);
        QFETCH(int, places);
        QFETCH(bool, ok);
        QFETCH(double, expected);

        const auto rounded = veltrane::roundToPlaces(x, places);
        QCOMPARE(rounded.has_value(), ok);
        if (ok) {
            COMPARE_EXACT(*rounded, expected);
        }
    }

    void numberText_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<QByteArray>("expected"); // empty: refused

        QTest::newRow("ratio") << 0.096 << QByteArray("0.096");
        QTest::newRow("negative ratio") << -0.057 << QByteArray("-0.057");
        QTest::newRow("whole number, no separator") << 2.0 << QByteArray("2");
        QTest::newRow("zero") << 0.0 << QByteArray("0");
        QTest::newRow("negative zero") << -0.0 << QByteArray("0");
        QTest::newRow("no grouping") << 123456.789 << QByteArray("123456.789");
        QTest::newRow("1E15 takes the exponent form") << 1e15 << QByteArray("1E+15");
        QTest::newRow("just below 1E15 stays plain")
            << 999999999999999.0 << QByteArray("999999999999999");
        QTest::newRow("rounds up into the exponent form")
            << 9999999999999999.0 << QByteArray("1E+16");
        QTest::newRow("15 significant digits")
            << 123456789012345678.0 << QByteArray("1.23456789012346E+17");
        QTest::newRow("1E-05 takes the exponent form") << 0.00001 << QByteArray("1E-05");
        QTest::newRow("1.5E-05") << 0.000015 << QByteArray("1.5E-05");
        QTest::newRow("0.0001 stays plain") << 0.0001 << QByteArray("0.0001");
        QTest::newRow("binary noise rounded away") << 0.1 + 0.2 << QByteArray("0.3");
        QTest::newRow("three exponent digits") << 1e100 << QByteArray("1E+100");
        QTest::newRow("negative tiny") << -1.5e-300 << QByteArray("-1.5E-300");
        QTest::newRow("largest double")
            << std::numeric_limits<double>::max() << QByteArray("1.79769313486232E+308");
        QTest::newRow("smallest subnormal")
            << std::numeric_limits<double>::denorm_min() << QByteArray("4.94065645841247E-324");
        QTest::newRow("NaN is refused") << notANumber << QByteArray();
        QTest::newRow("+infinity is refused") << infinity << QByteArray();
        QTest::newRow("-infinity is refused") << -infinity << QByteArray();
    }

    void numberText() {
        QFETCH(double, x);
        QFETCH(QByteArray, expected);

        const auto text = veltrane::numberText(x, RegionalSettings{});
        QCOMPARE(text.has_value(), !expected.isEmpty());
        if (text) {
            QCOMPARE(QByteArray::fromStdString(*text), expected);
        }
    }

    void numberTextWithOtherSeparators() {
        QCOMPARE(veltrane::numberText(-0.057, oddSettings()).value(), "_0?057");
        QCOMPARE(veltrane::numberText(1234.5, oddSettings()).value(), "1234?5");
        QCOMPARE(veltrane::numberText(1.5e-5, oddSettings()).value(), "1?5E-05");
    }

    // The rounded text takes its digits from the rounding: it must write what the text of the
    // rounded value writes, byte for byte, for every value and number of places.
    void roundedNumberTextAsTextOfRounded_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("places");

        const double tiny = std::numeric_limits<double>::denorm_min();
        const double largest = std::numeric_limits<double>::max();
        const std::array<std::pair<const char*, double>, 24> values{{
            {"the worked example's ratio", 0.0964912280701754},
            {"zero", 0.0},
            {"negative zero", -0.0},
            {"below half a step", 0.0004},
            {"below half a step, negative", -0.0004},
            {"half a step, to even", 0.0005},
            {"half a step, negative", -0.0025},
            {"just under one", 0.9995},
            {"a loss", -0.3125},
            {"a whole number", 42.0},
            {"a thousand", 1000.0},
            {"15 digits after rounding", 999999999999.999},
            {"one step past 15 digits", 1000000000000.0},
            {"16 digits", 1234567890123.4567},
            {"past 2^53", 9007199254740993.0},
            {"the exponent form, large", 1.5e20},
            {"the largest double", largest},
            {"the smallest double", tiny},
            {"0.1", 0.1},
            {"0.3", 0.3},
            {"1/3", 1.0 / 3.0},
            {"-2/3", -2.0 / 3.0},
            {"just under 10^-4", 0.000099999},
            {"1.0005", 1.0005},
        }};
        for (const auto& [name, value] : values) {
            for (const int places : {0, 3, 15, 22}) {
                QTest::addRow("%s, %d places", name, places) << value << places;
            }
        }
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << 3;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 3;
        QTest::newRow("places out of range") << 1.5 << 23;
    }

    void roundedNumberTextAsTextOfRounded() {
        QFETCH(double, x);
        QFETCH(int, places);
        for (const RegionalSettings& settings : {RegionalSettings{}, oddSettings()}) {
            compareRoundedText(x, places, settings);
        }
    }

    // Ratios of every size, by a fixed seed so that a failure names a value that fails again.
    void randomRoundedNumberTexts() {
        std::mt19937_64 random{20'261'207};
        std::uniform_real_distribution<double> exponent{-8.0, 17.0};
        const RegionalSettings us;
        for (int i = 0; i < 200'000; ++i) {
            const double sign = random() % 2 == 0 ? 1.0 : -1.0;
            const double x = sign * std::pow(10.0, exponent(random));
            const int places = static_cast<int>(random() % 8);
            compareRoundedText(x, places, us);
            if (QTest::currentTestFailed()) {
                qInfo("x = %.17g, places = %d", x, places);
                return;
            }
        }
    }

    void currencyText_data() {
        QTest::addColumn<qint64>("units");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("premium") << qint64{6'250'000} << QByteArray("$625.00");
        QTest::newRow("half cent away from zero") << qint64{371'250} << QByteArray("$37.13");
        QTest::newRow("negative half cent away from zero")
            << qint64{-371'250} << QByteArray("($37.13)");
        QTest::newRow("below half a cent") << qint64{371'249} << QByteArray("$37.12");
        QTest::newRow("negative below half a cent") << qint64{-371'249} << QByteArray("($37.12)");
        QTest::newRow("negative whole") << qint64{-1'250'000} << QByteArray("($125.00)");
        QTest::newRow("zero") << qint64{0} << QByteArray("$0.00");
        QTest::newRow("leading zero") << qint64{5'000} << QByteArray("$0.50");
        QTest::newRow("one unit") << qint64{1} << QByteArray("$0.00");
        QTest::newRow("negative rounding to zero has no parentheses")
            << qint64{-49} << QByteArray("$0.00");
        QTest::newRow("negative half cent") << qint64{-50} << QByteArray("($0.01)");
        QTest::newRow("half cent") << qint64{50} << QByteArray("$0.01");
        QTest::newRow("millions") << qint64{12'345'678'900} << QByteArray("$1,234,567.89");
        QTest::newRow("largest") << std::numeric_limits<qint64>::max()
                                 << QByteArray("$922,337,203,685,477.58");
        QTest::newRow("smallest") << std::numeric_limits<qint64>::min()
                                  << QByteArray("($922,337,203,685,477.58)");

        // Grouping at every count of integer digits.
        const std::array<const char*, 15> grouped{"$1.00",
                                                  "$12.00",
                                                  "$123.00",
                                                  "$1,234.00",
                                                  "$12,345.00",
                                                  "$123,456.00",
                                                  "$1,234,567.00",
                                                  "$12,345,678.00",
                                                  "$123,456,789.00",
                                                  "$1,234,567,891.00",
                                                  "$12,345,678,912.00",
                                                  "$123,456,789,123.00",
                                                  "$1,234,567,891,234.00",
                                                  "$12,345,678,912,345.00",
                                                  "$123,456,789,123,456.00"};
        qint64 dollars = 0;
        int digits = 0;
        for (const char* text : grouped) {
            ++digits;
            dollars = dollars * 10 + (digits - 1) % 9 + 1;
            QTest::newRow(qPrintable(QStringLiteral("%1 integer digits").arg(digits)))
                << dollars * 10'000 << QByteArray(text);
        }
    }

    void currencyText() {
        QFETCH(qint64, units);
        QFETCH(QByteArray, expected);
        QCOMPARE(QByteArray::fromStdString(veltrane::currencyText(Currency{units}, {})), expected);
    }

    void currencyTextWithOtherSettings_data() {
        QTest::addColumn<RegionalSettings>("settings");
        QTest::addColumn<qint64>("units");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("odd separators")
            << oddSettings() << qint64{12'345'678'900} << QByteArray("<¤¤1~234~567?89>");
        QTest::newRow("odd negative pattern")
            << oddSettings() << qint64{-371'250} << QByteArray("[¤¤37?13]");
        QTest::newRow("german") << germanSettings() << qint64{12'345'000}
                                << QByteArray("1.234,50\u00a0€");
        QTest::newRow("german negative")
            << germanSettings() << qint64{-12'345'000} << QByteArray("-1.234,50\u00a0€");

        const RegionalSettings indian{.moneySecondaryGroupSize = 2};
        QTest::newRow("groups of 3 then 2")
            << indian << qint64{1'234'567'0000} << QByteArray("$12,34,567.00");
        QTest::newRow("groups of 3 then 2, eight digits")
            << indian << qint64{12'345'678'0000} << QByteArray("$1,23,45,678.00");

        const RegionalSettings spanish{.moneyMinimumGroupingDigits = 2};
        QTest::newRow("four digits not grouped")
            << spanish << qint64{1'234'0000} << QByteArray("$1234.00");
        QTest::newRow("five digits grouped")
            << spanish << qint64{12'345'0000} << QByteArray("$12,345.00");

        const RegionalSettings yen{.currencyDecimals = 0};
        QTest::newRow("no decimals, half away from zero")
            << yen << qint64{12'345'000} << QByteArray("$1,235");
        QTest::newRow("no decimals, negative")
            << yen << qint64{-12'345'000} << QByteArray("($1,235)");
        const RegionalSettings dinar{.currencyDecimals = 3};
        QTest::newRow("three decimals") << dinar << qint64{12'345} << QByteArray("$1.235");
        const RegionalSettings four{.currencyDecimals = 4};
        QTest::newRow("all four places") << four << qint64{-1} << QByteArray("($0.0001)");

        // Texts are built on the stack up to 64 bytes; longer ones must lose nothing on the way.
        const RegionalSettings longSymbol{.currencySymbol = std::string(80, 'S')};
        QTest::newRow("symbol longer than the stack room")
            << longSymbol << qint64{-150'000'000}
            << QByteArray("(" + QByteArray(80, 'S') + "15,000.00)");
        const RegionalSettings symbolNearlyFilling{.currencySymbol = std::string(60, 'S')};
        QTest::newRow("digits that run past the stack room")
            << symbolNearlyFilling << qint64{150'000'000} << QByteArray(60, 'S') + "15,000.00";
    }

    void currencyTextWithOtherSettings() {
        QFETCH(RegionalSettings, settings);
        QFETCH(qint64, units);
        QFETCH(QByteArray, expected);
        QCOMPARE(QByteArray::fromStdString(veltrane::currencyText(Currency{units}, settings)),
                 expected);
    }

    void percentText_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QByteArray>("expected"); // empty: refused

        QTest::newRow("worked example") << 0.384 << 2 << QByteArray("38.40%");
        QTest::newRow("above one hundred") << 1.452 << 2 << QByteArray("145.20%");
        QTest::newRow("negative") << -0.342 << 2 << QByteArray("-34.20%");
        QTest::newRow("zero") << 0.0 << 2 << QByteArray("0.00%");
        QTest::newRow("negative zero") << -0.0 << 2 << QByteArray("0.00%");
        QTest::newRow("leading zero") << 0.005 << 2 << QByteArray("0.50%");
        QTest::newRow("grouped") << 12.5 << 2 << QByteArray("1,250.00%");
        QTest::newRow("half away from zero") << 0.12345 << 2 << QByteArray("12.35%");
        QTest::newRow("negative half away from zero") << -0.12345 << 2 << QByteArray("-12.35%");
        QTest::newRow("months 7 factor") << 0.096 * 1.71 << 2 << QByteArray("16.42%");
        QTest::newRow("below half of the last place") << 0.00004 << 2 << QByteArray("0.00%");
        QTest::newRow("negative rounding to zero has no sign")
            << -0.00004 << 2 << QByteArray("0.00%");
        QTest::newRow("half of the last place") << 0.00005 << 2 << QByteArray("0.01%");
        QTest::newRow("negative half of the last place") << -0.00005 << 2 << QByteArray("-0.01%");
        QTest::newRow("carry into a new digit") << 0.99995 << 2 << QByteArray("100.00%");
        QTest::newRow("carry into a new group") << 9.99995 << 2 << QByteArray("1,000.00%");
        QTest::newRow("far below the last place") << 1e-20 << 2 << QByteArray("0.00%");
        QTest::newRow("no decimals") << 0.125 << 0 << QByteArray("13%");
        QTest::newRow("four decimals") << 0.123456 << 4 << QByteArray("12.3456%");
        QTest::newRow("huge but finite")
            << 1e20 << 2 << QByteArray("10,000,000,000,000,000,000,000.00%");
        QByteArray hundreds("100");
        for (int group = 0; group < 100; ++group) {
            hundreds += ",000";
        }
        QTest::newRow("hundreds of digits") << 1e300 << 2 << hundreds + ".00%";
        QTest::newRow("times 100 overflows") << 1e307 << 2 << QByteArray();
        QTest::newRow("NaN") << notANumber << 2 << QByteArray();
        QTest::newRow("+infinity") << infinity << 2 << QByteArray();
        QTest::newRow("-infinity") << -infinity << 2 << QByteArray();
    }

    void percentText() {
        QFETCH(double, x);
        QFETCH(int, decimals);
        QFETCH(QByteArray, expected);

        const auto text = veltrane::percentText(x, decimals, RegionalSettings{});
        QCOMPARE(text.has_value(), !expected.isEmpty());
        if (text) {
            QCOMPARE(QByteArray::fromStdString(*text), expected);
        }
    }

    void percentTextWithOtherSeparators() {
        QCOMPARE(veltrane::percentText(-12.5, 2, oddSettings()).value(), "_1~250?00pct");
    }

    // The largest finite value still has a complete, grouped percent text.
    void percentTextOfTheLargestDouble() {
        const auto text = veltrane::percentText(1e306, 2, RegionalSettings{});
        QVERIFY(text.has_value());
        QVERIFY(text->starts_with("100,000,000,000,"));
        QVERIFY(text->ends_with(",000.00%"));
        QCOMPARE(text->size(), std::size_t{309 + 102 + 4});
    }
};

QTEST_APPLESS_MAIN(TestNumberText)
#include "test_number_text.moc"
