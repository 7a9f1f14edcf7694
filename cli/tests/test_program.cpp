// What only the real executable shows: exit statuses as the shell sees them, a full disk under
// standard output, the window's start without a display, and a chart drawn without one.
#include "cli/tests/pravik_process.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

using pravik_process::environmentWithLocale;
using pravik_process::everyLineNamesTheProgram;
using pravik_process::Run;
using pravik_process::runPravikProcess;

const QStringList calcPosition{"calc", "--option-price",  "1.25",  "--strike-price",
                               "30",   "--current-price", "28.50", "--shares",
                               "500",  "--months",        "3"};
const QStringList analyzePosition{"analyze",   "--option-price",  "1.25",       "--strike-price",
                                  "30",        "--current-price", "28.50",      "--shares",
                                  "500",       "--expiry",        "2027-03-19", "--as-of",
                                  "2026-12-18"};

} // namespace

class TestProgram : public QObject {
    Q_OBJECT

private slots:
    void statusReachesTheShell_data();
    void statusReachesTheShell();
    void resultsThatCannotBeWritten_data();
    void resultsThatCannotBeWritten();
    void noDisplay_data();
    void noDisplay();
    void toolkitOptionsReachTheWindow_data();
    void toolkitOptionsReachTheWindow();
    void payoffChart();
    void outputSurvivesAnInterruptedRun_data();
    void outputSurvivesAnInterruptedRun();
};

void TestProgram::statusReachesTheShell_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");

    QTest::newRow("calc: complete") << calcPosition << QByteArray{} << 0;
    QTest::newRow("calc: a batch with a refused row")
        << QStringList{"calc", "--csv"}
        << QByteArray{"option_price,strike_price,current_price,shares,months\n"
                      "1.25,30,28.50,500,3\nabc,30,28.50,500,3\n"}
        << 2;
    QTest::newRow("analyze: incomplete")
        << QStringList{"analyze", "--csv"}
        << QByteArray{"option_price,strike_price,current_price,"
                      "shares,days\n1,900000000000000,28.50,1000,30\n"}
        << 3;
    QTest::newRow("unknown command") << QStringList{"frobnicate"} << QByteArray{} << 64;
}

// The status the commands return is the process's exit status, whatever path ends the run.
void TestProgram::statusReachesTheShell() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(int, status);

    const Run run = runPravikProcess(arguments, input);
    QCOMPARE(run.status, status);
}

void TestProgram::resultsThatCannotBeWritten_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("message");

    const QByteArray calcRows{"shares,option_price,strike_price,current_price\n"
                              "500,1.25,30,28.50\n"};
    const QByteArray analyzeRows{"option_price,strike_price,current_price,shares,days\n"
                                 "1.25,30,28.50,500,91\n"};
    const QString full = "cannot write the results to standard output: No space left on device";
    const QString closed = "cannot write the results to standard output: it is closed";
    for (const QString output : {"full", "closed"}) {
        const QString message = output == QStringLiteral("full") ? full : closed;
        const auto row = [&](const char* name) -> QTestData& {
            return QTest::addRow("%s, %s", name, qPrintable(output));
        };
        row("calc, one position") << calcPosition << QByteArray{} << output << message;
        row("calc, a batch") << QStringList{"calc", "--csv"} << calcRows << output << message;
        row("calc, a batch on one thread")
            << QStringList{"calc", "--csv", "--jobs", "1"} << calcRows << output << message;
        row("analyze, one position") << analyzePosition << QByteArray{} << output << message;
        row("analyze, a batch") << QStringList{"analyze", "--csv"} << analyzeRows << output
                                << message;
        row("analyze, a batch on one thread")
            << QStringList{"analyze", "--csv", "--jobs", "1"} << analyzeRows << output << message;
        row("--version") << QStringList{"--version"} << QByteArray{} << output << message;
    }
    QTest::newRow("calc, a batch to --output /dev/full")
        << QStringList{"calc", "--csv", "--output", "/dev/full"} << calcRows << "open"
        << "cannot write the results to '/dev/full': No space left on device";
}

