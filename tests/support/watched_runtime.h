#pragma once

#include "runtime/qt_runtime.h"

#include <QPointer>
#include <QWidget>

namespace veltrane::testing {

// The real runtime, except that ending the program and printing are only counted: a test sees
// them happen without losing its event loop or needing a printer.
class WatchedRuntime : public QtRuntime {
public:
    void end() override { ++ends; }
    void printForm(QWidget& window) override {
        ++prints;
        printed = &window;
    }

    int ends = 0;
    int prints = 0;
    QPointer<QWidget> printed;
};

} // namespace veltrane::testing
