// The Screen Option Chain window with screeners of the test's own: the table sorts money and
// percent columns by value, Enter or a double-click opens a call in the Position Analysis window,
// refused inputs are marked, Export writes the rows shown, and Cancel stops a long screen while
// the window goes on answering.

#include "forms/analysis/analysis_form.h"
#include "forms/analysis/date_field.h"
#include "forms/main/main_form.h"
#include "forms/screen/screen_form.h"
#include "forms/screen/screened_calls_model.h"
#include "tests/support/recording_runtime.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <thread>

using veltrane::ChainScreener;
using veltrane::MainForm;
using veltrane::ScreenedCall;
using veltrane::ScreenForm;
using veltrane::ScreenOptions;
using veltrane::ScreenProgress;
using veltrane::ScreenResult;
using veltrane::testing::RecordingRuntime;

namespace {

ScreenedCall call(const char* symbol, const char* strike, const char* price, std::size_t rank) {
    ScreenedCall made{symbol, "2027-01-15", {}, rank};
    made.inputs.optionPrice = price;
    made.inputs.strikePrice = strike;
    // Whole strings: GCC 12 takes a literal assigned to an optional string for an overlap.
    made.inputs.currentPrice = std::string{"100"};
    made.inputs.shares = std::string{"100"};
    made.inputs.expiry = std::string{"2027-01-15"};
    made.inputs.asOf = std::string{"2026-12-18"};
    made.inputs.volatility = std::string{"30"};
    made.inputs.rate = std::string{"4.5"};
    return made;
}

// Three calls whose option prices and protections sort one way as texts ("$1.50", "$10.00",
// "$9.00") and another as values.
ChainScreener threeCalls(int* screens = nullptr) {
    return {[screens](const std::string&, const ScreenOptions&, const ScreenProgress&) {
                if (screens != nullptr) {
                    ++*screens;
                }
                ScreenResult result;
                result.calls = {call("B", "145", "9.00", 1), call("A", "110", "10.00", 2),
                                call("C", "105", "1.50", 3)};
                result.counts = {6, 3, 0, 0, 3, 3};
                return result;
            },
            {}};
}

// The main window, and the screen window opened from its View menu by keyboard.
struct Opened {
    RecordingRuntime runtime;
    MainForm main;
    ScreenForm* screen = nullptr;

    explicit Opened(ChainScreener screener)
        : main(runtime, {}, std::move(screener)) {
        main.show();
        main.activateWindow();
    }

    bool open() {
        if (!QTest::qWaitFor([&] { return QApplication::activeWindow() == &main; })) {
            return false;
        }
        QTest::keyClick(&main, Qt::Key_V, Qt::AltModifier);
        auto* view = main.findChild<QMenu*>(QStringLiteral("mnuView"));
        if (!QTest::qWaitFor([&] { return view->isVisible(); })) {
            return false;
        }
        QTest::keyClick(view, Qt::Key_S);
        screen = main.screenChain();
        return screen != nullptr &&
               QTest::qWaitFor([&] { return QApplication::activeWindow() == screen; });
    }

    template <typename T = QWidget>
    T* control(const char* name) const {
        return screen->findChild<T*>(QString::fromLatin1(name));
    }
    QTableView* table() const { return control<QTableView>("tblCalls"); }

    // Types a chain's name and presses Enter, which the Screen button takes.
    bool screenChain() {
        if (!open()) {
            return false;
        }
        QTest::keyClicks(control<QLineEdit>("txtChain"), QStringLiteral("chain.csv"));
        QTest::keyClick(control<QLineEdit>("txtChain"), Qt::Key_Return);
        return QTest::qWaitFor([&] { return !screen->running() && table()->model()->rowCount(); });
    }
    QString symbols() const {
        QString order;
        for (int row = 0; row < table()->model()->rowCount(); ++row) {
            order += table()->model()->index(row, 0).data().toString();
        }
        return order;
    }
    void clickHeader(const QString& key) {
        const int column = veltrane::ScreenedCallsModel::columnOf(key);
        QHeaderView* header = table()->horizontalHeader();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                   header->height() / 2));
    }
};

} // namespace

class TestScreenForm : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void sortsByValue_data();
    void sortsByValue();
    void opensTheCallInTheAnalysisWindow_data();
    void opensTheCallInTheAnalysisWindow();
    void refusedInputIsMarked_data();
    void refusedInputIsMarked();
    void exportWritesTheRowsShown();
    void volatilityChoiceReachesTheScreen_data();
    void volatilityChoiceReachesTheScreen();
    void cancelStopsALongScreen();

private:
    QTemporaryDir settingsFolder_;
};

void TestScreenForm::initTestCase() {
    QVERIFY(settingsFolder_.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder_.path());
}

void TestScreenForm::init() {
    QSettings().clear();
}

