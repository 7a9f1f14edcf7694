#include "forms/screen/screen_form.h"

#include "calc/analysis.h"
#include "calc/calendar_date.h"
#include "calc/number_text.h"
#include "chart/readable_colour.h"
#include "forms/readable_edges_style.h"
#include "forms/screen/screened_calls_model.h"
#include "runtime/runtime.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QSettings>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <utility>

namespace veltrane {

struct ScreenForm::NumberInput {
    QLineEdit* field = nullptr;
    QLabel* mark = nullptr;
    double low = 0.0;
    double high = 0.0;
    bool lowIncluded = true;
};

struct ScreenForm::Outcome {
    ScreenResult result;
    std::vector<ScreenedRow> rows;
};

namespace {

const QString columnsKey = QStringLiteral("screen/columns");

// No limit a filter takes is larger.
constexpr double most = 1e15;

// The columns shown until the user picks others.
const QStringList defaultColumns{QStringLiteral("symbol"),
                                 QStringLiteral("expiry"),
                                 QStringLiteral("strike"),
                                 QStringLiteral("option_price"),
                                 QStringLiteral("days_to_expiry"),
                                 QStringLiteral("static_return_annualised"),
                                 QStringLiteral("if_called_return_annualised"),
                                 QStringLiteral("downside_protection"),
                                 QStringLiteral("prob_assigned"),
                                 QStringLiteral("rank")};

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool isEnter(const QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto* key = dynamic_cast<const QKeyEvent*>(event);
    return key != nullptr && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter);
}

// The numeric figures, for Rank by; the percentage ones only, for Min. return.
void addFigures(QComboBox& box, bool ratiosOnly) {
    for (const AnalysisFigureInfo& info : analysisFigures) {
        if (info.kind == FigureKind::text || (ratiosOnly && info.kind != FigureKind::ratio)) {
            continue;
        }
        box.addItem(fromUtf8(info.caption), static_cast<int>(info.figure));
    }
    box.setCurrentIndex(box.findData(static_cast<int>(AnalysisFigure::staticReturnAnnualised)));
    // A long caption shows whole in the open list, and does not widen the window.
    box.setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box.setMinimumContentsLength(24);
}

// "1,234" with the user's group separator, as the command line's counts read.
QString grouped(std::uint64_t n, const RegionalSettings& settings) {
    std::string digits = std::to_string(n);
    for (std::size_t at = digits.size(); at > 3; at -= 3) {
        digits.insert(at - 3, settings.groupSeparator);
    }
    return QString::fromStdString(digits);
}

// One cell of a CSV line: quoted where it holds the delimiter, a quote, a line break or blanks at
// an end.
QString csvCell(const QString& text, QChar delimiter) {
    const bool quoted = text.contains(delimiter) || text.contains(QLatin1Char('"')) ||
                        text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
                        text != text.trimmed();
    if (!quoted) {
        return text;
    }
    QString inner = text;
    inner.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

} // namespace

ScreenForm::ScreenForm(Runtime& runtime, RegionalSettings settings, ChainScreener screener,
                       QWidget& owner, Clock today)
    : QDialog(&owner)
    , runtime_{runtime}
    , settings_{std::move(settings)}
    , screener_{std::move(screener)}
    , today_{std::move(today)} {
    setObjectName(QStringLiteral("frmScreen"));
    setWindowTitle(QStringLiteral("Screen Option Chain"));
    setModal(false);
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    setAcceptDrops(true);
    buildInputs();
    buildTable();
    colourMarks();
    ReadableEdgesStyle::applyTo(*this);
    connectCommands();
    restoreColumns();
    setRunning(false);
    showStatus(QStringLiteral("Choose a chain file, or drop one on the window, then Screen."),
               false);
    // Only the main window decides when the program ends; this one goes with it.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(1120, 760);
    chain_->setFocus();
}

// A screen still running is told to stop, and waited for: it reads this window's counters.
ScreenForm::~ScreenForm() {
    cancel_ = true;
    if (worker_.joinable()) {
        worker_.join();
    }
}

QLineEdit* ScreenForm::numberInput(const char* name, double low, double high, bool lowIncluded) {
    auto input = std::make_unique<NumberInput>();
    input->field = new QLineEdit(this);
    input->field->setObjectName(QString::fromLatin1(name));
    // As wide as an amount it may hold, not as the window.
    const QFontMetrics metrics = input->field->fontMetrics();
    input->field->setMaximumWidth(metrics.horizontalAdvance(QStringLiteral("000,000,000.0000")) +
                                  4 * metrics.averageCharWidth());
    input->mark = new QLabel(this);
    input->mark->setObjectName(QString::fromLatin1(name).mid(3).prepend(QStringLiteral("lbl")) +
                               QStringLiteral("Refusal"));
    input->mark->setWordWrap(true);
    input->mark->hide();
    input->low = low;
    input->high = high;
    input->lowIncluded = lowIncluded;
    marks_.push_back(input->mark);
    QLineEdit* field = input->field;
    numbers_.push_back(std::move(input));
    return field;
}

void ScreenForm::buildInputs() {
    auto* outer = new QVBoxLayout(this);
    auto* groups = new QHBoxLayout;
    outer->addLayout(groups);
    // A row: the caption, the field, and under it the refusal mark the field may get.
    const auto addRow = [this](QFormLayout* form, const QString& caption, QWidget* field,
                               const QString& tip) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(field);
        field->setToolTip(tip);
        label->setToolTip(tip);
        QLabel* mark = nullptr;
        for (const auto& input : numbers_) {
            mark = input->field == field ? input->mark : mark;
        }
        if (mark == nullptr && field == asOf_) {
            mark = new QLabel(this);
            mark->setObjectName(field->objectName().mid(3).prepend(QStringLiteral("lbl")) +
                                QStringLiteral("Refusal"));
            mark->setWordWrap(true);
            mark->hide();
            marks_.push_back(mark);
        }
        if (mark == nullptr) {
            form->addRow(label, field);
            return;
        }
        auto* cell = new QVBoxLayout;
        cell->setContentsMargins(0, 0, 0, 0);
        cell->addWidget(field);
        cell->addWidget(mark);
        form->addRow(label, cell);
    };

