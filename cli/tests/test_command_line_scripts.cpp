// `pravik calc` as scripts and spreadsheets use it, run in the process, one group of tests for
// each promise: no silent gaps, months as the window has them, headers as people write them,
// everyday CSV dialects, no half-written files, plain numbers, and the small things a user trips
// on.
#include "cli/tests/pravik_run.h"
#include "csv/dialect.h"
#include "csv/reader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>

using pravik_run::everyLineNamesTheProgram;
using pravik_run::Run;
using pravik_run::runPravik;

namespace {

const QStringList resultNames{"intOptionsRecd",    "intTotalAssigned", "intTotalReceipts",
                              "intTotalStockCost", "intNetGain",       "intDivideIntoCost",
                              "pctReturn"};

QStringList position(const QString& option, const QString& strike, const QString& current,
                     const QString& shares) {
    return {"calc", "--option-price=" + option, "--strike-price=" + strike,
            "--current-price=" + current, "--shares=" + shares};
}

QStringList workedExample(const QString& months = QStringLiteral("3")) {
    return position("1.25", "30", "28.50", "500") + QStringList{"--months=" + months};
}

QJsonObject jsonObject(const QString& out) {
    return QJsonDocument::fromJson(out.toUtf8()).object();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray{"(unreadable)"};
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

const QByteArray fullHeader = "option_price,strike_price,current_price,shares,months";

// The figures of a written CSV file's `column`, row by row, as the program's own reader reads
// it; "(...)" for a row that is not as wide as the header, or a file that is no CSV.
// What Python's csv module, as a script reads a file, finds in the column `column` of the file
// `path`: its fields joined by '|', or "rows of other widths".
QString columnByPython(const QString& path, const QString& column) {
    // The output's delimiter: what its header line holds most of.
    const QByteArray header = readFile(path).split('\n').front();
    char delimiter = ',';
    for (const char candidate : {';', '\t', '|'}) {
        delimiter = header.count(candidate) > header.count(delimiter) ? candidate : delimiter;
    }
    QProcess python;
    python.start(
        QStringLiteral("python3"),
        {"-c",
         "import csv, sys\n"
         "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:\n"
         "    rows = list(csv.reader(f, delimiter=sys.argv[3]))\n"
         "at = rows[0].index(sys.argv[2])\n"
         "wide = all(len(row) == len(rows[0]) for row in rows)\n"
         "print('|'.join(row[at] for row in rows[1:]) if wide else 'rows of other widths')",
         path, column, QString{delimiter}});
    if (!python.waitForFinished(30'000) || python.exitCode() != 0) {
        return QString::fromUtf8(python.readAllStandardError());
    }
    return QString::fromUtf8(python.readAllStandardOutput()).trimmed();
}

QStringList columnOf(const QByteArray& written, std::string_view column) {
    std::istringstream input{written.toStdString()};
    veltrane::CsvReader reader{input};
    const auto isFigure = [](std::string_view name) {
        return name == "intNetGain" || name == "max_profit";
    };
    for (const char delimiter : {',', ';', '\t', '|'}) {
        if (veltrane::knownColumnCount(reader.peekLine(), delimiter, isFigure) > 0) {
            reader.setDelimiter(delimiter);
        }
    }
    veltrane::CsvRecord record;
    if (!reader.next(record)) {
        return {"(no header)"};
    }
    const std::size_t width = record.size();
    std::size_t place = width;
    for (std::size_t i = 0; i < width; ++i) {
        place = record.field(i) == column ? i : place;
    }
    QStringList figures;
    while (reader.next(record)) {
        figures << (record.size() != width || place == width
                        ? QStringLiteral("(a row of another width)")
                        : QString::fromStdString(std::string{record.field(place)}));
    }
    if (reader.error()) {
        figures << QString::fromStdString(reader.error()->message);
    }
    return figures;
}

} // namespace

class TestCommandLineScripts : public QObject {
    Q_OBJECT

private slots:
    // 1. No silent gaps.
    void incompletePositionSaysWhy_data();
    void incompletePositionSaysWhy();
    void incompletePositionAsJson();
    void batchStatusIsTheWorstRow_data();
    void batchStatusIsTheWorstRow();

    // 2. Months as the window has them.
    void monthsAsTheListHasThem_data();
    void monthsAsTheListHasThem();
    void refusedMonthsInABatch();

    // 3. Headers as people write them.
    void headerSpellings_data();
    void headerSpellings();
    void headerInCaptions();
    void columnMatchingTwoKeys_data();
    void columnMatchingTwoKeys();
    void headerWithoutAmountsIsRefusedAtOnce();
    void resultColumnsNeedReplaceResults();

    // 4. Everyday CSV dialects.
    void germanExportWithSemicolons();
    void delimiterFromTheHeader_data();
    void delimiterFromTheHeader();
    void paddingAndBlankLinesAreSkipped();
    void spreadsheetFiles_data();
    void spreadsheetFiles();

    // 5. No half-written files.
    void outputReplacesTheFileWhenDone_data();
    void outputReplacesTheFileWhenDone();
    void outputLeftAloneOnALateFault();
    void outputTargets_data();
    void outputTargets();

    // 6. Plain numbers and the locale option.
    void plainText();
    void plainJson_data();
    void plainJson();
    void plainFormsASpreadsheetReads_data();
    void plainFormsASpreadsheetReads();
    void plainBatchIsTheSameInEveryLocale();
    void refusedPositionAsJson();
    void localeOption_data();
    void localeOption();

    // 7. Money follows LC_MONETARY, numbers LC_NUMERIC.
    void moneyFollowsLcMonetary_data();
    void moneyFollowsLcMonetary();

    // 8. Small things (the window's start is in test_program).
    void smallThings_data();
    void smallThings();
    void versionIsOneLine();
    void errorColumnIsNoFormula();
};

// ---- 1. No silent gaps --------------------------------------------------------------------------

void TestCommandLineScripts::incompletePositionSaysWhy_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");

    QTest::newRow("months left out")
        << position("1.25", "30", "28.50", "500") << "pctReturn: no months chosen";
    QTest::newRow("months empty") << workedExample("") << "pctReturn: no months chosen";
    QTest::newRow("no stock cost")
        << position("1", "2", "0", "10") + QStringList{"--months=3"}
        << "intDivideIntoCost, pctReturn: no stock cost: the ratio has no value";
    QTest::newRow("a premium beyond the money range")
        << position("1E300", "2", "1", "10") + QStringList{"--months=3"}
        << "intOptionsRecd, intTotalReceipts, intNetGain: beyond the largest amount the program "
           "holds";
}

void TestCommandLineScripts::incompletePositionSaysWhy() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, reason);

    const Run run = runPravik(arguments);
    QCOMPARE(run.status, 3);
    QVERIFY2(run.err.startsWith("pravik: " + reason), qPrintable(run.err));
    QVERIFY2(everyLineNamesTheProgram(run.err), qPrintable(run.err));
    // The results that have a text are still printed, one to a line.
    QCOMPARE(run.out.count(u'\n'), 7);
}

