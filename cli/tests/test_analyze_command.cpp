// `pravik analyze` run as a user or a script would, in the process: arguments and input in,
// output, messages and status out.
#include "calc/analysis.h"
#include "cli/field_spellings.h"
#include "cli/tests/pravik_run.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

using pravik_run::everyLineNamesTheProgram;
using pravik_run::Run;
using pravik_run::runPravik;

const QStringList position{"analyze", "--option-price",  "1.25",  "--strike-price",
                           "30",      "--current-price", "28.50", "--shares",
                           "500"};
const QStringList byDates{"--expiry", "2027-03-19", "--as-of", "2026-12-18"};
const QStringList byMonths{"--months", "3"};

QJsonObject jsonObject(const QString& out) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(out.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return {};
    }
    return document.object();
}

QStringList figureKeys() {
    QStringList keys;
    for (const veltrane::AnalysisFigureInfo& info : veltrane::analysisFigures) {
        keys.append(QString::fromLatin1(info.key.data(), static_cast<qsizetype>(info.key.size())));
    }
    return keys;
}

QString caption(veltrane::AnalysisFigure figure) {
    const std::string_view text = veltrane::figureInfo(figure).caption;
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Every line a script may read from standard error names the program.
} // namespace

class TestAnalyzeCommand : public QObject {
    Q_OBJECT

private slots:
    void workedExampleAsPlainJson_data();
    void workedExampleAsPlainJson();
    void workedExampleAsTexts();
    void workedExampleAsPlainText();
    void expiryCountsFromToday();
    void refusals_data();
    void refusals();
    void refusedAsJson();
    void incompletePosition();
    void twoLocales_data();
    void twoLocales();
    void helpNamesEveryInput();
    void usage_data();
    void usage();
    void outputFile();
    void csvBatchOfMixedRows();
    void csvBatchStatuses_data();
    void csvBatchStatuses();
    void csvHeaderRefused_data();
    void csvHeaderRefused();
    void csvDialects_data();
    void csvDialects();
    void csvOutputReadBack_data();
    void csvOutputReadBack();
    void jsonLines_data();
    void jsonLines();
};

void TestAnalyzeCommand::workedExampleAsPlainJson_data() {
    QTest::addColumn<QStringList>("time");
    QTest::addColumn<QVariantMap>("expected");

    const QVariantMap common{
        {"premium", 625.0},         {"dividends", 0.0},         {"total_fees", 0.0},
        {"cost", 14250.0},          {"assigned", 15000.0},      {"max_profit", 1375.0},
        {"static_profit", 625.0},   {"max_loss", 13625.0},      {"breakeven", 27.25},
        {"static_return", 4.39},    {"if_called_return", 9.65}, {"downside_protection", 4.39},
        {"upside_to_strike", 5.26},
    };
    QVariantMap dates = common;
    dates.insert({{"days_to_expiry", 91.0},
                  {"static_return_annualised", 17.59},
                  {"if_called_return_annualised", 38.70},
                  {"static_return_compound", 18.79},
                  {"if_called_return_compound", 44.70}});
    QVariantMap months = common;
    months.insert({{"days_to_expiry", QVariant{}},
                   {"static_return_annualised", 17.54},
                   {"if_called_return_annualised", 38.60},
                   {"static_return_compound", 18.73},
                   {"if_called_return_compound", 44.55}});
    QTest::newRow("expiry 91 days after the as-of date") << byDates << dates;
    QTest::newRow("3 months: twelfths of a year, no days") << byMonths << months;
    QTest::newRow("dates as en_US writes them")
        << QStringList{"--expiry", "3/19/27", "--as-of", "12/18/2026"} << dates;
}

void TestAnalyzeCommand::workedExampleAsPlainJson() {
    QFETCH(QStringList, time);
    QFETCH(QVariantMap, expected);

    const Run run = runPravik(position + time + QStringList{"--json", "--plain"});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.err, QString{});
    const QJsonObject object = jsonObject(run.out);
    QStringList keys = figureKeys();
    keys.sort();
    QCOMPARE(object.keys(), keys);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QJsonValue value = object.value(it.key());
        if (it.value().isNull()) {
            QVERIFY2(value.isNull(), qPrintable(it.key()));
        } else {
            QVERIFY2(value.isDouble(), qPrintable(it.key()));
            QCOMPARE(value.toDouble(), it.value().toDouble());
        }
    }
    // The digits as written, not only their value: money to the cent, breakeven to 1/10000.
    QVERIFY(run.out.contains(QStringLiteral("\"premium\": 625.00,")));
    QVERIFY(run.out.contains(QStringLiteral("\"breakeven\": 27.2500,")));
}

