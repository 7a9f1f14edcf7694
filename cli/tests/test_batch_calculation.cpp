#include "calc/fields.h"
#include "cli/batch_calculation.h"

#include <QTest>
#include <sstream>
#include <string>

using veltrane::BatchOutcome;

namespace {

struct BatchRun {
    BatchOutcome outcome;
    QString output;
};

BatchRun runBatch(const std::string& input) {
    std::istringstream in{input};
    std::ostringstream out;
    BatchRun run;
    run.outcome = veltrane::runCsvBatch(in, out, veltrane::RegionalSettings{});
    run.output = QString::fromStdString(out.str());
    return run;
}

BatchRun runBatch(const QString& input) {
    return runBatch(input.toStdString());
}

const QString resultHeader = QStringLiteral("intOptionsRecd,intTotalAssigned,intTotalReceipts,"
                                            "intTotalStockCost,intNetGain,intDivideIntoCost,"
                                            "pctReturn,error");

const QString workedExampleResults = QStringLiteral(
    "$625.00,\"$15,000.00\",\"$15,625.00\",\"$14,250.00\",\"$1,375.00\",0.096,38.40%,");

} // namespace

class TestBatchCalculation : public QObject {
    Q_OBJECT

private slots:
    void columnsInAnyOrderAndPassedThrough();
    void rowsFailingTheCheckAreMarkedAndTheRestComputed();
    void everyRowStartsFromFreshFields();
    void lineEndingsFollowTheHeader();
    void blankLinesAreSkipped();
    void badInput_data();
    void badInput();
};

void TestBatchCalculation::columnsInAnyOrderAndPassedThrough() {
    const BatchRun run = runBatch(QStringLiteral("months,note,shares,current_price,strike_price,"
                                                 "option_price\n"
                                                 "3,\"Acme, \"\"A\"\"\",500,28.50,30,1.25\n"));
    QVERIFY(!run.outcome.malformed);
    QCOMPARE(run.outcome.rows, quint64{1});
    QCOMPARE(run.outcome.refusedRows, quint64{0});
    QCOMPARE(run.output, "months,note,shares,current_price,strike_price,option_price," +
                             resultHeader + "\n" + "3,\"Acme, \"\"A\"\"\",500,28.50,30,1.25," +
                             workedExampleResults + "\n");
}

void TestBatchCalculation::rowsFailingTheCheckAreMarkedAndTheRestComputed() {
    const BatchRun run = runBatch(QStringLiteral("option_price,strike_price,current_price,shares,"
                                                 "months\n"
                                                 "1.25,3O,28.50,,3\n"
                                                 "1.25,30,28.50,500,3\n"));
    QCOMPARE(run.outcome.rows, quint64{2});
    QCOMPARE(run.outcome.refusedRows, quint64{1});
    const QStringList lines = run.output.split(u'\n');
    QCOMPARE(lines.size(), 4);
    const QString rejection = QString::fromUtf8(veltrane::invalidEntryMessage.data(),
                                                veltrane::invalidEntryMessage.size()) +
                              " Fields: strike_price, shares";
    QCOMPARE(lines[1], "1.25,3O,28.50,,3,,,,,,,,\"" + rejection + "\"");
    QCOMPARE(lines[2], "1.25,30,28.50,500,3," + workedExampleResults);
}

// A step that fails keeps its field's text; in a batch that text must never be the row before's.
void TestBatchCalculation::everyRowStartsFromFreshFields() {
    const BatchRun run = runBatch(QStringLiteral("option_price,strike_price,current_price,shares,"
                                                 "months\n"
                                                 "1.25,30,28.50,500,3\n"
                                                 "1.25,30,0,500,3\n"));
    const QStringList lines = run.output.split(u'\n');
    QCOMPARE(lines.size(), 4);
    QVERIFY2(!lines[2].contains(QStringLiteral("0.096")), qPrintable(lines[2]));
    QVERIFY2(!lines[2].contains(QStringLiteral("38.40%")), qPrintable(lines[2]));
}

void TestBatchCalculation::lineEndingsFollowTheHeader() {
    const BatchRun crlf =
        runBatch(QStringLiteral("option_price,strike_price,current_price,shares\r\n1,1,1,1\r\n"));
    QCOMPARE(crlf.output.count(QStringLiteral("\r\n")), 2);
    const BatchRun lf =
        runBatch(QStringLiteral("option_price,strike_price,current_price,shares\n1,1,1,1\n"));
    QCOMPARE(lf.output.count(u'\r'), 0);
    QCOMPARE(lf.output.count(u'\n'), 2);
}

void TestBatchCalculation::blankLinesAreSkipped() {
    const BatchRun run = runBatch(
        QStringLiteral("note,option_price,strike_price,current_price,shares\n\na,1,1,1,1\n\n"));
    QVERIFY(!run.outcome.malformed);
    QCOMPARE(run.outcome.rows, quint64{1});
    QCOMPARE(run.output.count(u'\n'), 2);
}

void TestBatchCalculation::badInput_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("message");
    QTest::addColumn<quint64>("line");

    QTest::newRow("empty input") << QByteArray{}
                                 << "the input is empty; it needs a header row that names the "
                                    "columns"
                                 << quint64{1};
    QTest::newRow("a column named twice")
        << QByteArray{"option_price,strike_price,current_price,shares,months,shares\n1,2,3,4,5,6\n"}
        << "the header names the column shares twice" << quint64{1};
    QTest::newRow("Windows-1252 read as UTF-8")
        << QByteArray{"option_price,strike_price,current_price,shares,months\n1,2,3,4,5\n3 \x80\n"}
        << "the byte 0x80 begins no UTF-8 character" << quint64{3};
    QTest::newRow("a malformed field") << QByteArray{"option_price,strike_price,current_price,"
                                                     "shares,months\n1,2,3,4,5\n3,\"4\"x\n"}
                                       << "text after the closing quote of a field" << quint64{3};
}

void TestBatchCalculation::badInput() {
    QFETCH(QByteArray, input);
    QFETCH(QString, message);
    QFETCH(quint64, line);

    const BatchRun run = runBatch(input.toStdString());
    QVERIFY(run.outcome.malformed);
    QCOMPARE(QString::fromStdString(run.outcome.malformed->message), message);
    QCOMPARE(run.outcome.malformed->line, line);
}

QTEST_APPLESS_MAIN(TestBatchCalculation)
#include "test_batch_calculation.moc"
