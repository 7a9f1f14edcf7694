#include "forms/analysis/analysis_form.h"

#include "calc/calendar_date.h"
#include "calc/fields.h"
#include "calc/plain_numbers.h"
#include "chart/analysis_chart_model.h"
#include "chart/payoff_chart_png.h"
#include "chart/payoff_chart_renderer.h"
#include "chart/readable_colour.h"
#include "forms/analysis/date_field.h"
#include "forms/readable_edges_style.h"
#include "pricing/black_scholes_merton.h"
#include "runtime/runtime.h"
#include "ui_analysis_form.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QStringList>
#include <algorithm>
#include <chrono>

namespace veltrane {

namespace {

// The return base's entries, in the combo box's order.
constexpr int stockCostEntry = 0;
constexpr int netDebitEntry = 1;

// Where the user's settings keep this window's inputs.
const QString volatilityKey = QStringLiteral("analysis/volatility");
const QString rateKey = QStringLiteral("analysis/rate");
const QString returnBaseKey = QStringLiteral("analysis/returnBase");
const QString numberFormKey = QStringLiteral("analysis/numberForm");
const QString netDebitValue = QStringLiteral("netDebit");
const QString stockCostValue = QStringLiteral("stockCost");

// An empty box is an input not given.
std::optional<std::string> given(std::string text) {
    if (text.empty()) {
        return std::nullopt;
    }
    return text;
}

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The main window's caption for the field an input of the analysis is read from.
std::optional<QString> mainCaption(AnalysisInput input) {
    const auto caption = [](Field field) {
        return fromUtf8(fieldTable[static_cast<std::size_t>(field)].caption);
    };
    switch (input) {
    case AnalysisInput::optionPrice:
        return caption(Field::intOptionPrice);
    case AnalysisInput::strikePrice:
        return caption(Field::intStrikePrice);
    case AnalysisInput::currentPrice:
        return caption(Field::intCurrentPrice);
    case AnalysisInput::shares:
        return caption(Field::intNoShares);
    case AnalysisInput::months:
        return caption(Field::cboMonthsOut);
    default:
        return std::nullopt;
    }
}

// One cell of a tab-separated line: a tab or line break typed into a field would start another.
QString cell(QString text) {
    for (const QChar breaker : {QLatin1Char('\t'), QLatin1Char('\r'), QLatin1Char('\n')}) {
        text.replace(breaker, QLatin1Char(' '));
    }
    return text;
}

} // namespace

AnalysisForm::AnalysisForm(Runtime& runtime, RegionalSettings settings, const FieldAccess& position,
                           QWidget& owner, Clock today)
    : QDialog(&owner)
    , ui_{std::make_unique<Ui::AnalysisForm>()}
    , runtime_{runtime}
    , settings_{std::move(settings)}
    , position_{position}
    , today_{std::move(today)} {
    ui_->setupUi(this);
    setModal(false);
    // It resizes, and may fill the screen, for a larger chart.
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    ui_->dteExpiry->setPattern(settings_.shortDatePattern);
    ui_->dteExpiry->setDate(today_().addMonths(1));
    ui_->dteExDividend->setPattern(settings_.shortDatePattern);
    ui_->dteExDividend->setDate(today_().addDays(14));
    sizeInputs();
    describeInputs();
    addFigureRows();
    restoreInputs();
    colourMarks();
    ReadableEdgesStyle::applyTo(*this);
    fitFiguresWidth();

    connect(ui_->chkExpiry, &QCheckBox::toggled, ui_->dteExpiry, &QWidget::setEnabled);
    connect(ui_->chkExpiry, &QCheckBox::toggled, this, &AnalysisForm::reanalyse);
    connect(ui_->dteExpiry, &DateField::dateChanged, this, &AnalysisForm::reanalyse);
    connect(ui_->dteExpiry, &DateField::refusalChanged, this, &AnalysisForm::reanalyse);
    connect(ui_->txtFees, &QLineEdit::textChanged, this, &AnalysisForm::reanalyse);
    connect(ui_->txtDividend, &QLineEdit::textChanged, this, &AnalysisForm::reanalyse);
    connect(ui_->chkExDividend, &QCheckBox::toggled, ui_->dteExDividend, &QWidget::setEnabled);
    connect(ui_->chkExDividend, &QCheckBox::toggled, this, &AnalysisForm::reanalyse);
    connect(ui_->dteExDividend, &DateField::dateChanged, this, &AnalysisForm::reanalyse);
    connect(ui_->dteExDividend, &DateField::refusalChanged, this, &AnalysisForm::reanalyse);
    for (QLineEdit* input : {ui_->txtVolatility, ui_->txtRate, ui_->txtCostBasis}) {
        connect(input, &QLineEdit::textChanged, this, &AnalysisForm::reanalyse);
    }
    connect(ui_->cboReturnBase, &QComboBox::currentIndexChanged, this, &AnalysisForm::reanalyse);
    connect(ui_->cmdCopy, &QPushButton::clicked, this, &AnalysisForm::copyToClipboard);
    connect(ui_->cmdSaveChart, &QPushButton::clicked, this, &AnalysisForm::saveChart);
    connect(ui_->cmdClose, &QPushButton::clicked, this, &QWidget::close);
    // Only the main window decides when the program ends; this one goes with it.
    setAttribute(Qt::WA_QuitOnClose, false);

    reanalyse();
}

// The date field finishes its typing when it loses the focus, which happens while the window's
// children are taken down: by then nothing here may answer.
AnalysisForm::~AnalysisForm() {
    ui_->dteExpiry->disconnect(this);
    ui_->dteExDividend->disconnect(this);
}

// The short inputs as wide as what they hold, not the window: a date, and an amount of money.
void AnalysisForm::sizeInputs() {
    const auto fit = [](QLineEdit* input, const QString& longest, int extra) {
        const QFontMetrics metrics = input->fontMetrics();
        input->setMaximumWidth(metrics.horizontalAdvance(longest) + 4 * metrics.averageCharWidth() +
                               extra);
    };
    // The date's calendar button takes about a square of the box's height.
    for (DateField* date : {ui_->dteExpiry, ui_->dteExDividend}) {
        fit(date, date->shownText(QDate(2027, 12, 28)), date->sizeHint().height());
    }
    for (QLineEdit* amount : {ui_->txtFees, ui_->txtDividend, ui_->txtCostBasis}) {
        fit(amount, QStringLiteral("000,000,000.0000"), 0);
    }
    for (QLineEdit* percent : {ui_->txtVolatility, ui_->txtRate}) {
        fit(percent, QStringLiteral("1,000.00"), 0);
    }
}

// What each input of the odds and the shares held stands for, on the input and its label.
void AnalysisForm::describeInputs() {
    struct Described {
        QWidget* label;
        QWidget* input;
        QString text;
    };
    const Described described[] = {
        {ui_->chkExDividend, ui_->dteExDividend,
         QStringLiteral("The dividend's ex-dividend date, after today and on or before the expiry "
                        "date: the odds take the dividend out of the share price, and early "
                        "assignment before it is weighed. Unticked: no ex-dividend date.")},
        {ui_->lblVolatility, ui_->txtVolatility,
         QStringLiteral("The share price's volatility in percent a year, more than 0 and at most "
                        "1000, that the odds are worked out with. Empty: the volatility the "
                        "option price implies.")},
        {ui_->lblRate, ui_->txtRate,
         QStringLiteral("The interest rate in percent a year, continuously compounded, from -20 "
                        "to 100, that the odds are worked out with. Empty: 0.")},
        {ui_->lblCostBasis, ui_->txtCostBasis,
         QStringLiteral("What was paid per share for shares already held: adds the figures of "
                        "the shares held. Empty: none held.")},
        {ui_->lblReturnBase, ui_->cboReturnBase,
         QStringLiteral("What the returns are over: the stock cost (the current price times the "
                        "shares) or the net debit (the stock cost less the premium, plus fees).")},
    };
    for (const Described& input : described) {
        input.label->setToolTip(input.text);
        input.input->setToolTip(input.text);
    }
}

// One row per figure, from the analysis's table: the caption, and the text in a read-only box
// that a screen reader names by the caption; both carry the figure's definition.
void AnalysisForm::addFigureRows() {
    QWidget* previous = ui_->chartPayoff;
    for (const AnalysisFigureInfo& info : analysisFigures) {
        QFormLayout* rows = groupLayout(info.group);
        QWidget* box = rows->parentWidget();
        auto* field = new QLineEdit(box);
        field->setObjectName(fromUtf8(info.key));
        field->setReadOnly(true);
        // Words read from their start; amounts line up at the right.
        field->setAlignment((info.kind == FigureKind::text ? Qt::AlignLeft : Qt::AlignRight) |
                            Qt::AlignVCenter);
        field->setMinimumWidth(
            field->fontMetrics().horizontalAdvance(QStringLiteral("($000,000,000.00)")));
        const QString definition = fromUtf8(info.definition);
        field->setToolTip(definition);
        field->setAccessibleDescription(definition);
        auto* caption = new QLabel(fromUtf8(info.caption), box);
        caption->setObjectName(fromUtf8(info.key) + QStringLiteral("_caption"));
        caption->setToolTip(definition);
        caption->setBuddy(field);
        rows->addRow(caption, field);
        setTabOrder(previous, field);
        previous = field;
        figureFields_.push_back(field);
    }
    setTabOrder(previous, ui_->cmdCopy);
}

// The figures' column as wide as its widest row, every group shown, and its scroll bar: a
// figure is never cut off at the side, and the column keeps its width as groups come and go.
void AnalysisForm::fitFiguresWidth() {
    QScrollArea* area = ui_->figuresArea;
    area->setMinimumWidth(ui_->figuresContents->minimumSizeHint().width() +
                          area->verticalScrollBar()->sizeHint().width() + 2 * area->frameWidth());
}

QFormLayout* AnalysisForm::groupLayout(FigureGroup group) const {
    switch (group) {
    case FigureGroup::trade:
        break;
    case FigureGroup::odds:
        return ui_->oddsLayout;
    case FigureGroup::earlyAssignment:
        return ui_->earlyAssignmentLayout;
    case FigureGroup::basis:
        return ui_->basisLayout;
    }
    return ui_->tradeLayout;
}

AnalysisInputs AnalysisForm::inputs() const {
    const auto text = [](const QLineEdit* field) { return given(field->text().toStdString()); };
    const auto mainText = [this](Field field) { return given(position_.text(field)); };
    AnalysisInputs in;
    in.optionPrice = mainText(Field::intOptionPrice);
    in.strikePrice = mainText(Field::intStrikePrice);
    in.currentPrice = mainText(Field::intCurrentPrice);
    in.shares = mainText(Field::intNoShares);
    if (ui_->chkExpiry->isChecked()) {
        in.expiry = ui_->dteExpiry->date().toString(Qt::ISODate).toStdString();
    } else {
        in.months = mainText(Field::cboMonthsOut);
    }
    in.fees = text(ui_->txtFees);
    in.dividend = text(ui_->txtDividend);
    if (ui_->chkExDividend->isChecked()) {
        in.exDividend = ui_->dteExDividend->date().toString(Qt::ISODate).toStdString();
    }
    in.volatility = text(ui_->txtVolatility);
    in.rate = text(ui_->txtRate);
    in.costBasis = text(ui_->txtCostBasis);
    in.returnBase = ui_->cboReturnBase->currentIndex() == netDebitEntry ? ReturnBase::netDebit
                                                                        : ReturnBase::stockCost;
    if (asOf_) {
        in.asOf = asOf_->toString(Qt::ISODate).toStdString();
    }
    const QDate now = today_();
    in.today = std::chrono::year_month_day{std::chrono::year{now.year()},
                                           std::chrono::month{static_cast<unsigned>(now.month())},
                                           std::chrono::day{static_cast<unsigned>(now.day())}};
    return in;
}

// Every edit, here or in the main window, analyses the position afresh.
void AnalysisForm::reanalyse() {
    const AnalysisResult result = analysePosition(inputs(), settings_, &blackScholesMerton());
    markRefusals(result.refusals);
    showFigures(result.analysis);
    rememberInputs(result.refusals);
}

// Each refusal at its input: this window's beside the input, the main window's in one line that
// names the main window's field.
void AnalysisForm::markRefusals(const std::vector<Refusal>& refusals) {
    struct Own {
        AnalysisInput input;
        QWidget* field;
        QLabel* mark;
    };
    const Own own[] = {
        {AnalysisInput::expiry, ui_->dteExpiry, ui_->lblExpiryRefusal},
        {AnalysisInput::fees, ui_->txtFees, ui_->lblFeesRefusal},
        {AnalysisInput::dividend, ui_->txtDividend, ui_->lblDividendRefusal},
        {AnalysisInput::exDividend, ui_->dteExDividend, ui_->lblExDividendRefusal},
        {AnalysisInput::volatility, ui_->txtVolatility, ui_->lblVolatilityRefusal},
        {AnalysisInput::rate, ui_->txtRate, ui_->lblRateRefusal},
        {AnalysisInput::costBasis, ui_->txtCostBasis, ui_->lblCostBasisRefusal},
    };
    for (const Own& input : own) {
        input.mark->clear();
        input.mark->hide();
        input.field->setAccessibleDescription({});
    }
    QStringList mainLines;
    for (const Refusal& refusal : refusals) {
        const QString message = QString::fromStdString(refusalMessage(refusal));
        AnalysisInput input = refusal.input;
        // Without an expiry date the time to expiry is the main window's months.
        if (refusal.reason == RefusalReason::noTimeToExpiry && !ui_->chkExpiry->isChecked()) {
            input = AnalysisInput::months;
        }
        if (const std::optional<QString> caption = mainCaption(input)) {
            const bool empty = refusal.reason == RefusalReason::missing ||
                               refusal.reason == RefusalReason::noSharesOrContracts ||
                               refusal.reason == RefusalReason::noTimeToExpiry;
            mainLines << QStringLiteral("Main window, %1: %2")
                             .arg(*caption, empty ? QStringLiteral("empty.") : message);
            continue;
        }
        for (const Own& mine : own) {
            if (mine.input == input) {
                mine.mark->setText(message);
                mine.mark->show();
                mine.field->setAccessibleDescription(message);
            }
        }
    }
    // A date typed that could not be read: the date it had still counts, and the user is told.
    const auto markTyped = [](const QCheckBox* check, DateField* date, QLabel* mark) {
        if (!check->isChecked() || date->refusedText().isEmpty()) {
            return;
        }
        const QString message =
            QStringLiteral("%1 \"%2\" is not a date written like %3; the date stays %4.")
                .arg(date->accessibleName(), date->refusedText(),
                     date->shownText(QDate(date->date().year(), 12, 31)),
                     date->shownText(date->date()));
        mark->setText(mark->text().isEmpty() ? message
                                             : message + QLatin1Char('\n') + mark->text());
        mark->show();
        date->setAccessibleDescription(mark->text());
    };
    markTyped(ui_->chkExpiry, ui_->dteExpiry, ui_->lblExpiryRefusal);
    markTyped(ui_->chkExDividend, ui_->dteExDividend, ui_->lblExDividendRefusal);
    ui_->lblMainRefusals->setText(mainLines.join(QLatin1Char('\n')));
    ui_->lblMainRefusals->setVisible(!mainLines.isEmpty());
}

void AnalysisForm::showFigures(const std::optional<Analysis>& analysis) {
    analysis_ = analysis;
    for (std::size_t i = 0; i < analysisFigures.size(); ++i) {
        std::optional<std::string> text;
        if (analysis) {
            text = figureText(*analysis, analysisFigures[i].figure, settings_);
        }
        QLineEdit* field = figureFields_[i];
        field->setText(text ? QString::fromStdString(*text) : QString());
        // A long note shows its start; the whole of it is in the tooltip too.
        field->setCursorPosition(0);
        const QString definition = fromUtf8(analysisFigures[i].definition);
        field->setToolTip(analysisFigures[i].kind == FigureKind::text && text
                              ? definition + QLatin1Char('\n') + field->text()
                              : definition);
    }
    showGroups(analysis);
    std::optional<PayoffChartModel> model;
    if (analysis) {
        model = payoffChartModel(*analysis, settings_);
    }
    ui_->chartPayoff->setChart(
        model ? std::optional<PayoffChartRenderer>(PayoffChartRenderer(*model, settings_))
              : std::nullopt);
    ui_->cmdSaveChart->setEnabled(model.has_value());
}

// A figure's row shows unless its input was not given: without an analysis, unless the input
// its group needs is empty; a group's box shows while any of its rows does.
void AnalysisForm::showGroups(const std::optional<Analysis>& analysis) {
    const auto asked = [this](FigureGroup group) {
        switch (group) {
        case FigureGroup::trade:
        case FigureGroup::odds:
            break;
        case FigureGroup::earlyAssignment:
            return ui_->chkExDividend->isChecked();
        case FigureGroup::basis:
            return !ui_->txtCostBasis->text().isEmpty();
        }
        return true;
    };
    for (std::size_t i = 0; i < analysisFigures.size(); ++i) {
        const AnalysisFigureInfo& info = analysisFigures[i];
        const bool shown =
            analysis ? analysis->state(info.figure) != FigureState::notAsked : asked(info.group);
        groupLayout(info.group)->setRowVisible(figureFields_[i], shown);
    }
    for (const FigureGroup group : {FigureGroup::trade, FigureGroup::odds,
                                    FigureGroup::earlyAssignment, FigureGroup::basis}) {
        const auto inGroup = [&](std::size_t i) {
            return analysisFigures[i].group == group && !figureFields_[i]->isHidden();
        };
        bool any = false;
        for (std::size_t i = 0; i < analysisFigures.size() && !any; ++i) {
            any = inGroup(i);
        }
        groupLayout(group)->parentWidget()->setVisible(any);
    }
}

void AnalysisForm::setCall(const AnalysisInputs& call) {
    static const RegionalSettings plain = plainSettings(4);
    const auto typed = [this](const std::optional<std::string>& text) {
        const ParsedNumber parsed = parseNumber(text.value_or(""), plain);
        return text && parsed.ok()
                   ? QString::fromStdString(numberText(parsed.value, settings_).value_or(""))
                   : QString();
    };
    const auto date = [](const std::optional<std::string>& text) {
        return text ? QDate::fromString(QString::fromStdString(*text), Qt::ISODate) : QDate();
    };
    const QDate asOf = date(call.asOf);
    asOf_ = asOf.isValid() ? std::optional<QDate>{asOf} : std::nullopt;
    setWindowTitle(asOf_ ? QStringLiteral("Position Analysis as of %1")
                               .arg(QString::fromStdString(shownDateText(
                                   std::chrono::year_month_day{
                                       std::chrono::year{asOf.year()},
                                       std::chrono::month{static_cast<unsigned>(asOf.month())},
                                       std::chrono::day{static_cast<unsigned>(asOf.day())}},
                                   settings_.shortDatePattern)))
                         : QStringLiteral("Position Analysis"));
    if (const QDate expiry = date(call.expiry); expiry.isValid()) {
        ui_->dteExpiry->setDate(expiry);
        ui_->chkExpiry->setChecked(true);
    }
    ui_->txtFees->setText(typed(call.fees));
    ui_->txtDividend->setText(typed(call.dividend));
    const QDate exDividend = date(call.exDividend);
    if (exDividend.isValid()) {
        ui_->dteExDividend->setDate(exDividend);
    }
    ui_->chkExDividend->setChecked(exDividend.isValid());
    ui_->txtVolatility->setText(typed(call.volatility));
    ui_->txtRate->setText(typed(call.rate));
    ui_->cboReturnBase->setCurrentIndex(call.returnBase == ReturnBase::netDebit ? netDebitEntry
                                                                                : stockCostEntry);
    reanalyse();
}

QString AnalysisForm::copiedText() const {
    QStringList lines;
    const auto add = [&](const QString& caption, const QString& text) {
        lines << cell(caption) + QLatin1Char('\t') + cell(text);
    };
    const auto fieldCaption = [](Field field) {
        return fromUtf8(fieldTable[static_cast<std::size_t>(field)].caption);
    };
    const auto addMain = [&](Field field) {
        add(fieldCaption(field), QString::fromStdString(position_.text(field)));
    };
    addMain(Field::intOptionPrice);
    addMain(Field::intStrikePrice);
    addMain(Field::intCurrentPrice);
    addMain(Field::intNoShares);
    if (ui_->chkExpiry->isChecked()) {
        add(ui_->chkExpiry->text().remove(QLatin1Char('&')),
            ui_->dteExpiry->date().toString(Qt::ISODate));
    } else {
        addMain(Field::cboMonthsOut);
    }
    add(ui_->lblFees->text().remove(QLatin1Char('&')), ui_->txtFees->text());
    add(ui_->lblDividend->text().remove(QLatin1Char('&')), ui_->txtDividend->text());
    add(ui_->chkExDividend->text().remove(QLatin1Char('&')),
        ui_->chkExDividend->isChecked() ? ui_->dteExDividend->date().toString(Qt::ISODate)
                                        : QString());
    for (const auto& [label, input] :
         {std::pair{ui_->lblVolatility, ui_->txtVolatility}, std::pair{ui_->lblRate, ui_->txtRate},
          std::pair{ui_->lblCostBasis, ui_->txtCostBasis}}) {
        add(label->text().remove(QLatin1Char('&')), input->text());
    }
    add(ui_->lblReturnBase->text().remove(QLatin1Char('&')), ui_->cboReturnBase->currentText());
    for (std::size_t i = 0; i < analysisFigures.size(); ++i) {
        add(fromUtf8(analysisFigures[i].caption), figureFields_[i]->text());
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void AnalysisForm::copyToClipboard() {
    QGuiApplication::clipboard()->setText(copiedText());
}

// The chart as a PNG, black on white and at the size it has on the screen, where the user says.
void AnalysisForm::saveChart() {
    const std::optional<PayoffChartModel> model =
        analysis_ ? payoffChartModel(*analysis_, settings_) : std::nullopt;
    if (!model) {
        return;
    }
    QString path = runtime_.saveFileName(*this, QStringLiteral("Save Chart"),
                                         QStringLiteral("payoff-chart.png"),
                                         QStringLiteral("PNG images (*.png)"));
    if (path.isEmpty()) {
        return;
    }
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
        path += QStringLiteral(".png");
    }
    if (!writePayoffChartPng(*model, settings_, ui_->chartPayoff->size(), path)) {
        runtime_.messageBox(QStringLiteral("The chart could not be saved to %1.")
                                .arg(QDir::toNativeSeparators(path)));
    }
}

void AnalysisForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) {
        colourMarks();
    }
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        fitFiguresWidth();
    }
    QDialog::changeEvent(event);
}

