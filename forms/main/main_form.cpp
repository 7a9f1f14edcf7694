#include "forms/main/main_form.h"

#include "calc/calculation.h"
#include "calc/entry_check.h"
#include "calc/number_text.h"
#include "calc/plain_numbers.h"
#include "chart/readable_colour.h"
#include "forms/about/about_form.h"
#include "forms/analysis/analysis_form.h"
#include "forms/readable_edges_style.h"
#include "forms/twips_scale.h"
#include "identity/version.h"
#include "resources/resource_paths.h"
#include "runtime/runtime.h"
#include "ui_main_form.h"

#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QPalette>
#include <algorithm>
#include <array>
#include <utility>

namespace veltrane {

namespace {

// The window's client area below the menu bar, in twips.
constexpr int clientWidth = 8010;
constexpr int clientHeight = 5460;

// The result fields' text colour: dark green, or a lighter green where the base is dark.
const QColor resultColour(0, 64, 0);

bool isEnter(const QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto* keyEvent = dynamic_cast<const QKeyEvent*>(event);
    return keyEvent != nullptr &&
           (keyEvent->key() == Qt::Key_Return || keyEvent->key() == Qt::Key_Enter);
}

} // namespace

MainForm::MainForm(Runtime& runtime, RegionalSettings settings, ChainScreener screener,
                   QWidget* parent)
    : QMainWindow(parent)
    , ui_{std::make_unique<Ui::MainForm>()}
    , runtime_{runtime}
    , settings_{std::move(settings)}
    , screener_{std::move(screener)} {
    ui_->setupUi(this);
    fields_ = ControlFields(*this);
    setWindowIcon(QIcon(QString::fromLatin1(resources::iconPath)));

    placeControls();
    setUpResultFields();
    ReadableEdgesStyle::applyTo(*this);
    setUpEnterChain();
    connectCommands();

    // The currency signs before the price boxes follow the user's money, so the window never
    // shows "$" beside amounts written in another currency.
    const QString currency = QString::fromStdString(settings_.currencySymbol);
    for (QLabel* sign : currencySigns()) {
        sign->setText(currency);
    }
    ui_->cboMonthsOut->setCurrentIndex(-1);
    ui_->intOptionPrice->setFocus();
}

MainForm::~MainForm() = default;

void MainForm::placeControls() {
    const TwipsScale scale = TwipsScale::forFont(font());
    for (QWidget* control :
         ui_->clientArea->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        control->setGeometry(scale.fromDesignPixels(control->geometry()));
    }
    // The currency signs are taller than the boxes they stand before: their text starts where
    // the box's text does, so that a sign reads level with its amount.
    const int boxTextTop =
        (ui_->intOptionPrice->height() - ui_->intOptionPrice->fontMetrics().height()) / 2;
    for (QLabel* sign : currencySigns()) {
        sign->setContentsMargins(0, boxTextTop, 0, 0);
    }
    const QSize client(scale.pixels(clientWidth), scale.pixels(clientHeight));
    resize(client.width(), client.height() + menuBar()->sizeHint().height());
}

void MainForm::setUpResultFields() {
    for (Field field : resultFields) {
        QLineEdit* box = fields_.textBox(field);
        box->setReadOnly(true);
        box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    colourResults();
}

// The dark green on a light base; on a dark one, the green of the same hue that can be read.
void MainForm::colourResults() {
    // Only the text colour is the fields' own; every other role follows the window's palette.
    const QPalette window = palette();
    QPalette own;
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        own.setColor(group, QPalette::Text,
                     readableOn(resultColour, window.color(group, QPalette::Base)));
    }
    for (Field field : resultFields) {
        fields_.textBox(field)->setPalette(own);
    }
}

// A desktop that switches between light and dark while the program runs changes the base.
void MainForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) {
        colourResults();
    }
    QMainWindow::changeEvent(event);
}

// Closing the main window ends the program as Exit does, whatever the analysis window is doing:
// the end is said here rather than left to the toolkit's count of open windows, which a dialog
// of ours could sway.
void MainForm::closeEvent(QCloseEvent* event) {
    if (analysis_ != nullptr) {
        analysis_->hide();
    }
    if (screen_ != nullptr) {
        screen_->hide();
    }
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) {
        runtime_.end();
    }
}

std::array<QLabel*, 3> MainForm::currencySigns() const {
    return {ui_->lblDsign, ui_->Label10, ui_->Label11};
}

void MainForm::setUpEnterChain() {
    enterChain_ = {ui_->intOptionPrice, ui_->intStrikePrice, ui_->intCurrentPrice,
                   ui_->intNoShares,    ui_->cboMonthsOut,   ui_->cmdCalculate};
    // The last one, the button, ends the chain: Enter there clicks it.
    std::for_each(enterChain_.begin(), enterChain_.end() - 1,
                  [this](QWidget* member) { member->installEventFilter(this); });
}

