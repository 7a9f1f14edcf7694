#pragma once

#include "calc/analysis.h"
#include "calc/calculation.h"
#include "calc/regional_settings.h"

#include <QDate>
#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;

namespace Ui {
class AnalysisForm;
}

namespace veltrane {

class Runtime;

// The Position Analysis window: the analysis of the main window's position, re-read at every
// edit, with an expiry date, fees and a dividend of its own, its figures each with a caption and
// a definition, and the payoff chart. It works out nothing itself: the analysis does. A dialog
// that is never modal: screen readers know it as a dialog of the main window's, and Esc closes it.
class AnalysisForm : public QDialog {
    Q_OBJECT

public:
    Q_DISABLE_COPY_MOVE(AnalysisForm)

    // Today's date; the program reads the clock there and nowhere else.
    using Clock = std::function<QDate()>;

    // A window of `owner`'s, which closes with it. It reads the main window's four amounts and
    // months through `position`, as the calculation does; the owner calls reanalyse() when they
    // change.
    AnalysisForm(Runtime& runtime, RegionalSettings settings, const FieldAccess& position,
                 QWidget& owner, Clock today = &QDate::currentDate);
    ~AnalysisForm() override;

    // The commands.
    void reanalyse();
    void copyToClipboard();
    void saveChart();

    // The inputs and figures as the Copy command writes them: one "caption<Tab>text" line each.
    QString copiedText() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void sizeInputs();
    void addFigureRows();
    void markRefusals(const std::vector<Refusal>& refusals);
    void showFigures(const std::optional<Analysis>& analysis);
    void colourMarks();
    AnalysisInputs inputs() const;

    std::unique_ptr<Ui::AnalysisForm> ui_;
    Runtime& runtime_;
    RegionalSettings settings_;
    const FieldAccess& position_;
    Clock today_;
    std::vector<QLineEdit*> figureFields_;
    std::optional<Analysis> analysis_;
};

} // namespace veltrane