// Set again whenever the palette changes, so the refusals stay readable in light and dark.
void AnalysisForm::colourMarks() {
    const QPalette window = palette();
    const QPalette own = refusalPalette(window);
    for (QLabel* mark : {ui_->lblExpiryRefusal, ui_->lblFeesRefusal, ui_->lblDividendRefusal,
                         ui_->lblExDividendRefusal, ui_->lblVolatilityRefusal, ui_->lblRateRefusal,
                         ui_->lblCostBasisRefusal, ui_->lblMainRefusals}) {
        mark->setPalette(own);
    }
}

// The separators the remembered texts were typed with: under other settings they would read as
// other numbers, so they are not put back there.
QString AnalysisForm::numberForm() const {
    return QString::fromStdString(settings_.decimalSeparator + settings_.groupSeparator);
}

void AnalysisForm::restoreInputs() {
    const QSettings stored;
    if (stored.value(numberFormKey).toString() == numberForm()) {
        remembered_.volatility = stored.value(volatilityKey).toString();
        remembered_.rate = stored.value(rateKey).toString();
    }
    remembered_.returnBase =
        stored.value(returnBaseKey).toString() == netDebitValue ? netDebitEntry : stockCostEntry;
    ui_->txtVolatility->setText(remembered_.volatility);
    ui_->txtRate->setText(remembered_.rate);
    ui_->cboReturnBase->setCurrentIndex(remembered_.returnBase);
}

// The last volatility and rate the analysis took, and the return base, written only when one
// changes: every edit of the position comes here.
void AnalysisForm::rememberInputs(const std::vector<Refusal>& refusals) {
    const auto refused = [&](AnalysisInput input) {
        return std::any_of(refusals.begin(), refusals.end(),
                           [&](const Refusal& refusal) { return refusal.input == input; });
    };
    Remembered now = remembered_;
    if (!refused(AnalysisInput::volatility)) {
        now.volatility = ui_->txtVolatility->text();
    }
    if (!refused(AnalysisInput::rate)) {
        now.rate = ui_->txtRate->text();
    }
    now.returnBase = ui_->cboReturnBase->currentIndex();
    if (now == remembered_) {
        return;
    }
    QSettings stored;
    stored.setValue(volatilityKey, now.volatility);
    stored.setValue(rateKey, now.rate);
    stored.setValue(numberFormKey, numberForm());
    stored.setValue(returnBaseKey,
                    now.returnBase == netDebitEntry ? netDebitValue : stockCostValue);
    remembered_ = now;
}

} // namespace veltrane