// The Enter chain: Enter, with or without Shift, Ctrl or Alt, moves the focus to the next input
// and on to the Calculate button. The key itself is left to the control as usual.
bool MainForm::eventFilter(QObject* watched, QEvent* event) {
    if (isEnter(event)) {
        const auto member = std::find(enterChain_.begin(), enterChain_.end() - 1, watched);
        if (member != enterChain_.end() - 1) {
            (*std::next(member))->setFocus(Qt::OtherFocusReason);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainForm::connectCommands() {
    connect(ui_->cmdCalculate, &QPushButton::clicked, this, &MainForm::calculateWithCheck);
    connect(ui_->mnuCalculate, &QAction::triggered, this, &MainForm::calculateWithoutCheck);
    connect(ui_->Command1, &QPushButton::clicked, this, &MainForm::clearFields);
    connect(ui_->mnuClear, &QAction::triggered, this, &MainForm::clearFields);
    connect(ui_->cmdExit, &QPushButton::clicked, this, &MainForm::exitProgram);
    connect(ui_->mnuExit, &QAction::triggered, this, &MainForm::exitProgram);
    connect(ui_->mnuPrintForm, &QAction::triggered, this, &MainForm::printForm);
    connect(ui_->mnuAbout, &QAction::triggered, this, &MainForm::showAbout);
    connect(ui_->mnuPositionAnalysis, &QAction::triggered, this, &MainForm::showPositionAnalysis);
    connect(ui_->mnuScreenChain, &QAction::triggered, this, &MainForm::showScreenChain);
}

// The button's way in: every amount must read as a number, or the user is told and nothing
// changes. The months list is not checked.
void MainForm::calculateWithCheck() {
    if (!checkEntries(fields_, settings_).passed()) {
        const std::string_view prompt = invalidEntryMessage;
        runtime_.messageBox(
            QString::fromUtf8(prompt.data(), static_cast<qsizetype>(prompt.size())));
        return;
    }
    CalculateIt(fields_, settings_);
}

// The menu's way in: no check, whatever the fields hold.
void MainForm::calculateWithoutCheck() {
    CalculateIt(fields_, settings_);
}

void MainForm::clearFields() {
    for (const Field field : textBoxFields) {
        fields_.setText(field, {});
    }
    ui_->intOptionPrice->setFocus(Qt::OtherFocusReason);
}

void MainForm::printForm() {
    runtime_.printForm(*this);
}

void MainForm::exitProgram() {
    runtime_.end();
}

// Built afresh at every opening and gone when it closes.
void MainForm::showAbout() {
    AboutForm about(identity::version);
    runtime_.showModal(about);
}

// One window at a time: opened the first time, raised after that.
void MainForm::showPositionAnalysis() {
    if (analysis_ == nullptr) {
        analysis_ = new AnalysisForm(runtime_, settings_, fields_, *this);
        // Every edit of the position here analyses it afresh there.
        for (const Field field : checkedFields) {
            connect(fields_.textBox(field), &QLineEdit::textChanged, analysis_,
                    &AnalysisForm::reanalyse);
        }
        connect(fields_.monthsList(), &QComboBox::currentTextChanged, analysis_,
                &AnalysisForm::reanalyse);
    }
    analysis_->show();
    analysis_->raise();
    analysis_->activateWindow();
}

AnalysisForm* MainForm::positionAnalysis() const {
    return analysis_;
}

// One window at a time, as the analysis window: opened the first time, raised after that.
void MainForm::showScreenChain() {
    if (screen_ == nullptr) {
        screen_ = new ScreenForm(runtime_, settings_, screener_, *this);
        connect(screen_, &ScreenForm::callOpened, this, &MainForm::openScreenedCall);
    }
    screen_->show();
    screen_->raise();
    screen_->activateWindow();
}

ScreenForm* MainForm::screenChain() const {
    return screen_;
}

void MainForm::openScreenedCall(const ScreenedCall& call) {
    static const RegionalSettings plain = plainSettings(4);
    // The call's plain digits in the user's own way of writing numbers.
    const auto typed = [this](const std::optional<std::string>& text) {
        const ParsedNumber parsed = parseNumber(text.value_or(""), plain);
        return parsed.ok() ? numberText(parsed.value, settings_).value_or("") : std::string{};
    };
    fields_.setText(Field::intOptionPrice, typed(call.inputs.optionPrice));
    fields_.setText(Field::intStrikePrice, typed(call.inputs.strikePrice));
    fields_.setText(Field::intCurrentPrice, typed(call.inputs.currentPrice));
    fields_.setText(Field::intNoShares, typed(call.inputs.shares));
    showPositionAnalysis();
    analysis_->setCall(call.inputs);
}

} // namespace veltrane