void TestAnalyzeCommand::workedExampleAsTexts() {
    const Run json = runPravik(position + byDates + QStringList{"--json"});
    QCOMPARE(json.status, 0);
    const QJsonObject object = jsonObject(json.out);
    QCOMPARE(object.value("max_profit").toString(), QStringLiteral("$1,375.00"));
    QCOMPARE(object.value("cost").toString(), QStringLiteral("$14,250.00"));
    QCOMPARE(object.value("breakeven").toString(), QStringLiteral("$27.25"));
    QCOMPARE(object.value("if_called_return_annualised").toString(), QStringLiteral("38.70%"));
    QCOMPARE(object.value("days_to_expiry").toString(), QStringLiteral("91"));

    // One line a figure, caption then text, in the order of the figure table.
    const Run text = runPravik(position + byMonths);
    QCOMPARE(text.status, 0);
    const QStringList lines = text.out.split(u'\n', Qt::SkipEmptyParts);
    // Without an ex-dividend date or a cost basis their groups are left out, and the note on the
    // odds when it has nothing to say: they come last.
    QCOMPARE(lines.size(), static_cast<qsizetype>(veltrane::AnalysisFigure::oddsNote));
    QVERIFY(lines.at(0).startsWith(caption(veltrane::AnalysisFigure::premium)));
    QVERIFY(lines.at(0).endsWith(QStringLiteral("   $625.00")));
    const auto line = [&lines](veltrane::AnalysisFigure figure) {
        return lines.at(static_cast<qsizetype>(figure)).simplified();
    };
    QCOMPARE(line(veltrane::AnalysisFigure::staticReturn),
             QStringLiteral("Static return (price unchanged) 4.39%"));
    QCOMPARE(line(veltrane::AnalysisFigure::ifCalledReturnAnnualised),
             caption(veltrane::AnalysisFigure::ifCalledReturnAnnualised) + " 38.60%");
    QCOMPARE(line(veltrane::AnalysisFigure::breakeven), QStringLiteral("Breakeven price $27.25"));
    // Empty by definition, and said so: no days when months were given.
    QCOMPARE(line(veltrane::AnalysisFigure::days), QStringLiteral("Days to expiry none"));
}

void TestAnalyzeCommand::workedExampleAsPlainText() {
    const Run run = runPravik(position + byDates + QStringList{"--plain"});
    QCOMPARE(run.status, 0);
    QVERIFY(run.out.contains(QRegularExpression(QStringLiteral("\nStock cost +14250.00\n"))));
    QVERIFY(run.out.contains(QRegularExpression(QStringLiteral("\nBreakeven price +27.2500\n"))));
    QVERIFY(run.out.contains(QRegularExpression(QStringLiteral("\nReturn if called +9.65\n"))));
    QVERIFY(!run.out.contains(u'$'));
    QVERIFY(!run.out.contains(u'%'));
}

// Without --as-of the days count from the local date of the run.
void TestAnalyzeCommand::expiryCountsFromToday() {
    const QDate before = QDate::currentDate();
    const QDate expiry = before.addDays(200);
    const Run run = runPravik(
        position + QStringList{"--expiry", expiry.toString(Qt::ISODate), "--json", "--plain"});
    const QDate after = QDate::currentDate();
    QCOMPARE(run.status, 0);
    const int days = jsonObject(run.out).value("days_to_expiry").toInt();
    QVERIFY2(days == before.daysTo(expiry) || days == after.daysTo(expiry), qPrintable(run.out));
}

