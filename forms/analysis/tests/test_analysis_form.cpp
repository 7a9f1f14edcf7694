// The Position Analysis window, reached from the main window's View menu: live figures from the
// main window's fields, its own inputs, refusals marked where they belong, Copy, Save Chart
// through the runtime, and closing with the main window.

#include "calc/analysis.h"
#include "forms/analysis/analysis_form.h"
#include "forms/analysis/date_field.h"
#include "forms/analysis/payoff_chart_widget.h"
#include "forms/main/main_form.h"
#include "runtime/qt_runtime.h"
#include "tests/support/recording_runtime.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using veltrane::AnalysisForm;
using veltrane::DateField;
using veltrane::MainForm;
using veltrane::PayoffChartWidget;
using veltrane::testing::RecordingRuntime;

namespace {

const QDate today(2026, 12, 7);

// The main window, shown and active, with the analysis window opened from its menu by keyboard.
struct Opened {
    veltrane::testing::RecordingRuntime runtime;
    MainForm main;
    AnalysisForm* analysis = nullptr;

    explicit Opened(veltrane::RegionalSettings settings = {})
        : main(runtime, std::move(settings)) {
        main.show();
        main.activateWindow();
    }

    bool open() {
        if (!activate(&main)) {
            return false;
        }
        QTest::keyClick(&main, Qt::Key_V, Qt::AltModifier);
        auto* view = main.findChild<QMenu*>(QStringLiteral("mnuView"));
        if (!QTest::qWaitFor([&] { return view->isVisible(); })) {
            return false;
        }
        QTest::keyClick(view, Qt::Key_P);
        if (!QTest::qWaitFor([&] { return main.positionAnalysis() != nullptr; })) {
            return false;
        }
        analysis = main.positionAnalysis();
        return QTest::qWaitFor([&] { return QApplication::activeWindow() == analysis; });
    }

    // Not qWaitForWindowActive: a window counts as active there while the window it belongs to
    // is, and the other way round.
    static bool activate(QWidget* window) {
        window->activateWindow();
        return QTest::qWaitFor([&] { return QApplication::activeWindow() == window; });
    }
    // Back to the analysis window after typing in the main window.
    bool activateAnalysis() { return activate(analysis); }

    template <typename T = QWidget>
    T* mainControl(const char* name) const {
        return main.findChild<T*>(QString::fromLatin1(name));
    }
    template <typename T = QWidget>
    T* control(const char* name) const {
        return analysis->findChild<T*>(QString::fromLatin1(name));
    }
    QString figure(const char* key) const { return control<QLineEdit>(key)->text(); }

    // Types into the main window's four amounts and picks the months, as a user would.
    void enter(const QString& option, const QString& strike, const QString& current,
               const QString& shares, int monthsIndex) {
        const std::pair<const char*, QString> typed[] = {{"intOptionPrice", option},
                                                         {"intStrikePrice", strike},
                                                         {"intCurrentPrice", current},
                                                         {"intNoShares", shares}};
        for (const auto& [name, text] : typed) {
            auto* box = mainControl<QLineEdit>(name);
            box->clear();
            QTest::keyClicks(box, text);
        }
        mainControl<QComboBox>("cboMonthsOut")->setCurrentIndex(monthsIndex);
    }
    void enterWorkedExample() { enter("1.25", "30", "28.50", "500", 2); }
};

} // namespace

class TestAnalysisForm : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void opensAndRaisesFromTheMenuByKeyboard();
    void closesWithTheMainWindow();
    void closingTheMainWindowEndsTheProgram_data();
    void closingTheMainWindowEndsTheProgram();
    void figuresHaveCaptionsAndDefinitions();
    void followsTheMainWindowLive();
    void ownInputs_data();
    void ownInputs();
    void oddsInputs_data();
    void oddsInputs();
    void remembersBetweenRuns();
    void datesTypedAsShown_data();
    void datesTypedAsShown();
    void refusedInputIsMarked_data();
    void refusedInputIsMarked();
    void copyPutsTwoColumnsOnTheClipboard();
    void saveChartAsksTheRuntime();
    void saveChartSaysSoWhenItCannotWrite();
    void saveChartCancelledWritesNothing();

