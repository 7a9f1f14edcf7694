// The Qt runtime: its message box, printing into a file or onto no printer at all, and the end
// of the program.

#include "runtime/print_messages.h"
#include "runtime/qt_messages.h"
#include "runtime/qt_runtime.h"
#include "tests/support/modal_watcher.h"

#include <QAbstractButton>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using veltrane::QtRuntime;
using veltrane::testing::ModalWatcher;

namespace {

// A small window with something on it to print.
class Sample : public QWidget {
public:
    Sample() {
        resize(200, 100);
        auto* label = new QLabel(QStringLiteral("Printed"), this);
        label->move(10, 10);
    }
};

QtRuntime::PrinterSource pdfInto(const QString& path) {
    return [path] {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(path);
        return printer;
    };
}

} // namespace

class TestQtRuntime : public QObject {
    Q_OBJECT

private slots:
    void messageBoxHasTheTitleOkOnlyAndNoIcon();
    void printsAnImageOfTheWindowIntoAFile();
    void saysSoWhenNoPrinterIsInstalled();
    void saysSoWhenPrintingFails();
    void defaultPrinterIsTheSystemsDefault();
    void modalShowReturnsOnceTheWindowCloses();
    void endStopsTheEventLoopWithStatusZero();
    void saveFileNameAsksWhere();
    void saveFileNameCancelledGivesNothing();
    void openFileNameAsksWhich();
    void qtMessagesSpeakAsTheProgram_data();
    void qtMessagesSpeakAsTheProgram();
};

void TestQtRuntime::messageBoxHasTheTitleOkOnlyAndNoIcon() {
    QtRuntime runtime;
    bool looked = false;
    ModalWatcher watcher([&](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        QVERIFY(box != nullptr);
        QCOMPARE(box->windowTitle(), QStringLiteral("Veltrane"));
        QCOMPARE(box->text(), QStringLiteral("Two  spaces stay."));
        QCOMPARE(box->icon(), QMessageBox::NoIcon);
        QCOMPARE(box->buttons().size(), 1);
        QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(static_cast<QAbstractButton*>(box->defaultButton()), box->button(QMessageBox::Ok));
        QVERIFY(box->isModal());
        box->button(QMessageBox::Ok)->click();
        looked = true;
    });
    runtime.messageBox(QStringLiteral("Two  spaces stay."));
    QVERIFY(looked);
    QCOMPARE(watcher.seen(), 1);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void TestQtRuntime::printsAnImageOfTheWindowIntoAFile() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("window.pdf"));
    QtRuntime runtime(pdfInto(path));
    Sample window;
    window.show();
    ModalWatcher watcher;
    runtime.printForm(window);
    QCOMPARE(watcher.seen(), 0);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    QVERIFY(pdf.startsWith("%PDF"));
    // One page, carrying the window as a picture.
    QCOMPARE(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "),
             1);
    QVERIFY(pdf.contains("/Subtype /Image"));
}

void TestQtRuntime::saysSoWhenNoPrinterIsInstalled() {
    QtRuntime runtime([] { return std::unique_ptr<QPrinter>{}; });
    Sample window;
    ModalWatcher watcher;
    runtime.printForm(window);
    QCOMPARE(watcher.seen(), 1);
    QCOMPARE(watcher.titles().front(), QStringLiteral("Veltrane"));
    QCOMPARE(watcher.messages().front(), QString::fromUtf8(veltrane::messages::noPrinter));
}

void TestQtRuntime::saysSoWhenPrintingFails() {
    QTemporaryDir folder;
    QtRuntime runtime(pdfInto(folder.filePath(QStringLiteral("no such folder/window.pdf"))));
    Sample window;
    ModalWatcher watcher;
    runtime.printForm(window);
    QCOMPARE(watcher.seen(), 1);
    QCOMPARE(watcher.messages().front(), QString::fromUtf8(veltrane::messages::printFailed));
}

void TestQtRuntime::defaultPrinterIsTheSystemsDefault() {
    const QPrinterInfo expected = QPrinterInfo::defaultPrinter();
    const std::unique_ptr<QPrinter> printer = QtRuntime::defaultPrinter();
    if (expected.isNull()) {
        QVERIFY(printer == nullptr);
    } else {
        QVERIFY(printer != nullptr);
        QCOMPARE(printer->printerName(), expected.printerName());
        QCOMPARE(printer->outputFormat(), QPrinter::NativeFormat);
    }
}

void TestQtRuntime::modalShowReturnsOnceTheWindowCloses() {
    QtRuntime runtime;
    QDialog dialog;
    bool wasModal = false;
    ModalWatcher watcher([&](QWidget& modal) {
        wasModal = &modal == &dialog && modal.windowModality() == Qt::ApplicationModal;
    });
    runtime.showModal(dialog);
    QVERIFY(wasModal);
    QVERIFY(!dialog.isVisible());
}