    // The chain, the shares' prices and the position each call is sold in.
    auto* chainBox = new QGroupBox(QStringLiteral("Chain and position"), this);
    auto* chainForm = new QFormLayout(chainBox);
    groups->addWidget(chainBox, 4);
    const auto fileInput = [&](const QString& caption, const char* name, const QString& browse,
                               const QString& browseName, const QString& tip) {
        auto* field = new QLineEdit(this);
        field->setObjectName(QString::fromLatin1(name));
        // Room for a path's last folders and the file's name.
        field->setMinimumWidth(field->fontMetrics().averageCharWidth() * 24);
        auto* button = new QPushButton(browse, this);
        button->setObjectName(QStringLiteral("cmdBrowse") + QString::fromLatin1(name).mid(3));
        button->setAccessibleName(browseName);
        button->setAutoDefault(false);
        auto* line = new QHBoxLayout;
        line->setContentsMargins(0, 0, 0, 0);
        line->addWidget(field, 1);
        line->addWidget(button);
        auto* label = new QLabel(caption, this);
        label->setBuddy(field);
        label->setToolTip(tip);
        field->setToolTip(tip);
        auto* mark = new QLabel(this);
        mark->setObjectName(QString::fromLatin1(name).mid(3).prepend(QStringLiteral("lbl")) +
                            QStringLiteral("Refusal"));
        mark->setWordWrap(true);
        mark->hide();
        marks_.push_back(mark);
        auto* cell = new QVBoxLayout;
        cell->addLayout(line);
        cell->addWidget(mark);
        chainForm->addRow(label, cell);
        return std::pair{field, button};
    };
    const auto [chain, browseChainButton] = fileInput(
        QStringLiteral("&Chain file:"), "txtChain", QStringLiteral("&Browse..."),
        QStringLiteral("Browse for the chain file"),
        QStringLiteral("The option chain as CSV, as a broker exports it: expiry, strike, bid, ask "
                       "and optionally symbol, last, type, volume, open_interest, iv, "
                       "underlying_price. A file dropped on the window goes here."));
    chain_ = chain;
    const auto [quotes, browseQuotesButton] = fileInput(
        QStringLiteral("&Quotes file:"), "txtQuotes", QStringLiteral("Browse..."),
        QStringLiteral("Browse for the quotes file"),
        QStringLiteral("Optional: the shares' prices as CSV (symbol, price, and optionally "
                       "dividend and ex_dividend), for a chain without underlying_price."));
    quotes_ = quotes;
    connect(browseChainButton, &QPushButton::clicked, this, &ScreenForm::browseChain);
    connect(browseQuotesButton, &QPushButton::clicked, this, &ScreenForm::browseQuotes);