void TestScreenForm::sortsByValue_data() {
    QTest::addColumn<QString>("column");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QString>("order");
    QTest::newRow("as ranked") << QString() << 0 << "BAC";
    QTest::newRow("money, $1.50 before $9.00 before $10.00") << "option_price" << 1 << "CBA";
    QTest::newRow("money, highest first") << "option_price" << 2 << "ABC";
    QTest::newRow("percent, 1.50% before 9.00% before 10.00%")
        << "downside_protection" << 1 << "CBA";
    QTest::newRow("percent, highest first") << "downside_protection" << 2 << "ABC";
    QTest::newRow("words by their text") << "symbol" << 1 << "ABC";
}

void TestScreenForm::sortsByValue() {
    QFETCH(QString, column);
    QFETCH(int, clicks);
    QFETCH(QString, order);
    Opened window(threeCalls());
    QVERIFY(window.screenChain());
    for (int i = 0; i < clicks; ++i) {
        window.clickHeader(column);
    }
    QCOMPARE(window.symbols(), order);
}

void TestScreenForm::opensTheCallInTheAnalysisWindow_data() {
    QTest::addColumn<bool>("doubleClick");
    QTest::newRow("Enter") << false;
    QTest::newRow("double-click") << true;
}

void TestScreenForm::opensTheCallInTheAnalysisWindow() {
    QFETCH(bool, doubleClick);
    Opened window(threeCalls());
    QVERIFY(window.screenChain());
    QTableView* table = window.table();
    table->setFocus();
    // The second row, A: strike 110, sold at 10.00.
    QTest::keyClick(table, Qt::Key_Down);
    if (doubleClick) {
        const QRect cell = table->visualRect(table->currentIndex());
        // The view opens only the cell its press began on: the first click, then the second.
        QTest::mousePress(table->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    } else {
        QTest::keyClick(table, Qt::Key_Return);
    }
    QTRY_VERIFY(window.main.positionAnalysis() != nullptr);
    veltrane::AnalysisForm* analysis = window.main.positionAnalysis();
    QTRY_VERIFY(analysis->isVisible());
    const auto mainText = [&](const char* name) {
        return window.main.findChild<QLineEdit*>(QString::fromLatin1(name))->text();
    };
    QCOMPARE(mainText("intOptionPrice"), QStringLiteral("10"));
    QCOMPARE(mainText("intStrikePrice"), QStringLiteral("110"));
    QCOMPARE(mainText("intCurrentPrice"), QStringLiteral("100"));
    QCOMPARE(mainText("intNoShares"), QStringLiteral("100"));
    const auto own = [&](const char* name) {
        return analysis->findChild<QLineEdit*>(QString::fromLatin1(name))->text();
    };
    QVERIFY(analysis->findChild<QCheckBox*>(QStringLiteral("chkExpiry"))->isChecked());
    QCOMPARE(analysis->findChild<veltrane::DateField*>(QStringLiteral("dteExpiry"))->date(),
             QDate(2027, 1, 15));
    QCOMPARE(own("txtVolatility"), QStringLiteral("30"));
    QCOMPARE(own("txtRate"), QStringLiteral("4.5"));
    // Counted from the screen's as-of date, as the table counted them.
    QCOMPARE(own("days_to_expiry"), QStringLiteral("28"));
    QCOMPARE(own("premium"), QStringLiteral("$1,000.00"));
    QCOMPARE(analysis->windowTitle(), QStringLiteral("Position Analysis as of 12/18/26"));
}

void TestScreenForm::refusedInputIsMarked_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("mark");
    QTest::newRow("no chain file") << "txtChain"
                                   << ""
                                   << "Choose the chain file to screen.";
    QTest::newRow("letters for days") << "txtMinDays"
                                      << "ten"
                                      << "\"ten\" is not a number 0 or more.";
    QTest::newRow("contracts not whole") << "txtContracts"
                                         << "1.5"
                                         << "\"1.5\" is not a whole number.";
    QTest::newRow("top of none") << "txtTop"
                                 << "0"
                                 << "\"0\" is not a number from 1 to 100000.";
    QTest::newRow("rate beyond 100") << "txtRate"
                                     << "101"
                                     << "\"101\" is not a number from -20 to 100.";
    QTest::newRow("as of no date") << "txtAsOf"
                                   << "18.12.2026"
                                   << "\"18.12.2026\" is not a date written like 2027-03-19, "
                                      "3/19/2027 or 3/19/27.";
}

void TestScreenForm::refusedInputIsMarked() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, mark);
    int screens = 0;
    Opened window(threeCalls(&screens));
    QVERIFY(window.open());
    if (field != QLatin1String("txtChain")) {
        QTest::keyClicks(window.control<QLineEdit>("txtChain"), QStringLiteral("chain.csv"));
    }
    auto* input = window.control<QLineEdit>(field.toLatin1().constData());
    input->clear();
    QTest::keyClicks(input, typed);
    QTest::mouseClick(window.control<QPushButton>("cmdScreen"), Qt::LeftButton);
    auto* label = window.screen->findChild<QLabel*>(field.mid(3).prepend(QStringLiteral("lbl")) +
                                                    QStringLiteral("Refusal"));
    QVERIFY(label != nullptr);
    QCOMPARE(label->text(), mark);
    QVERIFY(label->isVisible());
    QCOMPARE(input->accessibleDescription(), mark);
    QCOMPARE(screens, 0);
}

