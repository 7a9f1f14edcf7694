// Tens of thousands of random keys, pastes, clicks and menu commands on the real window, with a
// fixed seed. After every step no result field may hold a malformed figure, no modal window may
// be left open, and the window must still answer.

#include "calc/regional_settings.h"
#include "forms/main/main_form.h"
#include "forms/main/tests/window_fields.h"
#include "runtime/qt_runtime.h"
#include "tests/support/modal_watcher.h"
#include "tests/support/well_formed.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <array>
#include <random>

using veltrane::MainForm;
using veltrane::testing::ModalWatcher;

using veltrane::testing::inputNames;
using veltrane::testing::resultNames;
using veltrane::testing::workedInputs;

namespace {

// The real runtime printing into a PDF file; the end of the program is only counted.
class MonkeyRuntime : public veltrane::QtRuntime {
public:
    explicit MonkeyRuntime(const QString& pdf)
        : QtRuntime([pdf] {
            auto printer = std::make_unique<QPrinter>();
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            return printer;
        }) {}
    void end() override { ++ends; }
    void printForm(QWidget& window) override {
        ++prints;
        QtRuntime::printForm(window);
    }

    int ends = 0;
    int prints = 0;
};

const QStringList buttonNames{"cmdCalculate", "Command1", "cmdExit"};
const QStringList actionNames{"mnuCalculate", "mnuClear", "mnuPrintForm", "mnuAbout", "mnuExit"};

// Pieces that numbers, near-numbers and nonsense are made of.
const std::array<QString, 30> fragments{
    "0",      "1",      "5",      "9",      "12",  "500",   "28.50",  "1.25", ".",      ",",
    "$",      "-",      "+",      "E",      "e",   "E-",    " ",      "\t",   "\u00a0", "\u202f",
    "\u3000", "\uff11", "\u0663", "\ufffd", "abc", "1E400", "1E-400", "-0",   "1,234",  "(5)"};

// A few fragments run together, now and then with a run of digits far longer than any amount.
template <typename Pick>
QString pasteText(const Pick& pick) {
    QString text;
    const int pieces = 1 + pick(6);
    for (int i = 0; i < pieces; ++i) {
        text += fragments[static_cast<std::size_t>(pick(fragments.size()))];
    }
    if (pick(200) == 0) {
        text += QString(5'000, QLatin1Char('9'));
    }
    return text;
}

bool wellFormed(const QString& name, const QString& text) {
    const std::string utf8 = text.toStdString();
    namespace wf = veltrane::well_formed;
    if (utf8.empty()) {
        return true;
    }
    if (name == QLatin1String("intDivideIntoCost")) {
        return wf::number(utf8);
    }
    if (name == QLatin1String("pctReturn")) {
        return wf::percent(utf8);
    }
    return wf::currency(utf8);
}

// Types as a keyboard would, characters beyond ASCII included (as an input method sends them).
void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(widget, static_cast<char>(c.unicode()));
        } else {
            QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        }
    }
}

int stepsToRun() {
    bool ok = false;
    const int fromEnvironment = qEnvironmentVariableIntValue("VELTRANE_MONKEY_STEPS", &ok);
    return ok && fromEnvironment > 0 ? fromEnvironment : 20'000;
}

} // namespace

class TestMainFormMonkey : public QObject {
    Q_OBJECT

private slots:
    void randomUseNeverBreaksAFigure() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        MonkeyRuntime runtime(dir.filePath(QStringLiteral("printed.pdf")));
        MainForm form(runtime, veltrane::RegionalSettings{});
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        const ModalWatcher watcher;

        std::mt19937 random{20261207};
        const auto pick = [&random](auto size) {
            return std::uniform_int_distribution<int>{0, static_cast<int>(size) - 1}(random);
        };
        const auto randomText = [&] { return pasteText(pick); };
        const auto target = [&]() -> QWidget* {
            QWidget* focus = QApplication::focusWidget();
            return focus != nullptr ? focus : &form;
        };