    addRow(chainForm, QStringLiteral("Current &price:"),
           numberInput("txtCurrentPrice", 0, most, false),
           QStringLiteral("The share price of a one-symbol chain without underlying_price or "
                          "quotes. Empty: from the chain or the quotes file."));
    asOf_ = new QLineEdit(this);
    asOf_->setObjectName(QStringLiteral("txtAsOf"));
    asOf_->setText(QString::fromStdString(shownDateText(
        std::chrono::year_month_day{std::chrono::year{today_().year()},
                                    std::chrono::month{static_cast<unsigned>(today_().month())},
                                    std::chrono::day{static_cast<unsigned>(today_().day())}},
        settings_.shortDatePattern)));
    addRow(chainForm, QStringLiteral("&As of:"), asOf_,
           QStringLiteral("The date the days to expiry count from: %1.")
               .arg(fromUtf8(acceptedDateForms(settings_))));
    QLineEdit* contracts = numberInput("txtContracts", 1, 1e9);
    contracts->setText(QStringLiteral("1"));
    addRow(chainForm, QStringLiteral("Co&ntracts:"), contracts,
           QStringLiteral("Contracts of 100 shares each call is sold in, a whole number."));
    price_ = new QComboBox(this);
    price_->setObjectName(QStringLiteral("cboPrice"));
    price_->addItems({QStringLiteral("Bid"), QStringLiteral("Mid"), QStringLiteral("Last")});
    addRow(chainForm, QStringLiteral("&Option price:"), price_,
           QStringLiteral("The option price each call is sold at: the bid (what a seller gets), "
                          "the middle of bid and ask, or the last trade."));
    volatility_ = new QComboBox(this);
    volatility_->setObjectName(QStringLiteral("cboVolatility"));
    volatility_->addItems({QStringLiteral("Implied by the option price"),
                           QStringLiteral("The chain's iv, in percent"),
                           QStringLiteral("The chain's iv, as a fraction")});
    addRow(chainForm, QStringLiteral("&Volatility:"), volatility_,
           QStringLiteral("The volatility the odds are worked out with: the one the option price "
                          "implies, or the chain's iv column, in percent (24.53) or as a fraction "
                          "(0.2453)."));
    addRow(chainForm, QStringLiteral("Fee per contract:"),
           numberInput("txtFeePerContract", 0, 1e12),
           QStringLiteral("Fees per contract. Empty: 0."));
    addRow(chainForm, QStringLiteral("Fee per trade:"), numberInput("txtFeePerTrade", 0, 1e12),
           QStringLiteral("Fees per buy-write, one order for both legs. Empty: 0."));
    addRow(chainForm, QStringLiteral("&Interest rate %:"), numberInput("txtRate", -20, 100),
           QStringLiteral("The interest rate in percent a year, continuously compounded, from "
                          "-20 to 100, that the odds are worked out with. Empty: 0."));
    returnBase_ = new QComboBox(this);
    returnBase_->setObjectName(QStringLiteral("cboReturnBase"));
    returnBase_->addItems({QStringLiteral("Stock cost"), QStringLiteral("Net debit")});
    addRow(chainForm, QStringLiteral("&Return base:"), returnBase_,
           QStringLiteral("What the returns are over: the stock cost, or the net debit (the "
                          "stock cost less the premium, plus fees)."));

