// Runs the commands with one thread and with several on the same inputs: the output, the
// messages and the status must not depend on the number of threads.
#include "cli/tests/pravik_run.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

namespace {

using pravik_run::Run;
using pravik_run::runPravik;

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file{path};
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile file{path};
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray{"(unreadable)"};
}

// Enough rows for dozens of blocks: quoted notes across lines, rows that fail the check, rows
// without months, blank lines and padding, every months value.
QByteArray generatedRows(int rows, const QByteArray& ending) {
    QByteArray text;
    for (int i = 0; i < rows; ++i) {
        text += QByteArray::number(i);
        if (i % 97 == 5) {
            text += ",abc,30,28.50,500,3,plain";
        } else if (i % 89 == 7) {
            text += ",1.25,30,28.50,500,13,\"months out of range\"";
        } else if (i % 83 == 11) {
            text += ",1.25,30,28.50,500,,no months";
        } else {
            text += ",1." + QByteArray::number(i % 100) + "," + QByteArray::number(20 + i % 30) +
                    ",28.50," + QByteArray::number(100 * (1 + i % 9)) + "," +
                    QByteArray::number(1 + i % 12);
            text += i % 11 == 0 ? R"(,"note, ""quoted"")" + ending + R"(on two lines")" : ",plain";
        }
        text += ending;
        if (i % 1000 == 999) {
            text += ending + ",,,,,," + ending;
        }
    }
    return text;
}

const QByteArray header = "id,option_price,strike_price,current_price,shares,months,note";
const QByteArray fullHeader = "option_price,strike_price,current_price,shares,months";

// Positions for analyze, as many as generatedRows makes: expiry dates, days and months; shares
// and contracts; fees and dividends; quoted notes across lines; refused and incomplete rows.
const QByteArray analysisHeader =
    "id,option_price,strike_price,current_price,shares,contracts,expiry,as_of,days,months,fees,"
    "dividend,note";

QByteArray generatedPositions(int rows, const QByteArray& ending) {
    QByteArray text;
    for (int i = 0; i < rows; ++i) {
        const QByteArray n = QByteArray::number(i);
        text += n;
        if (i % 97 == 5) {
            text += ",1.25,30,abc,500,,,,91,,,,refused";
        } else if (i % 89 == 7) {
            text += ",1,900000000000000,28.50,1000,,,,30,,,,\"beyond the money range\"";
        } else if (i % 83 == 11) {
            text += ",1.25,30,28.50,500,5,,,,3,,,both shares and contracts";
        } else {
            text += ",1." + QByteArray::number(i % 100) + "," + QByteArray::number(20 + i % 30) +
                    ",28.50";
            text += i % 2 == 0 ? "," + QByteArray::number(100 * (1 + i % 9)) + ","
                               : ",," + QByteArray::number(1 + i % 7);
            switch (i % 3) {
            case 0:
                text += ",2027-0" + QByteArray::number(1 + i % 9) + "-19,2026-12-18,,";
                break;
            case 1:
                text += ",,," + QByteArray::number(1 + i % 400) + ",";
                break;
            default:
                text += ",,,," + QByteArray::number(1 + i % 12);
                break;
            }
            text += i % 5 == 0 ? ",9.95,0.2" : ",,";
            text += i % 11 == 0 ? R"(,"note, ""quoted"")" + ending + R"(on two lines")" : ",plain";
        }
        text += ending;
        if (i % 1000 == 999) {
            text += ending + ",,,,,,,,,,,," + ending;
        }
    }
    return text;
}

} // namespace

class TestBatchJobs : public QObject {
    Q_OBJECT

private slots:
    void sameOutputForAnyNumberOfThreads_data();
    void sameOutputForAnyNumberOfThreads();
    void outputFileForAnyNumberOfThreads_data();
    void outputFileForAnyNumberOfThreads();
    void jobsRefused_data();
    void jobsRefused();
    void jobsGoWithCsv();
    void jobsInHelp();

private:
    QTemporaryDir folder_;
};

