#pragma once

#include "calc/regional_settings.h"
#include "calc/screen_options.h"

#include <QDate>
#include <QDialog>
#include <QString>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QTableView;

namespace veltrane {

class Runtime;
class ScreenedCallsModel;
struct ScreenedRow;

// What screens a chain for the window: the command line's engine, handed in by the program's
// start, since the windows do not read CSV themselves.
struct ChainScreener {
    // Screens the chain file; reads `progress.cancel` between blocks and reports bytes read.
    std::function<ScreenResult(const std::string& path, const ScreenOptions& options,
                               const ScreenProgress& progress)>
        screen;
    // Reads a quotes file into `options.quotes`; the reason when it cannot.
    std::function<std::optional<std::string>(const std::string& path, ScreenOptions& options)>
        readQuotes;
};

// The Screen Option Chain window: a chain file and the screen's inputs and filters, the calls
// worth selling in a sortable table, a line of counts. The screen runs on a thread of its own,
// with a progress bar and Cancel; Enter or a double-click on a row asks for that call's
// analysis (callOpened). A dialog of the main window's, never modal; Esc cancels a running
// screen, and closes the window otherwise.
class ScreenForm : public QDialog {
    Q_OBJECT

public:
    Q_DISABLE_COPY_MOVE(ScreenForm)

    using Clock = std::function<QDate()>;

    ScreenForm(Runtime& runtime, RegionalSettings settings, ChainScreener screener, QWidget& owner,
               Clock today = &QDate::currentDate);
    ~ScreenForm() override;

    // The commands.
    void screen();
    void cancel();
    void browseChain();
    void browseQuotes();
    void exportCsv();
    void openCurrentCall();
    void chooseColumns();

    bool running() const { return worker_.joinable(); }
    const ScreenedCallsModel& calls() const { return *model_; }

signals:
    // The user asked for this call's analysis.
    void callOpened(const veltrane::ScreenedCall& call);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct NumberInput;
    struct Outcome;

    // Queued from the worker by name, so no functor crosses to the interface thread.
    Q_INVOKABLE void screenDone();

    void buildInputs();
    void buildTable();
    void connectCommands();
    QLineEdit* numberInput(const char* name, double low, double high, bool lowIncluded = true);
    std::optional<double> readNumber(const char* name, bool& refused);
    std::optional<ScreenOptions> readInputs();
    void markRefusal(QLineEdit* field, const QString& message);
    void clearRefusals();
    void showProgress();
    void finished(const std::shared_ptr<Outcome>& outcome);
    void setRunning(bool running);
    void showStatus(const QString& text, bool refusal);
    void colourMarks();
    void restoreColumns();
    void rememberColumns() const;
    QMenu* columnsMenu();

    Runtime& runtime_;
    RegionalSettings settings_;
    ChainScreener screener_;
    Clock today_;

    QLineEdit* chain_ = nullptr;
    QLineEdit* quotes_ = nullptr;
    QLineEdit* asOf_ = nullptr;
    QComboBox* price_ = nullptr;
    QComboBox* volatility_ = nullptr;
    QComboBox* returnBase_ = nullptr;
    QComboBox* minReturnFigure_ = nullptr;
    QComboBox* callsKind_ = nullptr;
    QComboBox* rankBy_ = nullptr;
    QComboBox* topPer_ = nullptr;
    std::vector<std::unique_ptr<NumberInput>> numbers_;
    std::vector<QLabel*> marks_;
    QPushButton* screenButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* exportButton_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QTableView* table_ = nullptr;
    QLabel* status_ = nullptr;
    ScreenedCallsModel* model_ = nullptr;
    QMenu* columns_ = nullptr;
    QTimer progressTimer_;
    // What the worker found, read once it has been joined.
    std::shared_ptr<Outcome> outcome_;

    // Shared with the thread that screens.
    std::atomic<bool> cancel_{false};
    std::atomic<std::uint64_t> bytesRead_{0};
    std::uint64_t fileSize_ = 0;
    std::thread worker_;
};

} // namespace veltrane