    // Which calls are kept: every limit inclusive, an empty one no limit.
    auto* filterBox = new QGroupBox(QStringLiteral("Filters"), this);
    auto* filterForm = new QFormLayout(filterBox);
    groups->addWidget(filterBox, 3);
    addRow(filterForm, QStringLiteral("Min. &days:"), numberInput("txtMinDays", 0, most),
           QStringLiteral("Only calls with at least this many days to expiry."));
    addRow(filterForm, QStringLiteral("Max. days:"), numberInput("txtMaxDays", 0, most),
           QStringLiteral("Only calls with at most this many days to expiry."));
    minReturnFigure_ = new QComboBox(this);
    minReturnFigure_->setObjectName(QStringLiteral("cboMinReturn"));
    minReturnFigure_->setAccessibleName(QStringLiteral("Min. return figure"));
    addFigures(*minReturnFigure_, true);
    QLineEdit* minReturn = numberInput("txtMinReturn", -most, most);
    minReturn->setMaximumWidth(
        minReturn->fontMetrics().horizontalAdvance(QStringLiteral("0000.00")) +
        4 * minReturn->fontMetrics().averageCharWidth());
    minReturn->setAccessibleName(QStringLiteral("Min. return %"));
    {
        auto* label = new QLabel(QStringLiteral("Min. r&eturn %:"), this);
        label->setBuddy(minReturnFigure_);
        const QString tip = QStringLiteral("Only calls whose chosen percentage figure is at least "
                                           "this many percent.");
        label->setToolTip(tip);
        minReturnFigure_->setToolTip(tip);
        minReturn->setToolTip(tip);
        auto* line = new QHBoxLayout;
        line->addWidget(minReturnFigure_, 1);
        line->addWidget(minReturn);
        auto* cell = new QVBoxLayout;
        cell->addLayout(line);
        cell->addWidget(numbers_.back()->mark);
        filterForm->addRow(label, cell);
    }
    addRow(filterForm, QStringLiteral("Min. protection %:"),
           numberInput("txtMinProtection", -most, most),
           QStringLiteral("Only calls whose premium covers at least this fall of the share "
                          "price, in percent."));
    addRow(filterForm, QStringLiteral("Max. chance of assi&gnment %:"),
           numberInput("txtMaxProbAssigned", 0, most),
           QStringLiteral("Only calls the model gives at most this chance of assignment."));
    addRow(filterForm, QStringLiteral("Min. chance of pro&fit %:"),
           numberInput("txtMinProbProfit", 0, most),
           QStringLiteral("Only calls the model gives at least this chance of profit."));
    callsKind_ = new QComboBox(this);
    callsKind_->setObjectName(QStringLiteral("cboCalls"));
    callsKind_->addItems({QStringLiteral("All"), QStringLiteral("Out of the money only"),
                          QStringLiteral("In the money only")});
    addRow(filterForm, QStringLiteral("Ca&lls:"), callsKind_,
           QStringLiteral("Every call, only those with the strike above the share price, or "
                          "only those with the strike below it."));
    addRow(filterForm, QStringLiteral("Min. open interest:"),
           numberInput("txtMinOpenInterest", 0, most),
           QStringLiteral("Only calls with at least this open interest."));
    addRow(filterForm, QStringLiteral("Min. volume:"), numberInput("txtMinVolume", 0, most),
           QStringLiteral("Only calls with at least this volume."));
    addRow(filterForm, QStringLiteral("Max. spread %:"), numberInput("txtMaxSpread", 0, most),
           QStringLiteral("Only calls whose (ask - bid) / mid is at most this many percent."));

    // How the calls kept are ranked and how many are shown.
    auto* rankBox = new QGroupBox(QStringLiteral("Ranking"), this);
    auto* rankForm = new QFormLayout(rankBox);
    groups->addWidget(rankBox, 3);
    rankBy_ = new QComboBox(this);
    rankBy_->setObjectName(QStringLiteral("cboRankBy"));
    addFigures(*rankBy_, false);
    addRow(rankForm, QStringLiteral("Ran&k by:"), rankBy_,
           QStringLiteral("The figure calls are ranked by, highest first."));
    QLineEdit* top = numberInput("txtTop", 1, 100'000);
    top->setText(QStringLiteral("20"));
    addRow(rankForm, QStringLiteral("Calls sho&wn:"), top,
           QStringLiteral("How many calls are shown, 1 to 100000, in the whole chain or in each "
                          "group."));
    topPer_ = new QComboBox(this);
    topPer_->setObjectName(QStringLiteral("cboTopPer"));
    topPer_->addItems({QStringLiteral("In the whole chain"), QStringLiteral("Per symbol"),
                       QStringLiteral("Per symbol and expiry")});
    addRow(rankForm, QStringLiteral("S&hown per:"), topPer_,
           QStringLiteral("Whether the calls shown are counted over the whole chain, per "
                          "symbol, or per symbol and expiry."));
    auto* buttons = new QHBoxLayout;
    screenButton_ = new QPushButton(QStringLiteral("&Screen"), this);
    screenButton_->setObjectName(QStringLiteral("cmdScreen"));
    screenButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton_->setObjectName(QStringLiteral("cmdCancel"));
    cancelButton_->setAutoDefault(false);
    buttons->addWidget(screenButton_);
    buttons->addWidget(cancelButton_);
    rankForm->addRow(buttons);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("prgScreen"));
    progress_->setAccessibleName(QStringLiteral("Chain read"));
    progress_->setRange(0, 1000);
    progress_->setValue(0);
    rankForm->addRow(progress_);
}