void TestAnalyzeCommand::refusals_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("messages");

    const QStringList prices{"analyze", "--option-price",  "1.25", "--strike-price",
                             "30",      "--current-price", "28.50"};
    QTest::newRow("a price that is not a number")
        << (QStringList{"analyze", "--option-price", "1,25.0", "--strike-price", "30",
                        "--current-price", "28.50", "--shares", "500", "--days", "30"})
        << QStringList{"--option-price \"1,25.0\" is not a number."};
    QTest::newRow("a strike of 0 and a negative fee")
        << (QStringList{"analyze", "--option-price", "1", "--strike-price", "0", "--current-price",
                        "28.50", "--shares", "500", "--days", "30", "--fees", "-1"})
        << QStringList{"--strike-price \"0\" must be more than 0.",
                       "--fees \"'-1\" must be 0 or more."};
    QTest::newRow("shares and contracts both")
        << (prices + QStringList{"--shares", "500", "--contracts", "5", "--days", "30"})
        << QStringList{"--contracts \"5\" cannot be given with --shares: give one of the two."};
    QTest::newRow("neither shares nor contracts, no time to expiry")
        << prices
        << QStringList{"No position size: give --shares or --contracts.",
                       "No time to expiry: give --expiry, --days or --months."};
    QTest::newRow("months beyond the list")
        << (prices + QStringList{"--shares", "500", "--months", "13"})
        << QStringList{"--months \"13\" must be a whole number of months from 1 to 12."};
    QTest::newRow("an expiry on the as-of date")
        << (prices +
            QStringList{"--shares", "500", "--expiry", "2027-03-19", "--as-of", "2027-03-19"})
        << QStringList{"--expiry \"2027-03-19\" must be after the as-of date, 2027-03-19."};
    QTest::newRow("a date that does not exist")
        << (prices +
            QStringList{"--shares", "500", "--expiry", "2027-02-29", "--as-of", "2026-12-18"})
        << QStringList{"--expiry \"2027-02-29\" is not a real date; dates are written like "
                       "2027-03-19, 3/19/2027 or 3/19/27."};
    QTest::newRow("a German date under en_US")
        << (prices + QStringList{"--shares", "500", "--expiry", "19.03.2027"})
        << QStringList{"--expiry \"19.03.2027\" is not a date written like 2027-03-19, 3/19/2027 "
                       "or 3/19/27."};
    QTest::newRow("a US date under --locale de_DE")
        << (QStringList{"analyze", "--option-price", "1,25", "--strike-price", "30",
                        "--current-price", "28,50", "--shares", "500", "--expiry", "03/19/2027",
                        "--locale", "de_DE"})
        << QStringList{"--expiry \"03/19/2027\" is not a date written like 2027-03-19, "
                       "19.03.2027 or 19.03.27."};
    QTest::newRow("days and months both")
        << (prices + QStringList{"--shares", "500", "--days", "30", "--months", "1"})
        << QStringList{"--months \"1\" cannot be given with --days: give one time to expiry."};
    QTest::newRow("half a share") << (prices + QStringList{"--shares", "0.5", "--days", "30"})
                                  << QStringList{
                                         "--shares \"0.5\" must be a whole number, 1 or more."};
    QTest::newRow("a line break in a text stays on one line")
        << (prices + QStringList{"--shares", "5\n00", "--days", "30"})
        << QStringList{R"(--shares "5\n00" is not a number.)"};
}

// Every refused input on its own line of standard error, named as the user wrote it; nothing on
// standard output, status 2.
void TestAnalyzeCommand::refusals() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, messages);

    const Run run = runPravik(arguments);
    QCOMPARE(run.status, 2);
    QCOMPARE(run.out, QString{});
    QVERIFY2(everyLineNamesTheProgram(run.err), qPrintable(run.err));
    QStringList expected;
    for (const QString& message : messages) {
        expected.append(QStringLiteral("pravik: ") + message);
    }
    QCOMPARE(run.err.split(u'\n', Qt::SkipEmptyParts), expected);
}

void TestAnalyzeCommand::refusedAsJson() {
    const Run run =
        runPravik({"analyze", "--option-price", "x", "--strike-price", "30", "--current-price",
                   "28.50", "--shares", "500", "--months", "0", "--json"});
    QCOMPARE(run.status, 2);
    const QJsonObject object = jsonObject(run.out);
    QCOMPARE(object.value("fields").toArray(), (QJsonArray{"option_price", "months"}));
    QVERIFY(object.value("error").toString().startsWith("--option-price \"x\" is not a number."));
}

// A figure beyond the largest amount: the rest is shown, the reason given, status 3.
void TestAnalyzeCommand::incompletePosition() {
    const QStringList arguments{"analyze",
                                "--option-price",
                                "1",
                                "--strike-price",
                                "900000000000000",
                                "--current-price",
                                "28.50",
                                "--shares",
                                "1000",
                                "--days",
                                "30"};
    const Run json = runPravik(arguments + QStringList{"--json", "--plain"});
    QCOMPARE(json.status, 3);
    const QJsonObject object = jsonObject(json.out);
    QVERIFY(object.value("assigned").isNull());
    QVERIFY(object.value("max_profit").isNull());
    QCOMPARE(object.value("cost").toDouble(), 28500.0);
    QCOMPARE(object.value("days_to_expiry").toDouble(), 30.0);
    QCOMPARE(
        object.value("error").toString(),
        QStringLiteral("Proceeds if assigned is beyond the largest amount the program holds."));
    QCOMPARE(json.err, QStringLiteral("pravik: ") + object.value("error").toString() + "\n");

    const Run text = runPravik(arguments);
    QCOMPARE(text.status, 3);
    QVERIFY(
        text.out.contains(QRegularExpression(QStringLiteral("\nMaximum profit +not available\n"))));

    // No breakeven is no fault: fees beyond the most it can make leave none, status 0.
    const Run noBreakeven =
        runPravik(position + byMonths + QStringList{"--fees", "2000", "--json"});
    QCOMPARE(noBreakeven.status, 0);
    QCOMPARE(jsonObject(noBreakeven.out).value("breakeven").toString(), QString{});
    QCOMPARE(jsonObject(noBreakeven.out).value("max_profit").toString(),
             QStringLiteral("($625.00)"));
}