void TestCommandLineScripts::incompletePositionAsJson() {
    const Run run = runPravik(position("1.25", "30", "28.50", "500") + QStringList{"--json"});
    QCOMPARE(run.status, 3);
    const QJsonObject object = jsonObject(run.out);
    QCOMPARE(object.value("intNetGain").toString(), QStringLiteral("$1,375.00"));
    QCOMPARE(object.value("pctReturn").toString(), QString{});
    QCOMPARE(object.value("error").toString(), QStringLiteral("pctReturn: no months chosen"));

    const Run complete = runPravik(workedExample() + QStringList{"--json"});
    QCOMPARE(complete.status, 0);
    QVERIFY2(!jsonObject(complete.out).contains("error"), qPrintable(complete.out));
}

void TestCommandLineScripts::batchStatusIsTheWorstRow_data() {
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("errContains");

    QTest::newRow("all complete") << QByteArray{"1.25,30,28.50,500,3\n"} << 0 << "";
    QTest::newRow("one without months") << QByteArray{"1.25,30,28.50,500,3\n1.25,30,28.50,500,\n"}
                                        << 3 << "1 of 2 rows lack a result";
    QTest::newRow("one beyond the money range")
        << QByteArray{"1E300,30,28.50,500,3\n"} << 3 << "1 of 1 rows lack a result";
    QTest::newRow("refused beats incomplete")
        << QByteArray{"1.25,30,28.50,500,\nabc,30,28.50,500,3\n"} << 2
        << "1 of 2 rows were refused";
}

void TestCommandLineScripts::batchStatusIsTheWorstRow() {
    QFETCH(QByteArray, rows);
    QFETCH(int, status);
    QFETCH(QString, errContains);

    const Run run = runPravik({"calc", "--csv"}, fullHeader + "\n" + rows);
    QCOMPARE(run.status, status);
    if (errContains.isEmpty()) {
        QCOMPARE(run.err, QString{});
    } else {
        QVERIFY2(run.err.contains(errContains), qPrintable(run.err));
        QVERIFY2(everyLineNamesTheProgram(run.err), qPrintable(run.err));
    }
    // Every row without all seven results names the cause in its error column.
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : lines.mid(1)) {
        const bool complete = !line.contains(QStringLiteral(",,"));
        QVERIFY2(complete == line.endsWith(u','), qPrintable(line));
    }
}

// ---- 2. Months as the window has them -----------------------------------------------------------

void TestCommandLineScripts::monthsAsTheListHasThem_data() {
    QTest::addColumn<QString>("months");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("pctReturn");

    QTest::newRow("3") << "3" << 0 << "38.40%";
    QTest::newRow("12") << "12" << 0 << "9.60%";
    QTest::newRow("blanks around 8") << " 8 " << 0 << "14.40%";
    QTest::newRow("empty: none chosen") << "" << 3 << "";
    QTest::newRow("13") << "13" << 2 << "";
    QTest::newRow("0") << "0" << 2 << "";
    QTest::newRow("3 months") << "3 months" << 2 << "";
    QTest::newRow("08, which the list never holds") << "08" << 2 << "";
    QTest::newRow("8.0") << "8.0" << 2 << "";
    QTest::newRow("-3") << "-3" << 2 << "";
}

void TestCommandLineScripts::monthsAsTheListHasThem() {
    QFETCH(QString, months);
    QFETCH(int, status);
    QFETCH(QString, pctReturn);

    const Run run = runPravik(workedExample(months) + QStringList{"--json"});
    QCOMPARE(run.status, status);
    if (status == 2) {
        QVERIFY2(run.err.contains(QStringLiteral("months must be one of 1 to 12")),
                 qPrintable(run.err));
        QVERIFY2(everyLineNamesTheProgram(run.err), qPrintable(run.err));
        QCOMPARE(jsonObject(run.out).value("fields").toArray(), QJsonArray{"months"});
    } else {
        QCOMPARE(jsonObject(run.out).value("pctReturn").toString(), pctReturn);
    }
}

void TestCommandLineScripts::refusedMonthsInABatch() {
    const Run run =
        runPravik({"calc", "--csv"}, fullHeader + "\n1.25,30,28.50,500,13\n1.25,30,28.50,500,3\n");
    QCOMPARE(run.status, 2);
    const QStringList lines = run.out.split(u'\n');
    QCOMPARE(lines.value(1), QStringLiteral("1.25,30,28.50,500,13,,,,,,,,"
                                            "\"months must be one of 1 to 12 or empty, not "
                                            "\"\"13\"\"\""));
    QVERIFY2(lines.value(2).endsWith(QStringLiteral(",38.40%,")), qPrintable(lines.value(2)));
}

// ---- 3. Headers as people write them ------------------------------------------------------------

void TestCommandLineScripts::headerSpellings_data() {
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QStringList>("columns");

    QTest::newRow("words and capitals")
        << QByteArray{"Option Price,Strike Price,Current Price,Shares,Months"} << QStringList{};
    QTest::newRow("dashes") << QByteArray{"option-price,strike-price,current-price,shares,months"}
                            << QStringList{};
    QTest::newRow("blanks around, upper case")
        << QByteArray{" OPTION_PRICE ,Strike_Price,\tcurrent price,SHARES , Months"}
        << QStringList{};
    QTest::newRow("a spreadsheet's captions")
        << QByteArray{"Premium,Strike,Stock Price,Qty,months"} << QStringList{};
    QTest::newRow("a broker's captions")
        << QByteArray{"bid,STRIKE PRICE,Underlying Price,Quantity,Months"} << QStringList{};
    QTest::newRow("last price and shares")
        << QByteArray{"Premium,Strike,Last,Shares,Months"} << QStringList{};
    QTest::newRow("price alone") << QByteArray{"Premium,Strike,Price,Qty,Months"} << QStringList{};
    QTest::newRow("other names by --column") << QByteArray{"Prämie,Basis,Kurs,Stück,Monate"}
                                             << QStringList{"--column",
                                                            "option_price=Prämie",
                                                            "--column=strike-price=basis",
                                                            "--column",
                                                            "current_price=Kurs",
                                                            "--column",
                                                            "shares=Stück",
                                                            "--column",
                                                            "months= Monate "};
}

void TestCommandLineScripts::headerSpellings() {
    QFETCH(QByteArray, header);
    QFETCH(QStringList, columns);

    const Run run =
        runPravik(QStringList{"calc", "--csv"} + columns, header + "\n1.25,30,28.50,500,3\n");
    QCOMPARE(run.err, QString{});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.startsWith(QString::fromUtf8(header) + ",intOptionsRecd,"),
             qPrintable(run.out));
    QVERIFY2(run.out.contains(QStringLiteral(",0.096,38.40%,\n")), qPrintable(run.out));
}

void TestCommandLineScripts::headerInCaptions() {
    const QByteArray input = "Option Price,Strike Price,Current share price,Number of Shares,"
                             "No Months Out\n1.25,30,28.50,500,3\n";
    const Run run = runPravik({"calc", "--csv"}, input);
    QCOMPARE(run.err, QString{});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.contains(QStringLiteral("$625.00,\"$15,000.00\"")), qPrintable(run.out));
}