void ScreenForm::buildTable() {
    auto* outer = qobject_cast<QVBoxLayout*>(layout());
    model_ = new ScreenedCallsModel(settings_, this);
    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("tblCalls"));
    table_->setAccessibleName(QStringLiteral("Calls"));
    table_->setModel(model_);
    table_->setSortingEnabled(true);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setTabKeyNavigation(false);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSortIndicatorShown(true);
    table_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    table_->horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
    table_->horizontalHeader()->setSectionsMovable(true);
    table_->installEventFilter(this);
    outer->addWidget(table_, 1);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblStatus"));
    status_->setAccessibleName(QStringLiteral("Status"));
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    outer->addWidget(status_);
    auto* buttons = new QHBoxLayout;
    auto* columns = new QPushButton(QStringLiteral("Colu&mns..."), this);
    columns->setObjectName(QStringLiteral("cmdColumns"));
    columns->setAutoDefault(false);
    connect(columns, &QPushButton::clicked, this, &ScreenForm::chooseColumns);
    exportButton_ = new QPushButton(QStringLiteral("E&xport to CSV..."), this);
    exportButton_->setObjectName(QStringLiteral("cmdExport"));
    exportButton_->setAutoDefault(false);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    buttons->addWidget(columns);
    buttons->addWidget(exportButton_);
    buttons->addStretch(1);
    buttons->addWidget(close);
    outer->addLayout(buttons);
}

void ScreenForm::connectCommands() {
    connect(screenButton_, &QPushButton::clicked, this, &ScreenForm::screen);
    connect(cancelButton_, &QPushButton::clicked, this, &ScreenForm::cancel);
    connect(exportButton_, &QPushButton::clicked, this, &ScreenForm::exportCsv);
    connect(table_, &QTableView::doubleClicked, this, &ScreenForm::openCurrentCall);
    connect(table_->horizontalHeader(), &QHeaderView::customContextMenuRequested, this,
            [this](const QPoint& at) {
                columnsMenu()->popup(table_->horizontalHeader()->mapToGlobal(at));
            });
    connect(&progressTimer_, &QTimer::timeout, this, &ScreenForm::showProgress);
    progressTimer_.setInterval(100);
}

