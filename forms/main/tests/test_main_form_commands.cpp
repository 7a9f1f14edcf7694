// frmMain's commands driven as a user drives them: keys, clicks, access keys and menus. Most run
// on a runtime that records what the window asks of it; those about a real modal loop (focus
// coming back, the About box opened afresh, printing for real) run on the Qt runtime, where the
// message boxes and the About dialog are looked at and closed while they are open.

#include "calc/fields.h"
#include "calc/regional_settings.h"
#include "forms/main/main_form.h"
#include "forms/main/tests/window_fields.h"
#include "runtime/print_messages.h"
#include "runtime/qt_runtime.h"
#include "tests/support/modal_watcher.h"
#include "tests/support/recording_runtime.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using veltrane::MainForm;
using veltrane::testing::ModalWatcher;
using veltrane::testing::RecordingRuntime;

using veltrane::testing::inputNames;
using veltrane::testing::resultNames;
using veltrane::testing::workedResults;

namespace {

// The main window on a given runtime, shown and active.
struct Shown {
    MainForm form;

    explicit Shown(veltrane::Runtime& runtime)
        : form(runtime, veltrane::RegionalSettings{}) {
        form.show();
        form.activateWindow();
    }
    template <typename T = QWidget>
    T* control(const QString& name) const {
        return form.findChild<T*>(name);
    }
    QLineEdit* box(const QString& name) const { return control<QLineEdit>(name); }
    QComboBox* months() const { return control<QComboBox>(QStringLiteral("cboMonthsOut")); }

    // What the window shows: the eleven boxes, then the months list.
    QStringList texts() const {
        QStringList all;
        for (const QString& name : inputNames + resultNames) {
            all << box(name)->text();
        }
        return all << months()->currentText();
    }
};

// What a user does, always to the control that has the focus.
QWidget* focused() {
    return QApplication::focusWidget();
}
QString focusName() {
    return focused() != nullptr ? focused()->objectName() : QString();
}
void type(const QString& text) {
    QTest::keyClicks(focused(), text);
}
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(focused(), key, modifiers);
}

// Types the four amounts through the Enter chain and picks the months with the arrow keys,
// from a window with nothing chosen yet.
void typeInputs(const QStringList& amounts, int months) {
    for (const QString& amount : amounts) {
        type(amount);
        press(Qt::Key_Return);
    }
    for (int i = 0; i < months; ++i) {
        press(Qt::Key_Down);
    }
}

} // namespace

class TestMainFormCommands : public QObject {
    Q_OBJECT

private slots:
    void init();

    void workedExampleByKeyboardAlone();
    void enterChain_data();
    void enterChain();
    void enterInTheMonthsListDoesNotCalculate();
    void enterInAResultFieldDoesNothing();
    void typingIntoAResultFieldChangesNothing();
    void escClicksNoButton();
    void calculateFromBothEntryPoints_data();
    void calculateFromBothEntryPoints();
    void invalidEntryShowsOneMessageAndChangesNothing_data();
    void invalidEntryShowsOneMessageAndChangesNothing();
    void focusComesBackAfterTheInvalidEntryMessage();
    void menuCalculateHasNoCheck();
    void calculateWithoutMonthsStillRuns();
    void clearFromBothEntryPoints_data();
    void clearFromBothEntryPoints();
    void exitFromBothEntryPoints_data();
    void exitFromBothEntryPoints();
    void exitEndsTheProgramWithStatusZero();
    void accessKeysOpenTheMenus_data();
    void accessKeysOpenTheMenus();
    void printFormSendsTheMainWindow();
    void printFormIntoAFile();
    void printFormWithoutAPrinterSaysSo();
    void aboutOpensAfreshEachTime();
    void aboutAsksTheRuntimeForAModalBox();
};