private:
    QTemporaryDir settingsFolder_;
};

// The window keeps inputs in the user's settings: here in a folder of the test's, never the
// user's own, and empty at the start of every test.
void TestAnalysisForm::initTestCase() {
    QVERIFY(settingsFolder_.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder_.path());
}

void TestAnalysisForm::init() {
    QSettings().clear();
}

void TestAnalysisForm::opensAndRaisesFromTheMenuByKeyboard() {
    Opened window;
    QVERIFY(window.open());
    QCOMPARE(window.analysis->windowTitle(), QStringLiteral("Position Analysis"));
    QVERIFY(window.analysis->isWindow());
    QCOMPARE(window.analysis->parentWidget(), &window.main);
    QVERIFY(!window.analysis->isModal());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    // The main window still takes input: it is not modal.
    QVERIFY(Opened::activate(&window.main));
    QTest::keyClicks(window.mainControl("intOptionPrice"), QStringLiteral("1"));
    QCOMPARE(window.mainControl<QLineEdit>("intOptionPrice")->text(), QStringLiteral("1"));
    // Opened again: the same window, raised and active; never a second one.
    AnalysisForm* first = window.analysis;
    QVERIFY(window.open());
    QCOMPARE(window.analysis, first);
    QCOMPARE(window.main.findChildren<AnalysisForm*>().size(), 1);
    // Closed and opened again: the same window once more.
    window.analysis->close();
    QVERIFY(!first->isVisible());
    QVERIFY(window.open());
    QCOMPARE(window.analysis, first);
}

void TestAnalysisForm::closesWithTheMainWindow() {
    Opened window;
    QVERIFY(window.open());
    window.main.close();
    QVERIFY(!window.main.isVisible());
    QVERIFY(!window.analysis->isVisible());
}

// The state the analysis window is in when the window manager closes the main window.
enum class AnalysisState { neverOpened, open, hiddenByEsc, reopened, minimised };

void TestAnalysisForm::closingTheMainWindowEndsTheProgram_data() {
    QTest::addColumn<AnalysisState>("state");
    QTest::newRow("never opened") << AnalysisState::neverOpened;
    QTest::newRow("open") << AnalysisState::open;
    QTest::newRow("hidden by Esc") << AnalysisState::hiddenByEsc;
    QTest::newRow("opened again after Esc") << AnalysisState::reopened;
    QTest::newRow("minimised") << AnalysisState::minimised;
}

