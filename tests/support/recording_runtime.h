#pragma once

#include "runtime/runtime.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <vector>

namespace veltrane::testing {

// A runtime that opens nothing: every message box, modal window, print and ending the forms ask
// for is written down in order, so a test asks directly what the user would have seen.
class RecordingRuntime : public Runtime {
public:
    enum class Kind { MessageBox, Modal, Print, SaveFile, OpenFile, End };

    struct Event {
        Kind kind = Kind::End;
        // A message box's title and text; a modal window's object name and title; a save
        // question's title and its suggested name with the filter; an open question's title and
        // filter.
        QString title;
        QString text;
        // The window shown modally, printed or asking where to save; null once it is gone.
        QPointer<QWidget> window;
    };

    // Looks at each modal window while the form that asked for it still holds it.
    using ModalHandler = std::function<void(QDialog& window)>;

    void messageBox(const QString& prompt) override;
    void showModal(QDialog& window) override;
    void printForm(QWidget& window) override;
    QString saveFileName(QWidget& parent, const QString& title, const QString& suggestedName,
                         const QString& filter) override;
    QString openFileName(QWidget& parent, const QString& title, const QString& filter) override;
    void end() override;

    // What every later save question is answered with; empty, as a cancelled dialog gives.
    void answerSaveFileWith(QString path) { saveAnswer_ = std::move(path); }

    // What every later open question is answered with; empty, as a cancelled dialog gives.
    void answerOpenFileWith(QString path) { openAnswer_ = std::move(path); }

    void onModal(ModalHandler handler) { onModal_ = std::move(handler); }

    const std::vector<Event>& events() const { return events_; }
    // Every request in order, one line each: "message Veltrane: text", "modal frmAbout: About
    // Veltrane ", "print frmMain", "save Save Chart: chart.png (PNG images (*.png))", "open Open
    // Chain: CSV files
    // (*.csv)", "end".
    QStringList log() const;
    // The text of each message box, in order.
    QStringList messages() const;
    int count(Kind kind) const;

private:
    ModalHandler onModal_;
    QString saveAnswer_;
    QString openAnswer_;
    std::vector<Event> events_;
};

} // namespace veltrane::testing
