#include "forms/analysis/analysis_form.h"

#include "calc/fields.h"
#include "chart/analysis_chart_model.h"
#include "chart/payoff_chart_png.h"
#include "chart/payoff_chart_renderer.h"
#include "chart/readable_colour.h"
#include "forms/analysis/date_field.h"
#include "forms/readable_edges_style.h"
#include "runtime/runtime.h"
#include "ui_analysis_form.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <chrono>

namespace veltrane {

namespace {

// The colour a refusal is written in: a red, made readable on the window's background.
const QColor refusalHue(0xb0, 0x00, 0x00);

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
    sizeInputs();
    addFigureRows();
    colourMarks();
    ReadableEdgesStyle::applyTo(*this);

    connect(ui_->chkExpiry, &QCheckBox::toggled, ui_->dteExpiry, &QWidget::setEnabled);
    connect(ui_->chkExpiry, &QCheckBox::toggled, this, &AnalysisForm::reanalyse);
    connect(ui_->dteExpiry, &DateField::dateChanged, this, &AnalysisForm::reanalyse);
    connect(ui_->dteExpiry, &DateField::refusalChanged, this, &AnalysisForm::reanalyse);
    connect(ui_->txtFees, &QLineEdit::textChanged, this, &AnalysisForm::reanalyse);
    connect(ui_->txtDividend, &QLineEdit::textChanged, this, &AnalysisForm::reanalyse);
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
}

// The short inputs as wide as what they hold, not the window: a date, and an amount of money.
void AnalysisForm::sizeInputs() {
    const auto fit = [](QLineEdit* input, const QString& longest, int extra) {
        const QFontMetrics metrics = input->fontMetrics();
        input->setMaximumWidth(metrics.horizontalAdvance(longest) + 4 * metrics.averageCharWidth() +
                               extra);
    };
    // The date's calendar button takes about a square of the box's height.
    DateField* date = ui_->dteExpiry;
    fit(date, date->shownText(QDate(2027, 12, 28)), date->sizeHint().height());
    for (QLineEdit* amount : {ui_->txtFees, ui_->txtDividend}) {
        fit(amount, QStringLiteral("000,000,000.0000"), 0);
    }
}

// One row per figure, from the analysis's table: the caption, and the text in a read-only box
// that a screen reader names by the caption; both carry the figure's definition.
void AnalysisForm::addFigureRows() {
    QWidget* previous = ui_->chartPayoff;
    for (const AnalysisFigureInfo& info : analysisFigures) {
        auto* field = new QLineEdit(ui_->grpFigures);
        field->setObjectName(fromUtf8(info.key));
        field->setReadOnly(true);
        field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        field->setMinimumWidth(
            field->fontMetrics().horizontalAdvance(QStringLiteral("($000,000,000.00)")));
        const QString definition = fromUtf8(info.definition);
        field->setToolTip(definition);
        field->setAccessibleDescription(definition);
        auto* caption = new QLabel(fromUtf8(info.caption), ui_->grpFigures);
        caption->setObjectName(fromUtf8(info.key) + QStringLiteral("_caption"));
        caption->setToolTip(definition);
        caption->setBuddy(field);
        ui_->figuresLayout->addRow(caption, field);
        setTabOrder(previous, field);
        previous = field;
        figureFields_.push_back(field);
    }
    setTabOrder(previous, ui_->cmdCopy);
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
    const QDate now = today_();
    in.today = std::chrono::year_month_day{std::chrono::year{now.year()},
                                           std::chrono::month{static_cast<unsigned>(now.month())},
                                           std::chrono::day{static_cast<unsigned>(now.day())}};
    return in;
}

// Every edit, here or in the main window, analyses the position afresh.
void AnalysisForm::reanalyse() {
    const AnalysisResult result = analysePosition(inputs(), settings_);
    markRefusals(result.refusals);
    showFigures(result.analysis);
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
    if (ui_->chkExpiry->isChecked() && !ui_->dteExpiry->refusedText().isEmpty()) {
        const DateField* date = ui_->dteExpiry;
        const QString message =
            QStringLiteral("Expiry date \"%1\" is not a date written like %2; the date stays %3.")
                .arg(date->refusedText(), date->shownText(QDate(date->date().year(), 12, 31)),
                     date->shownText(date->date()));
        ui_->lblExpiryRefusal->setText(ui_->lblExpiryRefusal->text().isEmpty()
                                           ? message
                                           : message + QLatin1Char('\n') +
                                                 ui_->lblExpiryRefusal->text());
        ui_->lblExpiryRefusal->show();
        ui_->dteExpiry->setAccessibleDescription(ui_->lblExpiryRefusal->text());
    }
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
        figureFields_[i]->setText(text ? QString::fromStdString(*text) : QString());
    }
    std::optional<PayoffChartModel> model;
    if (analysis) {
        model = payoffChartModel(*analysis);
    }
    ui_->chartPayoff->setChart(
        model ? std::optional<PayoffChartRenderer>(PayoffChartRenderer(*model, settings_))
              : std::nullopt);
    ui_->cmdSaveChart->setEnabled(model.has_value());
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
        analysis_ ? payoffChartModel(*analysis_) : std::nullopt;
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
    QDialog::changeEvent(event);
}

// The refusals in a red that can be read on this palette's background, light or dark.
void AnalysisForm::colourMarks() {
    const QPalette window = palette();
    QPalette own;
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        own.setColor(group, QPalette::WindowText,
                     readableOn(refusalHue, window.color(group, QPalette::Window)));
    }
    for (QLabel* mark : {ui_->lblExpiryRefusal, ui_->lblFeesRefusal, ui_->lblDividendRefusal,
                         ui_->lblMainRefusals}) {
        mark->setPalette(own);
    }
}

} // namespace veltrane