void TestMainFormCommands::init() {
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void TestMainFormCommands::workedExampleByKeyboardAlone() {
    RecordingRuntime runtime;
    Shown window(runtime);
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    QCOMPARE(focusName(), QStringLiteral("intOptionPrice"));
    typeInputs({"1.25", "30", "28.50", "500"}, 3);
    QCOMPARE(focusName(), QStringLiteral("cboMonthsOut"));
    QCOMPARE(window.months()->currentText(), QStringLiteral("3"));
    press(Qt::Key_Return);
    QCOMPARE(focusName(), QStringLiteral("cmdCalculate"));
    QCOMPARE(window.box(QStringLiteral("pctReturn"))->text(), QString());
    press(Qt::Key_Return);
    QCOMPARE(runtime.log(), QStringList());
    QCOMPARE(window.texts(),
             QStringList({"1.25", "30", "28.50", "500"}) + workedResults + QStringList{"3"});
    QCOMPARE(focusName(), QStringLiteral("cmdCalculate"));
}

void TestMainFormCommands::enterChain_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    QTest::newRow("option price, Enter") << "intOptionPrice"
                                         << "intStrikePrice" << int(Qt::Key_Return) << none;
    QTest::newRow("strike price, Shift+Enter")
        << "intStrikePrice"
        << "intCurrentPrice" << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::ShiftModifier);
    QTest::newRow("current price, Ctrl+Enter")
        << "intCurrentPrice"
        << "intNoShares" << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::ControlModifier);
    QTest::newRow("shares, Alt+Enter")
        << "intNoShares"
        << "cboMonthsOut" << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::AltModifier);
    QTest::newRow("shares, keypad Enter")
        << "intNoShares"
        << "cboMonthsOut" << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier);
    QTest::newRow("months, Enter") << "cboMonthsOut"
                                   << "cmdCalculate" << int(Qt::Key_Return) << none;
    QTest::newRow("option price, a digit stays") << "intOptionPrice"
                                                 << "intOptionPrice" << int(Qt::Key_5) << none;
}

void TestMainFormCommands::enterChain() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    RecordingRuntime runtime;
    Shown window(runtime);
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    for (const QString& name : inputNames) {
        window.box(name)->setText(QStringLiteral("12"));
    }
    const QStringList before = window.texts();
    window.control(from)->setFocus();
    QCOMPARE(focusName(), from);
    press(Qt::Key(key), modifiers);
    QCOMPARE(focusName(), to);
    if (key != Qt::Key_5) {
        QCOMPARE(window.texts(), before);
    }
}

void TestMainFormCommands::enterInTheMonthsListDoesNotCalculate() {
    RecordingRuntime runtime;
    Shown window(runtime);
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    typeInputs({"1.25", "30", "28.50", "500"}, 3);
    const QStringList before = window.texts();
    press(Qt::Key_Return);
    QCOMPARE(focusName(), QStringLiteral("cmdCalculate"));
    QCOMPARE(window.texts(), before);
    QCOMPARE(runtime.log(), QStringList());
}

void TestMainFormCommands::enterInAResultFieldDoesNothing() {
    RecordingRuntime runtime;
    Shown window(runtime);
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    for (const QString& name : resultNames) {
        window.box(name)->setText(QStringLiteral("left over"));
    }
    for (const QString& name : resultNames) {
        const QStringList before = window.texts();
        window.box(name)->setFocus();
        press(Qt::Key_Return);
        press(Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(focusName(), name);
        QCOMPARE(window.texts(), before);
    }
    QCOMPARE(runtime.log(), QStringList());
}

void TestMainFormCommands::typingIntoAResultFieldChangesNothing() {
    RecordingRuntime runtime;
    Shown window(runtime);
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    auto* gain = window.box(QStringLiteral("intNetGain"));
    QTest::mouseClick(gain, Qt::LeftButton);
    QCOMPARE(focusName(), QStringLiteral("intNetGain"));
    type(QStringLiteral("123"));
    press(Qt::Key_Backspace);
    QCOMPARE(gain->text(), QString());
}

void TestMainFormCommands::escClicksNoButton() {
    RecordingRuntime runtime;
    Shown window(runtime);
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    type(QStringLiteral("7"));
    for (const char* name : {"intOptionPrice", "cmdCalculate", "Command1", "cmdExit"}) {
        window.control(QString::fromLatin1(name))->setFocus();
        press(Qt::Key_Escape);
    }
    QCOMPARE(window.box(QStringLiteral("intOptionPrice"))->text(), QStringLiteral("7"));
    QCOMPARE(runtime.log(), QStringList());
}

void TestMainFormCommands::calculateFromBothEntryPoints_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("button clicked") << "click";
    QTest::newRow("button by Alt+A") << "alt";
    QTest::newRow("File, Calculate") << "menu";
}