// A full disk or a closed output must not pass for success: a script would take the missing
// figures for none. The message says which output failed and why, on one line.
void TestProgram::resultsThatCannotBeWritten() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QString, output);
    QFETCH(QString, message);

    if (!QFile::exists(QStringLiteral("/dev/full"))) {
        QSKIP("no /dev/full on this system to stand for a full disk");
    }
    QProcess process;
    process.setProcessEnvironment(environmentWithLocale({"LANG=en_US.UTF-8"}));
    if (output == QStringLiteral("full")) {
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
    } else if (output == QStringLiteral("closed")) {
        // As `pravik ... >&-` starts it.
        process.setChildProcessModifier([] { ::close(STDOUT_FILENO); });
    }
    process.start(QStringLiteral(PRAVIK_PATH), arguments);
    QVERIFY(process.waitForStarted());
    process.write(input);
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(60'000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 74);
    QCOMPARE(QString::fromUtf8(process.readAllStandardError()), "pravik: " + message + "\n");
}

void TestProgram::noDisplay_data() {
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QString>("why");

    QTest::newRow("no DISPLAY at all") << QStringList{} << "DISPLAY is not set";
    QTest::newRow("a DISPLAY nobody serves")
        << QStringList{"DISPLAY=:97"} << "the display ':97' cannot be reached";
}

// One line, status 1 and a normal exit: no abort, so no core file.
void TestProgram::noDisplay() {
    QFETCH(QStringList, environment);
    QFETCH(QString, why);

    const Run run = runPravikProcess({}, {}, environment);
    QCOMPARE(run.status, 1);
    QCOMPARE(run.out, QString{});
    QCOMPARE(run.err.count(u'\n'), 1);
    QVERIFY2(run.err.startsWith(QStringLiteral("pravik: no display")), qPrintable(run.err));
    QVERIFY2(run.err.contains(why), qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral("pravik calc")), qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral("Xvfb")), qPrintable(run.err));

    // Anything unknown is refused before a display is looked for.
    const Run unknown = runPravikProcess({"-frobnicate"}, {}, environment);
    QCOMPARE(unknown.status, 64);
    QVERIFY2(unknown.err.contains(QStringLiteral("Unknown option 'frobnicate'")),
             qPrintable(unknown.err));
}

void TestProgram::toolkitOptionsReachTheWindow_data() {
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("-platform offscreen") << QStringList{"-platform", "offscreen"};
    QTest::newRow("--platform offscreen -style=fusion -reverse")
        << QStringList{"--platform", "offscreen", "-style=fusion", "-reverse"};
}

