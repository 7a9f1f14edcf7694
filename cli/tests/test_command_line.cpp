#include "calc/fields.h"
#include "cli/tests/pravik_run.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {

using pravik_run::Run;
using pravik_run::runPravik;

const QStringList workedExample{"calc", "--option-price",  "1.25",  "--strike-price",
                                "30",   "--current-price", "28.50", "--shares",
                                "500",  "--months",        "3"};

const QStringList resultNames{"intOptionsRecd",    "intTotalAssigned", "intTotalReceipts",
                              "intTotalStockCost", "intNetGain",       "intDivideIntoCost",
                              "pctReturn"};

const QString invalidEntryMessage =
    QString::fromUtf8(veltrane::invalidEntryMessage.data(),
                      static_cast<qsizetype>(veltrane::invalidEntryMessage.size()));

QStringList jsonTexts(const QString& out) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(out.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return {QStringLiteral("not JSON: ") + out};
    }
    const QJsonObject object = document.object();
    QStringList expectedKeys = resultNames;
    expectedKeys.sort();
    if (object.keys() != expectedKeys) {
        return {QStringLiteral("keys: ") + object.keys().join(u' ')};
    }
    QStringList texts;
    for (const QString& name : resultNames) {
        texts << object.value(name).toString();
    }
    return texts;
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void workedExampleAsJson();
    void workedExampleAsText();
    void valuesMayBeginWithAMinus();
    void checkFailsWithTheWindowsMessage_data();
    void checkFailsWithTheWindowsMessage();
    void monthsAreNeverChecked();
    void regionalSettingsFromTheEnvironment_data();
    void regionalSettingsFromTheEnvironment();
    void usage_data();
    void usage();
    void csvQuotingAndPassThrough();
    void csvRowsFailingTheCheck();
    void malformedCsvNamesTheLine_data();
    void malformedCsvNamesTheLine();
    void unreadableFile();
    void batchOfHundredThousandRows();
};

void TestCommandLine::workedExampleAsJson() {
    const Run run = runPravik(workedExample + QStringList{"--json"});
    QCOMPARE(run.err, QString{});
    QCOMPARE(run.status, 0);
    QCOMPARE(jsonTexts(run.out), (QStringList{"$625.00", "$15,000.00", "$15,625.00", "$14,250.00",
                                              "$1,375.00", "0.096", "38.40%"}));
}

void TestCommandLine::workedExampleAsText() {
    const Run run = runPravik(workedExample);
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QStringLiteral("Received from Options   $625.00\n"
                                     "Total If Assigned   $15,000.00\n"
                                     "Total Receipts   $15,625.00\n"
                                     "Total Stock Cost   $14,250.00\n"
                                     "Net Gain   $1,375.00\n"
                                     "Divide Into Cost   0.096\n"
                                     "Annual % Return   38.40%\n"));
}

// "--strike-price -20" and "--strike-price=-20" both take "-20" as the text.
void TestCommandLine::valuesMayBeginWithAMinus() {
    const QStringList arguments{
        "calc", "--option-price=0.75", "--strike-price=20", "--current-price",
        "22",   "--shares=100",        "--months=2",        "--json"};
    const Run run = runPravik(arguments);
    QCOMPARE(run.status, 0);
    QCOMPARE(jsonTexts(run.out), (QStringList{"$75.00", "$2,000.00", "$2,075.00", "$2,200.00",
                                              "($125.00)", "-0.057", "-34.20%"}));

    const Run negative = runPravik({"calc", "--option-price=-1", "--strike-price", "-2",
                                    "--current-price=1", "--shares=1", "--months=1", "--json"});
    QCOMPARE(negative.status, 0);
    QCOMPARE(jsonTexts(negative.out).value(0), QStringLiteral("($1.00)"));
    QCOMPARE(jsonTexts(negative.out).value(1), QStringLiteral("($2.00)"));
}