void TestMainFormCommands::calculateFromBothEntryPoints() {
    QFETCH(QString, how);
    RecordingRuntime runtime;
    Shown window(runtime);
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    typeInputs({"1.25", "30", "28.50", "500"}, 3);
    auto* button = window.control<QPushButton>(QStringLiteral("cmdCalculate"));
    auto* pct = window.box(QStringLiteral("pctReturn"));
    if (how == QLatin1String("click")) {
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(window.form.focusWidget(), button);
    } else if (how == QLatin1String("alt")) {
        press(Qt::Key_A, Qt::AltModifier);
        QTRY_COMPARE(pct->text(), workedResults.back());
    } else {
        press(Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_A);
        QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
        // The command itself moves the focus nowhere.
        QCOMPARE(focusName(), QStringLiteral("cboMonthsOut"));
    }
    QCOMPARE(window.texts().mid(4, 7), workedResults);
    QCOMPARE(runtime.log(), QStringList());
}

void TestMainFormCommands::invalidEntryShowsOneMessageAndChangesNothing_data() {
    QTest::addColumn<QStringList>("amounts");
    QTest::newRow("a letter in the strike price") << QStringList{"1.25", "3O", "28.50", "500"};
    QTest::newRow("three amounts empty") << QStringList{"", "", "", "500"};
    QTest::newRow("all four wrong") << QStringList{"a", "b", "-", "1.2.3"};
    QTest::newRow("blanks only") << QStringList{"1.25", "30", "   ", "500"};
}

void TestMainFormCommands::invalidEntryShowsOneMessageAndChangesNothing() {
    QFETCH(QStringList, amounts);
    RecordingRuntime runtime;
    Shown window(runtime);
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    typeInputs(amounts, 5);
    // Results left over from an earlier calculation stay as they are.
    for (const QString& name : resultNames) {
        window.box(name)->setText(QStringLiteral("$9.99"));
    }
    const QStringList before = window.texts();
    QTest::mouseClick(window.control(QStringLiteral("cmdCalculate")), Qt::LeftButton);
    // One box, with the program's title and the invalid-entry message, and nothing else.
    QCOMPARE(runtime.log(),
             QStringList{QStringLiteral("message Veltrane: ") +
                         QString::fromUtf8(veltrane::invalidEntryMessage.data(),
                                           qsizetype(veltrane::invalidEntryMessage.size()))});
    QCOMPARE(window.texts(), before);
    QCOMPARE(window.form.focusWidget(), window.control(QStringLiteral("cmdCalculate")));
}

// On the real runtime: a plain box (no icon, OK only), closed by Enter, and the window's focus is
// back where it was when the message opened.
void TestMainFormCommands::focusComesBackAfterTheInvalidEntryMessage() {
    veltrane::QtRuntime runtime;
    Shown window(runtime);
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    typeInputs({"1.25", "3O", "28.50", "500"}, 5);
    const QStringList before = window.texts();
    bool plain = false;
    ModalWatcher watcher([&](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        plain = box != nullptr && box->icon() == QMessageBox::NoIcon &&
                box->standardButtons() == QMessageBox::StandardButtons(QMessageBox::Ok);
        QTest::keyClick(&modal, Qt::Key_Return);
    });
    QTest::mouseClick(window.control(QStringLiteral("cmdCalculate")), Qt::LeftButton);
    QCOMPARE(watcher.seen(), 1);
    QVERIFY(plain);
    QCOMPARE(watcher.messages().front(),
             QString::fromUtf8(veltrane::invalidEntryMessage.data(),
                               qsizetype(veltrane::invalidEntryMessage.size())));
    QCOMPARE(window.texts(), before);
    QCOMPARE(window.form.focusWidget(), window.control(QStringLiteral("cmdCalculate")));
}