void TestAnalyzeCommand::twoLocales_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("environment");

    const QStringList german{"analyze", "--option-price",  "1,25",  "--strike-price",
                             "30",      "--current-price", "28,50", "--shares",
                             "500",     "--dividend",      "0,1",   "--days",
                             "91",      "--json"};
    QTest::newRow("de_DE from LANG") << german << QStringList{"LANG=de_DE.UTF-8"};
    QTest::newRow("de_DE by --locale over LANG=C")
        << (german + QStringList{"--locale", "de_DE.UTF-8"}) << QStringList{"LANG=C"};
    QStringList germanDates = german;
    germanDates.replace(germanDates.indexOf("--days"), "--expiry");
    germanDates.replace(germanDates.indexOf("91"), "19.03.27");
    QTest::newRow("de_DE dates, expiry and as-of")
        << (germanDates + QStringList{"--as-of", "18.12.2026"}) << QStringList{"LANG=de_DE.UTF-8"};
}

// The same position read and written the German way: comma decimals, the euro after the amount
// and a no-break space.
void TestAnalyzeCommand::twoLocales() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, environment);

    const Run run = runPravik(arguments, {}, environment);
    QCOMPARE(run.status, 0);
    const QJsonObject object = jsonObject(run.out);
    QCOMPARE(object.value("dividends").toString(), QStringLiteral("50,00\u00A0€"));
    QCOMPARE(object.value("max_profit").toString(), QStringLiteral("1.425,00\u00A0€"));
    QCOMPARE(object.value("breakeven").toString(), QStringLiteral("27,15\u00A0€"));
    QCOMPARE(object.value("static_return").toString(), QStringLiteral("4,74%"));

    // Plain numbers are the same in every locale.
    const Run plain = runPravik(arguments + QStringList{"--plain"}, {}, environment);
    QVERIFY(plain.out.contains(QStringLiteral("\"max_profit\": 1425.00,")));
    QVERIFY(plain.out.contains(QStringLiteral("\"breakeven\": 27.1500,")));
}

// Both ways to ask for help give the same text, and it names every input of the analysis.
void TestAnalyzeCommand::helpNamesEveryInput() {
    const Run help = runPravik({"help", "analyze"});
    QCOMPARE(help.status, 0);
    const Run option = runPravik({"analyze", "--help"});
    QCOMPARE(option.status, 0);
    QCOMPARE(help.out, option.out);
    for (const veltrane::AnalysisInputInfo& info : veltrane::analysisInputs) {
        const QString name = QString::fromStdString(
            veltrane::inputSpelling(info.input, veltrane::FieldSpelling::option));
        QVERIFY2(help.out.contains(QStringLiteral("  ") + name + QStringLiteral(" <")),
                 qPrintable(name));
    }
    QVERIFY(runPravik({"--help"}).out.contains(QStringLiteral("pravik analyze [OPTIONS]")));
}

void TestAnalyzeCommand::usage_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");

    QTest::newRow("nothing asked") << QStringList{"analyze"} << "analyze needs";
    QTest::newRow("an unknown option") << QStringList{"analyze", "--strike", "30"} << "strike";
    QTest::newRow("an input with --csv")
        << QStringList{"analyze", "--csv", "--shares", "5"} << "--shares cannot go with it";
    QTest::newRow("--json with --decimal-separator")
        << QStringList{"analyze", "--plain", "--json", "--decimal-separator", ","}
        << "so --decimal-separator cannot go with it";
    QTest::newRow("an option twice")
        << (position + QStringList{"--shares", "5", "--days", "3"}) << "more than once";
    QTest::newRow("an unknown locale")
        << (position + QStringList{"--days", "3", "--locale", "xx_NOWHERE"}) << "unknown locale";
    QTest::newRow("a stray argument")
        << (position + QStringList{"--days", "3", "extra"}) << "unexpected argument";
    QTest::newRow("a delimiter without --csv")
        << (position + QStringList{"--days", "3", "--delimiter", ";"})
        << "--delimiter goes with --csv";
    QTest::newRow("an unknown delimiter")
        << QStringList{"analyze", "--csv", "--delimiter", "x"} << "unknown delimiter 'x'";
    QTest::newRow("a file that is not there")
        << QStringList{"analyze", "--csv", "/nonexistent/positions.csv"} << "cannot read";
    QTest::newRow("a chart without a name")
        << (position + QStringList{"--days", "3", "--chart", ""}) << "--chart needs a file name";
    QTest::newRow("--column without --csv")
        << (position + QStringList{"--days", "3", "--column", "days=DTE"})
        << "--column goes with --csv";
    QTest::newRow("--column naming no input")
        << QStringList{"analyze", "--csv", "--column", "symbol=Ticker"}
        << "--column 'symbol=Ticker': no input is named 'symbol'; the keys are option_price, "
           "strike_price, current_price, shares, contracts, expiry, as_of, days, months, fees, "
           "dividend";
    QTest::newRow("--column without '='")
        << QStringList{"analyze", "--csv", "--column", "expiry"}
        << "--column takes KEY=HEADER (strike_price=Strike), not 'expiry'";
    QTest::newRow("--column with a blank header")
        << QStringList{"analyze", "--csv", "--column", "expiry= "} << "--column takes KEY=HEADER";
    QTest::newRow("the chart and the figures in one file")
        << (position +
            QStringList{"--days", "3", "--chart", "/tmp/x/../figures", "--output", "/tmp/figures"})
        << "--output and --chart name the same file";
    QTest::newRow("an unknown return base")
        << (position + QStringList{"--days", "3", "--return-base", "gross"})
        << "--return-base must be stock-cost or net-debit, not 'gross'";
}

