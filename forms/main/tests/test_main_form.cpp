// frmMain as laid out: every control row by row, the menus, the tab order, the result fields'
// settings, and that no caption or typical result is cut off.

#include "calc/regional_settings.h"
#include "chart/readable_colour.h"
#include "forms/main/main_form.h"
#include "forms/main/tests/window_fields.h"
#include "forms/twips_scale.h"
#include "tests/support/recording_runtime.h"

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QtTest>
#include <memory>

using veltrane::MainForm;
using veltrane::RegionalSettings;
using veltrane::TwipsScale;

using veltrane::testing::resultNames;

namespace {

// The window's controls in tab order, as drawn: name, class, caption, twips, and the control a
// label names.
struct Row {
    int tabIndex;
    const char* name;
    const char* kind;
    const char* caption;
    int left;
    int top;
    int width;
    int height;
    const char* names;
};

constexpr Row rows[] = {
    {0, "intOptionPrice", "QLineEdit", "", 2160, 720, 1095, 375, ""},
    {1, "intStrikePrice", "QLineEdit", "", 2160, 1245, 1095, 375, ""},
    {2, "intCurrentPrice", "QLineEdit", "", 2160, 1755, 1095, 375, ""},
    {3, "intNoShares", "QLineEdit", "", 2160, 2280, 1095, 375, ""},
    {4, "cboMonthsOut", "QComboBox", "1,2,3,4,5,6,7,8,9,10,11,12", 2160, 2880, 1095, 315, ""},
    {5, "cmdCalculate", "QPushButton", "C&alculate", 2040, 3480, 1335, 495, ""},
    {6, "Command1", "QPushButton", "&Clear", 2040, 4080, 1335, 495, ""},
    {7, "cmdExit", "QPushButton", "E&xit", 2040, 4680, 1335, 495, ""},
    {8, "Label4", "QLabel", "Number of Shares", 360, 2280, 1455, 375, "intNoShares"},
    {9, "Label3", "QLabel", "Current share price", 360, 1755, 1455, 375, "intCurrentPrice"},
    {10, "Label2", "QLabel", "Strike Price", 360, 1245, 1455, 375, "intStrikePrice"},
    {11, "Label1", "QLabel", "No Months Out", 360, 2880, 1455, 375, "cboMonthsOut"},
    {12, "Label5", "QLabel", "Received from Options", 4080, 720, 1695, 375, "intOptionsRecd"},
    {13, "Label6", "QLabel", "Total If Assigned", 4080, 1275, 1695, 375, "intTotalAssigned"},
    {14, "Label7", "QLabel", "Total Receipts", 4080, 1830, 1695, 375, "intTotalReceipts"},
    {15, "Label8", "QLabel", "Total Stock Cost", 4080, 2370, 1695, 375, "intTotalStockCost"},
    {16, "Label9", "QLabel", "Net Gain", 4080, 2925, 1695, 375, "intNetGain"},
    {17, "lblDsign", "QLabel", "$", 1920, 720, 255, 495, ""},
    {18, "Label10", "QLabel", "$", 1920, 1320, 255, 495, ""},
    {19, "Label11", "QLabel", "$", 1920, 1800, 255, 495, ""},
    {20, "intNetGain", "QLineEdit", "", 6000, 2925, 1215, 375, ""},
    {21, "intTotalStockCost", "QLineEdit", "", 6000, 2370, 1215, 375, ""},
    {22, "intTotalReceipts", "QLineEdit", "", 6000, 1830, 1215, 375, ""},
    {23, "intTotalAssigned", "QLineEdit", "", 6000, 1275, 1215, 375, ""},
    {24, "intOptionsRecd", "QLineEdit", "", 6000, 720, 1215, 375, ""},
    {25, "intDivideIntoCost", "QLineEdit", "", 6000, 3480, 1215, 375, ""},
    {26, "Label12", "QLabel", "Divide Into Cost", 4080, 3480, 1695, 375, "intDivideIntoCost"},
    {27, "Label13", "QLabel", "Option Price", 360, 720, 1455, 375, "intOptionPrice"},
    {28, "pctReturn", "QLineEdit", "", 6000, 4080, 1215, 375, ""},
    {29, "Label14", "QLabel", "Annual % Return", 4080, 4080, 1695, 375, "pctReturn"},
    {30, "Label15", "QLabel", "Enter Data Here", 2040, 240, 1335, 255, ""},
    {31, "Label16", "QLabel", "View Results Here", 5880, 240, 1455, 255, ""},
};

// The main window on a runtime that records, shown and active.
struct Shown {
    veltrane::testing::RecordingRuntime runtime;
    MainForm form;

