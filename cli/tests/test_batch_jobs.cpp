// Runs the real executable with one thread and with several on the same inputs: the output, the
// messages and the status must not depend on the number of threads.
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Run runPravik(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_NUMERIC", "LC_MONETARY", "DISPLAY"}) {
        environment.remove(QString::fromLatin1(name));
    }
    environment.insert(QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(PRAVIK_PATH), arguments);
    Run run;
    if (process.waitForStarted()) {
        process.closeWriteChannel();
    }
    if (process.state() == QProcess::NotRunning || !process.waitForFinished(240'000)) {
        process.kill();
        process.waitForFinished();
        run.err = "pravik did not run to its end";
        return run;
    }
    if (process.exitStatus() == QProcess::NormalExit) {
        run.status = process.exitCode();
    }
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// Enough rows for dozens of blocks: quoted notes across lines, rows that fail the check, blank
// lines, every months value.
QByteArray generatedRows(int rows, const QByteArray& ending) {
    QByteArray text;
    for (int i = 0; i < rows; ++i) {
        text += QByteArray::number(i);
        if (i % 97 == 5) {
            text += ",abc,30,28.50,500,3,plain";
        } else if (i % 89 == 7) {
            text += ",1.25,30,28.50,,13,\"months out of range\"";
        } else {
            text += ",1." + QByteArray::number(i % 100) + "," + QByteArray::number(20 + i % 30) +
                    ",28.50," + QByteArray::number(100 * (1 + i % 9)) + "," +
                    QByteArray::number(1 + i % 12);
            text += i % 11 == 0 ? ",\"note, \"\"quoted\"\"" + ending + "on two lines\"" : ",plain";
        }
        text += ending;
        if (i % 1000 == 999) {
            text += ending;
        }
    }
    return text;
}

const QByteArray header = "id,option_price,strike_price,current_price,shares,months,note";

} // namespace

class TestBatchJobs : public QObject {
    Q_OBJECT

private slots:
    void sameOutputForAnyNumberOfThreads_data();
    void sameOutputForAnyNumberOfThreads();
    void jobsRefused_data();
    void jobsRefused();

private:
    QTemporaryDir folder_;
};

void TestBatchJobs::sameOutputForAnyNumberOfThreads_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");

    const QByteArray rows = generatedRows(20'000, "\n");
    QTest::newRow("the command line's quoting and pass-through")
        << QByteArray("note,months,shares,option_price,current_price,strike_price\r\n"
                      "\"Acme, Inc. \"\"A\"\"\r\nsecond line\",3,500,1.25,28.50,30\r\n"
                      "plain,2,100,0.75,22,20\r\n")
        << 0;
    QTest::newRow("the command line's rows failing the check")
        << QByteArray("option_price,strike_price,current_price,shares\n"
                      "abc,30,28.50,500\n"
                      "1.25,30,28.50,500\n")
        << 2;
    QTest::newRow("the command line's malformed CSV")
        << QByteArray("shares,option_price\n500,1.25\n500,\"1.25\"x\n500,1.25\n") << 64;
    QTest::newRow("many rows, multi-line notes, rejected rows") << header + "\n" + rows << 2;
    QTest::newRow("CR LF with a byte order mark")
        << "\xEF\xBB\xBF" + header + "\r\n" + generatedRows(20'000, "\r\n") << 2;
    QTest::newRow("a record with a field too many late in the file")
        << header + "\n" + rows + "1,1.25,30,28.50,500,3,x,y\n" + rows << 64;
    QTest::newRow("text after a closing quote late in the file")
        << header + "\n" + rows + "1,1.25,30,28.50,500,3,\"x\"y\n" + rows << 64;
    QTest::newRow("a quoted field never closed at the end")
        << header + "\n" + rows + "1,1.25,30,28.50,500,3,\"open\n"
        << 64;
}

void TestBatchJobs::sameOutputForAnyNumberOfThreads() {
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QVERIFY(folder_.isValid());
    const QString path = folder_.filePath(QStringLiteral("positions.csv"));
    QFile file{path};
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(input), input.size());
    file.close();

    const Run one = runPravik({"calc", "--csv", path, "--jobs", "1"});
    QCOMPARE(one.status, status);
    QVERIFY(!one.out.isEmpty());
    for (int jobs = 2; jobs <= 8; ++jobs) {
        const Run many = runPravik({"calc", "--csv", path, "--jobs", QString::number(jobs)});
        if (many.out != one.out || many.err != one.err || many.status != one.status) {
            qInfo("--jobs %d", jobs);
            QCOMPARE(many.err, one.err);
            QCOMPARE(many.status, one.status);
            QVERIFY2(many.out == one.out, "the output differs from that of one thread");
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
    const Run run = runPravik({"calc", "--csv", "-", "--jobs", jobs});
    QCOMPARE(run.status, 64);
    QCOMPARE(run.out, QByteArray{});
    QVERIFY2(run.err.startsWith("pravik: --jobs takes a number of threads from 1 to 1024, not '" +
                                jobs.toUtf8() + "'\n"),
             run.err.constData());
}

QTEST_GUILESS_MAIN(TestBatchJobs)
#include "test_batch_jobs.moc"