// As the window manager's close button does: a close event to the main window's native window,
// inside the program's event loop, which must then end with status 0 through the runtime. The
// toolkit's own count of open windows is off, so only the program's own end can stop the loop. A
// hundred times each, since the lost close showed in only some runs.
void TestAnalysisForm::closingTheMainWindowEndsTheProgram() {
    QFETCH(AnalysisState, state);
    QApplication::setQuitOnLastWindowClosed(false);
    for (int run = 0; run < 100; ++run) {
        veltrane::QtRuntime runtime;
        const auto main = std::make_unique<MainForm>(runtime, veltrane::RegionalSettings{});
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        if (state != AnalysisState::neverOpened) {
            main->showPositionAnalysis();
            QVERIFY(QTest::qWaitForWindowExposed(main->positionAnalysis()));
        }
        if (state == AnalysisState::hiddenByEsc || state == AnalysisState::reopened) {
            QTest::keyClick(main->positionAnalysis(), Qt::Key_Escape);
            QVERIFY(!main->positionAnalysis()->isVisible());
        }
        if (state == AnalysisState::reopened) {
            main->showPositionAnalysis();
            QVERIFY(QTest::qWaitForWindowExposed(main->positionAnalysis()));
        }
        if (state == AnalysisState::minimised) {
            main->positionAnalysis()->showMinimized();
        }
        QTimer::singleShot(0, main.get(), [&main] {
            QCloseEvent close;
            QCoreApplication::sendEvent(main->windowHandle(), &close);
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        watchdog.start(5000);
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!main->isVisible());
        QVERIFY(main->positionAnalysis() == nullptr || !main->positionAnalysis()->isVisible());
    }
    QApplication::setQuitOnLastWindowClosed(true);
}

void TestAnalysisForm::figuresHaveCaptionsAndDefinitions() {
    Opened window;
    QVERIFY(window.open());
    for (const veltrane::AnalysisFigureInfo& info : veltrane::analysisFigures) {
        const QString key = QString::fromUtf8(info.key.data(), qsizetype(info.key.size()));
        auto* field = window.analysis->findChild<QLineEdit*>(key);
        auto* caption = window.analysis->findChild<QLabel*>(key + QStringLiteral("_caption"));
        QVERIFY2(field != nullptr && caption != nullptr, qPrintable(key));
        const QString definition =
            QString::fromUtf8(info.definition.data(), qsizetype(info.definition.size()));
        QCOMPARE(caption->text(),
                 QString::fromUtf8(info.caption.data(), qsizetype(info.caption.size())));
        QCOMPARE(caption->buddy(), field);
        QCOMPARE(field->toolTip(), definition);
        QCOMPARE(caption->toolTip(), definition);
        QVERIFY(field->isReadOnly());
        // In its group's box; the shares held only once a cost basis is typed.
        const char* boxes[] = {"grpTrade", "grpOdds", "grpEarlyAssignment", "grpBasis"};
        QCOMPARE(field->parentWidget()->objectName(),
                 QLatin1String(boxes[static_cast<int>(info.group)]));
        QCOMPARE(field->isVisible(), info.group <= veltrane::FigureGroup::odds);
        // Nothing typed yet: every figure empty, and the main window's fields named.
        QCOMPARE(field->text(), QString());
    }
    const auto* refusals = window.control<QLabel>("lblMainRefusals");
    QVERIFY(refusals->isVisible());
    QVERIFY(refusals->text().contains(QStringLiteral("Main window, Option Price: empty.")));
    QVERIFY(!window.control<PayoffChartWidget>("chartPayoff")->hasChart());
    // It follows the default font and resizes: a laid-out window.
    QVERIFY(window.analysis->layout() != nullptr);
    QCOMPARE(window.analysis->font(), QApplication::font());
    QVERIFY(QRect(0, 0, 1024, 768).contains(QRect(QPoint(), window.analysis->sizeHint())));
    QCOMPARE(window.control<QGroupBox>("grpOdds")->title(), QStringLiteral("The odds (model)"));
    QCOMPARE(window.control<QGroupBox>("grpBasis")->title(), QStringLiteral("Shares already held"));
    // Tab goes down the inputs' first column, then the second; a date unticked is skipped.
    window.control("chkExpiry")->setFocus();
    for (const char* next : {"txtFees", "txtDividend", "chkExDividend", "txtVolatility", "txtRate",
                             "txtCostBasis", "cboReturnBase", "chartPayoff"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(next));
    }
}

void TestAnalysisForm::followsTheMainWindowLive() {
    Opened window;
    QVERIFY(window.open());
    window.enterWorkedExample();
    QCOMPARE(window.figure("premium"), QStringLiteral("$625.00"));
    QCOMPARE(window.figure("cost"), QStringLiteral("$14,250.00"));
    QCOMPARE(window.figure("max_profit"), QStringLiteral("$1,375.00"));
    QCOMPARE(window.figure("breakeven"), QStringLiteral("$27.25"));
    QCOMPARE(window.figure("days_to_expiry"), QString());
    QCOMPARE(window.figure("prob_profit"), QStringLiteral("57.62%"));
    QVERIFY(!window.control("lblMainRefusals")->isVisible());
    QVERIFY(window.control<PayoffChartWidget>("chartPayoff")->hasChart());
    const QString said = window.control("chartPayoff")->accessibleDescription();
    QVERIFY2(said.contains(QStringLiteral("range of the price at expiry, $")) &&
                 said.contains(QStringLiteral("chance of profit 57.62%")),
             qPrintable(said));
    // One more digit in the main window, and no Calculate: the figures follow at once.
    QTest::keyClick(window.mainControl("intNoShares"), Qt::Key_0);
    QCOMPARE(window.figure("premium"), QStringLiteral("$6,250.00"));
    QCOMPARE(window.figure("max_profit"), QStringLiteral("$13,750.00"));
    // The months list too: the yearly returns change with it.
    const QString threeMonths = window.figure("if_called_return_annualised");
    window.mainControl<QComboBox>("cboMonthsOut")->setCurrentIndex(11);
    QVERIFY(window.figure("if_called_return_annualised") != threeMonths);
    // The main window's own results are untouched: the analysis never calculates for it.
    QCOMPARE(window.mainControl<QLineEdit>("intOptionsRecd")->text(), QString());
}

void TestAnalysisForm::ownInputs_data() {
    QTest::addColumn<QString>("fees");
    QTest::addColumn<QString>("dividend");
    QTest::addColumn<int>("expiryInDays");
    QTest::addColumn<QString>("figure");
    QTest::addColumn<QString>("text");
    QTest::newRow("fees come off the most profit") << "10"
                                                   << "" << 0 << "max_profit"
                                                   << "$1,365.00";
    QTest::newRow("fees as typed") << "12.50"
                                   << "" << 0 << "total_fees"
                                   << "$12.50";
    QTest::newRow("a dividend per share, times the shares") << ""
                                                            << "0.50" << 0 << "dividends"
                                                            << "$250.00";
    QTest::newRow("the dividend adds to the most profit") << ""
                                                          << "0.50" << 0 << "max_profit"
                                                          << "$1,625.00";
    QTest::newRow("an expiry date gives the days") << ""
                                                   << "" << 91 << "days_to_expiry"
                                                   << "91";
    QTest::newRow("no expiry date: no days, the months count") << ""
                                                               << "" << 0 << "days_to_expiry"
                                                               << "";
}

void TestAnalysisForm::ownInputs() {
    QFETCH(QString, fees);
    QFETCH(QString, dividend);
    QFETCH(int, expiryInDays);
    QFETCH(QString, figure);
    QFETCH(QString, text);
    Opened window;
    QVERIFY(window.open());
    window.enterWorkedExample();
    QTest::keyClicks(window.control("txtFees"), fees);
    QTest::keyClicks(window.control("txtDividend"), dividend);
    auto* check = window.control<QCheckBox>("chkExpiry");
    auto* date = window.control<DateField>("dteExpiry");
    QVERIFY(!check->isChecked());
    QVERIFY(!date->isEnabled());
    if (expiryInDays > 0) {
        // Alt+E ticks the box; the date is then the analysis's time to expiry.
        QVERIFY(window.activateAnalysis());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::AltModifier);
        QTRY_VERIFY(check->isChecked());
        QVERIFY(date->isEnabled());
        date->setDate(QDate::currentDate().addDays(expiryInDays));
    }
    QCOMPARE(window.figure(qPrintable(figure)), text);
}