    explicit Shown(const RegionalSettings& settings = {})
        : form(runtime, settings) {
        form.show();
        form.activateWindow();
    }
    template <typename T = QWidget>
    T* control(const QString& name) const {
        return form.findChild<T*>(name);
    }
};

QString withoutAccessKey(QString caption) {
    return caption.remove(QLatin1Char('&'));
}

} // namespace

class TestMainForm : public QObject {
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void everyControlIsInTheTable();
    void clientAreaBelowTheMenuBar();
    void controlsStayWhenTheWindowGrows();
    void titleAndIcon();
    void menus_data();
    void menus();
    void menuBarOrder();
    void tabOrderFollowsTheTable();
    void startsEmptyWithFocusInOptionPrice();
    void monthsList();
    void resultFields();
    void fieldTableCaptionsAreTheWindowsLabels();
    void typicalResultFitsEveryResultField();
    void resultsReadableOnTheBase_data();
    void resultsReadableOnTheBase();
    void currencySignsFollowTheUsersMoney();
};

void TestMainForm::layout_data() {
    QTest::addColumn<int>("tabIndex");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("names");
    for (const Row& row : rows) {
        QTest::newRow(row.name) << row.tabIndex << QString::fromLatin1(row.name)
                                << QString::fromLatin1(row.kind) << QString::fromLatin1(row.caption)
                                << QRect(row.left, row.top, row.width, row.height)
                                << QString::fromLatin1(row.names);
    }
}

void TestMainForm::layout() {
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    QFETCH(QString, names);
    Shown window;
    QVERIFY(QTest::qWaitForWindowExposed(&window.form));
    QWidget* control = window.control(name);
    QVERIFY2(control != nullptr, qPrintable(name));
    QCOMPARE(QString::fromLatin1(control->metaObject()->className()), kind);
    QCOMPARE(control->parentWidget(), window.form.centralWidget());
    QVERIFY(control->isVisible() && control->isEnabled());
    QVERIFY(control->toolTip().isEmpty());

    const TwipsScale scale = TwipsScale::forFont(window.form.font());
    QCOMPARE(control->geometry(), scale.rect(twips.x(), twips.y(), twips.width(), twips.height()));
    QCOMPARE(control->font(), QApplication::font());

    const QFontMetrics metrics(control->font());
    if (auto* label = qobject_cast<QLabel*>(control)) {
        QCOMPARE(label->text(), caption);
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        QCOMPARE(label->buddy(), names.isEmpty() ? nullptr : window.control(names));
        // The whole caption inside the label's frame and margins.
        const QRect needed = metrics.boundingRect(caption);
        const QRect room = label->contentsRect();
        QVERIFY2(needed.width() <= room.width() && metrics.height() <= room.height(),
                 qPrintable(QStringLiteral("needs %1 x %2 in %3 x %4")
                                .arg(needed.width())
                                .arg(metrics.height())
                                .arg(room.width())
                                .arg(room.height())));
    } else if (auto* button = qobject_cast<QPushButton*>(control)) {
        QCOMPARE(button->text(), caption);
        const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        QVERIFY(metrics.horizontalAdvance(withoutAccessKey(caption)) + 2 * margin <=
                button->width());
        QVERIFY(button->sizeHint().height() <= button->height());
    } else if (auto* box = qobject_cast<QLineEdit*>(control)) {
        QCOMPARE(box->text(), caption);
        QVERIFY(box->minimumSizeHint().height() <= box->height());
    } else if (auto* list = qobject_cast<QComboBox*>(control)) {
        QStringList items;
        for (int i = 0; i < list->count(); ++i) {
            items << list->itemText(i);
        }
        QCOMPARE(items.join(QLatin1Char(',')), caption);
        QStyleOptionComboBox option;
        option.initFrom(list);
        const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                          QStyle::SC_ComboBoxEditField, list);
        QVERIFY(metrics.horizontalAdvance(QStringLiteral("12")) <= field.width());
        QVERIFY(list->minimumSizeHint().height() <= list->height());
    }
}

void TestMainForm::everyControlIsInTheTable() {
    Shown window;
    const QList<QWidget*> controls =
        window.form.centralWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(controls.size(), 32);
    QCOMPARE(window.form.objectName(), QStringLiteral("frmMain"));
}

void TestMainForm::clientAreaBelowTheMenuBar() {
    Shown window;
    QVERIFY(QTest::qWaitForWindowExposed(&window.form));
    const TwipsScale scale = TwipsScale::forFont(window.form.font());
    QCOMPARE(window.form.centralWidget()->size(), QSize(scale.pixels(8010), scale.pixels(5460)));
    QCOMPARE(window.form.centralWidget()->y(), window.form.menuBar()->height());
    // The central area is laid out by hand, on purpose.
    QCOMPARE(window.form.centralWidget()->layout(), nullptr);
}

