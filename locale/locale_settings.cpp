#include "locale/locale_settings.h"

#include <QHash>
#include <QLocale>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace veltrane {

namespace {

// What a locale stands for in the program: the reference settings, or its own data.
bool writesLikeReference(const QLocale& locale) {
    if (locale.language() == QLocale::C) {
        return true;
    }
    return locale.language() == QLocale::English && locale.territory() == QLocale::UnitedStates;
}

std::string utf8(const QString& text) {
    return text.toStdString();
}

// How a locale groups: sizes and the fewest digits it groups at all.
struct GroupSizes {
    int primary = 3;
    int secondary = 3;
    int minimum = 1;
};

// Qt keeps grouping sizes to itself, so they are read back from numbers it writes. The groups
// between the leftmost and the rightmost one have the secondary size; the leftmost one may be
// longer where a locale waits for more digits before it groups.
GroupSizes readGrouping(const QLocale& locale) {
    GroupSizes sizes;
    const QString separator = locale.groupSeparator();
    if (separator.isEmpty()) {
        return sizes;
    }
    const QStringList groups =
        locale.toString(Q_INT64_C(123456789012345)).split(separator, Qt::KeepEmptyParts);
    if (groups.size() < 3) {
        // No grouping at all: keep the sizes, and never reach the digits that would group.
        sizes.minimum = 99;
        return sizes;
    }
    sizes.primary = static_cast<int>(groups.at(groups.size() - 1).size());
    sizes.secondary = static_cast<int>(groups.at(groups.size() - 2).size());

    qint64 power = 1;
    for (int digits = 1; digits <= 18; ++digits, power *= 10) {
        if (locale.toString(power).contains(separator)) {
            sizes.minimum = digits - sizes.primary;
            break;
        }
    }
    return sizes;
}

// Whether the locale writes digits other than ASCII ones (Arabic, Persian).
bool hasOwnDigits(const QLocale& locale) {
    return locale.zeroDigit() != QStringLiteral("0");
}

// Such a locale is written with ASCII digits, "." and ",", the form its Latin-digit convention
// has; its own digits and separators are kept for reading.
void readOwnDigits(const QLocale& locale, RegionalSettings& settings) {
    settings.nativeZeroDigit = utf8(locale.zeroDigit());
    settings.nativeDecimalSeparator = utf8(locale.decimalPoint());
    settings.nativeGroupSeparator = utf8(locale.groupSeparator());
    settings.nativeNegativeSign = utf8(locale.negativeSign());
}

void readNumberConventions(const QLocale& locale, RegionalSettings& settings) {
    const GroupSizes sizes = readGrouping(locale);
    settings.primaryGroupSize = sizes.primary;
    settings.secondaryGroupSize = sizes.secondary;
    settings.minimumGroupingDigits = sizes.minimum;
    if (hasOwnDigits(locale)) {
        readOwnDigits(locale, settings);
        return; // ASCII digits, "." and "," and "-" are kept
    }
    settings.decimalSeparator = utf8(locale.decimalPoint());
    settings.groupSeparator = utf8(locale.groupSeparator());
    settings.negativeSign = utf8(locale.negativeSign());
    settings.positiveSign = utf8(locale.positiveSign());
    settings.percentSign = utf8(locale.percent());
}

// The amount in a money text of the locale, located by writing it with each possible number of
// decimals; the longest match wins, so "1.234,50" is not taken for "1.234,5".
struct LocatedAmount {
    qsizetype position = -1;
    qsizetype length = 0;
    int decimals = 0;
};

LocatedAmount locateAmount(const QLocale& locale, const QString& money, double amount) {
    for (int decimals = 4; decimals >= 0; --decimals) {
        const QString written = locale.toString(amount, 'f', decimals);
        const qsizetype position = money.indexOf(written);
        if (position >= 0) {
            return {position, written.size(), decimals};
        }
    }
    return {};
}

// Turns a money text into a pattern: "#" where the unsigned amount stands, "¤" for the symbol,
// everything else (signs, parentheses, spaces) kept as the locale writes it.
QString moneyPattern(QString money, const LocatedAmount& amount, const QString& symbol) {
    money.replace(amount.position, amount.length, QStringLiteral("#"));
    if (!symbol.isEmpty()) {
        const qsizetype position = money.indexOf(symbol);
        if (position >= 0) {
            money.replace(position, symbol.size(), QStringLiteral("\u00a4"));
        }
    }
    return money;
}

void readMoneyConventions(const QLocale& locale, RegionalSettings& settings) {
    const QString symbol = locale.currencySymbol(QLocale::CurrencySymbol);
    settings.currencySymbol = utf8(symbol);
    const GroupSizes sizes = readGrouping(locale);
    settings.moneyPrimaryGroupSize = sizes.primary;
    settings.moneySecondaryGroupSize = sizes.secondary;
    settings.moneyMinimumGroupingDigits = sizes.minimum;
    if (hasOwnDigits(locale)) {
        readOwnDigits(locale, settings);
    } else {
        settings.moneyDecimalSeparator = utf8(locale.decimalPoint());
        settings.moneyGroupSeparator = utf8(locale.groupSeparator());
    }

    // A probe with a group and a fraction shows the symbol's place, its spacing and the decimals.
    constexpr double probe = 1234.5;
    const QString positive = locale.toCurrencyString(probe);
    const QString negative = locale.toCurrencyString(-probe);
    const LocatedAmount inPositive = locateAmount(locale, positive, probe);
    const LocatedAmount inNegative = locateAmount(locale, negative, probe);
    if (inPositive.position < 0 || inNegative.position < 0) {
        return;
    }
    settings.currencyDecimals = inPositive.decimals;
    settings.currencyPositivePattern = utf8(moneyPattern(positive, inPositive, symbol));
    settings.currencyNegativePattern = utf8(moneyPattern(negative, inNegative, symbol));
}

// Whether a run of one letter in a date pattern stands for a part in figures: d or dd, M or MM,
// yy or yyyy; not a weekday, a month's name or any other letter.
bool isFiguresPart(QChar letter, qsizetype count) {
    return ((letter == u'd' || letter == u'M') && count <= 2) ||
           (letter == u'y' && (count == 2 || count == 4));
}

// The short date pattern's form in figures: day, month and year with one separator between them
// and perhaps an ending ("yyyy. MM. dd."). Anything else (a month's name, a quoted word, two
// different separators) leaves dates to YYYY-MM-DD alone.
void readDateForm(const QString& pattern, RegionalSettings& settings) {
    settings.dateOrder = DateOrder::isoOnly;
    QString parts;       // the parts' letters in order: "dMy"
    QStringList between; // the texts before, between and after the parts
    bool padded = false;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern.at(i);
        qsizetype count = 1;
        while (i + count < pattern.size() && pattern.at(i + count) == c) {
            ++count;
        }
        if (c.isLetter()) {
            if (!isFiguresPart(c, count) || parts.contains(c)) {
                return;
            }
            parts.append(c);
            padded = padded || (c == u'M' && count == 2);
            between.append(QString{});
        } else if (c == u'\'' || c.isDigit()) {
            return;
        } else {
            if (between.isEmpty()) {
                return; // text before the first part
            }
            between.last().append(QString(count, c));
        }
        i += count;
    }
    if (parts.size() != 3 || between.at(0).isEmpty() || between.at(0) != between.at(1)) {
        return;
    }
    const QHash<QString, DateOrder> orders{{QStringLiteral("dMy"), DateOrder::dayMonthYear},
                                           {QStringLiteral("Mdy"), DateOrder::monthDayYear},
                                           {QStringLiteral("yMd"), DateOrder::yearMonthDay}};
    settings.dateOrder = orders.value(parts, DateOrder::isoOnly);
    settings.dateSeparator = utf8(between.at(0));
    settings.dateEnding = utf8(between.at(2).trimmed());
    settings.datePadded = padded;
}