void TestCommandLine::checkFailsWithTheWindowsMessage_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("failed");

    QTest::newRow("a letter in the strike price")
        << QStringList{"calc",  "--option-price", "1.25", "--strike-price", "3O", "--current-price",
                       "28.50", "--shares",       "500",  "--months",       "3"}
        << R"(--strike-price "3O")";
    QTest::newRow("only the months given")
        << QStringList{"calc", "--months=3"}
        << R"(--option-price "", --strike-price "", --current-price "", --shares "")";
    QTest::newRow("blanks only are no number")
        << QStringList{"calc", "--option-price= ", "--strike-price=30", "--current-price=28.50",
                       "--shares=500"}
        << R"(--option-price " ")";
    QTest::newRow("an empty value")
        << QStringList{"calc", "--option-price=1", "--strike-price=", "--current-price=2",
                       "--shares=abc"}
        << R"(--strike-price "", --shares "abc")";
    // A long text is quoted in part: its first 200 characters, never half of one, then "…".
    const QStringList prices{"calc", "--option-price=1", "--current-price=2", "--shares=3"};
    QTest::newRow("a long text, quoted in part")
        << prices + QStringList{"--strike-price=" + QString(300, u'x')}
        << "--strike-price \"" + QString(200, u'x') + "…\"";
    QTest::newRow("two hundred characters, quoted whole")
        << prices + QStringList{"--strike-price=" + QString(200, u'é')}
        << "--strike-price \"" + QString(200, u'é') + "\"";
    QTest::newRow("characters of two and four bytes, cut between them")
        << prices + QStringList{"--strike-price=" + QStringLiteral("é😀").repeated(150)}
        << "--strike-price \"" + QStringLiteral("é😀").repeated(100) + "…\"";
}

void TestCommandLine::checkFailsWithTheWindowsMessage() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, failed);

    const Run run = runPravik(arguments);
    QCOMPARE(run.status, 2);
    QCOMPARE(run.out, QString{});
    QCOMPARE(run.err, "pravik: " + invalidEntryMessage + "\npravik: Fields: " + failed + "\n");
    QVERIFY(run.err.contains(QStringLiteral("fields.  Please")));
    QVERIFY(run.err.contains(QStringLiteral("example,you")));
}

// The months box holds "1" to "12" or nothing, so any other months text is refused as input.
void TestCommandLine::monthsAreNeverChecked() {
    QStringList arguments = workedExample;
    arguments.replace(arguments.indexOf(QStringLiteral("3")), QStringLiteral("soon"));
    const Run run = runPravik(arguments + QStringList{"--json"});
    QCOMPARE(run.status, 2);
    QVERIFY2(
        run.err.contains(QStringLiteral("months must be one of 1 to 12 or empty, not \"soon\"")),
        qPrintable(run.err));
}

void TestCommandLine::regionalSettingsFromTheEnvironment_data() {
    QTest::addColumn<QStringList>("locale");
    QTest::addColumn<QStringList>("amounts");
    QTest::addColumn<QStringList>("expected");

    // "\u00a0" no-break space before the symbol; fr_FR groups with the narrow one, "\u202f".
    QTest::newRow("de_DE through LANG")
        << QStringList{"LANG=de_DE.UTF-8"} << QStringList{"1,25", "30", "28,50", "500"}
        << QStringList{"625,00\u00a0€",
                       "15.000,00\u00a0€",
                       "15.625,00\u00a0€",
                       "14.250,00\u00a0€",
                       "1.375,00\u00a0€",
                       "0,096",
                       "38,40%"};
    QTest::newRow("fr_FR through LC_ALL over an English LANG")
        << QStringList{"LANG=en_US.UTF-8", "LC_ALL=fr_FR.UTF-8"}
        << QStringList{"1,25", "30", "28,50", "500"}
        << QStringList{"625,00\u00a0€",
                       "15\u202f000,00\u00a0€",
                       "15\u202f625,00\u00a0€",
                       "14\u202f250,00\u00a0€",
                       "1\u202f375,00\u00a0€",
                       "0,096",
                       "38,40%"};
    QTest::newRow("de_DE reads its own grouping")
        << QStringList{"LANG=de_DE.UTF-8"} << QStringList{"1,25", "30", "28,50", "1.000"}
        << QStringList{"1.250,00\u00a0€",
                       "30.000,00\u00a0€",
                       "31.250,00\u00a0€",
                       "28.500,00\u00a0€",
                       "2.750,00\u00a0€",
                       "0,096",
                       "38,40%"};
    QTest::newRow("C locale is the reference")
        << QStringList{"LC_ALL=C"} << QStringList{"1.25", "30", "28.50", "500"}
        << QStringList{"$625.00",   "$15,000.00", "$15,625.00", "$14,250.00",
                       "$1,375.00", "0.096",      "38.40%"};
}

void TestCommandLine::regionalSettingsFromTheEnvironment() {
    QFETCH(QStringList, locale);
    QFETCH(QStringList, amounts);
    QFETCH(QStringList, expected);

    const QStringList arguments{"calc",
                                "--option-price=" + amounts[0],
                                "--strike-price=" + amounts[1],
                                "--current-price=" + amounts[2],
                                "--shares=" + amounts[3],
                                "--months=3",
                                "--json"};
    const Run run = runPravik(arguments, {}, locale);
    QCOMPARE(run.err, QString{});
    QCOMPARE(run.status, 0);
    QCOMPARE(jsonTexts(run.out), expected);
}

