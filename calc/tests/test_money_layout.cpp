#include "calc/money_layout.h"
#include "calc/number_text.h"
#include "calc/plain_numbers.h"
#include "tests/support/reference_calculation.h"

#include <QtTest>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

using veltrane::Currency;
using veltrane::MoneyLayout;
using veltrane::RegionalSettings;
using veltrane::TextBuffer;

Q_DECLARE_METATYPE(RegionalSettings)

namespace {

// The amounts where a currency text can go wrong: rounding halves either way, the edges of the
// groups and of 32-bit digits, and the ends of the range.
std::vector<std::int64_t> edgeAmounts() {
    std::vector<std::int64_t> units{0,
                                    1,
                                    49,
                                    50,
                                    51,
                                    99,
                                    149,
                                    150,
                                    4'999,
                                    5'000,
                                    9'999,
                                    10'000,
                                    6'250'000,
                                    9'999'950,
                                    12'345'678'901,
                                    std::int64_t{std::numeric_limits<std::uint32_t>::max()},
                                    std::int64_t{std::numeric_limits<std::uint32_t>::max()} + 1,
                                    std::int64_t{std::numeric_limits<std::uint32_t>::max()} * 100,
                                    std::numeric_limits<std::int64_t>::max(),
                                    std::numeric_limits<std::int64_t>::max() - 50,
                                    std::numeric_limits<std::int64_t>::min() + 1};
    for (std::int64_t power = 1; power < std::numeric_limits<std::int64_t>::max() / 10;
         power *= 10) {
        units.push_back(power);
        units.push_back(power - 1);
        units.push_back(power * 5);
    }
    const std::size_t count = units.size();
    for (std::size_t i = 0; i < count; ++i) {
        units.push_back(-units[i]);
    }
    units.push_back(std::numeric_limits<std::int64_t>::min());
    return units;
}

QString compare(const RegionalSettings& settings, std::int64_t units) {
    const MoneyLayout layout{settings};
    const std::string expected =
        veltrane::reference::formats::currencyText(Currency{units}, settings);
    MoneyLayout::Room room;
    TextBuffer spill;
    const std::string_view got = layout.text(Currency{units}, room, spill);
    TextBuffer appended;
    appended.append("before ");
    layout.append(appended, Currency{units});
    const std::string one = veltrane::currencyText(Currency{units}, settings);
    if (got == expected && appended.view() == "before " + expected && one == expected) {
        return {};
    }
    return QStringLiteral("%1 units: \"%2\", \"%3\" and \"%4\", the reference \"%5\"")
        .arg(units)
        .arg(QString::fromUtf8(got.data(), static_cast<qsizetype>(got.size())),
             QString::fromStdString(appended.str()), QString::fromStdString(one),
             QString::fromStdString(expected));
}

} // namespace