void TestCommandLineScripts::columnMatchingTwoKeys_data() {
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QString>("message");

    QTest::newRow("--column on another input's caption")
        << QStringList{"--column", "strike_price=Premium"}
        << "the header's column \"Premium\" matches both option_price and strike_price";
    QTest::newRow("one column named for two inputs")
        << QStringList{"--column", "shares=Mo", "--column", "months=MO"}
        << "the header's column \"Mo\" matches both shares and months";
    QTest::newRow("--column on a result's caption")
        << QStringList{"--column", "months=Net Gain"}
        << "the header's column \"Net Gain\" matches both months and intNetGain";
}

// Status 64 before any row, naming the column and both keys.
void TestCommandLineScripts::columnMatchingTwoKeys() {
    QFETCH(QStringList, columns);
    QFETCH(QString, message);

    const Run run = runPravik(QStringList{"calc", "--csv", "--replace-results"} + columns,
                              "Premium,Strike,Stock Price,Qty,Mo,Net Gain\n1.25,30,28.50,500,3,\n");
    QCOMPARE(run.status, 64);
    QCOMPARE(run.out, QString{});
    QCOMPARE(run.err, "pravik: standard input: " + message + "\n");
}

void TestCommandLineScripts::headerWithoutAmountsIsRefusedAtOnce() {
    // A German export read as commas: the whole header is one unknown column.
    // "lots" is no caption of shares ("Qty" is).
    QByteArray input = "ticker,Option Price,lots,months\n";
    for (int i = 0; i < 1000; ++i) {
        input += "ACME,1.25,500,3\n";
    }
    const Run run = runPravik({"calc", "--csv"}, input);
    QCOMPARE(run.status, 64);
    QCOMPARE(run.out, QString{});
    QCOMPARE(run.err.count(u'\n'), 1);
    QVERIFY2(run.err.contains(QStringLiteral("strike_price, current_price, shares")),
             qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral("\"ticker\", \"Option Price\", \"lots\", \"months\"")),
             qPrintable(run.err));

    // A header of many columns is named by its first thousand.
    const Run wide =
        runPravik({"calc", "--csv"}, "option_price," + QByteArray{"x,"}.repeated(5000) + "y\n");
    QCOMPARE(wide.status, 64);
    QVERIFY2(wide.err.endsWith(QStringLiteral("the columns found are \"option_price\", ") +
                               QStringLiteral("\"x\", ").repeated(999) + "…\n"),
             qPrintable(wide.err.right(200)));
}

void TestCommandLineScripts::resultColumnsNeedReplaceResults() {
    const QByteArray input = "note,option_price,strike_price,current_price,shares,months,"
                             "intNetGain,pctReturn,error\n"
                             "a,1.25,30,28.50,500,3,old,old,old\n";
    const Run refused = runPravik({"calc", "--csv"}, input);
    QCOMPARE(refused.status, 64);
    QCOMPARE(refused.out, QString{});
    QVERIFY2(refused.err.contains(QStringLiteral("intNetGain, pctReturn, error")),
             qPrintable(refused.err));
    QVERIFY2(refused.err.contains(QStringLiteral("--replace-results")), qPrintable(refused.err));

    const Run replaced = runPravik({"calc", "--csv", "--replace-results"}, input);
    QCOMPARE(replaced.status, 0);
    QCOMPARE(replaced.out,
             QStringLiteral("note,option_price,strike_price,current_price,shares,months,"
                            "intNetGain,pctReturn,error,intOptionsRecd,intTotalAssigned,"
                            "intTotalReceipts,intTotalStockCost,intDivideIntoCost\n"
                            "a,1.25,30,28.50,500,3,\"$1,375.00\",38.40%,,$625.00,\"$15,000.00\","
                            "\"$15,625.00\",\"$14,250.00\",0.096\n"));
}

// ---- 4. Everyday CSV dialects -------------------------------------------------------------------

// A spreadsheet export from Germany: byte order mark, CR LF, ";" between fields, decimal commas.
void TestCommandLineScripts::germanExportWithSemicolons() {
    const QByteArray input = "\xef\xbb\xbfTicker;Option Price;Strike Price;Current share price;"
                             "Number of Shares;No Months Out\r\n"
                             "ACME;1,25;30;28,50;500;3\r\n"
                             "Widgets; 0,75;20;22;100;2\r\n";
    const Run run = runPravik({"calc", "--csv"}, input, {"LANG=de_DE.UTF-8"});
    QCOMPARE(run.err, QString{});
    QCOMPARE(run.status, 0);
    const QStringList lines = run.out.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 4);
    QVERIFY2(run.outBytes.startsWith("\xef\xbb\xbfTicker;Option Price;"), qPrintable(lines[0]));
    QVERIFY2(lines[0].endsWith(QStringLiteral(";pctReturn;error")), qPrintable(lines[0]));
    QCOMPARE(lines[1], QStringLiteral("ACME;1,25;30;28,50;500;3;625,00\u00a0€;15.000,00\u00a0€;"
                                      "15.625,00\u00a0€;14.250,00\u00a0€;1.375,00\u00a0€;0,096;"
                                      "38,40%;"));
    QVERIFY2(lines[2].endsWith(QStringLiteral(";-125,00\u00a0€;-0,057;-34,20%;")),
             qPrintable(lines[2]));
}

void TestCommandLineScripts::delimiterFromTheHeader_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");
    // The first row's start, or for a refusal what standard error says.
    QTest::addColumn<QString>("expected");

    const QStringList german{"LANG=de_DE.UTF-8"};
    const QByteArray semicolons{"option_price;strike_price;current_price;shares;months\n"
                                "2;30;28;1.000;3\n"};
    const QByteArray commas{"option_price,strike_price,current_price,shares,months\n"
                            "2,30,28,\"1,000\",3\n"};
    QTest::newRow("tab") << QStringList{} << QStringList{}
                         << QByteArray{"option_price\tstrike_price\tcurrent_price\tshares\tmonths\n"
                                       "1.25\t30\t28.50\t500\t3\n"}
                         << 0 << "1.25\t30\t28.50\t500\t3\t$625.00\t$15,000.00\t";
    QTest::newRow("a comma inside a quoted ';' header still counts as ';'")
        << QStringList{"--delimiter", ";"} << QStringList{}
        << QByteArray{"\"a,b\";option_price;strike_price;current_price;shares\nx;1;2;3;4\n"} << 3
        << "x;1;2;3;4;$4.00;$8.00;$12.00;$12.00;$0.00;0;";
    QTest::newRow("';' under '.' decimals is refused")
        << QStringList{} << QStringList{} << semicolons << 64
        << "pravik: standard input: the fields are separated by ';', as spreadsheets write them "
           "where ',' is the decimal separator, but the settings in force read '.' as the "
           "decimal separator, so a number such as 1.000 could be read two ways; give --locale "
           "with the file's settings (--locale de_DE, say), or --delimiter";
    QTest::newRow("';' with --locale de_DE reads a thousand shares")
        << QStringList{"--locale", "de_DE"} << QStringList{} << semicolons << 0
        << "2;30;28;1.000;3;2.000,00";
    QTest::newRow("';' with --delimiter reads one share")
        << QStringList{"--delimiter", ";"} << QStringList{} << semicolons << 0
        << "2;30;28;1.000;3;$2.00;$30.00;";
    QTest::newRow("',' under ',' decimals is refused")
        << QStringList{} << german << commas << 64
        << "the fields are separated by ',', as spreadsheets write them where '.' is the decimal "
           "separator, but the settings in force read ',' as the decimal separator, so a number "
           "such as \"1,000\" could be read two ways; give --locale with the file's settings "
           "(--locale en_US, say)";
    QTest::newRow("',' with --locale en_US reads a thousand shares")
        << QStringList{"--locale", "en_US"} << german << commas << 0
        << "2,30,28,\"1,000\",3,\"$2,000.00\",";
    QTest::newRow("--delimiter |") << QStringList{"--delimiter", "|"} << QStringList{}
                                   << QByteArray{"option_price|strike_price|current_price|shares|"
                                                 "months\n1.25|30|28.50|500|3\n"}
                                   << 0 << "1.25|30|28.50|500|3|$625.00|$15,000.00|";
    QTest::newRow("--delimiter tab") << QStringList{"--delimiter=tab"} << QStringList{}
                                     << QByteArray{"option_price\tstrike_price\tcurrent_price\t"
                                                   "shares\n1\t2\t3\t4\n"}
                                     << 3 << "1\t2\t3\t4\t$4.00\t";
    QTest::newRow("an unknown delimiter") << QStringList{"--delimiter", ":"} << QStringList{}
                                          << QByteArray{} << 64 << "unknown delimiter ':'";
}