void TestAnalyzeCommand::usage() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);

    const Run run = runPravik(arguments);
    QCOMPARE(run.status, 64);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY2(everyLineNamesTheProgram(run.err), qPrintable(run.err));
}

// The file is replaced when the run is done, refused or not, and left alone when it fails.
void TestAnalyzeCommand::outputFile() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("figures.json"));
    QFile seed{path};
    QVERIFY(seed.open(QIODevice::WriteOnly));
    seed.write("old");
    seed.close();

    const Run done = runPravik(position + byDates + QStringList{"--json", "--output", path});
    QCOMPARE(done.status, 0);
    QCOMPARE(done.out, QString{});
    QFile written{path};
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(jsonObject(QString::fromUtf8(written.readAll())).value("days_to_expiry").toString(),
             QStringLiteral("91"));
    written.close();

    const Run failed =
        runPravik(QStringList{"analyze", "--csv", "--output", path}, "not,a,header\n");
    QCOMPARE(failed.status, 64);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll().startsWith('{'));
    QCOMPARE(QDir{folder.path()}.entryList(QDir::Files), QStringList{"figures.json"});
}

// Complete, refused and incomplete rows in one file, padding between them, columns by any
// spelling: every row is written back with its figures or the reason it has none.
void TestAnalyzeCommand::csvBatchOfMixedRows() {
    const QByteArray input = "id,Option Price,STRIKE_PRICE,current-price,shares,contracts,"
                             "expiry,as_of,Days to expiry,months,fees,dividend\r\n"
                             "a,1.25,30,28.50,500,,2027-03-19,2026-12-18,,,,\r\n"
                             ",,,,,,,,,,,\r\n"
                             "b,1.25,30,28.50,,5,,,,3,10,0.2\r\n"
                             "c,=1+1,30,28.50,500,,,,,13,,\r\n"
                             "d,1,900000000000000,28.50,1000,,,,30,,,\r\n";
    const Run run = runPravik({"analyze", "--csv", "--plain"}, input);
    QCOMPARE(run.status, 2);
    QCOMPARE(run.err,
             QStringLiteral("pravik: 1 of 4 rows were refused; their error column says why\n"));
    const QStringList lines = run.out.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 6); // header, four rows, the final line ending
    const QString header = QStringLiteral("id,Option Price,STRIKE_PRICE,current-price,shares,"
                                          "contracts,expiry,as_of,Days to expiry,months,fees,"
                                          "dividend,") +
                           figureKeys().join(u',') + ",error";
    QCOMPARE(lines.at(0), header);
    QCOMPARE(lines.at(1), QStringLiteral("a,1.25,30,28.50,500,,2027-03-19,2026-12-18,,,,,625.00,"
                                         "0.00,0.00,14250.00,15000.00,1375.00,625.00,13625.00,"
                                         "27.2500,4.39,9.65,4.39,5.26,17.59,38.70,18.79,44.70,"
                                         "91,0.0000,1.2500,4.39,32.77,32.77,34.63,57.62,0.408,"
                                         "295.799,4.98,,,,,,,,,,,"));
    // Contracts of 100 shares, months, fees and a dividend.
    QCOMPARE(lines.at(2), QStringLiteral("b,1.25,30,28.50,,5,,,,3,10,0.2,625.00,100.00,10.00,"
                                         "14250.00,15000.00,1465.00,715.00,13535.00,27.0700,"
                                         "5.02,10.28,5.02,5.26,20.07,41.12,21.63,47.91,,0.0000,"
                                         "1.2500,4.39,,,,,,,,the dividend needs its ex-dividend "
                                         "date,,,,,,,,,,"));
    // Every refused input named by its column; a formula is quoted so it stays text.
    QCOMPARE(lines.at(3),
             QStringLiteral("c,=1+1,30,28.50,500,,,,,13,,") +
                 QString(veltrane::analysisFigures.size() + 1, u',') +
                 QStringLiteral("\"option_price \"\"'=1+1\"\" is not a number. months "
                                "\"\"13\"\" must be a whole number of months from 1 to "
                                "12.\""));
    QVERIFY(
        lines.at(4).startsWith(QStringLiteral("d,1,900000000000000,28.50,1000,,,,30,,,,1000.00,")));
    QVERIFY(lines.at(4).endsWith(QStringLiteral(
        ",,,,,,,,,,,Proceeds if assigned is beyond the largest amount the program holds.")));
}