// Every column as a check item: ticked ones are shown.
QMenu* ScreenForm::columnsMenu() {
    if (columns_ == nullptr) {
        columns_ = new QMenu(this);
        columns_->setObjectName(QStringLiteral("mnuColumns"));
        for (int column = 0; column < model_->columnCount(); ++column) {
            QAction* item = columns_->addAction(
                model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
            item->setCheckable(true);
            item->setData(column);
            connect(item, &QAction::toggled, this, [this, column](bool shown) {
                table_->setColumnHidden(column, !shown);
                rememberColumns();
            });
        }
    }
    for (QAction* item : columns_->actions()) {
        const QSignalBlocker quiet(item);
        item->setChecked(!table_->isColumnHidden(item->data().toInt()));
    }
    return columns_;
}

void ScreenForm::chooseColumns() {
    auto* button = findChild<QPushButton*>(QStringLiteral("cmdColumns"));
    columnsMenu()->popup(button->mapToGlobal(QPoint(0, button->height())));
}

void ScreenForm::restoreColumns() {
    const QSettings stored;
    QStringList shown = stored.value(columnsKey, defaultColumns).toStringList();
    if (shown.isEmpty()) {
        shown = defaultColumns;
    }
    for (int column = 0; column < model_->columnCount(); ++column) {
        table_->setColumnHidden(column, !shown.contains(ScreenedCallsModel::columnKey(column)));
    }
}

void ScreenForm::rememberColumns() const {
    QStringList shown;
    for (int column = 0; column < model_->columnCount(); ++column) {
        if (!table_->isColumnHidden(column)) {
            shown << ScreenedCallsModel::columnKey(column);
        }
    }
    QSettings().setValue(columnsKey, shown);
}

void ScreenForm::clearRefusals() {
    for (QLabel* mark : marks_) {
        mark->clear();
        mark->hide();
    }
    for (QLineEdit* field : findChildren<QLineEdit*>()) {
        field->setAccessibleDescription({});
    }
}

void ScreenForm::markRefusal(QLineEdit* field, const QString& message) {
    auto* mark = findChild<QLabel*>(field->objectName().mid(3).prepend(QStringLiteral("lbl")) +
                                    QStringLiteral("Refusal"));
    if (mark != nullptr) {
        mark->setText(message);
        mark->show();
    }
    field->setAccessibleDescription(message);
}

// The number typed into the input `name`, or nothing when it is empty; a number out of its
// range is marked refused and sets `refused`.
std::optional<double> ScreenForm::readNumber(const char* name, bool& refused) {
    const auto bound = [this](double x) { return fromUtf8(numberText(x, settings_).value_or("")); };
    const auto found = std::find_if(numbers_.begin(), numbers_.end(), [name](const auto& input) {
        return input->field->objectName() == QLatin1String(name);
    });
    const NumberInput& input = **found;
    const QString text = input.field->text().trimmed();
    if (text.isEmpty()) {
        return std::nullopt;
    }
    const ParsedNumber parsed = parseNumber(text.toStdString(), settings_);
    const double x = parsed.value;
    if (parsed.ok() && x <= input.high && x >= input.low && (input.lowIncluded || x != input.low)) {
        return x;
    }
    // A limit without a bound above says only the bound below, if any.
    const QString range = input.high < most ? QStringLiteral("%1 %2 to %3")
                                                  .arg(input.lowIncluded ? QStringLiteral("from")
                                                                         : QStringLiteral("above"),
                                                       bound(input.low), bound(input.high))
                          : input.low <= -most ? QString()
                          : input.lowIncluded  ? QStringLiteral("%1 or more").arg(bound(input.low))
                                               : QStringLiteral("above %1").arg(bound(input.low));
    markRefusal(input.field, QStringLiteral("\"%1\" is not a number%2.")
                                 .arg(text, range.isEmpty() ? range : QLatin1Char(' ') + range));
    refused = true;
    return std::nullopt;
}

// The inputs as a screen's options, read with the user's settings; nothing, with each refused
// input marked, when any is refused.
std::optional<ScreenOptions> ScreenForm::readInputs() {
    clearRefusals();
    bool refused = false;
    const auto refuse = [&](QLineEdit* field, const QString& message) {
        markRefusal(field, message);
        refused = true;
    };
    const auto number = [&](const char* name) { return readNumber(name, refused); };
    const auto whole = [&](const char* name, double fallback) {
        const std::optional<double> x = number(name);
        if (x && *x != std::trunc(*x)) {
            refuse(findChild<QLineEdit*>(QLatin1String(name)),
                   QStringLiteral("\"%1\" is not a whole number.")
                       .arg(findChild<QLineEdit*>(QLatin1String(name))->text()));
        }
        return x.value_or(fallback);
    };
    const auto percent = [&](const char* name) {
        const std::optional<double> x = number(name);
        return x ? std::optional<double>{*x / 100.0} : std::nullopt;
    };

    ScreenOptions options;
    options.settings = settings_;
    options.jobs = std::max(1U, std::thread::hardware_concurrency());
    if (chain_->text().trimmed().isEmpty()) {
        refuse(chain_, QStringLiteral("Choose the chain file to screen."));
    }
    const QString asOf = asOf_->text().trimmed();
    const ParsedDate date = readDate(asOf.toStdString(), settings_);
    if (!date.ok()) {
        refuse(asOf_, QStringLiteral("\"%1\" is not a date written like %2.")
                          .arg(asOf, fromUtf8(acceptedDateForms(settings_))));
    }
    options.asOf = date.date;
    options.currentPrice = number("txtCurrentPrice");
    options.contracts = whole("txtContracts", 1);
    options.price = static_cast<PriceChoice>(price_->currentIndex());
    options.volatilityFromChain = volatility_->currentIndex() > 0;
    options.ivAsFraction = volatility_->currentIndex() == 2;
    options.feePerContract = number("txtFeePerContract").value_or(0);
    options.feePerTrade = number("txtFeePerTrade").value_or(0);
    const std::optional<double> rate = number("txtRate");
    options.rateGiven = rate.has_value();
    options.rate = rate.value_or(0);
    options.returnBase =
        returnBase_->currentIndex() == 1 ? ReturnBase::netDebit : ReturnBase::stockCost;
    ScreenFilters& f = options.filters;
    f.minDays = number("txtMinDays");
    f.maxDays = number("txtMaxDays");
    if (const std::optional<double> limit = percent("txtMinReturn")) {
        f.minReturns.emplace_back(
            static_cast<AnalysisFigure>(minReturnFigure_->currentData().toInt()), *limit);
    }
    f.minProtection = percent("txtMinProtection");
    f.maxProbAssigned = percent("txtMaxProbAssigned");
    f.minProbProfit = percent("txtMinProbProfit");
    f.otmOnly = callsKind_->currentIndex() == 1;
    f.itmOnly = callsKind_->currentIndex() == 2;
    f.minOpenInterest = number("txtMinOpenInterest");
    f.minVolume = number("txtMinVolume");
    f.maxSpread = percent("txtMaxSpread");
    options.rankBy = static_cast<AnalysisFigure>(rankBy_->currentData().toInt());
    options.top = static_cast<std::size_t>(whole("txtTop", 20));
    options.topPer = static_cast<TopPer>(topPer_->currentIndex());
    if (refused) {
        return std::nullopt;
    }
    return options;
}

void ScreenForm::screen() {
    if (running() || !screener_.screen) {
        return;
    }
    std::optional<ScreenOptions> options = readInputs();
    if (!options) {
        showStatus(QStringLiteral("Nothing screened: an input is refused; its mark says why."),
                   true);
        return;
    }
    const QString path = chain_->text().trimmed();
    const QString quotes = quotes_->text().trimmed();
    fileSize_ = static_cast<std::uint64_t>(std::max<qint64>(QFileInfo(path).size(), 0));
    cancel_ = false;
    bytesRead_ = 0;
    setRunning(true);
    showStatus(QStringLiteral("Screening %1...").arg(QDir::toNativeSeparators(path)), false);
    worker_ = std::thread([this, options = std::move(*options), path = path.toStdString(),
                           quotes = quotes.toStdString()]() mutable {
        auto outcome = std::make_shared<Outcome>();
        std::optional<std::string> quotesRefused;
        if (!quotes.empty()) {
            quotesRefused = screener_.readQuotes
                                ? screener_.readQuotes(quotes, options)
                                : std::optional<std::string>{"quotes cannot be read here"};
        }
        if (quotesRefused) {
            outcome->result.error = *quotesRefused;
        } else {
            const ScreenProgress progress{[this](std::uint64_t read) { bytesRead_ = read; },
                                          &cancel_};
            outcome->result = screener_.screen(path, options, progress);
            outcome->rows = analyseScreened(std::move(outcome->result.calls), cancel_);
            outcome->result.cancelled = outcome->result.cancelled || cancel_.load();
        }
        outcome_ = std::move(outcome);
        QMetaObject::invokeMethod(this, "screenDone", Qt::QueuedConnection);
    });
}

void ScreenForm::screenDone() {
    if (worker_.joinable()) {
        worker_.join();
    }
    finished(std::exchange(outcome_, nullptr));
}

void ScreenForm::cancel() {
    if (running()) {
        cancel_ = true;
        cancelButton_->setEnabled(false);
        showStatus(QStringLiteral("Cancelling..."), false);
    }
}

void ScreenForm::showProgress() {
    if (fileSize_ == 0) {
        progress_->setRange(0, 0);
        return;
    }
    const double done =
        std::min(1.0, static_cast<double>(bytesRead_.load()) / static_cast<double>(fileSize_));
    progress_->setValue(static_cast<int>(std::lround(done * 1000.0)));
}

void ScreenForm::finished(const std::shared_ptr<Outcome>& outcome) {
    if (worker_.joinable()) {
        worker_.join();
    }
    setRunning(false);
    const ScreenResult& result = outcome->result;
    if (!result.error.empty()) {
        showStatus(QStringLiteral("The chain could not be screened: %1.")
                       .arg(QString::fromStdString(result.error)),
                   true);
        return;
    }
    if (result.cancelled) {
        progress_->setValue(0);
        showStatus(QStringLiteral("Screen cancelled: the table is as it was."), false);
        return;
    }
    const int sortColumn = table_->horizontalHeader()->sortIndicatorSection();
    model_->setRows(outcome->rows);
    if (sortColumn >= 0) {
        model_->sort(sortColumn, table_->horizontalHeader()->sortIndicatorOrder());
    }
    const ScreenCounts& n = result.counts;
    QString text = QStringLiteral("%1 calls read, %2 puts skipped, %3 expired, %4 refused, %5 kept "
                                  "by the filters, %6 shown")
                       .arg(grouped(n.calls, settings_), grouped(n.puts, settings_),
                            grouped(n.expired, settings_), grouped(n.refused, settings_),
                            grouped(n.kept, settings_), grouped(n.shown, settings_));
    if (!result.refusals.empty()) {
        text += QStringLiteral("\nFirst row refused: %1")
                    .arg(QString::fromStdString(result.refusals.front()));
    }
    showStatus(text, !result.refusals.empty());
    table_->resizeColumnsToContents();
    if (model_->rowCount() > 0) {
        table_->setCurrentIndex(model_->index(0, table_->horizontalHeader()->logicalIndex(0)));
    }
}

void ScreenForm::setRunning(bool isRunning) {
    screenButton_->setEnabled(!isRunning && static_cast<bool>(screener_.screen));
    cancelButton_->setEnabled(isRunning);
    progress_->setVisible(isRunning);
    if (isRunning) {
        progress_->setRange(0, 1000);
        progress_->setValue(0);
        progress_->show();
        progressTimer_.start();
        cancelButton_->setFocus();
    } else {
        progressTimer_.stop();
        progress_->setRange(0, 1000);
    }
}

void ScreenForm::showStatus(const QString& text, bool refusal) {
    status_->setText(text);
    status_->setProperty("refusal", refusal);
    colourMarks();
}

// Set again whenever the palette changes, so the refusals stay readable in light and dark.
void ScreenForm::colourMarks() {
    const QPalette window = palette();
    const QPalette own = refusalPalette(window);
    for (QLabel* mark : marks_) {
        mark->setPalette(own);
    }
    if (status_ != nullptr) {
        status_->setPalette(status_->property("refusal").toBool() ? own : window);
    }
}

void ScreenForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) {
        colourMarks();
    }
    QDialog::changeEvent(event);
}