void TestCommandLineScripts::delimiterFromTheHeader() {
    QFETCH(QStringList, options);
    QFETCH(QStringList, environment);
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QString, expected);

    for (const QString& command : {QStringLiteral("calc"), QStringLiteral("analyze")}) {
        if (command == QStringLiteral("analyze") && status != 64) {
            continue; // the figures differ; the refusals are the same
        }
        const Run run = runPravik(QStringList{command, "--csv"} + options, input, environment);
        QCOMPARE(run.status, status);
        if (status == 64) {
            QVERIFY2(run.err.contains(expected), qPrintable(run.err));
            QCOMPARE(run.out, QString{});
        } else {
            QVERIFY2(run.out.section(u'\n', 1, 1).startsWith(expected), qPrintable(run.out));
        }
    }
}

// Spreadsheets pad with rows of empty fields; editors leave lines of blanks anywhere.
void TestCommandLineScripts::paddingAndBlankLinesAreSkipped() {
    const QByteArray input = "\n   \nnote," + fullHeader + "\r\n" +
                             "a,1.25,30,28.50,500,3\r\n"
                             "   \r\n"
                             ",,,,,\r\n"
                             "\t\r\n"
                             " , ,,, ,\r\n"
                             "b,0.75,20,22,100,2\r\n"
                             ",,,,,\r\n,,,,,\r\n";
    const Run run = runPravik({"calc", "--csv"}, input);
    QCOMPARE(run.err, QString{});
    QCOMPARE(run.status, 0);
    const QStringList lines = run.out.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[1].startsWith(QStringLiteral("a,")));
    QVERIFY(lines[2].startsWith(QStringLiteral("b,")));
}

void TestCommandLineScripts::spreadsheetFiles_data() {
    QTest::addColumn<QString>("file"); // in cli/tests/data/spreadsheets; empty: `input`
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    // Standard error, the same for both commands but for COMMAND and COLUMNS, what a header must
    // name; TARGET is the --output file.
    QTest::addColumn<QString>("message");
    // calc's intNetGain and analyze's max_profit, the same figure, row by row.
    QTest::addColumn<QStringList>("figures");
    // A text of the input that the output holds, in UTF-8.
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("byteOrderMark");

    const QStringList figures{"1375.00", "-125.00", "870.00"};
    const QStringList english{"--locale", "en_US"};
    const QStringList german{"--locale", "de_DE"};
    const auto file = [](const char* name, const QStringList& options, int status = 0,
                         const QString& message = {}) -> QTestData& {
        return QTest::newRow(name)
               << QString::fromLatin1(name) << QByteArray{} << options << status << message;
    };
    const auto made = [](const char* name, const QByteArray& input, const QStringList& options,
                         int status, const QString& message) -> QTestData& {
        return QTest::newRow(name) << QString{} << input << options << status << message;
    };
    const QString leftAlone = QStringLiteral("pravik: 'TARGET' is left as it was\n");

    file("libreoffice_en_US.csv", english) << figures << "rolled, once" << false;
    file("excel_de_DE_utf8.csv", german) << figures << "Widgets; Inc." << true;
    file("excel_sep_line.csv", german) << figures << "" << false;
    file("libreoffice_de_DE_title.csv", german) << figures << "Müller AG" << false;
    file("libreoffice_de_DE_windows_1252.csv", german + QStringList{"--encoding", "windows-1252"})
        << figures << "€ 625 erhalten" << false;
    file("libreoffice_de_DE_iso_8859_15.csv", german + QStringList{"--encoding=ISO-8859-15"})
        << figures << "Prämie 630 €" << false;
    file("libreoffice_en_US_utf16.csv", english) << figures << "Société Générale" << true;
    made("UTF-16 big-endian with its byte order mark",
         "\xFE\xFF" + QByteArray{QStringEncoder{QStringEncoder::Utf16BE}.encode(
                          QString::fromUtf8(readFile(SPREADSHEET_FILES "/libreoffice_en_US.csv")))},
         english, 0, "")
        << figures << "rolled, once" << true;
    file("typed_note_with_comma.csv", english, 2,
         "pravik: typed_note_with_comma.csv, line 3: the row has more fields than the header "
         "names, so it was refused (its error column says so)\n")
        << QStringList{"1375.00", "", "870.00"} << "line 3 has 8 fields but the header names 7"
        << false;

    // Read in the wrong encoding, or not at all.
    QTest::newRow("Windows-1252 read as UTF-8")
        << "libreoffice_de_DE_windows_1252.csv" << QByteArray{} << german << 64
        << "pravik: libreoffice_de_DE_windows_1252.csv, line 2: not valid UTF-8: the byte 0x80 "
           "begins no UTF-8 character; if the file is in another encoding, name it, such as "
           "--encoding windows-1252\n" +
               leftAlone
        << QStringList{} << "" << false;
    const QByteArray header = fullHeader + "\n";
    made("a byte Windows-1252 has no character for", header + "1.25,30,28.50,500,3\n\x81\n",
         {"--encoding", "windows-1252"}, 64,
         "pravik: positions.csv, line 3: not valid windows-1252: the byte 0x81 stands for no "
         "character in it\n" +
             leftAlone)
        << QStringList{} << "" << false;
    made("a UTF-8 byte order mark under --encoding windows-1252", "\xEF\xBB\xBF" + header,
         {"--encoding", "windows-1252"}, 64,
         "pravik: positions.csv: the file begins with a UTF-8 byte order mark, so it is not in "
         "windows-1252; leave out --encoding\n")
        << QStringList{} << "" << false;
    made("an encoding iconv does not know", header, {"--encoding", "latin-42"}, 64,
         "pravik: unknown encoding 'latin-42': name one that iconv knows, such as windows-1252 or "
         "iso-8859-15 ('iconv --list' lists them)\npravik: Try 'pravik COMMAND --help'.\n")
        << QStringList{} << "" << false;
    made("a way of converting for an encoding", header, {"--encoding", "utf-8//IGNORE"}, 64,
         "pravik: unknown encoding 'utf-8//IGNORE': name one that iconv knows, such as "
         "windows-1252 or iso-8859-15 ('iconv --list' lists them)\npravik: Try 'pravik "
         "COMMAND --help'.\n")
        << QStringList{} << "" << false;

    // The separator named, and lines before the header.
    made("sep= naming no separator", "sep=:\n" + header, {}, 64,
         "pravik: positions.csv: line 1, \"sep=:\", names no delimiter this program reads: ',', "
         "';', tab or '|'\n" +
             leftAlone)
        << QStringList{} << "" << false;
    made("sep= and --delimiter disagreeing", "sep=;\n" + header, {"--delimiter", ","}, 64,
         "pravik: positions.csv: line 1, \"sep=;\", names another delimiter than --delimiter "
         "does\n" +
             leftAlone)
        << QStringList{} << "" << false;
    made("sep= and a tab, padded by a spreadsheet",
         "SEP=\t\t\t\t\n" + QByteArray{header}.replace(',', '\t') + "1.25\t30\t28.50\t500\t3\n", {},
         0, "")
        << QStringList{"1375.00"} << "" << false;
    QByteArray titles;
    for (int i = 1; i <= 10; ++i) {
        titles += "Positions, page " + QByteArray::number(i) + "\n" + (i % 3 == 0 ? ",,,\n" : "");
    }
    made("ten title lines, padding between them", titles + header + "1.25,30,28.50,500,3\n", {}, 0,
         "")
        << QStringList{"1375.00"} << "" << false;
    made("eleven title lines",
         titles + "\"one title too many, and long: " + QByteArray(300, 'x') + "\"\n" + header, {},
         64,
         "pravik: positions.csv: no header found: no line up to line 14 names a column (line 14 "
         "reads \"\\\"one title too many, and long: " +
             QString(200 - 31, u'x') + "…\"); the header must name COLUMNS\n" + leftAlone)
        << QStringList{} << "" << false;
    made("a title line and nothing else", "My positions\n\n", {}, 64,
         "pravik: positions.csv: no header found: no line up to line 1 names a column (line 1 "
         "reads \"My positions\"); the header must name COLUMNS\n" +
             leftAlone)
        << QStringList{} << "" << false;
}