// The window opens on the platform named and runs until it is closed: still running after two
// seconds, with nothing to say.
void TestProgram::toolkitOptionsReachTheWindow() {
    QFETCH(QStringList, arguments);

    QProcess process;
    // Without a runtime folder Qt says so; the window has nothing to say about it.
    process.setProcessEnvironment(environmentWithLocale({"LANG=en_US.UTF-8", "XDG_RUNTIME_DIR="}));
    process.start(QStringLiteral(PRAVIK_PATH), arguments);
    QVERIFY(process.waitForStarted());
    QVERIFY2(!process.waitForFinished(2'000),
             qPrintable(QString::fromUtf8(process.readAllStandardError())));
    QCOMPARE(process.state(), QProcess::Running);
    process.terminate();
    QVERIFY(process.waitForFinished(10'000));
    QVERIFY(!process.readAllStandardError().contains("pravik:"));
}

// --chart draws the position's payoff as a PNG without a display, beside the figures: the
// program starts the drawing application itself.
void TestProgram::payoffChart() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("payoff.png"));

    // Without a runtime folder, as under su or cron: Qt's notice of it says nothing to the user.
    const Run run = runPravikProcess(analyzePosition + QStringList{"--json", "--chart", path}, {},
                                     {"LANG=en_US.UTF-8", "XDG_RUNTIME_DIR="});
    QCOMPARE(run.status, 0);
    QCOMPARE(QJsonDocument::fromJson(run.out.toUtf8()).object().value("breakeven").toString(),
             QStringLiteral("$27.25"));
    QCOMPARE(run.err, QString{});
    const QImage chart{path};
    QCOMPARE(chart.size(), QSize(960, 600));
    // Not a blank picture: the profit side is drawn in blue, the loss side in vermilion.
    int blue = 0;
    int vermilion = 0;
    for (int y = 0; y < chart.height(); y += 2) {
        for (int x = 0; x < chart.width(); x += 2) {
            const QColor c = chart.pixelColor(x, y);
            blue += c.blue() > c.red() + 15 ? 1 : 0;
            vermilion += c.red() > c.blue() + 15 ? 1 : 0;
        }
    }
    QVERIFY2(blue > 1000 && vermilion > 1000,
             qPrintable(QStringLiteral("%1 %2").arg(blue).arg(vermilion)));

    const Run nowhere =
        runPravikProcess(analyzePosition + QStringList{"--chart", "/nonexistent/x.png"});
    QCOMPARE(nowhere.status, 74);
    QVERIFY(nowhere.err.endsWith(QStringLiteral(
        "pravik: cannot write the chart to \"/nonexistent/x.png\": No such file or directory\n")));

    // A full disk: our message with the reason, and no line of libpng's own.
    if (QFile::exists(QStringLiteral("/dev/full"))) {
        const Run full = runPravikProcess(analyzePosition + QStringList{"--chart", "/dev/full"});
        QCOMPARE(full.status, 74);
        QCOMPARE(full.err, QStringLiteral("pravik: cannot write the chart to \"/dev/full\": No "
                                          "space left on device\n"));
    }

    // A device named for the chart is written into, never replaced by a file.
    const QString device = folder.filePath(QStringLiteral("null"));
    if (mknod(device.toLocal8Bit().constData(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        QCOMPARE(runPravikProcess(analyzePosition + QStringList{"--chart", device}).status, 0);
        QVERIFY(QFileInfo(device).exists() && !QFileInfo(device).isFile());
    }

    const Run batch = runPravikProcess({"analyze", "--csv", "--chart", path});
    QCOMPARE(batch.status, 64);
    QVERIFY(batch.err.contains(QStringLiteral("--chart draws one position")));
}

void TestProgram::outputSurvivesAnInterruptedRun_data() {
    QTest::addColumn<int>("signal");

    QTest::newRow("SIGKILL") << SIGKILL;
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT (Ctrl-C)") << SIGINT;
    QTest::newRow("SIGHUP") << SIGHUP;
    QTest::newRow("a full filesystem") << 0;
}

// Killed with its output half written, or stopped by a full filesystem: the old results stay as
// they were and nothing is left beside them.
void TestProgram::outputSurvivesAnInterruptedRun() {
    QFETCH(int, signal);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("out"));
    QVERIFY(QDir{}.mkpath(folder));
    bool mounted = false;
    if (signal == 0) {
        QProcess mount;
        mount.start(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=256k", "tmpfs", folder});
        mounted = mount.waitForFinished() && mount.exitStatus() == QProcess::NormalExit &&
                  mount.exitCode() == 0;
        if (!mounted) {
            QSKIP("a small filesystem cannot be mounted here (it needs root)");
        }
    }
    const auto unmount = qScopeGuard([&] {
        if (mounted) {
            QProcess::execute(QStringLiteral("umount"), {folder});
        }
    });
    const QString target = folder + QStringLiteral("/results.csv");
    const QByteArray old{"the results of yesterday\n"};
    {
        QFile file{target};
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write(old) == old.size());
    }

    QProcess process;
    process.setProcessEnvironment(environmentWithLocale({"LANG=en_US.UTF-8"}));
    process.start(QStringLiteral(PRAVIK_PATH),
                  {"calc", "--csv", "-", "--output", target, "--jobs", "1"});
    QVERIFY(process.waitForStarted());
    QByteArray rows{"note,option_price,strike_price,current_price,shares,months\n"};
    for (int i = 0; i < 20'000; ++i) {
        rows.append("a position of many words,1.25,30,28.50,500,3\n");
    }
    process.write(rows);
    if (signal == 0) {
        process.closeWriteChannel();
    } else {
        // Wait until the results written so far reach the file being made, then stop the run.
        const QString descriptors =
            QStringLiteral("/proc/%1/fd").arg(QString::number(process.processId()));
        const auto halfWritten = [&] {
            for (const QFileInfo& fd : QDir{descriptors}.entryInfoList(QDir::Files)) {
                struct stat made {};
                if (fd.symLinkTarget().startsWith(folder) && !fd.symLinkTarget().endsWith(target) &&
                    ::stat(QFile::encodeName(fd.filePath()).constData(), &made) == 0 &&
                    made.st_size > 0) {
                    return true;
                }
            }
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(halfWritten(), 20'000);
        ::kill(static_cast<pid_t>(process.processId()), signal);
    }
    QVERIFY(process.waitForFinished(60'000));
    if (signal == 0) {
        QCOMPARE(process.exitCode(), 74);
    } else {
        QVERIFY(process.exitStatus() == QProcess::CrashExit || process.exitCode() != 0);
    }

    QCOMPARE(QDir{folder}.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"results.csv"});
    QFile file{target};
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), old);
}

QTEST_GUILESS_MAIN(TestProgram)
#include "test_program.moc"
