#pragma once

#include "calc/regional_settings.h"
#include "forms/main/control_fields.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>

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
    MainForm(Runtime& runtime, const RegionalSettings& settings, QWidget* parent = nullptr);
    ~MainForm() override;

    // The commands, one for each entry point of the window.
    void calculateWithCheck();
    void calculateWithoutCheck();
    void clearFields();
    void printForm();
    void exitProgram();
    void showAbout();
    void showPositionAnalysis();

    // The Position Analysis window, once it has been opened.
    AnalysisForm* positionAnalysis() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void placeControls();
    void setUpResultFields();
    void colourResults();
    void setUpEnterChain();
    void connectCommands();

    std::unique_ptr<Ui::MainForm> ui_;
    Runtime& runtime_;
    RegionalSettings settings_;
    ControlFields fields_;
    // Built when first opened, so the main window starts as fast as before.
    QPointer<AnalysisForm> analysis_;
};

} // namespace veltrane
