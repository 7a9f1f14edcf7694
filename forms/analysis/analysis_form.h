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
class QFormLayout;
class QLabel;
class QLineEdit;

namespace Ui {
class AnalysisForm;
}

namespace veltrane {

class Runtime;

// The Position Analysis window: the analysis of the main window's position, re-read at every
// edit, with inputs of its own (an expiry date, fees, a dividend and its ex-dividend date, the
// volatility and interest rate the odds are worked out with, a cost basis and the return base),
// its figures in groups, each with a caption and a definition, and the payoff chart. It works out
// nothing itself: the analysis and its market model do. The rate, the volatility and the return
// base are kept in the user's settings (QSettings) from one run to the next. A dialog that is
// never modal: screen readers know it as a dialog of the main window's, and Esc closes it.
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

    // This window's own inputs as a call of the screen had them (plain texts, read with
    // plainSettings(4)): its expiry, fees, dividend and ex-dividend date, volatility, rate and
    // return base; the days count from its as-of date from then on, which the title shows.
    void setCall(const AnalysisInputs& call);

    // The inputs and figures as the Copy command writes them: one "caption<Tab>text" line each.
    QString copiedText() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    // What the window keeps between runs: the texts as typed, and the return base's index.
    struct Remembered {
        QString volatility;
        QString rate;
        int returnBase = 0;
        friend bool operator==(const Remembered&, const Remembered&) = default;
    };

    void sizeInputs();
    void describeInputs();
    void addFigureRows();
    void fitFiguresWidth();
    QFormLayout* groupLayout(FigureGroup group) const;
    void markRefusals(const std::vector<Refusal>& refusals);
    void showFigures(const std::optional<Analysis>& analysis);
    void showGroups(const std::optional<Analysis>& analysis);
    void colourMarks();
    void restoreInputs();
    void rememberInputs(const std::vector<Refusal>& refusals);
    QString numberForm() const;
    AnalysisInputs inputs() const;

    std::unique_ptr<Ui::AnalysisForm> ui_;
    Runtime& runtime_;
    RegionalSettings settings_;
    const FieldAccess& position_;
    Clock today_;
    std::vector<QLineEdit*> figureFields_;
    std::optional<Analysis> analysis_;
    Remembered remembered_;
    // The date the days count from, when a screened call gave one; otherwise today.
    std::optional<QDate> asOf_;
};

} // namespace veltrane
