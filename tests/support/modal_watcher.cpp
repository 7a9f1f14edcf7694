#include "tests/support/modal_watcher.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>

namespace veltrane::testing {

ModalWatcher::ModalWatcher(Handler onOpen)
    : onOpen_{std::move(onOpen)} {
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, &ModalWatcher::poll);
    timer_.start();
}

void ModalWatcher::poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == current_ || !modal->isVisible()) {
        return;
    }
    current_ = modal;
    titles_.push_back(modal->windowTitle());
    if (const auto* box = qobject_cast<QMessageBox*>(modal)) {
        messages_.push_back(box->text());
    }
    if (onOpen_) {
        onOpen_(*modal);
    }
    if (current_ && current_->isVisible()) {
        QTest::keyClick(current_, Qt::Key_Escape);
    }
    if (current_ && current_->isVisible()) {
        current_->close();
    }
}

} // namespace veltrane::testing