void readDateConventions(const QLocale& locale, RegionalSettings& settings) {
    if (locale.language() == QLocale::C) {
        // C's short date names the month ("d MMM yyyy"), and a script run under C says nothing of
        // the order its dates were written in: they are read as YYYY-MM-DD only. The window keeps
        // the reference pattern.
        settings.dateOrder = DateOrder::isoOnly;
        return;
    }
    if (!writesLikeReference(locale)) {
        settings.shortDatePattern = utf8(locale.dateFormat(QLocale::ShortFormat));
        readDateForm(locale.dateFormat(QLocale::ShortFormat), settings);
    }
}

QLocale localeFromEnvironment(const QProcessEnvironment& environment, const QString& category) {
    for (const QString& name : {QStringLiteral("LC_ALL"), category, QStringLiteral("LANG")}) {
        const QString value = environment.value(name);
        if (!value.isEmpty()) {
            return QLocale(value);
        }
    }
    return QLocale::c();
}

} // namespace

RegionalSettings regionalSettingsFor(const QLocale& locale) {
    RegionalSettings settings = regionalSettingsFor(locale, locale);
    readDateConventions(locale, settings);
    return settings;
}

RegionalSettings regionalSettingsFor(const QLocale& numeric, const QLocale& monetary) {
    RegionalSettings settings;
    if (!writesLikeReference(numeric)) {
        readNumberConventions(numeric, settings);
    }
    if (!writesLikeReference(monetary)) {
        readMoneyConventions(monetary, settings);
    }
    return settings;
}

RegionalSettings regionalSettingsFromEnvironment(const QProcessEnvironment& environment) {
    RegionalSettings settings =
        regionalSettingsFor(localeFromEnvironment(environment, QStringLiteral("LC_NUMERIC")),
                            localeFromEnvironment(environment, QStringLiteral("LC_MONETARY")));
    readDateConventions(localeFromEnvironment(environment, QStringLiteral("LC_TIME")), settings);
    return settings;
}

std::optional<RegionalSettings> regionalSettingsNamed(const QString& name) {
    // "C", "POSIX", "C.UTF-8": the reference, as the C library has it.
    const QString base = name.section(u'.', 0, 0).section(u'@', 0, 0);
    if (base == QStringLiteral("C") || base == QStringLiteral("POSIX")) {
        return regionalSettingsFor(QLocale::c());
    }
    const QLocale locale(name);
    // Qt falls back to C for a name it does not know.
    if (name.isEmpty() || locale.language() == QLocale::C) {
        return std::nullopt;
    }
    return regionalSettingsFor(locale);
}

RegionalSettings userRegionalSettings() {
    return regionalSettingsFromEnvironment(QProcessEnvironment::systemEnvironment());
}

} // namespace veltrane