void TestMainForm::controlsStayWhenTheWindowGrows() {
    Shown window;
    QVERIFY(QTest::qWaitForWindowExposed(&window.form));
    auto* heading = window.control(QStringLiteral("Label16"));
    auto* box = window.control(QStringLiteral("pctReturn"));
    const QRect headingBefore = heading->geometry();
    const QRect boxBefore = box->geometry();
    window.form.resize(window.form.size() + QSize(200, 150));
    QTRY_COMPARE(window.form.centralWidget()->width(),
                 TwipsScale::forFont(window.form.font()).pixels(8010) + 200);
    QCOMPARE(heading->geometry(), headingBefore);
    QCOMPARE(box->geometry(), boxBefore);
}

void TestMainForm::titleAndIcon() {
    Shown window;
    QCOMPARE(window.form.windowTitle(), QStringLiteral("Veltrane"));
    QVERIFY(!window.form.windowIcon().isNull());
    QVERIFY(window.form.windowIcon().availableSizes().contains(QSize(32, 32)));
    QVERIFY(window.form.windowIcon().availableSizes().contains(QSize(16, 16)));
    const Qt::WindowFlags flags = window.form.windowFlags();
    QVERIFY(!(flags & Qt::MSWindowsFixedSizeDialogHint));
}

void TestMainForm::menus_data() {
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("File") << "mnuFile"
                          << "&File"
                          << QStringList{"mnuCalculate", "mnuPrintForm", "mnuClear", "mnuExit"}
                          << QStringList{"C&alculate", "&PrintForm", "&Clear", "E&xit"};
    QTest::newRow("View") << "mnuView"
                          << "&View" << QStringList{"mnuPositionAnalysis", "mnuScreenChain"}
                          << QStringList{"&Position Analysis...", "&Screen Option Chain..."};
    QTest::newRow("Help") << "mnuHelp"
                          << "&Help" << QStringList{"mnuAbout"} << QStringList{"A&bout"};
}

void TestMainForm::menus() {
    QFETCH(QString, menu);
    QFETCH(QString, title);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, captions);
    Shown window;
    auto* opened = window.control<QMenu>(menu);
    QVERIFY(opened != nullptr);
    QCOMPARE(opened->title(), title);
    QVERIFY(window.form.menuBar()->actions().contains(opened->menuAction()));
    QStringList names;
    QStringList texts;
    for (const QAction* entry : opened->actions()) {
        names << entry->objectName();
        texts << entry->text();
        QVERIFY(entry->shortcut().isEmpty());
        QVERIFY(!entry->isSeparator() && !entry->isCheckable());
        QVERIFY(entry->isEnabled() && entry->isVisible());
    }
    QCOMPARE(names, entries);
    QCOMPARE(texts, captions);
}

// View sits between File and Help; nothing else is on the menu bar.
void TestMainForm::menuBarOrder() {
    Shown window;
    QStringList titles;
    for (const QAction* entry : window.form.menuBar()->actions()) {
        titles << entry->text();
    }
    QCOMPARE(titles, (QStringList{"&File", "&View", "&Help"}));
    // The analysis window is built only when first opened.
    QCOMPARE(window.form.positionAnalysis(), nullptr);
    QVERIFY(window.form.findChildren<QWidget*>(QStringLiteral("frmAnalysis")).isEmpty());
}

void TestMainForm::tabOrderFollowsTheTable() {
    Shown window;
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    QStringList expected;
    for (const Row& row : rows) {
        if (QString::fromLatin1(row.kind) != QLatin1String("QLabel")) {
            expected << QString::fromLatin1(row.name);
        }
    }
    expected << expected.front(); // and round again
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (qsizetype i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, expected);
}

void TestMainForm::startsEmptyWithFocusInOptionPrice() {
    Shown window;
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    QCOMPARE(QApplication::focusWidget(), window.control(QStringLiteral("intOptionPrice")));
    for (const QLineEdit* box : window.form.findChildren<QLineEdit*>()) {
        QVERIFY2(box->text().isEmpty(), qPrintable(box->objectName()));
    }
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    // Opening the window asks nothing of the runtime: no message, no dialog, no print.
    QCOMPARE(window.runtime.log(), QStringList());
}

void TestMainForm::monthsList() {
    Shown window;
    auto* list = window.control<QComboBox>(QStringLiteral("cboMonthsOut"));
    QVERIFY(!list->isEditable());
    QCOMPARE(list->count(), 12);
    QCOMPARE(list->currentIndex(), -1);
    QCOMPARE(list->currentText(), QString());
}

void TestMainForm::resultFields() {
    Shown window;
    for (const QLineEdit* box : window.form.findChildren<QLineEdit*>()) {
        const bool isResult = resultNames.contains(box->objectName());
        QCOMPARE(box->isReadOnly(), isResult);
        QCOMPARE(box->alignment() == (Qt::AlignRight | Qt::AlignVCenter), isResult);
        QCOMPARE(box->palette().color(QPalette::Text) == QColor(0, 64, 0), isResult);
    }
}

