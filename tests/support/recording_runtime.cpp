#include "tests/support/recording_runtime.h"

#include "identity/names.h"

#include <QDialog>
#include <algorithm>

namespace veltrane::testing {

void RecordingRuntime::messageBox(const QString& prompt) {
    // The title the real runtime gives every message box.
    const auto title =
        QString::fromUtf8(identity::title.data(), static_cast<qsizetype>(identity::title.size()));
    events_.push_back({Kind::MessageBox, title, prompt, {}});
}

void RecordingRuntime::showModal(QDialog& window) {
    events_.push_back({Kind::Modal, window.objectName(), window.windowTitle(), &window});
    if (onModal_) {
        onModal_(window);
    }
}

void RecordingRuntime::printForm(QWidget& window) {
    events_.push_back({Kind::Print, window.objectName(), {}, &window});
}

QString RecordingRuntime::saveFileName(QWidget& parent, const QString& title,
                                       const QString& suggestedName, const QString& filter) {
    events_.push_back(
        {Kind::SaveFile, title, QStringLiteral("%1 (%2)").arg(suggestedName, filter), &parent});
    return saveAnswer_;
}

QString RecordingRuntime::openFileName(QWidget& parent, const QString& title,
                                       const QString& filter) {
    events_.push_back({Kind::OpenFile, title, filter, &parent});
    return openAnswer_;
}

void RecordingRuntime::end() {
    events_.push_back({Kind::End, {}, {}, {}});
}

QStringList RecordingRuntime::log() const {
    QStringList lines;
    for (const Event& event : events_) {
        switch (event.kind) {
        case Kind::MessageBox:
            lines << QStringLiteral("message %1: %2").arg(event.title, event.text);
            break;
        case Kind::Modal:
            lines << QStringLiteral("modal %1: %2").arg(event.title, event.text);
            break;
        case Kind::Print:
            lines << QStringLiteral("print %1").arg(event.title);
            break;
        case Kind::SaveFile:
            lines << QStringLiteral("save %1: %2").arg(event.title, event.text);
            break;
        case Kind::OpenFile:
            lines << QStringLiteral("open %1: %2").arg(event.title, event.text);
            break;
        case Kind::End:
            lines << QStringLiteral("end");
            break;
        }
    }
    return lines;
}

QStringList RecordingRuntime::messages() const {
    QStringList texts;
    for (const Event& event : events_) {
        if (event.kind == Kind::MessageBox) {
            texts << event.text;
        }
    }
    return texts;
}

int RecordingRuntime::count(Kind kind) const {
    return static_cast<int>(std::count_if(
        events_.begin(), events_.end(), [kind](const Event& event) { return event.kind == kind; }));
}

} // namespace veltrane::testing