// Files as LibreOffice Calc and Excel write them, and a file typed by hand, through both commands:
// the figures, the status and the messages; an output file replaced only by a run that completes,
// in UTF-8, as wide as its header, with a byte order mark when the input had one; and read back by
// the program, calc's output gives the same figures.
void TestCommandLineScripts::spreadsheetFiles() {
    QFETCH(QString, file);
    QFETCH(QByteArray, input);
    QFETCH(QStringList, options);
    QFETCH(int, status);
    QFETCH(QString, message);
    QFETCH(QStringList, figures);
    QFETCH(QString, text);
    QFETCH(bool, byteOrderMark);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QString folderPath = QStringLiteral(SPREADSHEET_FILES);
    if (file.isEmpty()) {
        file = QStringLiteral("positions.csv");
        folderPath = folder.path();
        QVERIFY(writeFile(folder.filePath(file), input));
    }
    const QString target = folder.filePath(QStringLiteral("results.csv"));
    const QString columns[] = {"option_price, strike_price, current_price and shares, and may name "
                               "months",
                               "option_price, strike_price, current_price, shares or contracts, "
                               "expiry, days or months"};
    int i = 0;
    for (const QString command : {"calc", "analyze"}) {
        QVERIFY(writeFile(target, "yesterday's results\n"));
        const QStringList arguments =
            QStringList{command, "--csv", file, "--plain", "--output", target} + options;
        const Run run = runPravik(arguments, {}, {"LANG=en_US.UTF-8"}, folderPath);
        QCOMPARE(run.status, status);
        QCOMPARE(run.err, QString{message}
                              .replace("COMMAND", command)
                              .replace("COLUMNS", columns[i++])
                              .replace("TARGET", target));
        const QByteArray written = readFile(target);
        if (status == 64) {
            QCOMPARE(written, QByteArray{"yesterday's results\n"});
            continue;
        }
        QCOMPARE(written.startsWith("\xEF\xBB\xBF"), byteOrderMark);
        QVERIFY2(QString::fromUtf8(written).contains(text), written.constData());
        QVERIFY2(!written.contains("sep=") && !written.contains("Covered calls"),
                 written.constData());
        // ';' output takes ',' decimals, as a spreadsheet beside it reads them.
        QCOMPARE(columnOf(written, command == "calc" ? "intNetGain" : "max_profit")
                     .replaceInStrings(QStringLiteral(","), QStringLiteral(".")),
                 figures);
        // A script reads the same: Python's csv module finds every row as wide as the header.
        const QString figureColumn = command == "calc" ? "intNetGain" : "max_profit";
        QCOMPARE(columnByPython(target, figureColumn),
                 columnOf(written, figureColumn.toStdString()).join(u'|'));
        if (command == "calc" && status == 0) {
            // The output as input, UTF-8 whatever the input was: the same figures.
            const QString again = folder.filePath(QStringLiteral("again.csv"));
            QVERIFY(writeFile(again, written));
            QStringList sameOptions;
            for (qsizetype k = 0; k < options.size(); ++k) {
                if (options.at(k) == QStringLiteral("--encoding")) {
                    ++k;
                } else if (!options.at(k).startsWith(QStringLiteral("--encoding="))) {
                    sameOptions << options.at(k);
                }
            }
            const Run reread = runPravik(
                QStringList{"calc", "--csv", again, "--plain", "--replace-results"} + sameOptions);
            QCOMPARE(reread.err, QString{});
            QCOMPARE(reread.outBytes, written);
        }
    }
}

// ---- 5. No half-written files -------------------------------------------------------------------

void TestCommandLineScripts::outputReplacesTheFileWhenDone_data() {
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<int>("status");

    QTest::newRow("complete") << QByteArray{"1.25,30,28.50,500,3\n"} << 0;
    QTest::newRow("a refused row") << QByteArray{"abc,30,28.50,500,3\n"} << 2;
    QTest::newRow("an incomplete row") << QByteArray{"1.25,30,28.50,500,\n"} << 3;
}

void TestCommandLineScripts::outputReplacesTheFileWhenDone() {
    QFETCH(QByteArray, rows);
    QFETCH(int, status);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString target = folder.filePath(QStringLiteral("results.csv"));
    QVERIFY(writeFile(target, "yesterday's results\n"));
    const Run run = runPravik({"calc", "--csv", "--output", target}, fullHeader + "\n" + rows);
    QCOMPARE(run.status, status);
    QCOMPARE(run.out, QString{});
    const QByteArray written = readFile(target);
    QVERIFY2(written.startsWith(fullHeader + ",intOptionsRecd"), written.constData());
    QCOMPARE(written.count('\n'), 2);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"results.csv"});

    // One position goes the same way.
    const Run one = runPravik(QStringList{"calc", "--option-price=1.25", "--strike-price=30",
                                          "--current-price=28.50", "--shares=500", "--months=3",
                                          "--output=" + target});
    QCOMPARE(one.status, 0);
    QVERIFY(readFile(target).startsWith("Received from Options   $625.00\n"));
}