void TestAnalyzeCommand::csvBatchStatuses_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");

    const QByteArray header = "option_price,strike_price,current_price,shares,days\n";
    QTest::newRow("every row complete") << header + "1.25,30,28.50,500,91\n1,20,19,100,30\n"
                                        << 0 << QString{};
    QTest::newRow("an incomplete row")
        << header + "1.25,30,28.50,500,91\n1,900000000000000,28.50,1000,30\n"
        << 3 << "pravik: 1 of 2 rows lack a figure; their error column says why\n";
    QTest::newRow("a row missing an input")
        << header + "1.25,,28.50,500,91\n1,900000000000000,28.50,1000,30\n"
        << 2 << "pravik: 1 of 2 rows were refused; their error column says why\n";
    QTest::newRow("a row with a field too many")
        << header + "1.25,30,28.50,500,91\n1,2,3,4,5,6\n1,2,3,4,5,6,7\n"
        << 2
        << "pravik: standard input, line 3: the row has more fields than the header names, so it "
           "and 1 more such rows were refused (their error column says so)\n";
    QTest::newRow("a row with a field too many and a row refused")
        << header + "1.25,30,28.50,500,91\n1,2,3,4,5,6\n1,,3,4,5\n"
        << 2
        << "pravik: standard input, line 3: the row has more fields than the header names, so it "
           "was refused (its error column says so)\npravik: 1 of 3 rows were refused; their error "
           "column says why\n";
    QTest::newRow("a row with fields too few: padded") << header + "1.25,30,28.50,500,91\n1,20,19\n"
                                                       << 2
                                                       << "pravik: 1 of 2 rows were refused; their "
                                                          "error column says why\n";
}

void TestAnalyzeCommand::csvBatchStatuses() {
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QString, message);

    const Run run = runPravik({"analyze", "--csv"}, input);
    QCOMPARE(run.status, status);
    QCOMPARE(run.err, message);
}

void TestAnalyzeCommand::csvHeaderRefused_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("columns");

    QTest::newRow("no time to expiry")
        << QByteArray{"option_price,strike_price,current_price,shares\n1,2,3,4\n"}
        << "the header lacks the columns expiry, days or months" << QStringList{};
    QTest::newRow("no size and no strike")
        << QByteArray{"option_price,current_price,months\n1,2,3\n"}
        << "the header lacks the columns strike_price, shares or contracts" << QStringList{};
    QTest::newRow("a column twice")
        << QByteArray{"option_price,Option-Price,strike_price,current_price,shares,days\n"}
        << "the header names the column option_price twice" << QStringList{};
    QTest::newRow("figures already there")
        << QByteArray{"option_price,strike_price,current_price,shares,days,premium,error\n"}
        << "the header names the figure columns premium, error, so the file holds figures "
           "already; give --replace-results"
        << QStringList{};
    QTest::newRow("figures already there, named by the first thousand")
        << "option_price,strike_price,current_price,shares,days" +
               QByteArray{",premium"}.repeated(1001) + "\n"
        << "the header names the figure columns " + QStringLiteral("premium, ").repeated(1000) +
               "…, so the file holds figures already; give --replace-results"
        << QStringList{};
    QTest::newRow("empty input") << QByteArray{} << "the input is empty" << QStringList{};
    QTest::newRow("a caption and its full name")
        << QByteArray{"Strike,Strike Price,Premium,Last,Qty,DTE\n"}
        << "the header names the column strike_price twice" << QStringList{};
    QTest::newRow("--column on a caption of another input")
        << QByteArray{"Strike,Premium,Last,Qty,DTE\n"}
        << "the header's column \"Premium\" matches both option_price and fees"
        << QStringList{"--column", "fees=premium"};
    QTest::newRow("--column naming one column for two inputs")
        << QByteArray{"Strike,Premium,Last,Lots,DTE\n"}
        << "the header's column \"Lots\" matches both shares and contracts"
        << QStringList{"--column", "shares=Lots", "--column", "contracts=lots"};
}