void TestScreenForm::exportWritesTheRowsShown() {
    QTemporaryDir folder;
    Opened window(threeCalls());
    QVERIFY(window.screenChain());
    window.clickHeader(QStringLiteral("option_price"));
    window.runtime.answerSaveFileWith(folder.filePath(QStringLiteral("calls")));
    QTest::mouseClick(window.control<QPushButton>("cmdExport"), Qt::LeftButton);
    QFile written(folder.filePath(QStringLiteral("calls.csv")));
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = written.readAll().split('\n');
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[0], QByteArray("Symbol,Expiry,Strike,Option price,Downside protection,Static "
                                  "return per year (simple),Return if called per year "
                                  "(simple),Days to expiry,Chance of assignment,Rank\r"));
    QVERIFY(lines[1].startsWith("C,1/15/27,$105.00,$1.50,1.50%,"));
    QVERIFY(lines[3].startsWith("A,1/15/27,$110.00,$10.00,10.00%,"));
    QVERIFY(lines[3].endsWith(",2\r"));
}

void TestScreenForm::volatilityChoiceReachesTheScreen_data() {
    QTest::addColumn<int>("downs");
    QTest::addColumn<bool>("fromChain");
    QTest::addColumn<bool>("asFraction");
    QTest::newRow("implied by the price") << 0 << false << false;
    QTest::newRow("the chain's iv in percent") << 1 << true << false;
    QTest::newRow("the chain's iv as a fraction") << 2 << true << true;
}

void TestScreenForm::volatilityChoiceReachesTheScreen() {
    QFETCH(int, downs);
    QFETCH(bool, fromChain);
    QFETCH(bool, asFraction);
    std::optional<ScreenOptions> given;
    ChainScreener recording{
        [&](const std::string&, const ScreenOptions& options, const ScreenProgress&) {
            given = options;
            return ScreenResult{};
        },
        {}};
    Opened window(recording);
    QVERIFY(window.open());
    QTest::keyClicks(window.control<QLineEdit>("txtChain"), QStringLiteral("chain.csv"));
    auto* volatility = window.control<QComboBox>("cboVolatility");
    volatility->setFocus();
    for (int i = 0; i < downs; ++i) {
        QTest::keyClick(volatility, Qt::Key_Down);
    }
    QTest::mouseClick(window.control<QPushButton>("cmdScreen"), Qt::LeftButton);
    QTRY_VERIFY(given.has_value());
    QCOMPARE(given->volatilityFromChain, fromChain);
    QCOMPARE(given->ivAsFraction, asFraction);
}

// The screener stands for a large chain: it reads until it is cancelled, and says how far it got.
void TestScreenForm::cancelStopsALongScreen() {
    std::atomic<bool> started{false};
    ChainScreener endless{
        [&](const std::string&, const ScreenOptions&, const ScreenProgress& progress) {
            started = true;
            ScreenResult result;
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            std::uint64_t read = 0;
            while (!progress.cancel->load() && std::chrono::steady_clock::now() < until) {
                progress.read(read += 10);
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            result.cancelled = progress.cancel->load();
            return result;
        },
        {}};
    QTemporaryDir folder;
    QFile chain(folder.filePath(QStringLiteral("large.csv")));
    QVERIFY(chain.open(QIODevice::WriteOnly));
    chain.write(QByteArray(1'000'000, 'x'));
    chain.close();
    Opened window(endless);
    QVERIFY(window.open());
    QTest::keyClicks(window.control<QLineEdit>("txtChain"), chain.fileName());
    QTest::mouseClick(window.control<QPushButton>("cmdScreen"), Qt::LeftButton);
    QTRY_VERIFY(started.load());
    auto* progress = window.control<QProgressBar>("prgScreen");
    QTRY_VERIFY(progress->value() > 0);
    QVERIFY(progress->isVisible());
    QVERIFY(!window.control<QPushButton>("cmdScreen")->isEnabled());
    // Still answering: typing goes in while the chain is read.
    auto* days = window.control<QLineEdit>("txtMinDays");
    QTest::keyClicks(days, QStringLiteral("30"));
    QCOMPARE(days->text(), QStringLiteral("30"));
    QVERIFY(window.screen->running());
    QTest::mouseClick(window.control<QPushButton>("cmdCancel"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window.screen->running(), 2000);
    QCOMPARE(window.control<QLabel>("lblStatus")->text(),
             QStringLiteral("Screen cancelled: the table is as it was."));
    QVERIFY(window.control<QPushButton>("cmdScreen")->isEnabled());
    QCOMPARE(window.table()->model()->rowCount(), 0);
}

QTEST_MAIN(TestScreenForm)
#include "test_screen_form.moc"