void ScreenForm::browseChain() {
    const QString path = runtime_.openFileName(*this, QStringLiteral("Open Chain"),
                                               QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (!path.isEmpty()) {
        chain_->setText(QDir::toNativeSeparators(path));
    }
}

void ScreenForm::browseQuotes() {
    const QString path = runtime_.openFileName(*this, QStringLiteral("Open Quotes"),
                                               QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (!path.isEmpty()) {
        quotes_->setText(QDir::toNativeSeparators(path));
    }
}

void ScreenForm::openCurrentCall() {
    const QModelIndex current = table_->currentIndex();
    if (current.isValid()) {
        emit callOpened(model_->row(current.row()).call);
    }
}

// The rows in the table's order, the columns shown in the order shown, the texts as shown; ";"
// between cells where the user's decimal separator is a comma, as spreadsheets there read it.
void ScreenForm::exportCsv() {
    QString path = runtime_.saveFileName(*this, QStringLiteral("Export to CSV"),
                                         QStringLiteral("screened-calls.csv"),
                                         QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty()) {
        return;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".csv");
    }
    const QChar delimiter =
        settings_.decimalSeparator == "," || settings_.moneyDecimalSeparator == ","
            ? QLatin1Char(';')
            : QLatin1Char(',');
    const QHeaderView* header = table_->horizontalHeader();
    std::vector<int> columns;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        if (!header->isSectionHidden(column)) {
            columns.push_back(column);
        }
    }
    QString text;
    const auto addLine = [&](const auto& cellOf) {
        QStringList cells;
        for (const int column : columns) {
            cells << csvCell(cellOf(column), delimiter);
        }
        text += cells.join(delimiter) + QStringLiteral("\r\n");
    };
    addLine([&](int column) {
        return model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    });
    for (int row = 0; row < model_->rowCount(); ++row) {
        addLine([&](int column) { return model_->index(row, column).data().toString(); });
    }
    const QByteArray bytes = text.toUtf8();
    QString why;
    // A device or a FIFO the user names is written into; a file is replaced only when whole.
    const QFileInfo target(path);
    if (target.exists() && !target.isFile()) {
        QFile device(path);
        if (!device.open(QIODevice::WriteOnly) || device.write(bytes) != bytes.size() ||
            !device.flush()) {
            why = device.errorString();
        }
    } else {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
            !file.commit()) {
            why = file.errorString();
        }
    }
    if (!why.isEmpty()) {
        runtime_.messageBox(QStringLiteral("The calls could not be exported to %1: %2.")
                                .arg(QDir::toNativeSeparators(path), why));
    }
}

// Enter on a row opens its call, rather than pressing the default button.
bool ScreenForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_ && isEnter(event)) {
        openCurrentCall();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// Esc stops a running screen first; with none running it closes the window.
void ScreenForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && running()) {
        cancel();
        return;
    }
    QDialog::keyPressEvent(event);
}

void ScreenForm::closeEvent(QCloseEvent* event) {
    cancel();
    QDialog::closeEvent(event);
}

void ScreenForm::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile()) {
        event->acceptProposedAction();
    }
}

void ScreenForm::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile()) {
        chain_->setText(QDir::toNativeSeparators(urls.front().toLocalFile()));
        event->acceptProposedAction();
        screenButton_->setFocus();
    }
}

} // namespace veltrane