void TestCommandLineScripts::outputTargets_data() {
    QTest::addColumn<QString>("kind");

    for (const char* kind : {"a file", "a link to a file", "a link to no file yet", "a FIFO",
                             "a device", "a 254-byte name"}) {
        QTest::newRow(kind) << QString::fromLatin1(kind);
    }
}

// Whatever the output names, the results reach it and nothing else is made, replaced or left:
// a link stays a link, a FIFO and a device stay what they are, a long name needs no room for a
// temporary suffix.
void TestCommandLineScripts::outputTargets() {
    QFETCH(QString, kind);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString file = folder.filePath(QStringLiteral("results.txt"));
    const QString link = folder.filePath(QStringLiteral("latest"));
    QString target = file;
    QString readBack = file;
    QByteArray fromFifo;
    std::thread reader;
    if (kind == QStringLiteral("a file") || kind.startsWith(QStringLiteral("a link to a"))) {
        QVERIFY(writeFile(file, "yesterday's results\n"));
    }
    if (kind.startsWith(QStringLiteral("a link"))) {
        QVERIFY(QFile::link(QStringLiteral("results.txt"), link));
        target = link;
    } else if (kind == QStringLiteral("a FIFO")) {
        QCOMPARE(mkfifo(file.toLocal8Bit().constData(), 0600), 0);
        reader = std::thread{[&] { fromFifo = readFile(file); }};
    } else if (kind == QStringLiteral("a device")) {
        // A null device of the test's own: a fault must never replace the machine's.
        if (mknod(file.toLocal8Bit().constData(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
            QSKIP("no character device can be made here");
        }
    } else if (kind == QStringLiteral("a 254-byte name")) {
        target = readBack = folder.filePath(QString(254, u'r'));
    }
    const QStringList before =
        QDir(folder.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);

    const Run run = runPravik(workedExample() + QStringList{"--output", target});
    if (reader.joinable()) {
        reader.join();
    }
    QCOMPARE(run.err, QString{});
    QCOMPARE(run.status, 0);
    const QByteArray expected = "Received from Options   $625.00\n";
    if (kind == QStringLiteral("a FIFO")) {
        QVERIFY2(fromFifo.startsWith(expected), fromFifo.constData());
        QVERIFY(QFileInfo(file).exists() && !QFileInfo(file).isFile());
    } else if (kind == QStringLiteral("a device")) {
        QVERIFY(!QFileInfo(target).isFile());
    } else {
        QVERIFY2(readFile(readBack).startsWith(expected), readFile(readBack).constData());
    }
    if (kind.startsWith(QStringLiteral("a link"))) {
        QVERIFY(QFileInfo(link).isSymLink());
    }
    QStringList after = before;
    if (kind == QStringLiteral("a link to no file yet") ||
        kind == QStringLiteral("a 254-byte name")) {
        after << QFileInfo(readBack).fileName();
        after.sort();
    }
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
             after);
}

// A fault near the end of a long input: the old file stays whole, and no temporary file is left.
void TestCommandLineScripts::outputLeftAloneOnALateFault() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString target = folder.filePath(QStringLiteral("results.csv"));
    QVERIFY(writeFile(target, "yesterday's results\n"));
    QByteArray input = fullHeader + "\n";
    for (int i = 0; i < 50'000; ++i) {
        input += "1.25,30,28.50,500,3\n";
    }
    input += "1.25,\"30\"x,28.50,500,3\n";

    const Run run = runPravik({"calc", "--csv", "-", "--output", target}, input);
    QCOMPARE(run.status, 64);
    QVERIFY2(run.err.contains(QStringLiteral("line 50002")), qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral("is left as it was")), qPrintable(run.err));
    QVERIFY2(everyLineNamesTheProgram(run.err), qPrintable(run.err));
    QCOMPARE(readFile(target), QByteArray{"yesterday's results\n"});
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"results.csv"});

    // A folder that cannot hold the file: nothing is made, and the run says so.
    const Run nowhere = runPravik(
        workedExample() + QStringList{"--output", folder.filePath("no/such/folder/out.txt")});
    QCOMPARE(nowhere.status, 74);
    QVERIFY2(nowhere.err.startsWith(QStringLiteral("pravik: cannot write")),
             qPrintable(nowhere.err));
}

// ---- 6. Plain numbers and the locale option -----------------------------------------------------

void TestCommandLineScripts::plainText() {
    const Run run =
        runPravik(position("0.75", "20", "22", "100") + QStringList{"--months=2", "--plain"}, {},
                  {"LANG=de_DE.UTF-8"});
    QCOMPARE(run.status, 2); // "0.75" is no German number
    const Run german =
        runPravik(position("0,75", "20", "22", "1.000") + QStringList{"--months=2", "--plain"}, {},
                  {"LANG=de_DE.UTF-8"});
    QCOMPARE(german.err, QString{});
    QCOMPARE(german.status, 0);
    QCOMPARE(german.out, QStringLiteral("Received from Options   750.00\n"
                                        "Total If Assigned   20000.00\n"
                                        "Total Receipts   20750.00\n"
                                        "Total Stock Cost   22000.00\n"
                                        "Net Gain   -1250.00\n"
                                        "Divide Into Cost   -0.057\n"
                                        "Annual % Return   -34.20\n"));
}

// A German spreadsheet reads ';' files with ',' decimals; the program reads its own output back.
void TestCommandLineScripts::plainFormsASpreadsheetReads_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");
    // The first row's figures after the inputs, or what standard error says.
    QTest::addColumn<QString>("expected");

    const QByteArray semicolons{"option_price;strike_price;current_price;shares;months\n"
                                "1,25;30;28,50;500;3\n"};
    const QByteArray commas{"option_price,strike_price,current_price,shares,months\n"
                            "1.25,30,28.50,500,3\n"};
    const QStringList calcPlain{"calc", "--csv", "--plain"};
    QTest::newRow("';' output: ',' decimals")
        << calcPlain + QStringList{"--locale", "de_DE"} << semicolons << 0
        << "625,00;15000,00;15625,00;14250,00;1375,00;0,096;38,40;";
    QTest::newRow("',' output: '.' decimals")
        << calcPlain << commas << 0 << "625.00,15000.00,15625.00,14250.00,1375.00,0.096,38.40,";
    QTest::newRow("--decimal-separator . overrides")
        << calcPlain + QStringList{"--locale", "de_DE", "--decimal-separator", "."} << semicolons
        << 0 << "625.00;15000.00;15625.00;14250.00;1375.00;0.096;38.40;";
    QTest::newRow("--decimal-separator , on a ',' file quotes the fields")
        << calcPlain + QStringList{"--decimal-separator", ","} << commas << 0
        << "\"625,00\",\"15000,00\",";
    QTest::newRow("--percent-as-fraction") << calcPlain + QStringList{"--percent-as-fraction"}
                                           << commas << 0 << "1375.00,0.096,0.3840,";
    QTest::newRow("analyze: ';' output, percentages as fractions")
        << QStringList{"analyze", "--csv", "--plain", "--locale", "de_DE", "--percent-as-fraction"}
        << QByteArray{"option_price;strike_price;current_price;shares;days\n1,25;30;28,50;500;91\n"}
        << 0 << "625,00;0,00;0,00;14250,00;15000,00;1375,00;625,00;13625,00;27,2500;0,0439;";
    QTest::newRow("--decimal-separator without --plain")
        << QStringList{"calc", "--csv", "--decimal-separator", ","} << commas << 64
        << "--decimal-separator goes with --plain";
    QTest::newRow("--decimal-separator with --json")
        << QStringList{"analyze", "--plain", "--json", "--decimal-separator", ","} << QByteArray{}
        << 64 << "--json writes JSON numbers, which take '.', so --decimal-separator cannot go";
    QTest::newRow("--decimal-separator another")
        << calcPlain + QStringList{"--decimal-separator=;"} << commas << 64
        << "--decimal-separator takes '.' or ',', not ';'";
    QTest::newRow("--percent-as-fraction without --plain")
        << QStringList{"calc", "--csv", "--percent-as-fraction"} << commas << 64
        << "--percent-as-fraction goes with --plain";
}

