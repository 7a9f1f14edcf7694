#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

namespace veltrane::testing {

// Watches for modal windows while a test drives the program. Each one that opens is looked at
// through `onOpen` while it is still open, then closed (by `onOpen`, or by Esc if it is still
// open afterwards), so the test's own call returns. Polls on a timer, which fires inside the
// modal window's own event loop.
class ModalWatcher : public QObject {
public:
    using Handler = std::function<void(QWidget& modal)>;

    explicit ModalWatcher(Handler onOpen = {});

    // How many modal windows opened since the watcher was made.
    int seen() const { return static_cast<int>(titles_.size()); }
    const std::vector<QString>& titles() const { return titles_; }
    // The text of each message box that opened, in order.
    const std::vector<QString>& messages() const { return messages_; }

private:
    void poll();

    Handler onOpen_;
    QTimer timer_;
    QPointer<QWidget> current_;
    std::vector<QString> titles_;
    std::vector<QString> messages_;
};

} // namespace veltrane::testing