void TestAnalysisForm::oddsInputs_data() {
    QTest::addColumn<QString>("dividend");
    QTest::addColumn<QList<int>>("letters"); // Alt+letter each, then typed where the focus is
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shownIn"); // a figure, or a refusal's mark
    QTest::addColumn<QString>("text");
    const auto row = [](const char* name, const char* dividend, QList<int> letters,
                        const char* typed, const char* shownIn, const QString& text) {
        QTest::newRow(name) << dividend << letters << typed << shownIn << text;
    };
    const QString exDate = QDate::currentDate().addDays(14).toString(Qt::ISODate);
    row("blank volatility: the implied one", "", {}, "", "volatility_used", "32.73%");
    row("a volatility typed is the one used", "", {Qt::Key_V}, "40", "volatility_used", "40.00%");
    row("it moves the chance of profit", "", {Qt::Key_V}, "40", "prob_profit", "54.94%");
    row("a rate moves the chance of assignment", "", {Qt::Key_R}, "4.5", "prob_assigned", "36.75%");
    row("net debit: the static return over less", "", {Qt::Key_B}, "", "static_return", "4.59%");
    row("a cost basis: the shares held", "", {Qt::Key_P}, "31", "basis_cost", "$15,500.00");
    row("an ex-dividend date: early assignment weighed", "0.50", {Qt::Key_E, Qt::Key_X}, "",
        "early_assignment", "unlikely");
    row("a dividend without its date: no early assignment", "0.50", {}, "", "early_assignment", "");
    row("a dividend without its date: no odds, and why", "0.50", {}, "", "odds_note",
        "the dividend needs its ex-dividend date");
    row("a rate of 150 % refused", "", {Qt::Key_R}, "150", "lblRateRefusal",
        "Interest rate \"150\" must be from -20 to 100 (percent a year).");
    row("a volatility of 0 refused", "", {Qt::Key_V}, "0", "lblVolatilityRefusal",
        "Volatility \"0\" must be more than 0 and at most 1000 (percent a year).");
    row("an ex-dividend date with months refused", "", {Qt::Key_X}, "", "lblExDividendRefusal",
        "Ex-dividend date \"" + exDate +
            "\" needs an expiry date or days to expiry, not months to expiry.");
}

