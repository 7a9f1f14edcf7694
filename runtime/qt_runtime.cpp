#include "runtime/qt_runtime.h"

#include "identity/identity.h"
#include "runtime/print_messages.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

namespace veltrane {

QtRuntime::QtRuntime()
    : QtRuntime(&QtRuntime::defaultPrinter) {}

QtRuntime::QtRuntime(PrinterSource printers)
    : printers_{std::move(printers)} {}

void QtRuntime::messageBox(const QString& prompt) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(identity::title), prompt,
                    QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
}

void QtRuntime::showModal(QDialog& window) {
    window.setWindowModality(Qt::ApplicationModal);
    window.exec();
}

void QtRuntime::printForm(QWidget& window) {
    const std::unique_ptr<QPrinter> printer = printers_ ? printers_() : nullptr;
    if (!printer) {
        messageBox(QString::fromUtf8(messages::noPrinter));
        return;
    }
    const QPixmap image = window.grab();
    QPainter painter;
    if (!painter.begin(printer.get())) {
        messageBox(QString::fromUtf8(messages::printFailed));
        return;
    }
    // The window at its size on the screen, made smaller only when the page is too narrow.
    const QRect page = painter.viewport();
    const double dotsPerPixel =
        static_cast<double>(printer->resolution()) / static_cast<double>(window.logicalDpiX());
    const double fit = std::min(
        {dotsPerPixel, static_cast<double>(page.width()) / static_cast<double>(image.width()),
         static_cast<double>(page.height()) / static_cast<double>(image.height())});
    const QSize size(static_cast<int>(image.width() * fit), static_cast<int>(image.height() * fit));
    painter.drawPixmap(QRect(QPoint(0, 0), size), image);
    if (!painter.end() || printer->printerState() == QPrinter::Error) {
        messageBox(QString::fromUtf8(messages::printFailed));
    }
}

QString QtRuntime::saveFileName(QWidget& parent, const QString& title, const QString& suggestedName,
                                const QString& filter) {
    QFileDialog dialog(&parent, title, suggestedName, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().front();
}

QString QtRuntime::openFileName(QWidget& parent, const QString& title, const QString& filter) {
    QFileDialog dialog(&parent, title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().front();
}

void QtRuntime::end() {
    QCoreApplication::exit(0);
}

std::unique_ptr<QPrinter> QtRuntime::defaultPrinter() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        return nullptr;
    }
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

} // namespace veltrane