// The currency writer, a layout kept or a single amount, writes byte for byte what the reference
// formats write.
class TestMoneyLayout : public QObject {
    Q_OBJECT

private slots:
    void sameTextsAsTheReference_data() {
        QTest::addColumn<RegionalSettings>("settings");

        QTest::newRow("US English") << RegionalSettings{};
        QTest::newRow("German: comma point, symbol after")
            << RegionalSettings{.currencySymbol = "€",
                                .currencyPositivePattern = "#\u00a0¤",
                                .currencyNegativePattern = "-#\u00a0¤",
                                .moneyDecimalSeparator = ",",
                                .moneyGroupSeparator = "."};
        QTest::newRow("Indian: groups of two after the first three") << RegionalSettings{
            .currencySymbol = "₹", .currencyNegativePattern = "-¤#", .moneySecondaryGroupSize = 2};
        QTest::newRow("Spanish: grouping from five digits")
            << RegionalSettings{.currencySymbol = "€",
                                .currencyPositivePattern = "# ¤",
                                .currencyNegativePattern = "-# ¤",
                                .moneyDecimalSeparator = ",",
                                .moneyGroupSeparator = ".",
                                .moneyMinimumGroupingDigits = 2};
        QTest::newRow("Swiss: apostrophe groups, sign after the symbol")
            << RegionalSettings{.currencySymbol = "CHF",
                                .currencyPositivePattern = "¤ #",
                                .currencyNegativePattern = "¤-#",
                                .moneyGroupSeparator = "’"};
        QTest::newRow("no decimals, narrow no-break space groups") << RegionalSettings{
            .currencySymbol = "¥", .currencyDecimals = 0, .moneyGroupSeparator = "\u202f"};
        QTest::newRow("one, three and four decimals")
            << RegionalSettings{.currencyDecimals = 1, .moneyDecimalSeparator = "\u066b"};
        QTest::newRow("three decimals") << RegionalSettings{.currencyDecimals = 3};
        QTest::newRow("four decimals, groups of four") << RegionalSettings{
            .currencyDecimals = 4, .moneyPrimaryGroupSize = 4, .moneySecondaryGroupSize = 4};
        QTest::newRow("decimals -3: none") << RegionalSettings{.currencyDecimals = -3};
        QTest::newRow("nine decimals") << RegionalSettings{.currencyDecimals = 9};
        QTest::newRow("no grouping") << RegionalSettings{.moneyPrimaryGroupSize = 0};
        QTest::newRow("empty group separator") << RegionalSettings{.moneyGroupSeparator = ""};
        QTest::newRow("groups of one")
            << RegionalSettings{.moneyPrimaryGroupSize = 1, .moneySecondaryGroupSize = 1};
        QTest::newRow("groups of eighteen, grouping from nineteen digits") << RegionalSettings{
            .currencyDecimals = 0, .moneyPrimaryGroupSize = 18, .moneyMinimumGroupingDigits = 1};
        QTest::newRow("groups of nineteen: never reached")
            << RegionalSettings{.currencyDecimals = 0, .moneyPrimaryGroupSize = 19};
        QTest::newRow("groups of a thousand") << RegionalSettings{.moneyPrimaryGroupSize = 1000};
        QTest::newRow("secondary size zero or negative: primary again")
            << RegionalSettings{.moneyPrimaryGroupSize = 2, .moneySecondaryGroupSize = -1};
        QTest::newRow("minimum grouping negative: one")
            << RegionalSettings{.moneyMinimumGroupingDigits = -4};
        QTest::newRow("minimum grouping beyond any amount")
            << RegionalSettings{.moneyMinimumGroupingDigits = std::numeric_limits<int>::max()};
        QTest::newRow("group size at the int limit")
            << RegionalSettings{.moneyPrimaryGroupSize = std::numeric_limits<int>::max()};
        QTest::newRow("multi-byte point and separator of eight bytes") << RegionalSettings{
            .moneyDecimalSeparator = "\u00b7\u00b7\u00b7\u00b7", .moneyGroupSeparator = "~~~~~~~~"};
        QTest::newRow("separators of nine bytes: the long way") << RegionalSettings{
            .moneyDecimalSeparator = "123456789", .moneyGroupSeparator = "abcdefghi"};
        QTest::newRow("point equal to the group separator")
            << RegionalSettings{.moneyDecimalSeparator = ",", .moneyGroupSeparator = ","};
        QTest::newRow("symbol on both sides, and twice on one")
            << RegionalSettings{.currencySymbol = "¤¤",
                                .currencyPositivePattern = "<¤#¤>",
                                .currencyNegativePattern = "[¤¤#]"};
        QTest::newRow("two amounts in a pattern, or none")
            << RegionalSettings{.currencyPositivePattern = "#¤#", .currencyNegativePattern = "-"};
        QTest::newRow("a mark split by the amount")
            << RegionalSettings{.currencyPositivePattern = "\xC2#\xA4",
                                .currencyNegativePattern = "\xC2\xC2\xA4#\xA4\xA4"};
        QTest::newRow("plain texts of a price per share") << veltrane::plainSettings(4);
        QTest::newRow("empty symbol and patterns of the amount alone") << RegionalSettings{
            .currencySymbol = "", .currencyPositivePattern = "#", .currencyNegativePattern = "-#"};
        QTest::newRow("symbol of thirty-two bytes, just kept ready") << RegionalSettings{
            .currencySymbol = std::string(32, 'S'), .currencyNegativePattern = "¤-#"};
        QTest::newRow("affix of thirty-three bytes: the long way") << RegionalSettings{
            .currencySymbol = std::string(32, 'S'), .currencyNegativePattern = "(¤#)"};
        QTest::newRow("pattern text of forty bytes after the amount")
            << RegionalSettings{.currencyPositivePattern = "#" + std::string(40, '-')};
    }

    void sameTextsAsTheReference() {
        QFETCH(RegionalSettings, settings);
        for (const std::int64_t units : edgeAmounts()) {
            const QString mismatch = compare(settings, units);
            QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
        }
        // Amounts of every length, a fixed seed so that a failure fails again.
        std::mt19937_64 random{20'261'207};
        for (int i = 0; i < 20'000; ++i) {
            const int bits = 1 + static_cast<int>(random() % 63);
            const auto units =
                static_cast<std::int64_t>(random() >> (64 - bits)) * (random() % 2 == 0 ? 1 : -1);
            const QString mismatch = compare(settings, units);
            QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
        }
    }

    // Written where a text of the same settings already stands: the room is the caller's.
    void textsOneAfterAnother() {
        const RegionalSettings settings;
        const MoneyLayout layout{settings};
        MoneyLayout::Room room;
        TextBuffer spill;
        const auto text = [&](std::int64_t units) {
            const std::string_view written = layout.text(Currency{units}, room, spill);
            return QByteArray{written.data(), static_cast<qsizetype>(written.size())};
        };
        QCOMPARE(text(-123'456'789), QByteArray{"($12,345.68)"});
        QCOMPARE(text(5'000), QByteArray{"$0.50"});
        QCOMPARE(text(std::numeric_limits<std::int64_t>::min()),
                 QByteArray{"($922,337,203,685,477.58)"});
    }
};

QTEST_APPLESS_MAIN(TestMoneyLayout)
#include "test_money_layout.moc"