// Typed by keys where an input's Alt+letter puts the focus; Down picks the next return base.
void TestAnalysisForm::oddsInputs() {
    QFETCH(QString, dividend);
    QFETCH(QList<int>, letters);
    QFETCH(QString, typed);
    QFETCH(QString, shownIn);
    QFETCH(QString, text);
    Opened window;
    QVERIFY(window.open());
    window.enterWorkedExample();
    QVERIFY(window.activateAnalysis());
    QTest::keyClicks(window.control("txtDividend"), dividend);
    for (const int letter : letters) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(letter), Qt::AltModifier);
    }
    if (qobject_cast<QComboBox*>(QApplication::focusWidget()) != nullptr) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    }
    QTest::keyClicks(QApplication::focusWidget(), typed);
    const QWidget* shown = window.control(qPrintable(shownIn));
    QVERIFY2(shown != nullptr, qPrintable(shownIn));
    QTRY_COMPARE(shown->property("text").toString(), text);
    // A figure shows with its group's box, hidden while its input is not given; a mark when due.
    QCOMPARE(shown->isVisible(), !text.isEmpty());
}

// The rate and volatility last taken, never a refused text, and the return base, in a new window;
// the texts only where the settings write numbers as they were typed.
void TestAnalysisForm::remembersBetweenRuns() {
    {
        Opened window;
        QVERIFY(window.open());
        QTest::keyClicks(window.control("txtRate"), QStringLiteral("4.5"));
        QTest::keyClicks(window.control("txtVolatility"), QStringLiteral("25x"));
        window.control<QComboBox>("cboReturnBase")->setCurrentIndex(1);
    }
    veltrane::RegionalSettings german;
    german.decimalSeparator = std::string{","};
    german.groupSeparator = std::string{"."};
    for (const veltrane::RegionalSettings& settings : {veltrane::RegionalSettings{}, german}) {
        const bool same = settings.decimalSeparator == ".";
        Opened again(settings);
        QVERIFY(again.open());
        QCOMPARE(again.control<QLineEdit>("txtRate")->text(), same ? "4.5" : "");
        QCOMPARE(again.control<QLineEdit>("txtVolatility")->text(), same ? "25" : "");
        QCOMPARE(again.control<QComboBox>("cboReturnBase")->currentText(), "Net debit");
    }
}

void TestAnalysisForm::datesTypedAsShown_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("shown");
    const QString us = QStringLiteral("M/d/yy");
    const QString german = QStringLiteral("dd.MM.yy");
    const QDate march18(2027, 3, 18);
    QTest::newRow("en_US as shown") << us << "3/18/27" << march18 << "3/18/27";
    QTest::newRow("en_US, two digits each and the long year")
        << us << "03/18/2027" << march18 << "3/18/27";
    QTest::newRow("en_US, digits alone") << us << "031827" << march18 << "3/18/27";
    QTest::newRow("de_DE as shown") << german << "18.03.27" << march18 << "18.03.27";
    QTest::newRow("de_DE, digits alone") << german << "180327" << march18 << "18.03.27";
    // Refused: the date it had (a month after today) stays, and the window says so.
    QTest::newRow("en_US refuses a 38th day") << us << "3/38/27" << QDate() << "1/7/27";
    QTest::newRow("de_DE refuses a US date") << german << "3/18/27" << QDate() << "07.01.27";
    QTest::newRow("markup typed is shown as typed")
        << us << "<b>3/18/27</b>" << QDate() << "1/7/27";
}