        const int steps = stepsToRun();
        int calculations = 0;
        for (int step = 0; step < steps; ++step) {
            const int action = pick(1000);
            if (action < 450) {
                typeText(target(), fragments[static_cast<std::size_t>(pick(fragments.size()))]);
            } else if (action < 650) {
                static const std::array keys{Qt::Key_Return,  Qt::Key_Enter,     Qt::Key_Tab,
                                             Qt::Key_Backtab, Qt::Key_Backspace, Qt::Key_Delete,
                                             Qt::Key_Up,      Qt::Key_Down,      Qt::Key_Home,
                                             Qt::Key_End,     Qt::Key_Escape,    Qt::Key_Space};
                static const std::array modifiers{Qt::NoModifier, Qt::NoModifier, Qt::ShiftModifier,
                                                  Qt::ControlModifier};
                QTest::keyClick(target(), keys[static_cast<std::size_t>(pick(keys.size()))],
                                modifiers[static_cast<std::size_t>(pick(modifiers.size()))]);
            } else if (action < 750) {
                auto* box = form.findChild<QLineEdit*>(inputNames[pick(inputNames.size())]);
                box->setFocus();
                QApplication::clipboard()->setText(randomText());
                QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
            } else if (action < 850) {
                auto* box = form.findChild<QLineEdit*>(inputNames[pick(inputNames.size())]);
                QTest::mouseClick(box, Qt::LeftButton);
                if (pick(4) == 0) {
                    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
                }
            } else if (action < 930) {
                const QString& name = buttonNames[pick(buttonNames.size())];
                calculations += name == QLatin1String("cmdCalculate");
                QTest::mouseClick(form.findChild<QPushButton*>(name), Qt::LeftButton);
            } else if (action < 990) {
                // Printing is slow; it is one menu command in many.
                const QString& name = actionNames[pick(actionNames.size() - (pick(10) != 0))];
                calculations += name == QLatin1String("mnuCalculate");
                form.findChild<QAction*>(name)->trigger();
            } else {
                QTest::mouseClick(form.findChild<QComboBox*>(QStringLiteral("cboMonthsOut")),
                                  Qt::LeftButton);
            }
            // A list or menu left open would take the next keys; a user would close it too.
            if (QWidget* popup = QApplication::activePopupWidget()) {
                popup->close();
            }
            QCoreApplication::processEvents();

            for (const QString& name : resultNames) {
                const QString text = form.findChild<QLineEdit*>(name)->text();
                if (!wellFormed(name, text)) {
                    QFAIL(qPrintable(
                        QStringLiteral("step %1: %2 holds \"%3\"").arg(step).arg(name, text)));
                }
            }
            QVERIFY2(QApplication::activeModalWidget() == nullptr,
                     qPrintable(QStringLiteral("step %1: a modal window stayed open").arg(step)));
            QVERIFY(form.isVisible());
        }
        qInfo("%d steps, %d calculations, %d modal windows closed, %d prints, %d ends", steps,
              calculations, watcher.seen(), runtime.prints, runtime.ends);
        QVERIFY(calculations > steps / 100);
        QVERIFY(watcher.seen() > 0);

        // Still the calculator: the worked example typed afresh gives the worked results.
        form.findChild<QAction*>(QStringLiteral("mnuClear"))->trigger();
        for (int i = 0; i < inputNames.size(); ++i) {
            QTest::keyClicks(form.findChild<QLineEdit*>(inputNames[i]), workedInputs[i]);
        }
        form.findChild<QComboBox*>(QStringLiteral("cboMonthsOut"))->setCurrentIndex(2);
        QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("cmdCalculate")),
                          Qt::LeftButton);
        QCOMPARE(form.findChild<QLineEdit*>(QStringLiteral("pctReturn"))->text(),
                 QStringLiteral("38.40%"));
        QCOMPARE(form.findChild<QLineEdit*>(QStringLiteral("intNetGain"))->text(),
                 QStringLiteral("$1,375.00"));
    }
};

QTEST_MAIN(TestMainFormMonkey)
#include "test_main_form_monkey.moc"
