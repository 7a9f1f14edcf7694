#pragma once

#include "runtime/runtime.h"

#include <functional>
#include <memory>

class QPrinter;

namespace veltrane {

// The runtime on Qt Widgets: message boxes, modal dialogs, printing on QPrinter, and the end of
// the application's event loop.
class QtRuntime : public Runtime {
public:
    // Gives the printer to print on, or nothing when there is none to be had.
    using PrinterSource = std::function<std::unique_ptr<QPrinter>()>;

    // Prints on the system's default printer.
    QtRuntime();
    explicit QtRuntime(PrinterSource printers);

    void messageBox(const QString& prompt) override;
    void showModal(QDialog& window) override;
    void printForm(QWidget& window) override;
    QString saveFileName(QWidget& parent, const QString& title, const QString& suggestedName,
                         const QString& filter) override;
    QString openFileName(QWidget& parent, const QString& title, const QString& filter) override;
    void end() override;

    // The system's default printer, or nothing when no printer is installed.
    static std::unique_ptr<QPrinter> defaultPrinter();

private:
    PrinterSource printers_;
};

} // namespace veltrane