// Typed by keys into the date field and left with Enter, as a user would.
void TestAnalysisForm::datesTypedAsShown() {
    QFETCH(QString, pattern);
    QFETCH(QString, typed);
    QFETCH(QDate, date);
    QFETCH(QString, shown);
    veltrane::RegionalSettings settings;
    settings.shortDatePattern = pattern.toStdString();
    Opened window(settings);
    QVERIFY(window.open());
    window.enterWorkedExample();
    QVERIFY(window.activateAnalysis());
    auto* field = window.control<DateField>("dteExpiry");
    field->setDate(today.addMonths(1));
    const QDate before = field->date();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::AltModifier);
    QTRY_VERIFY(field->isEnabled());
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, typed);
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(field->text(), shown);
    const auto* mark = window.control<QLabel>("lblExpiryRefusal");
    if (date.isValid()) {
        QCOMPARE(field->date(), date);
        QVERIFY(!mark->isVisible());
        QCOMPARE(window.figure("days_to_expiry"),
                 QString::number(QDate::currentDate().daysTo(date)));
    } else {
        QCOMPARE(field->date(), before);
        QVERIFY(mark->isVisible());
        QVERIFY2(mark->text().contains(QStringLiteral("\"%1\" is not a date").arg(typed)),
                 qPrintable(mark->text()));
        QVERIFY2(mark->text().contains(QStringLiteral("the date stays %1").arg(shown)),
                 qPrintable(mark->text()));
        QCOMPARE(mark->textFormat(), Qt::PlainText);
    }
}

void TestAnalysisForm::refusedInputIsMarked_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("fees");
    QTest::addColumn<QString>("dividend");
    QTest::addColumn<int>("expiryInDays");
    QTest::addColumn<QString>("mark");
    QTest::addColumn<QString>("reason");
    QTest::newRow("fees not a number") << "1.25"
                                       << "abc"
                                       << "" << 0 << "lblFeesRefusal"
                                       << "Fees \"abc\" is not a number.";
    QTest::newRow("a negative dividend") << "1.25"
                                         << ""
                                         << "-1" << 0 << "lblDividendRefusal"
                                         << "Dividend per share \"-1\" must be 0 or more.";
    QTest::newRow("an expiry date of today") << "1.25"
                                             << ""
                                             << "" << -1 << "lblExpiryRefusal"
                                             << "must be after the as-of date";
    QTest::newRow("the main window's option price")
        << "1,2,3x"
        << ""
        << "" << 0 << "lblMainRefusals"
        << "Main window, Option Price: Option price \"1,2,3x\" is not a number.";
}

void TestAnalysisForm::refusedInputIsMarked() {
    QFETCH(QString, option);
    QFETCH(QString, fees);
    QFETCH(QString, dividend);
    QFETCH(int, expiryInDays);
    QFETCH(QString, mark);
    QFETCH(QString, reason);
    Opened window;
    QVERIFY(window.open());
    window.enter(option, "30", "28.50", "500", 2);
    QTest::keyClicks(window.control("txtFees"), fees);
    QTest::keyClicks(window.control("txtDividend"), dividend);
    if (expiryInDays < 0) {
        window.control<QCheckBox>("chkExpiry")->setChecked(true);
        window.control<DateField>("dteExpiry")->setDate(QDate::currentDate());
    }
    // Marked where it belongs, and only there; no message box.
    for (const char* name :
         {"lblFeesRefusal", "lblDividendRefusal", "lblExpiryRefusal", "lblMainRefusals"}) {
        const auto* label = window.control<QLabel>(name);
        QCOMPARE(label->isVisible(), mark == QLatin1String(name));
        if (mark == QLatin1String(name)) {
            QVERIFY2(label->text().contains(reason), qPrintable(label->text()));
        }
    }
    QVERIFY(window.runtime.messages().isEmpty());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    // Every figure empty, no chart, nothing to save.
    for (const QLineEdit* field : window.control("figuresArea")->findChildren<QLineEdit*>()) {
        QVERIFY2(field->text().isEmpty(), qPrintable(field->objectName()));
    }
    QVERIFY(!window.control<PayoffChartWidget>("chartPayoff")->hasChart());
    QVERIFY(!window.control("cmdSaveChart")->isEnabled());
    // The main window itself does not change.
    QCOMPARE(window.mainControl<QLineEdit>("intOptionPrice")->text(), option);
    QCOMPARE(window.mainControl<QLineEdit>("intOptionPrice")->palette(),
             window.mainControl<QLineEdit>("intStrikePrice")->palette());
}