void TestQtRuntime::endStopsTheEventLoopWithStatusZero() {
    QtRuntime runtime;
    Sample window;
    window.show();
    bool ranAfterEnd = false;
    QTimer::singleShot(0, &window, [&] {
        runtime.end();
        QTimer::singleShot(0, &window, [&] { ranAfterEnd = true; });
    });
    // A watchdog, in case the loop does not end.
    QTimer::singleShot(5000, &window, [] { QCoreApplication::exit(99); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!ranAfterEnd);
}

void TestQtRuntime::saveFileNameAsksWhere() {
    QTemporaryDir folder;
    QtRuntime runtime;
    Sample window;
    window.show();
    const QString wanted = folder.filePath(QStringLiteral("chart.png"));
    ModalWatcher watcher([&](QWidget& modal) {
        auto* dialog = qobject_cast<QFileDialog*>(&modal);
        QVERIFY(dialog != nullptr);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Save Chart"));
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(dialog->nameFilters(), QStringList{QStringLiteral("PNG images (*.png)")});
        QCOMPARE(dialog->parentWidget(), &window);
        dialog->selectFile(wanted);
        // Save, as the user's Enter would.
        QMetaObject::invokeMethod(dialog, "accept");
    });
    QCOMPARE(runtime.saveFileName(window, QStringLiteral("Save Chart"),
                                  folder.filePath(QStringLiteral("payoff.png")),
                                  QStringLiteral("PNG images (*.png)")),
             wanted);
    QCOMPARE(watcher.seen(), 1);
}

void TestQtRuntime::saveFileNameCancelledGivesNothing() {
    QtRuntime runtime;
    Sample window;
    window.show();
    // The watcher closes it with Esc.
    ModalWatcher watcher;
    QCOMPARE(runtime.saveFileName(window, QStringLiteral("Save Chart"), QStringLiteral("x.png"),
                                  QStringLiteral("PNG images (*.png)")),
             QString());
    QCOMPARE(watcher.seen(), 1);
}

void TestQtRuntime::openFileNameAsksWhich() {
    QTemporaryDir folder;
    const QString wanted = folder.filePath(QStringLiteral("chain.csv"));
    QFile file(wanted);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QtRuntime runtime;
    Sample window;
    window.show();
    ModalWatcher watcher([&](QWidget& modal) {
        auto* dialog = qobject_cast<QFileDialog*>(&modal);
        QVERIFY(dialog != nullptr);
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
        QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
        QCOMPARE(dialog->nameFilters(), QStringList{QStringLiteral("CSV files (*.csv)")});
        // Typed, as a user may: the folder's listing, read in the background, may not be there yet.
        auto* typed = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(typed != nullptr);
        typed->setText(wanted);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    QCOMPARE(runtime.openFileName(window, QStringLiteral("Open Chain"),
                                  QStringLiteral("CSV files (*.csv)")),
             wanted);
    QCOMPARE(watcher.seen(), 1);
}

void TestQtRuntime::qtMessagesSpeakAsTheProgram_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("written");

    QTest::newRow("a warning") << int{QtWarningMsg} << "a font is missing"
                               << "pravik: a font is missing\n";
    QTest::newRow("every line of a critical message") << int{QtCriticalMsg} << "first\nsecond\n"
                                                      << "pravik: first\npravik: second\n";
    QTest::newRow("debug chatter") << int{QtDebugMsg} << "details"
                                   << "";
    QTest::newRow("info chatter") << int{QtInfoMsg} << "details"
                                  << "";
    QTest::newRow("no runtime folder: nothing to act on")
        << int{QtWarningMsg}
        << "QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to '/tmp/runtime-root'"
        << "";
    QTest::newRow("a runtime folder others may read: said")
        << int{QtWarningMsg} << "QStandardPaths: wrong permissions on runtime directory /r"
        << "pravik: QStandardPaths: wrong permissions on runtime directory /r\n";
    QTest::newRow("the offscreen platform's size hints: nothing to act on")
        << int{QtWarningMsg} << "This plugin does not support propagateSizeHints()"
        << "";
}

void TestQtRuntime::qtMessagesSpeakAsTheProgram() {
    QFETCH(int, type);
    QFETCH(QString, message);
    QFETCH(QString, written);

    QCOMPARE(QString::fromStdString(veltrane::qtMessageText(static_cast<QtMsgType>(type), message)),
             written);
}

QTEST_MAIN(TestQtRuntime)
#include "test_qt_runtime.moc"