// The command line and the analysis name fields by the table's captions: they must be the very
// labels the user reads beside each field.
void TestMainForm::fieldTableCaptionsAreTheWindowsLabels() {
    Shown window;
    for (const veltrane::FieldInfo& info : veltrane::fieldTable) {
        const QString name = QString::fromUtf8(info.controlName.data(),
                                               static_cast<qsizetype>(info.controlName.size()));
        const QWidget* control = window.control(name);
        QVERIFY2(control != nullptr, qPrintable(name));
        const QLabel* naming = nullptr;
        for (const QLabel* label : window.form.findChildren<QLabel*>()) {
            if (label->buddy() == control) {
                naming = label;
            }
        }
        QVERIFY2(naming != nullptr, qPrintable(name));
        QCOMPARE(naming->text(), QString::fromUtf8(info.caption.data(),
                                                   static_cast<qsizetype>(info.caption.size())));
    }
}

void TestMainForm::typicalResultFitsEveryResultField() {
    Shown window;
    QVERIFY(QTest::qWaitForWindowExposed(&window.form));
    for (const QString& name : resultNames) {
        auto* box = window.control<QLineEdit>(name);
        const int frame = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box);
        // Qt keeps two pixels of margin inside the frame on each side.
        const int room = box->contentsRect().width() - 2 * frame - 2 * 2;
        const QString typical = QStringLiteral("$1,234,567.89");
        QVERIFY2(box->fontMetrics().horizontalAdvance(typical) <= room,
                 qPrintable(QStringLiteral("%1: %2 px of room").arg(name).arg(room)));
    }
}

// A light base keeps the dark green; a dark desktop's base gets a green of the same hue that
// reaches WCAG's 4.5 to 1, whether the palette is dark at start or turns dark while open.
void TestMainForm::resultsReadableOnTheBase_data() {
    QTest::addColumn<QColor>("base");
    QTest::addColumn<QColor>("text");
    QTest::addColumn<bool>("changesWhileOpen");
    QTest::addColumn<bool>("keepsTheDarkGreen");
    QTest::newRow("light: white base") << QColor(Qt::white) << QColor(Qt::black) << false << true;
    QTest::newRow("light: grey base")
        << QColor(0xf0, 0xf0, 0xf0) << QColor(Qt::black) << false << true;
    QTest::newRow("dark: Adwaita dark's base")
        << QColor(0x24, 0x24, 0x24) << QColor(Qt::white) << false << false;
    QTest::newRow("dark: black base") << QColor(Qt::black) << QColor(Qt::white) << false << false;
    QTest::newRow("turns dark while open")
        << QColor(0x24, 0x24, 0x24) << QColor(Qt::white) << true << false;
}

void TestMainForm::resultsReadableOnTheBase() {
    QFETCH(QColor, base);
    QFETCH(QColor, text);
    QFETCH(bool, changesWhileOpen);
    QFETCH(bool, keepsTheDarkGreen);
    const QPalette original = QApplication::palette();
    QPalette palette = original;
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::Text, text);
    if (!changesWhileOpen) {
        QApplication::setPalette(palette);
    }
    {
        Shown window;
        if (changesWhileOpen) {
            QApplication::setPalette(palette);
        }
        // Qt hands a new application palette to the widgets from the event loop.
        QTRY_COMPARE(window.form.palette().color(QPalette::Base), base);
        for (const QString& name : resultNames) {
            const QPalette shown = window.control<QLineEdit>(name)->palette();
            const QColor green = shown.color(QPalette::Text);
            QCOMPARE(shown.color(QPalette::Base), base);
            const double ratio = veltrane::contrastRatio(green, base);
            QVERIFY2(
                keepsTheDarkGreen || ratio >= 4.5,
                qPrintable(
                    QStringLiteral("%1 on %2: %3 to 1").arg(green.name(), base.name()).arg(ratio)));
            QCOMPARE(green == QColor(0, 64, 0), keepsTheDarkGreen);
            QCOMPARE(green.hslHue(), 120);
        }
    }
    QApplication::setPalette(original);
}

void TestMainForm::currencySignsFollowTheUsersMoney() {
    RegionalSettings euro;
    euro.currencySymbol = "€";
    for (const auto& [settings, sign] : {std::pair{RegionalSettings{}, QStringLiteral("$")},
                                         std::pair{euro, QStringLiteral("€")}}) {
        Shown window(settings);
        for (const char* name : {"lblDsign", "Label10", "Label11"}) {
            QCOMPARE(window.control<QLabel>(QString::fromLatin1(name))->text(), sign);
        }
    }
}

QTEST_MAIN(TestMainForm)
#include "test_main_form.moc"