void TestMainFormCommands::menuCalculateHasNoCheck() {
    RecordingRuntime runtime;
    Shown window(runtime);
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    typeInputs({"abc", "30", "28.50", "500"}, 3);
    press(Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_A);
    QTRY_COMPARE(window.box(QStringLiteral("intTotalAssigned"))->text(),
                 QStringLiteral("$15,000.00"));
    QCOMPARE(runtime.log(), QStringList());
    QCOMPARE(window.texts().mid(4, 7), QStringList({"$0.00", "$15,000.00", "$15,000.00",
                                                    "$14,250.00", "$750.00", "0.053", "21.20%"}));
}

void TestMainFormCommands::calculateWithoutMonthsStillRuns() {
    RecordingRuntime runtime;
    Shown window(runtime);
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    typeInputs({"1.25", "30", "28.50", "500"}, 0);
    QCOMPARE(window.months()->currentText(), QString());
    QTest::mouseClick(window.control(QStringLiteral("cmdCalculate")), Qt::LeftButton);
    QCOMPARE(runtime.log(), QStringList());
    QCOMPARE(window.box(QStringLiteral("intNetGain"))->text(), QStringLiteral("$1,375.00"));
}

void TestMainFormCommands::clearFromBothEntryPoints_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("button clicked") << "click";
    QTest::newRow("button by Alt+C") << "alt";
    QTest::newRow("button by Enter") << "enter";
    QTest::newRow("File, Clear") << "menu";
}

void TestMainFormCommands::clearFromBothEntryPoints() {
    QFETCH(QString, how);
    RecordingRuntime runtime;
    Shown window(runtime);
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    typeInputs({"1.25", "30", "28.50", "500"}, 5);
    for (const QString& name : resultNames) {
        window.box(name)->setText(QStringLiteral("$1.00"));
    }
    window.control(QStringLiteral("cmdExit"))->setFocus();
    auto* clear = window.control(QStringLiteral("Command1"));
    if (how == QLatin1String("click")) {
        QTest::mouseClick(clear, Qt::LeftButton);
    } else if (how == QLatin1String("alt")) {
        press(Qt::Key_C, Qt::AltModifier);
    } else if (how == QLatin1String("enter")) {
        clear->setFocus();
        press(Qt::Key_Return);
    } else {
        press(Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_C);
    }
    QTRY_COMPARE(window.box(QStringLiteral("pctReturn"))->text(), QString());
    QStringList emptied(11);
    QCOMPARE(window.texts(), emptied << QStringLiteral("5"));
    QTRY_COMPARE(focusName(), QStringLiteral("intOptionPrice"));
    QCOMPARE(runtime.log(), QStringList());
}

void TestMainFormCommands::exitFromBothEntryPoints_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("button clicked") << "click";
    QTest::newRow("button by Alt+X") << "alt";
    QTest::newRow("File, Exit") << "menu";
}

void TestMainFormCommands::exitFromBothEntryPoints() {
    QFETCH(QString, how);
    RecordingRuntime runtime;
    Shown window(runtime);
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    type(QStringLiteral("1.25"));
    if (how == QLatin1String("click")) {
        QTest::mouseClick(window.control(QStringLiteral("cmdExit")), Qt::LeftButton);
    } else if (how == QLatin1String("alt")) {
        press(Qt::Key_X, Qt::AltModifier);
    } else {
        press(Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_X);
    }
    QTRY_COMPARE(runtime.log(), QStringList{QStringLiteral("end")});
}

void TestMainFormCommands::exitEndsTheProgramWithStatusZero() {
    veltrane::QtRuntime runtime;
    Shown window(runtime);
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    QTimer::singleShot(0, &window.form, [&] {
        type(QStringLiteral("500"));
        QTest::mouseClick(window.control(QStringLiteral("cmdExit")), Qt::LeftButton);
    });
    QTimer::singleShot(5000, &window.form, [] { QCoreApplication::exit(99); });
    QCOMPARE(QApplication::exec(), 0);
}

void TestMainFormCommands::accessKeysOpenTheMenus_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("menu");
    QTest::newRow("Alt+F") << int(Qt::Key_F) << "mnuFile";
    QTest::newRow("Alt+H") << int(Qt::Key_H) << "mnuHelp";
}

void TestMainFormCommands::accessKeysOpenTheMenus() {
    QFETCH(int, key);
    QFETCH(QString, menu);
    RecordingRuntime runtime;
    Shown window(runtime);
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    press(Qt::Key(key), Qt::AltModifier);
    QTRY_COMPARE(QApplication::activePopupWidget(), window.control(menu));
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    QTRY_COMPARE(QApplication::activePopupWidget(), nullptr);
}

