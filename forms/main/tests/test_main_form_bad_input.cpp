// What a user sees after pasting the worst things into an input and pressing Calculate: either
// the invalid-entry message with nothing changed, or figures that are right.

#include "calc/fields.h"
#include "calc/regional_settings.h"
#include "forms/main/main_form.h"
#include "forms/main/tests/window_fields.h"
#include "tests/support/recording_runtime.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using veltrane::MainForm;
using veltrane::testing::RecordingRuntime;

using veltrane::testing::inputNames;
using veltrane::testing::resultNames;
using veltrane::testing::workedInputs;
using veltrane::testing::workedResults;

namespace {

const QStringList noResults{"", "", "", "", "", "", ""};

// A line edit keeps this many characters and drops the rest of a paste.
constexpr int lineEditLimit = 32767;

} // namespace

class TestMainFormBadInput : public QObject {
    Q_OBJECT

private slots:
    void pasteThenCalculate_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<int>("keptLength");      // what the field holds afterwards
        QTest::addColumn<QStringList>("results"); // empty: the invalid-entry message

        const QString megabyte(1 << 20, QLatin1Char('9'));
        QTest::newRow("1 MB of digits: the field keeps 32767 of them, too large a number")
            << "intNoShares" << megabyte << lineEditLimit << QStringList{};
        QTest::newRow("20,000 group separators")
            << "intOptionPrice" << QString(20'000, QLatin1Char(',')) << 20'000 << QStringList{};
        QTest::newRow("just past the largest double") << "intNoShares"
                                                      << "1.8E308" << 7 << QStringList{};
        QTest::newRow("far past the largest double") << "intStrikePrice"
                                                     << "-1E400" << 6 << QStringList{};
        QTest::newRow("largest double: every amount overflows and shows nothing")
            << "intNoShares"
            << "1.7976931348623157E308" << 22 << noResults;
        QTest::newRow("shares beyond the money range: only what fits is shown")
            << "intNoShares"
            << "1E14" << 4 << QStringList{"$125,000,000,000,000.00", "", "", "", "", "", ""};
        QTest::newRow("smallest subnormal shares: no money, no ratio")
            << "intNoShares"
            << "4.9E-324" << 8 << QStringList{"$0.00", "$0.00", "$0.00", "$0.00", "$0.00", "", ""};
        QTest::newRow("below the smallest subnormal is zero")
            << "intNoShares"
            << "1E-400" << 6 << QStringList{"$0.00", "$0.00", "$0.00", "$0.00", "$0.00", "", ""};
        QTest::newRow("minus zero shares")
            << "intNoShares"
            << "-0" << 2 << QStringList{"$0.00", "$0.00", "$0.00", "$0.00", "$0.00", "", ""};
        QTest::newRow("minus zero option price")
            << "intOptionPrice"
            << "-0" << 2 << QStringList{"$0.00",   "$15,000.00", "$15,000.00", "$14,250.00",
                                        "$750.00", "0.053",      "21.20%"};
        QTest::newRow("spaces around") << "intOptionPrice"
                                       << "   1.25  " << 9 << workedResults;
        QTest::newRow("tabs around") << "intOptionPrice"
                                     << "\t1.25\t" << 6 << workedResults;
        QTest::newRow("no-break space before") << "intOptionPrice"
                                               << "\u00a01.25" << 5 << QStringList{};
        QTest::newRow("narrow no-break space after") << "intOptionPrice"
                                                     << "1.25\u202f" << 5 << QStringList{};
        QTest::newRow("em space before") << "intStrikePrice"
                                         << "\u200330" << 3 << QStringList{};
        QTest::newRow("ideographic space after") << "intStrikePrice"
                                                 << "30\u3000" << 3 << QStringList{};
        QTest::newRow("zero-width no-break space: the field drops it")
            << "intCurrentPrice"
            << "\ufeff28.50" << 5 << workedResults;
        QTest::newRow("full-width digits") << "intNoShares"
                                           << "\uff15\uff10\uff10" << 3 << QStringList{};
        QTest::newRow("arabic-indic digits") << "intNoShares"
                                             << "\u0665\u0660\u0660" << 3 << QStringList{};
        QTest::newRow("only a dollar sign") << "intOptionPrice"
                                            << "$" << 1 << QStringList{};
        QTest::newRow("only a point") << "intCurrentPrice"
                                      << "." << 1 << QStringList{};
        QTest::newRow("control characters") << "intNoShares"
                                            << "5\u000700" << 4 << QStringList{};
    }

    void pasteThenCalculate() {
        QFETCH(QString, field);
        QFETCH(QString, pasted);
        QFETCH(int, keptLength);
        QFETCH(QStringList, results);

        RecordingRuntime runtime;
        MainForm form(runtime, veltrane::RegionalSettings{});
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));

        for (int i = 0; i < inputNames.size(); ++i) {
            if (inputNames[i] != field) {
                QTest::keyClicks(form.findChild<QLineEdit*>(inputNames[i]), workedInputs[i]);
            }
        }
        form.findChild<QComboBox*>(QStringLiteral("cboMonthsOut"))->setCurrentIndex(2);

        auto* box = form.findChild<QLineEdit*>(field);
        box->setFocus();
        QApplication::clipboard()->setText(pasted);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->text().size(), keptLength);
        const QString kept = box->text();

        QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("cmdCalculate")),
                          Qt::LeftButton);

        if (results.isEmpty()) {
            // One message box, the invalid-entry one, and nothing else asked of the runtime.
            QCOMPARE(runtime.log(),
                     QStringList{QStringLiteral("message Veltrane: ") +
                                 QString::fromUtf8(veltrane::invalidEntryMessage.data(),
                                                   static_cast<qsizetype>(
                                                       veltrane::invalidEntryMessage.size()))});
            results = noResults; // nothing was calculated, so nothing changed
        } else {
            QCOMPARE(runtime.log(), QStringList());
        }
        for (int i = 0; i < resultNames.size(); ++i) {
            QCOMPARE(form.findChild<QLineEdit*>(resultNames[i])->text(), results[i]);
        }
        // Nothing the user typed is lost or changed by the command.
        QCOMPARE(box->text(), kept);
    }
};

QTEST_MAIN(TestMainFormBadInput)
#include "test_main_form_bad_input.moc"
