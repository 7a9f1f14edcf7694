#pragma once

#include "calc/regional_settings.h"
#include "forms/main/control_fields.h"
#include "forms/screen/screen_form.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <memory>

class QLabel;

namespace Ui {
class MainForm;
}

namespace veltrane {

class AnalysisForm;
class Runtime;

// The calculator's window: five inputs, seven results, three buttons and three menus. It does no
// arithmetic of its own: the calculation reads and writes its fields, and everything it asks of
// the windowing system goes through the runtime.
class MainForm : public QMainWindow {
    Q_OBJECT

public:
    Q_DISABLE_COPY_MOVE(MainForm)

    // `screener` screens option chains for the Screen Option Chain window; without one, that
    // window's Screen button is greyed.
    MainForm(Runtime& runtime, RegionalSettings settings, ChainScreener screener = {},
             QWidget* parent = nullptr);
    ~MainForm() override;

    // The commands, one for each entry point of the window.
    void calculateWithCheck();
    void calculateWithoutCheck();
    void clearFields();
    void printForm();
    void exitProgram();
    void showAbout();
    void showPositionAnalysis();
    void showScreenChain();
    // A call of the screen in the Position Analysis window: its four amounts typed here as the
    // user would type them, the rest in the analysis window's own inputs.
    void openScreenedCall(const ScreenedCall& call);

    // The Position Analysis window, once it has been opened.
    AnalysisForm* positionAnalysis() const;
    // The Screen Option Chain window, once it has been opened.
    ScreenForm* screenChain() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void placeControls();
    void setUpResultFields();
    void colourResults();
    void setUpEnterChain();
    void connectCommands();
    // The labels before the three price boxes that show the user's currency sign.
    std::array<QLabel*, 3> currencySigns() const;

    std::unique_ptr<Ui::MainForm> ui_;
    Runtime& runtime_;
    RegionalSettings settings_;
    ControlFields fields_;
    // Built when first opened, so the main window starts as fast as before.
    QPointer<AnalysisForm> analysis_;
    ChainScreener screener_;
    QPointer<ScreenForm> screen_;
    // The Enter chain in order: each of the first five, on Enter, hands the focus to the next.
    std::array<QWidget*, 6> enterChain_{};
};

} // namespace veltrane