void TestAnalyzeCommand::csvHeaderRefused() {
    QFETCH(QByteArray, input);
    QFETCH(QString, message);
    QFETCH(QStringList, columns);

    const Run run = runPravik(QStringList{"analyze", "--csv"} + columns, input);
    QCOMPARE(run.status, 64);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(run.out, QString{});
}

void TestAnalyzeCommand::csvDialects_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("locale");
    QTest::addColumn<QString>("firstRow");

    QTest::newRow("semicolons and decimal commas, told from the header")
        << QStringList{"analyze", "--csv"}
        << QByteArray{"Option Price;Strike Price;Current Price;Shares;Days\n1,25;30;28,50;500;91\n"}
        << QStringList{"LANG=de_DE.UTF-8"} << QStringLiteral("1,25;30;28,50;500;91;625,00\u00A0€;");
    QTest::newRow("tabs named by --delimiter, the file by --csv=FILE on standard input")
        << QStringList{"analyze", "--csv=-", "--delimiter", "tab", "--plain"}
        << QByteArray{"option_price\tstrike_price\tcurrent_price\tcontracts\tmonths\n"
                      "1.25\t30\t28.50\t5\t3\n"}
        << QStringList{"LANG=en_US.UTF-8"} << QStringLiteral("1.25\t30\t28.50\t5\t3\t625.00\t");
    QTest::newRow("LibreOffice's export under en_US: captions and US dates")
        << QStringList{"analyze", "--csv", "--plain"}
        << QByteArray{"Symbol,Strike,Premium,Stock Price,Qty,Expiration,As Of\r\n"
                      "ACME,30,1.25,28.50,500,3/19/2027,12/18/26\r\n"}
        << QStringList{"LANG=en_US.UTF-8"}
        << QStringLiteral("ACME,30,1.25,28.50,500,3/19/2027,12/18/26,625.00,0.00,0.00,14250.00,"
                          "15000.00,1375.00,625.00,13625.00,27.2500,4.39,9.65,4.39,5.26,17.59,"
                          "38.70,18.79,44.70,91,0.0000,1.2500,4.39,32.77,");
    QTest::newRow("LibreOffice's German export by --locale de_DE")
        << QStringList{"analyze", "--csv", "--plain", "--locale", "de_DE"}
        << QByteArray{"Symbol;Strike;Premium;Stock Price;Qty;Expiration;As Of\n"
                      "ACME;30;1,25;28,50;500;19.03.2027;18.12.26\n"}
        << QStringList{"LANG=C"}
        << QStringLiteral("ACME;30;1,25;28,50;500;19.03.2027;18.12.26;625,00;0,00;0,00;14250,00;"
                          "15000,00;1375,00;625,00;13625,00;27,2500;4,39;9,65;4,39;5,26;17,59;"
                          "38,70;18,79;44,70;91;");
    QTest::newRow("other headers by --column, brokers' captions beside them")
        << QStringList{"analyze",  "--csv",           "--plain", "--column", "current_price=Kurs",
                       "--column", "as-of=Trade Date"}
        << QByteArray{"Bid,Strike Price,Kurs,Contracts,Expiration Date,Trade Date,Commission,"
                      "Dividend\n1.25,30,28.50,5,2027-03-19,2026-12-18,10,0.2\n"}
        << QStringList{"LANG=en_US.UTF-8"}
        << QStringLiteral("1.25,30,28.50,5,2027-03-19,2026-12-18,10,0.2,625.00,100.00,10.00,");
}

// The dialect of the input is the dialect of the output: a spreadsheet reads its file back.
void TestAnalyzeCommand::csvDialects() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QStringList, locale);
    QFETCH(QString, firstRow);

    const Run run = runPravik(arguments, input, locale);
    QCOMPARE(run.status, 0);
    const QStringList lines = run.out.split(u'\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines.at(1).startsWith(firstRow), qPrintable(lines.at(1)));
}