void TestCommandLineScripts::plainFormsASpreadsheetReads() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QString, expected);

    const Run run = runPravik(arguments, input);
    QCOMPARE(run.status, status);
    if (status != 0) {
        QVERIFY2(run.err.contains(expected), qPrintable(run.err));
        return;
    }
    QVERIFY2(run.out.section(u'\n', 1, 1).contains(expected), qPrintable(run.out));
    if (arguments.front() == QStringLiteral("calc")) {
        // Its own output read back recomputes to the very same bytes.
        const Run again = runPravik(arguments + QStringList{"--replace-results"}, run.out.toUtf8());
        QCOMPARE(again.status, 0);
        QCOMPARE(again.out, run.out);
    }
}

void TestCommandLineScripts::plainJson_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("expected");

    QTest::newRow("worked example")
        << workedExample() << 0
        << "{\"intOptionsRecd\": 625.00, \"intTotalAssigned\": 15000.00, \"intTotalReceipts\": "
           "15625.00, \"intTotalStockCost\": 14250.00, \"intNetGain\": 1375.00, "
           "\"intDivideIntoCost\": 0.096, \"pctReturn\": 38.40}\n";
    QTest::newRow("a whole ratio keeps three decimals")
        << position("0", "30", "10", "1") + QStringList{"--months=12"} << 0
        << "{\"intOptionsRecd\": 0.00, \"intTotalAssigned\": 30.00, \"intTotalReceipts\": 30.00, "
           "\"intTotalStockCost\": 10.00, \"intNetGain\": 20.00, \"intDivideIntoCost\": 2.000, "
           "\"pctReturn\": 200.00}\n";
    QTest::newRow("no stock cost: null")
        << position("1", "2", "0", "10") + QStringList{"--months=3"} << 3
        << "{\"intOptionsRecd\": 10.00, \"intTotalAssigned\": 20.00, \"intTotalReceipts\": 30.00, "
           "\"intTotalStockCost\": 0.00, \"intNetGain\": 30.00, \"intDivideIntoCost\": null, "
           "\"pctReturn\": null, \"error\": \"intDivideIntoCost, pctReturn: no stock cost: the "
           "ratio has no value\"}\n";
}

void TestCommandLineScripts::plainJson() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, expected);

    const Run run = runPravik(arguments + QStringList{"--json", "--plain"});
    QCOMPARE(run.status, status);
    QCOMPARE(run.out, expected);
    QJsonParseError error{};
    QJsonDocument::fromJson(run.out.toUtf8(), &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
}

// The same positions typed in three locales give the same plain figures, byte for byte.
void TestCommandLineScripts::plainBatchIsTheSameInEveryLocale() {
    const QByteArray us =
        fullHeader + "\n1.25,30,28.50,500,3\n1.125,25,24,33,6\n0.75,20,22,100,2\n";
    const QByteArray german = "option_price;strike_price;current_price;shares;months\n"
                              "1,25;30;28,50;500;3\n1,125;25;24;33;6\n0,75;20;22;100;2\n";
    const Run inUs = runPravik({"calc", "--csv", "--plain"}, us);
    // The same digits: ';' output would otherwise take ',' decimals, as its spreadsheet reads.
    const Run inGermany = runPravik({"calc", "--csv", "--plain", "--decimal-separator", "."},
                                    german, {"LANG=de_DE.UTF-8"});
    const Run inJapan = runPravik({"calc", "--csv", "--plain"}, us, {"LANG=ja_JP.UTF-8"});
    QCOMPARE(inUs.status, 0);
    QCOMPARE(inGermany.status, 0);
    QCOMPARE(inJapan.status, 0);
    QCOMPARE(inUs.out.section(u'\n', 1, 1),
             QStringLiteral("1.25,30,28.50,500,3,625.00,15000.00,15625.00,14250.00,1375.00,"
                            "0.096,38.40,"));
    QCOMPARE(inUs.out.section(u'\n', 2, 2),
             QStringLiteral("1.125,25,24,33,6,37.13,825.00,862.13,792.00,70.13,0.089,17.80,"));
    QCOMPARE(inJapan.out, inUs.out);
    QCOMPARE(inGermany.out.section(u'\n', 1).replace(u';', u','),
             inUs.out.section(u'\n', 1)
                 .replace(QStringLiteral("1.25,"), QStringLiteral("1,25,"))
                 .replace(QStringLiteral("28.50,"), QStringLiteral("28,50,"))
                 .replace(QStringLiteral("1.125,"), QStringLiteral("1,125,"))
                 .replace(QStringLiteral("0.75,"), QStringLiteral("0,75,")));
}

void TestCommandLineScripts::refusedPositionAsJson() {
    const Run run =
        runPravik(position("1.25", "3O", "28.50", "") + QStringList{"--months=13", "--json"});
    QCOMPARE(run.status, 2);
    const QJsonObject object = jsonObject(run.out);
    QCOMPARE(object.keys(), (QStringList{"error", "fields"}));
    QCOMPARE(object.value("fields").toArray(), (QJsonArray{"strike_price", "shares", "months"}));
    QVERIFY2(object.value("error").toString().contains(QStringLiteral("invalid entry")),
             qPrintable(run.out));
    QVERIFY2(everyLineNamesTheProgram(run.err), qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral("--strike-price \"3O\"")), qPrintable(run.err));
}

void TestCommandLineScripts::localeOption_data() {
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("netGain");

    QTest::newRow("C over a German environment")
        << QStringList{"LANG=de_DE.UTF-8", "LC_ALL=de_DE.UTF-8"}
        << workedExample() + QStringList{"--locale", "C"} << 0 << "$1,375.00";
    QTest::newRow("de_DE over an English environment")
        << QStringList{"LANG=en_US.UTF-8"}
        << position("1,25", "30", "28,50", "500") + QStringList{"--months=3", "--locale=de_DE"} << 0
        << "1.375,00\u00a0€";
    QTest::newRow("an unknown name")
        << QStringList{"LANG=en_US.UTF-8"} << workedExample() + QStringList{"--locale", "xx_QQ"}
        << 64 << "";
}

