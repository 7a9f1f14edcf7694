#pragma once

class QDialog;
class QString;
class QWidget;

namespace veltrane {

// The few things the windows ask of the windowing system, and nothing more. The forms call only
// these, so a test can watch every message, modal window, print job and ending.
class Runtime {
public:
    virtual ~Runtime() = default;

    // A modal box with the prompt and an OK button only, no icon, titled with the application
    // title. Returns once the user has closed it.
    virtual void messageBox(const QString& prompt) = 0;

    // Shows the window modally: the other windows take no input until it is closed.
    virtual void showModal(QDialog& window) = 0;

    // Sends an image of the window to the default printer, with no dialog. When there is no
    // printer, or printing fails, the user is told so in a message box.
    virtual void printForm(QWidget& window) = 0;

    // Asks where to save a file, modally, starting at `suggestedName` and offering the files
    // `filter` names ("PNG images (*.png)"). The chosen path, or an empty text if the user
    // cancelled.
    virtual QString saveFileName(QWidget& parent, const QString& title,
                                 const QString& suggestedName, const QString& filter) = 0;

    // Asks which file to open, modally, offering the files `filter` names ("CSV files
    // (*.csv)"). The chosen path, or an empty text if the user cancelled.
    virtual QString openFileName(QWidget& parent, const QString& title, const QString& filter) = 0;

    // Ends the program at once with exit status 0.
    virtual void end() = 0;

protected:
    Runtime() = default;
    Runtime(const Runtime&) = default;
    Runtime& operator=(const Runtime&) = default;
    Runtime(Runtime&&) = default;
    Runtime& operator=(Runtime&&) = default;
};

} // namespace veltrane