// Its own output, inputs `fees` and `days` among them, holds each name once and reads back.
void TestAnalyzeCommand::csvOutputReadBack_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");

    const QByteArray positions{"option_price,strike_price,current_price,shares,days,fees\n"
                               "1.25,30,28.50,500,91,10\n1,2,3,4,,\n"};
    QTest::newRow("analyze") << QStringList{"analyze", "--csv"} << positions;
    QTest::newRow("analyze, plain, on one thread")
        << QStringList{"analyze", "--csv", "--plain", "--jobs", "1"} << positions;
    QTest::newRow("a broker's \"Days to Expiry\" is the input")
        << QStringList{"analyze", "--csv"}
        << QByteArray{"Strike Price,Option Price,Current Price,Shares,Days to Expiry\n"
                      "30,1.25,28.50,500,91\n"};
    QTest::newRow("calc") << QStringList{"calc", "--csv"}
                          << QByteArray{"option_price,strike_price,current_price,shares,months\n"
                                        "1.25,30,28.50,500,3\n"};
}

void TestAnalyzeCommand::csvOutputReadBack() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);

    const Run first = runPravik(arguments, input);
    QVERIFY2(first.status == 0 || first.status == 2, qPrintable(first.err));
    const QStringList names = first.out.section(u'\n', 0, 0).split(u',');
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
    QVERIFY2(!first.out.section(u'\n', 1, 1).contains(QStringLiteral("days")),
             qPrintable(first.out)); // the days were read, not refused

    const Run refused = runPravik(arguments, first.out.toUtf8());
    QCOMPARE(refused.status, 64);
    QVERIFY2(refused.err.contains(QStringLiteral("give --replace-results")),
             qPrintable(refused.err));
    const Run again = runPravik(arguments + QStringList{"--replace-results"}, first.out.toUtf8());
    QCOMPARE(again.status, first.status);
    QCOMPARE(again.out, first.out);
}

// --json with --csv: one object a row, the input columns by their header names, then the
// figures, then error.
void TestAnalyzeCommand::jsonLines_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");
    // The keys of the first object in order, its value under `key`, or what standard error says.
    QTest::addColumn<QStringList>("firstKeys");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");

    const QByteArray positions{"note,option_price,strike_price,current_price,shares,days\n"
                               "\"a, \"\"b\"\"\",1.25,30,28.50,500,91\nc,x,30,28.50,500,91\n"};
    QTest::newRow("analyze, plain: figures are numbers")
        << QStringList{"analyze", "--csv", "--json", "--plain"} << positions << 2
        << QStringList{"note", "option_price", "strike_price", "current_price", "shares",
                       "days", "premium",      "dividends",    "total_fees"}
        << "static_return" << QVariant{4.39};
    QTest::newRow("analyze: figures are texts, the note as written")
        << QStringList{"analyze", "--csv", "--json"} << positions << 2 << QStringList{"note"}
        << "note" << QVariant{QStringLiteral("a, \"b\"")};
    QTest::newRow("analyze, plain, ';': numbers still take '.'")
        << QStringList{"analyze", "--csv", "--json", "--plain", "--locale", "de_DE"}
        << QByteArray{"option_price;strike_price;current_price;shares;days\n1,25;30;28,50;500;91\n"}
        << 0 << QStringList{"option_price"} << "breakeven" << QVariant{27.25};
    QTest::newRow("calc, plain, with an error member")
        << QStringList{"calc", "--csv", "--json", "--plain", "--jobs", "2"}
        << QByteArray{"option_price,strike_price,current_price,shares,months\n"
                      "1.25,30,28.50,500,3\n"}
        << 0 << QStringList{"option_price", "strike_price", "current_price",
                            "shares",       "months",       "intOptionsRecd"}
        << "error" << QVariant{QString{}};
    QTest::newRow("two columns of one name cannot be keys")
        << QStringList{"calc", "--csv", "--json"}
        << QByteArray{"n,n,option_price,strike_price,current_price,shares\n1,2,1,2,3,4\n"} << 64
        << QStringList{} << "the header names the column \"n\" twice" << QVariant{};
}

void TestAnalyzeCommand::jsonLines() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QStringList, firstKeys);
    QFETCH(QString, key);
    QFETCH(QVariant, value);

    const Run run = runPravik(arguments, input);
    QCOMPARE(run.status, status);
    if (status == 64) {
        QVERIFY2(run.err.contains(key), qPrintable(run.err));
        QCOMPARE(run.out, QString{});
        return;
    }
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), input.count('\n') - 1);
    for (const QString& line : lines) {
        QVERIFY2(!jsonObject(line).isEmpty(), qPrintable(line));
    }
    // QJsonObject sorts its keys: the order is read from the text.
    qsizetype at = 0;
    for (const QString& name : firstKeys) {
        const qsizetype found = lines.front().indexOf(u'"' + name + QStringLiteral("\": "), at);
        QVERIFY2(found >= at, qPrintable(name + u' ' + lines.front()));
        at = found;
    }
    QCOMPARE(jsonObject(lines.front()).value(key).toVariant(), value);
}

QTEST_GUILESS_MAIN(TestAnalyzeCommand)
#include "test_analyze_command.moc"