void TestCommandLineScripts::localeOption() {
    QFETCH(QStringList, environment);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, netGain);

    const Run run = runPravik(arguments + QStringList{"--json"}, {}, environment);
    QCOMPARE(run.status, status);
    if (status == 64) {
        QVERIFY2(run.err.startsWith(QStringLiteral("pravik: unknown locale 'xx_QQ'")),
                 qPrintable(run.err));
        QVERIFY2(everyLineNamesTheProgram(run.err), qPrintable(run.err));
        return;
    }
    QCOMPARE(jsonObject(run.out).value("intNetGain").toString(), netGain);
}

// ---- 7. Money follows LC_MONETARY, numbers LC_NUMERIC -----------------------------------------

void TestCommandLineScripts::moneyFollowsLcMonetary_data() {
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QStringList>("amounts");
    QTest::addColumn<QString>("netGain");
    QTest::addColumn<QString>("ratio");

    QTest::newRow("German money under an English LANG")
        << QStringList{"LANG=en_US.UTF-8", "LC_MONETARY=de_DE.UTF-8"}
        << QStringList{"0.75", "20", "22", "100"} << "-125,00\u00a0€"
        << "-0.057";
    QTest::newRow("money texts the program writes, typed back")
        << QStringList{"LANG=en_US.UTF-8", "LC_MONETARY=de_DE.UTF-8"}
        << QStringList{"0,75 €", "20,00\u00a0€", "-22,00 €", "100"} << "4.275,00\u00a0€"
        << "-1.943";
    QTest::newRow("French money with the blanks users type")
        << QStringList{"LANG=fr_FR.UTF-8"}
        << QStringList{"1,25 €", "1 500,00 €", "1\u00a0000,00 €", "10"} << "5\u202f012,50\u00a0€"
        << "0,501";
    QTest::newRow("US parentheses read back")
        << QStringList{"LANG=en_US.UTF-8"} << QStringList{"($1.25)", "$30.00", "$28.50", "500"}
        << "$125.00"
        << "0.009";
    QTest::newRow("LC_ALL over both")
        << QStringList{"LC_MONETARY=de_DE.UTF-8", "LC_NUMERIC=de_DE.UTF-8", "LC_ALL=C"}
        << QStringList{"0.75", "20", "22", "100"} << "($125.00)"
        << "-0.057";
}

void TestCommandLineScripts::moneyFollowsLcMonetary() {
    QFETCH(QStringList, environment);
    QFETCH(QStringList, amounts);
    QFETCH(QString, netGain);
    QFETCH(QString, ratio);

    const Run run = runPravik(position(amounts[0], amounts[1], amounts[2], amounts[3]) +
                                  QStringList{"--months=3", "--json"},
                              {}, environment);
    QCOMPARE(run.err, QString{});
    QCOMPARE(run.status, 0);
    const QJsonObject object = jsonObject(run.out);
    QCOMPARE(object.value("intNetGain").toString(), netGain);
    QCOMPARE(object.value("intDivideIntoCost").toString(), ratio);
}

// ---- 8. Small things ----------------------------------------------------------------------------

void TestCommandLineScripts::smallThings_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("outStarts");

    QTest::newRow("pravik help calc")
        << QStringList{"help", "calc"} << 0 << "Usage: pravik calc [OPTIONS] [FILE]";
    QTest::newRow("pravik help") << QStringList{"help"} << 0 << "Usage: pravik ";
    QTest::newRow("pravik calc --help")
        << QStringList{"calc", "--help"} << 0 << "Usage: pravik calc [OPTIONS] [FILE]";
    QTest::newRow("pravik calc alone prints the usage")
        << QStringList{"calc"} << 64 << "Usage: pravik calc [OPTIONS] [FILE]";
    QTest::newRow("pravik help nonsense") << QStringList{"help", "nonsense"} << 64 << "";
    QTest::newRow("--delimiter without --csv")
        << workedExample() + QStringList{"--delimiter=;"} << 64 << "";
    QTest::newRow("--encoding without --csv")
        << workedExample() + QStringList{"--encoding=windows-1252"} << 64 << "";
    QTest::newRow("an unknown option") << QStringList{"calc", "--frobnicate"} << 64 << "";
}

void TestCommandLineScripts::smallThings() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, outStarts);

    const Run run = runPravik(arguments);
    QCOMPARE(run.status, status);
    QVERIFY2(outStarts.isEmpty() ? run.out.isEmpty() : run.out.startsWith(outStarts),
             qPrintable(run.out));
    if (status != 0) {
        QVERIFY2(everyLineNamesTheProgram(run.err), qPrintable(run.err));
    }
    if (outStarts.startsWith(QStringLiteral("Usage: pravik calc"))) {
        // The statuses a script tests are in the help.
        QVERIFY2(run.out.contains(QStringLiteral("Exit status:")), qPrintable(run.out));
        QVERIFY2(run.out.contains(QStringLiteral("  3   ")), qPrintable(run.out));
        QVERIFY2(run.out.contains(QStringLiteral("--encoding <NAME>")), qPrintable(run.out));
    }
}

void TestCommandLineScripts::versionIsOneLine() {
    const Run version = runPravik({"--version"});
    QCOMPARE(version.status, 0);
    QCOMPARE(version.out, QStringLiteral("Veltrane 1.0.2 (version 1.00.0002)\n"));
    const Run record = runPravik({"--version-record"});
    QCOMPARE(record.status, 0);
    QVERIFY(record.out.startsWith(version.out + "\nVersion record of the executable:\n"));
    QVERIFY(record.out.contains(QStringLiteral("\n  FileVersion: 1.00.0002\n")));

    // --csv=FILE reads the file like --csv FILE.
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("p.csv"));
    QVERIFY(writeFile(file, fullHeader + "\n1.25,30,28.50,500,3\n"));
    const Run joined = runPravik({"calc", "--csv=" + file});
    const Run apart = runPravik({"calc", "--csv", file});
    QCOMPARE(joined.status, 0);
    QCOMPARE(joined.out, apart.out);
}

// A refused text quoted in the error column never starts a formula in the spreadsheet that opens
// the output.
void TestCommandLineScripts::errorColumnIsNoFormula() {
    const QByteArray input = fullHeader +
                             "\n1.25,30,28.50,500,=1+2\n1.25,30,28.50,500,-3\n"
                             "1.25,30,28.50,500,@SUM(A1)\n1.25,30,28.50,500,ab" +
                             QByteArray{"😀"}.repeated(200) + "\n";
    const Run run = runPravik({"calc", "--csv"}, input);
    QCOMPARE(run.status, 2);
    const QStringList lines = run.out.split(u'\n');
    QVERIFY2(lines.value(1).endsWith(QStringLiteral("not \"\"'=1+2\"\"\"")), qPrintable(run.out));
    QVERIFY2(lines.value(2).endsWith(QStringLiteral("not \"\"'-3\"\"\"")), qPrintable(run.out));
    QVERIFY2(lines.value(3).endsWith(QStringLiteral("not \"\"'@SUM(A1)\"\"\"")),
             qPrintable(run.out));
    // A long text is quoted in part there too: its first 200 characters, never half of one.
    const QList<QByteArray> bytes = run.outBytes.split('\n');
    QVERIFY(bytes.value(4).endsWith("not \"\"ab" + QByteArray{"😀"}.repeated(198) + "…\"\"\""));
}

QTEST_GUILESS_MAIN(TestCommandLineScripts)
#include "test_command_line_scripts.moc"