void TestCommandLine::usage_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("outStarts");
    QTest::addColumn<QString>("errContains");

    QTest::newRow("--version") << QStringList{"--version"} << 0
                               << "Veltrane 1.0.2 (version 1.00.0002)\n"
                               << "";
    QTest::newRow("nothing given") << QStringList{"calc"} << 64 << "Usage: pravik calc [OPTIONS]"
                                   << "pravik: calc needs the four amounts";
    QTest::newRow("--help") << QStringList{"--help"} << 0 << "Usage: pravik "
                            << "";
    QTest::newRow("calc --help") << QStringList{"calc", "--help"} << 0
                                 << "Usage: pravik calc [OPTIONS] [FILE]"
                                 << "";
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << 64 << ""
                                    << "Unknown option 'frobnicate'";
    QTest::newRow("unknown calc option") << QStringList{"calc", "--shares=1", "--cheap"} << 64 << ""
                                         << "Unknown option 'cheap'";
    QTest::newRow("unknown command") << QStringList{"calculate"} << 64 << ""
                                     << "unknown command 'calculate'";
    QTest::newRow("a value missing") << QStringList{"calc", "--shares"} << 64 << ""
                                     << "Missing value after '--shares'";
    QTest::newRow("an option twice") << QStringList{"calc", "--shares=1", "--shares=2"} << 64 << ""
                                     << "the option 'shares' is given more than once";
    QTest::newRow("amounts with --csv") << QStringList{"calc", "--csv", "--shares=1"} << 64 << ""
                                        << "--shares cannot go with it";
    QTest::newRow("a stray argument") << QStringList{"calc", "--shares=1", "extra"} << 64 << ""
                                      << "unexpected argument 'extra'";
    QTest::newRow("a long unknown locale, quoted in part")
        << QStringList{"calc", "--csv", "--locale", QString(300, u'x')} << 64 << ""
        << "unknown locale '" + QString(200, u'x') + "…'\n";
    QTest::newRow("--column without --csv")
        << QStringList{"calc", "--shares=1", "--column", "shares=Qty"} << 64 << ""
        << "--column goes with --csv";
    QTest::newRow("--column naming an input calc does not have")
        << QStringList{"calc", "--csv", "--column", "expiry=Expiration"} << 64 << ""
        << "no input is named 'expiry'; the keys are option_price, strike_price, current_price, "
           "shares, months";
    QTest::newRow("--column with nothing before '='")
        << QStringList{"calc", "--csv", "--column", "=Qty"} << 64 << ""
        << "--column takes KEY=HEADER (strike_price=Strike), not '=Qty'";
}

void TestCommandLine::usage() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, outStarts);
    QFETCH(QString, errContains);

    const Run run = runPravik(arguments);
    QCOMPARE(run.status, status);
    QVERIFY2(outStarts.isEmpty() || run.out.startsWith(outStarts), qPrintable(run.out));
    if (errContains.isEmpty()) {
        QCOMPARE(run.err, QString{});
    } else {
        QVERIFY2(run.err.contains(errContains), qPrintable(run.err));
    }
    if (outStarts.isEmpty()) {
        QCOMPARE(run.out, QString{});
    }
}

void TestCommandLine::csvQuotingAndPassThrough() {
    const QByteArray input = "note,months,shares,option_price,current_price,strike_price\r\n"
                             "\"Acme, Inc. \"\"A\"\"\r\nsecond line\",3,500,1.25,28.50,30\r\n"
                             "plain,2,100,0.75,22,20\r\n";
    const Run run = runPravik({"calc", "--csv"}, input);
    QCOMPARE(run.err, QString{});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out,
             QStringLiteral(
                 "note,months,shares,option_price,current_price,strike_price,intOptionsRecd,"
                 "intTotalAssigned,intTotalReceipts,intTotalStockCost,intNetGain,"
                 "intDivideIntoCost,pctReturn,error\r\n"
                 "\"Acme, Inc. \"\"A\"\"\r\nsecond line\",3,500,1.25,28.50,30,$625.00,"
                 "\"$15,000.00\",\"$15,625.00\",\"$14,250.00\",\"$1,375.00\",0.096,38.40%,\r\n"
                 "plain,2,100,0.75,22,20,$75.00,\"$2,000.00\",\"$2,075.00\",\"$2,200.00\","
                 "($125.00),-0.057,-34.20%,\r\n"));
}