void TestAnalysisForm::copyPutsTwoColumnsOnTheClipboard() {
    Opened window;
    QVERIFY(window.open());
    window.enterWorkedExample();
    QTest::keyClicks(window.control("txtFees"), QStringLiteral("10"));
    QVERIFY(window.activateAnalysis());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
    QTRY_VERIFY(!QGuiApplication::clipboard()->text().isEmpty());
    const QString copied = QGuiApplication::clipboard()->text();
    QCOMPARE(copied, window.analysis->copiedText());
    const QStringList lines = copied.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // The twelve inputs, then every figure, those not asked for empty: two columns each.
    QCOMPARE(lines.size(), 12 + qsizetype(veltrane::analysisFigures.size()));
    for (const QString& line : lines) {
        QCOMPARE(line.count(QLatin1Char('\t')), 1);
    }
    QCOMPARE(lines.mid(0, 7),
             (QStringList{"Option Price\t1.25", "Strike Price\t30", "Current share price\t28.50",
                          "Number of Shares\t500", "No Months Out\t3", "Fees paid\t10",
                          "Dividend per share\t"}));
    QVERIFY(lines.contains(QStringLiteral("Maximum profit\t$1,365.00")));
    QVERIFY(lines.contains(QStringLiteral("Breakeven price\t$27.27")));
    QCOMPARE(lines.mid(7, 5),
             (QStringList{"Ex-dividend date\t", "Volatility (%)\t", "Interest rate (%)\t",
                          "Cost basis per share\t", "Return base\tStock cost"}));
    QVERIFY(lines.contains(QStringLiteral("Chance of profit\t57.45%")));
    QVERIFY(lines.contains(QStringLiteral("Cost of the shares held\t")));
}

void TestAnalysisForm::saveChartAsksTheRuntime() {
    const QTemporaryDir folder;
    Opened window;
    QVERIFY(window.open());
    window.enterWorkedExample();
    window.runtime.answerSaveFileWith(folder.filePath(QStringLiteral("position")));
    QVERIFY(window.activateAnalysis());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(window.runtime.count(RecordingRuntime::Kind::SaveFile), 1);
    QCOMPARE(window.runtime.log(),
             QStringList{QStringLiteral("save Save Chart: payoff-chart.png (PNG images (*.png))")});
    QCOMPARE(window.runtime.events().front().window, window.analysis);
    // ".png" added to a name without it.
    QImage saved;
    QVERIFY(saved.load(folder.filePath(QStringLiteral("position.png")), "PNG"));
    QCOMPARE(saved.size(), window.control("chartPayoff")->size());
    QVERIFY(window.runtime.messages().isEmpty());
}

void TestAnalysisForm::saveChartSaysSoWhenItCannotWrite() {
    const QTemporaryDir folder;
    Opened window;
    QVERIFY(window.open());
    window.enterWorkedExample();
    window.runtime.answerSaveFileWith(folder.filePath(QStringLiteral("no such folder/chart.png")));
    window.control<QPushButton>("cmdSaveChart")->click();
    QCOMPARE(window.runtime.messages().size(), 1);
    QVERIFY(window.runtime.messages().front().startsWith(
        QStringLiteral("The chart could not be saved to ")));
}

void TestAnalysisForm::saveChartCancelledWritesNothing() {
    const QTemporaryDir folder;
    Opened window;
    QVERIFY(window.open());
    window.enterWorkedExample();
    window.control<QPushButton>("cmdSaveChart")->click();
    QCOMPARE(window.runtime.count(RecordingRuntime::Kind::SaveFile), 1);
    QVERIFY(window.runtime.messages().isEmpty());
    QVERIFY(QDir(folder.path()).isEmpty());
}

QTEST_MAIN(TestAnalysisForm)
#include "test_analysis_form.moc"