void TestMainFormCommands::printFormSendsTheMainWindow() {
    RecordingRuntime runtime;
    Shown window(runtime);
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    press(Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_P);
    QTRY_COMPARE(runtime.log(), QStringList{QStringLiteral("print frmMain")});
    QCOMPARE(runtime.events().front().window.data(), &window.form);
}

void TestMainFormCommands::printFormIntoAFile() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("frmMain.pdf"));
    veltrane::QtRuntime runtime([path] {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(path);
        return printer;
    });
    Shown window(runtime);
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    ModalWatcher watcher;
    window.form.findChild<QAction*>(QStringLiteral("mnuPrintForm"))->trigger();
    QCOMPARE(watcher.seen(), 0);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    QVERIFY(pdf.startsWith("%PDF"));
    QVERIFY(pdf.contains("/Subtype /Image"));
}

void TestMainFormCommands::printFormWithoutAPrinterSaysSo() {
    veltrane::QtRuntime runtime([] { return std::unique_ptr<QPrinter>{}; });
    Shown window(runtime);
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    ModalWatcher watcher;
    press(Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_P);
    QTRY_COMPARE(watcher.seen(), 1);
    QCOMPARE(watcher.titles().front(), QStringLiteral("Veltrane"));
    QCOMPARE(watcher.messages().front(), QString::fromUtf8(veltrane::messages::noPrinter));
}

void TestMainFormCommands::aboutOpensAfreshEachTime() {
    veltrane::QtRuntime runtime;
    Shown window(runtime);
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    window.box(QStringLiteral("intNoShares"))->setFocus();
    QList<QPointer<QWidget>> opened;
    QStringList seen;
    int opening = 0;
    ModalWatcher watcher([&](QWidget& modal) {
        opened << &modal;
        const auto* version = modal.findChild<QLabel*>(QStringLiteral("lblVersion"));
        seen << modal.objectName() + QLatin1Char('|') + modal.windowTitle() + QLatin1Char('|') +
                    (version != nullptr ? version->text() : QString()) + QLatin1Char('|') +
                    QString::number(modal.windowModality());
        // Closed with Enter the first time and with Esc the second.
        QTest::keyClick(modal.focusWidget(), opening++ == 0 ? Qt::Key_Return : Qt::Key_Escape);
    });
    for (int i = 0; i < 2; ++i) {
        press(Qt::Key_H, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_B);
        QTRY_COMPARE(watcher.seen(), i + 1);
        // Gone once closed: the next opening builds it again.
        QTRY_VERIFY(opened.back().isNull());
        QCOMPARE(window.form.focusWidget(), window.control(QStringLiteral("intNoShares")));
        window.form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window.form));
        QCOMPARE(focusName(), QStringLiteral("intNoShares"));
    }
    const QString expected =
        QStringLiteral("frmAbout|About Veltrane |Version 1.0.2|%1").arg(int(Qt::ApplicationModal));
    QCOMPARE(seen, QStringList({expected, expected}));
}

// Through the seam: Help, About asks the runtime to show a new About box modally, with the
// running program's version, and the box is gone once the command returns.
void TestMainFormCommands::aboutAsksTheRuntimeForAModalBox() {
    RecordingRuntime runtime;
    QStringList versions;
    runtime.onModal([&](QDialog& modal) {
        const auto* version = modal.findChild<QLabel*>(QStringLiteral("lblVersion"));
        versions << (version != nullptr ? version->text() : QString());
    });
    Shown window(runtime);
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    for (int i = 0; i < 2; ++i) {
        press(Qt::Key_H, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_B);
        QTRY_COMPARE(runtime.count(RecordingRuntime::Kind::Modal), i + 1);
        QVERIFY(runtime.events().back().window.isNull());
    }
    const QString about = QStringLiteral("modal frmAbout: About Veltrane ");
    QCOMPARE(runtime.log(), QStringList({about, about}));
    QCOMPARE(versions, QStringList({"Version 1.0.2", "Version 1.0.2"}));
}

QTEST_MAIN(TestMainFormCommands)
#include "test_main_form_commands.moc"