void TestCommandLine::csvRowsFailingTheCheck() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QFile file(folder.filePath(QStringLiteral("positions.csv")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("option_price,strike_price,current_price,shares\n"
               "abc,30,28.50,500\n"
               "1.25,30,28.50,500\n");
    file.close();

    const Run run = runPravik({"calc", "--csv", file.fileName()});
    QCOMPARE(run.status, 2);
    const QStringList lines = run.out.split(u'\n');
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[1],
             "abc,30,28.50,500,,,,,,,,\"" + invalidEntryMessage + " Fields: option_price\"");
    QVERIFY2(lines[2].startsWith(QStringLiteral("1.25,30,28.50,500,$625.00,")),
             qPrintable(lines[2]));
    QVERIFY2(run.err.contains(QStringLiteral("1 of 2 rows")), qPrintable(run.err));
}

void TestCommandLine::malformedCsvNamesTheLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("message");

    const QByteArray calc = "shares,option_price,strike_price,current_price\n500,1.25,30,28.50\n";
    const QByteArray analyze =
        "option_price,strike_price,current_price,shares,days\n1.25,30,28.50,500,91\n";
    // A line of empty fields one delimiter longer than a record may be: refused, not skipped as
    // padding after taking memory for every field.
    const QByteArray commas = QByteArray(1 << 20, ',') + ",\n";
    const QString tooLong = "not valid CSV: a record longer than 1048576 bytes\n";
    QTest::newRow("text after a closing quote")
        << QStringList{"calc", "--csv", "-"} << calc + "500,\"1.25\"x,30,28.50\n500,1.25,30,28.50\n"
        << "line 3: not valid CSV: text after the closing quote of a field\n";
    for (const QString jobs : {"1", "2"}) {
        QTest::addRow("calc, a row of delimiters too long, --jobs %s", qPrintable(jobs))
            << QStringList{"calc", "--csv", "--jobs", jobs} << calc + commas + calc
            << "line 3: " + tooLong;
        QTest::addRow("analyze, a row of delimiters too long, --jobs %s", qPrintable(jobs))
            << QStringList{"analyze", "--csv", "--jobs", jobs} << analyze + commas + analyze
            << "line 3: " + tooLong;
        QTest::addRow("calc, a header of delimiters too long, --jobs %s", qPrintable(jobs))
            << QStringList{"calc", "--csv", "--jobs", jobs} << commas + calc
            << "line 1: " + tooLong;
    }
}

void TestCommandLine::malformedCsvNamesTheLine() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QString, message);

    const Run run = runPravik(arguments, input);
    QCOMPARE(run.status, 64);
    QCOMPARE(run.err, "pravik: standard input, " + message);
}

void TestCommandLine::unreadableFile() {
    QTemporaryDir folder;
    const QString missing = folder.filePath(QStringLiteral("no such file.csv"));
    const Run run = runPravik({"calc", "--csv", missing});
    QCOMPARE(run.status, 64);
    QCOMPARE(run.out, QString{});
    QVERIFY2(run.err.contains(missing), qPrintable(run.err));
}

// Every month's factor, row after row: a row out of order or computed from the row before
// shows up as a wrong percentage.
void TestCommandLine::batchOfHundredThousandRows() {
    const QStringList returns{"115.20%", "57.60%", "38.40%", "28.80%", "23.04%", "19.20%",
                              "16.42%",  "14.40%", "12.77%", "11.52%", "10.46%", "9.60%"};
    constexpr int rows = 100'000;
    QByteArray input = "id,option_price,strike_price,current_price,shares,months\n";
    input.reserve(qsizetype{rows} * 32);
    for (int i = 0; i < rows; ++i) {
        input +=
            QByteArray::number(i) + ",1.25,30,28.50,500," + QByteArray::number(i % 12 + 1) + "\n";
    }

    const Run run = runPravik({"calc", "--csv"}, input);
    QCOMPARE(run.err, QString{});
    QCOMPARE(run.status, 0);
    const QStringList lines = run.out.split(u'\n');
    QCOMPARE(lines.size(), rows + 2);
    QCOMPARE(lines.last(), QString{});
    for (int i = 0; i < rows; ++i) {
        const QString expected = QString::number(i) + ",1.25,30,28.50,500," +
                                 QString::number(i % 12 + 1) +
                                 ",$625.00,\"$15,000.00\",\"$15,625.00\",\"$14,250.00\","
                                 "\"$1,375.00\",0.096," +
                                 returns[i % 12] + ",";
        if (lines[i + 1] != expected) {
            QCOMPARE(lines[i + 1], expected);
        }
    }
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