void TestBatchJobs::sameOutputForAnyNumberOfThreads_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");

    auto row = [](const char* name, const QByteArray& input, int status,
                  const QStringList& options = {}) {
        QTest::newRow(name) << QStringLiteral("calc") << input << options << status;
    };
    auto analyzeRow = [](const char* name, const QByteArray& input, int status,
                         const QStringList& options = {}) {
        QTest::newRow(name) << QStringLiteral("analyze") << input << options << status;
    };
    // The files of the command line's own tests.
    row("quoting and pass-through",
        "note,months,shares,option_price,current_price,strike_price\r\n"
        "\"Acme, Inc. \"\"A\"\"\r\nsecond line\",3,500,1.25,28.50,30\r\n"
        "plain,2,100,0.75,22,20\r\n",
        0);
    row("complete, incomplete and refused rows",
        fullHeader + "\n1.25,30,28.50,500,3\n1.25,30,28.50,500,\n1E300,30,28.50,500,3\n"
                     "abc,30,28.50,500,3\n1.25,30,28.50,500,13\n",
        2);
    row("incomplete rows only", fullHeader + "\n1.25,30,28.50,500,\n1E300,30,28.50,500,3\n", 3);
    row("malformed CSV", fullHeader + "\n1.25,30,28.50,500,3\n1.25,\"30\"x,28.50,500,3\n", 64);
    row("a header without the amounts", "ticker,Option Price,qty,months\nACME,1.25,500,3\n", 64);
    const QByteArray withResults = "note," + fullHeader +
                                   ",intNetGain,pctReturn,error\n"
                                   "a,1.25,30,28.50,500,3,old,old,old\n";
    row("result columns without --replace-results", withResults, 64);
    row("result columns with --replace-results", withResults, 0, {"--replace-results"});
    row("a German export: byte order mark, semicolons, captions, CR LF",
        "\xef\xbb\xbfTicker;Option Price;Strike Price;Current share price;Number of Shares;"
        "No Months Out\r\nACME;1,25;30;28,50;500;3\r\nWidgets; 0,75;20;22;100;2\r\n",
        0, {"--locale", "de_DE"});
    row("tabs",
        "option_price\tstrike_price\tcurrent_price\tshares\tmonths\n1.25\t30\t28.50\t500\t3\n", 0);
    row("padding rows and blank lines, before the header too",
        "\n   \nnote," + fullHeader +
            "\r\na,1.25,30,28.50,500,3\r\n   \r\n,,,,,\r\n\t\r\n , ,,, ,\r\n"
            "b,0.75,20,22,100,2\r\n,,,,,\r\n,,,,,\r\n",
        0);
    row("plain numbers", fullHeader + "\n1.25,30,28.50,500,3\n0.75,20,22,100,2\n", 0, {"--plain"});

    // Generated, long enough for dozens of blocks.
    const QByteArray rows = generatedRows(20'000, "\n");
    row("many rows: multi-line notes, refused and incomplete rows, padding", header + "\n" + rows,
        2);
    row("many rows with semicolons", QByteArray{header + "\n" + rows}.replace(',', ';'), 2,
        {"--delimiter", ";"});
    row("many rows, CR LF with a byte order mark",
        "\xEF\xBB\xBF" + header + "\r\n" + generatedRows(20'000, "\r\n"), 2);
    row("a record with a field too many late in the file",
        header + "\n" + rows + "1,1.25,30,28.50,500,3,x,y\n" + rows, 2);
    row("records with fields too few and too many all through the file",
        header + "\n" + rows + "1,1.25,30,28.50,500\n" + rows + "2,1.25,30,28.50,500,3,x,y\n" +
            rows + "3,1.25,30,28.50,500,3,x,y,z\n",
        2);
    row("a byte that is no UTF-8 late in the file",
        header + "\n" + rows + "1,1.25,30,28.50,500,3,caf\xe9\n" + rows, 64);
    row("a byte that is no UTF-8 in a quoted field across lines",
        header + "\n" + rows + "1,1.25,30,28.50,500,3,\"caf\n\xe9\"\n" + rows, 64);
    const QByteArray western =
        header + "\n" + rows + "1,1.25,30,28.50,500,3,Pr\xe4mie \x80\n" + rows;
    row("Windows-1252 named by --encoding", western, 2, {"--encoding", "windows-1252"});
    row("Windows-1252 with a byte it has no character for, late in the file",
        western + "2,1.25,30,28.50,500,3,\x81\n" + rows, 64, {"--encoding", "windows-1252"});
    row("UTF-16 with its byte order mark, CR LF",
        "\xFF\xFE" + QByteArray{QStringEncoder{QStringEncoder::Utf16LE}.encode(
                         QString::fromUtf8(header + "\r\n" + generatedRows(20'000, "\r\n")))},
        2);
    row("a sep= line, a title and padding before the header",
        "sep=;\nMy positions;;\n;;;\n" + QByteArray{header + "\n" + rows}.replace(',', ';'), 2,
        {"--delimiter", ";"});
    row("text after a closing quote late in the file",
        header + "\n" + rows + "1,1.25,30,28.50,500,3,\"x\"y\n" + rows, 64);
    row("a quoted field never closed at the end",
        header + "\n" + rows + "1,1.25,30,28.50,500,3,\"open\n", 64);

    // The same for analyze: its command's test files, then generated positions.
    analyzeRow("analyze: mixed rows, captions, CR LF",
               "id,Option Price,STRIKE_PRICE,current-price,shares,contracts,expiry,as_of,"
               "Days to expiry,months,fees,dividend\r\n"
               "a,1.25,30,28.50,500,,2027-03-19,2026-12-18,,,,\r\n,,,,,,,,,,,\r\n"
               "b,1.25,30,28.50,,5,,,,3,10,0.2\r\nc,=1+1,30,28.50,500,,,,,13,,\r\n"
               "d,1,900000000000000,28.50,1000,,,,30,,,\r\n",
               2, {"--plain"});
    analyzeRow("analyze: a header without a time to expiry",
               "option_price,strike_price,current_price,shares\n1,2,3,4\n", 64);
    analyzeRow("analyze: semicolons and decimal commas",
               "Option Price;Strike Price;Current Price;Shares;Days\n1,25;30;28,50;500;91\n", 0,
               {"--locale", "de_DE"});
    const QByteArray positions = generatedPositions(20'000, "\n");
    analyzeRow("analyze: many rows, multi-line notes, refused and incomplete rows, padding",
               analysisHeader + "\n" + positions, 2);
    analyzeRow("analyze: many rows, plain, CR LF with a byte order mark",
               "\xEF\xBB\xBF" + analysisHeader + "\r\n" + generatedPositions(20'000, "\r\n"), 2,
               {"--plain"});
    analyzeRow("analyze: many rows with semicolons",
               QByteArray{analysisHeader + "\n" + positions}.replace(',', ';'), 2,
               {"--delimiter", ";"});
    analyzeRow("analyze: a record with a field too few late in the file",
               analysisHeader + "\n" + positions + "1,1.25,30,28.50,500\n" + positions, 2);
    analyzeRow("analyze: a record with a field too many late in the file",
               analysisHeader + "\n" + positions + "1,1.25,30,28.50,500,,,,91,,,,x,y\n" + positions,
               2);
    analyzeRow(
        "analyze: a byte that is no UTF-8 late in the file",
        analysisHeader + "\n" + positions + "1,1.25,30,28.50,500,,,,91,,,,\x80\n" + positions, 64);
    analyzeRow("analyze: UTF-16 with its byte order mark",
               "\xFF\xFE" + QByteArray{QStringEncoder{QStringEncoder::Utf16LE}.encode(
                                QString::fromUtf8(analysisHeader + "\n" + positions))},
               2);
    analyzeRow("analyze: a quoted field never closed at the end",
               analysisHeader + "\n" + positions + "1,1.25,30,28.50,500,,,,91,,,,\"open\n", 64);
}

void TestBatchJobs::sameOutputForAnyNumberOfThreads() {
    QFETCH(QString, command);
    QFETCH(QByteArray, input);
    QFETCH(QStringList, options);
    QFETCH(int, status);
    QVERIFY(folder_.isValid());
    const QString path = folder_.filePath(QStringLiteral("positions.csv"));
    QVERIFY(writeFile(path, input));

    const QStringList arguments = QStringList{command, "--csv", path} + options;
    const Run one = runPravik(arguments + QStringList{"--jobs", "1"});
    QCOMPARE(one.status, status);
    QVERIFY(!one.outBytes.isEmpty() || !one.err.isEmpty());
    for (int jobs = 2; jobs <= 8; ++jobs) {
        const Run many = runPravik(arguments + QStringList{"--jobs", QString::number(jobs)});
        if (many.outBytes != one.outBytes || many.err != one.err || many.status != one.status) {
            qInfo("--jobs %d", jobs);
            QCOMPARE(many.err, one.err);
            QCOMPARE(many.status, one.status);
            QVERIFY2(many.outBytes == one.outBytes, "the output differs from that of one thread");
        }
    }
}

void TestBatchJobs::outputFileForAnyNumberOfThreads_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");
    const QByteArray rows = generatedRows(20'000, "\n");
    QTest::newRow("rows refused, the file replaced") << "calc" << header + "\n" + rows << 2;
    QTest::newRow("a fault late in the file, the file left as it was")
        << "calc" << header + "\n" + rows + "1,1.25,\"30\"x,28.50,500,3,x\n" + rows << 64;
    const QByteArray positions = generatedPositions(20'000, "\n");
    QTest::newRow("analyze: rows refused, the file replaced")
        << "analyze" << analysisHeader + "\n" + positions << 2;
    QTest::newRow("analyze: a fault late in the file, the file left as it was")
        << "analyze" << analysisHeader + "\n" + positions + "1,1.25,\"30\"x\n" + positions << 64;
}

// --output replaces the file only when the run completes: with threads as with one, the file,
// the messages and the status are the same, and no temporary file is left.
void TestBatchJobs::outputFileForAnyNumberOfThreads() {
    QFETCH(QString, command);
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QVERIFY(folder_.isValid());
    const QString path = folder_.filePath(QStringLiteral("positions.csv"));
    const QString target = folder_.filePath(QStringLiteral("results.csv"));
    QVERIFY(writeFile(path, input));

    Run first;
    QByteArray firstWritten;
    for (int jobs = 1; jobs <= 8; ++jobs) {
        QVERIFY(writeFile(target, "yesterday's results\n"));
        const Run run = runPravik(
            {command, "--csv", path, "--output", target, "--jobs", QString::number(jobs)});
        const QByteArray written = readFile(target);
        QCOMPARE(run.status, status);
        QCOMPARE(run.outBytes, QByteArray{});
        QCOMPARE(QDir{folder_.path()}.entryList(QDir::Files).size(), 2);
        if (jobs == 1) {
            first = run;
            firstWritten = written;
            QCOMPARE(written == "yesterday's results\n", status == 64);
        } else if (written != firstWritten || run.err != first.err) {
            qInfo("--jobs %d", jobs);
            QCOMPARE(run.err, first.err);
            QVERIFY2(written == firstWritten, "the file differs from that of one thread");
        }
    }
}

void TestBatchJobs::jobsRefused_data() {
    QTest::addColumn<QString>("jobs");
    QTest::newRow("zero") << QStringLiteral("0");
    QTest::newRow("negative") << QStringLiteral("-2");
    QTest::newRow("a word") << QStringLiteral("two");
    QTest::newRow("empty") << QString{};
    QTest::newRow("a fraction") << QStringLiteral("1.5");
    QTest::newRow("a sign") << QStringLiteral("+2");
    QTest::newRow("more than a machine has") << QStringLiteral("1025");
    QTest::newRow("beyond any integer") << QStringLiteral("99999999999999999999");
}

void TestBatchJobs::jobsRefused() {
    QFETCH(QString, jobs);
    for (const QString& command : {QStringLiteral("calc"), QStringLiteral("analyze")}) {
        const Run run = runPravik({command, "--csv", "-", "--jobs", jobs});
        QCOMPARE(run.status, 64);
        QCOMPARE(run.outBytes, QByteArray{});
        QVERIFY2(
            run.err.startsWith("pravik: --jobs takes a number of threads from 1 to 1024, not '" +
                               jobs + "'\npravik: Try 'pravik " + command + " --help'."),
            qPrintable(run.err));
    }
}

void TestBatchJobs::jobsGoWithCsv() {
    const QStringList position{"--option-price",  "1.25",  "--strike-price", "30",
                               "--current-price", "28.50", "--shares",       "500"};
    for (const QStringList& arguments :
         {QStringList{"calc"} + position, QStringList{"analyze", "--days", "91"} + position}) {
        const Run run = runPravik(arguments + QStringList{"--jobs", "2"});
        QCOMPARE(run.status, 64);
        QVERIFY2(run.err.startsWith("pravik: --jobs goes with --csv\n"), qPrintable(run.err));
    }
}

// Both commands that read a batch tell of --jobs in their help.
void TestBatchJobs::jobsInHelp() {
    for (const QString& command : {QStringLiteral("calc"), QStringLiteral("analyze")}) {
        const Run run = runPravik({command, "--help"});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.contains("--jobs <N>"), qPrintable(command));
    }
}

QTEST_GUILESS_MAIN(TestBatchJobs)
#include "test_batch_jobs.moc"
