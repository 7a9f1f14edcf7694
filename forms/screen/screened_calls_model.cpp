#include "forms/screen/screened_calls_model.h"

#include "calc/calendar_date.h"
#include "calc/currency.h"
#include "calc/number_text.h"
#include "calc/plain_numbers.h"
#include "pricing/black_scholes_merton.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace veltrane {

namespace {

enum Column { symbolColumn, expiryColumn, strikeColumn, priceColumn, firstFigureColumn };

constexpr int figureCount = static_cast<int>(analysisFigures.size());

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

const RegionalSettings& plain() {
    static const RegionalSettings settings = plainSettings(4);
    return settings;
}

std::optional<double> plainValue(const std::optional<std::string>& text) {
    if (!text) {
        return std::nullopt;
    }
    const ParsedNumber parsed = parseNumber(*text, plain());
    return parsed.ok() ? std::optional<double>{parsed.value} : std::nullopt;
}

// A price per share with the decimals it was quoted in (a mid price may have three or four),
// never fewer than the user's money has.
QString priceText(const std::optional<std::string>& plainText, RegionalSettings settings) {
    const std::optional<double> value = plainValue(plainText);
    const std::optional<Currency> amount = value ? Currency::fromDouble(*value) : std::nullopt;
    if (!amount) {
        return {};
    }
    const std::size_t point = plainText->find('.');
    const int decimals =
        point == std::string::npos ? 0 : static_cast<int>(plainText->size() - point - 1);
    settings.currencyDecimals = std::clamp(decimals, settings.currencyDecimals, 4);
    return QString::fromStdString(currencyText(*amount, settings));
}

// The columns before the figures.
struct Own {
    const char* key;
    const char* caption;
    const char* definition;
};
constexpr Own own[] = {
    {"symbol", "Symbol", "The share the call is written on."},
    {"expiry", "Expiry", "The call's expiry date."},
    {"strike", "Strike", "The price per share the shares are sold at if the call is assigned."},
    {"option_price", "Option price",
     "The price per share the call is sold at: its bid, mid or last price, as chosen."},
};

const AnalysisFigureInfo* figureAt(int column) {
    const int at = column - firstFigureColumn;
    return at >= 0 && at < figureCount ? &analysisFigures[static_cast<std::size_t>(at)] : nullptr;
}

} // namespace

std::vector<ScreenedRow> analyseScreened(std::vector<ScreenedCall> calls,
                                         const std::atomic<bool>& cancel) {
    std::vector<ScreenedRow> rows;
    rows.reserve(calls.size());
    for (ScreenedCall& call : calls) {
        if (cancel.load()) {
            break;
        }
        AnalysisResult result = analysePosition(call.inputs, plain(), &blackScholesMerton());
        rows.push_back({std::move(call), std::move(result.analysis)});
    }
    return rows;
}

ScreenedCallsModel::ScreenedCallsModel(RegionalSettings settings, QObject* parent)
    : QAbstractTableModel(parent)
    , settings_{std::move(settings)} {}

void ScreenedCallsModel::setRows(std::vector<ScreenedRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int ScreenedCallsModel::figureColumn(AnalysisFigure figure) {
    return firstFigureColumn + static_cast<int>(figure);
}

int ScreenedCallsModel::rankColumn() {
    return firstFigureColumn + figureCount;
}

int ScreenedCallsModel::columnOf(const QString& key) {
    for (int column = 0; column <= rankColumn(); ++column) {
        if (columnKey(column) == key) {
            return column;
        }
    }
    return -1;
}

QString ScreenedCallsModel::columnKey(int column) {
    if (column == rankColumn()) {
        return QStringLiteral("rank");
    }
    if (const AnalysisFigureInfo* info = figureAt(column)) {
        return fromUtf8(info->key);
    }
    return column >= 0 && column < firstFigureColumn ? QString::fromLatin1(own[column].key)
                                                     : QString();
}

int ScreenedCallsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ScreenedCallsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rankColumn() + 1;
}

QString ScreenedCallsModel::text(const ScreenedRow& row, int column) const {
    switch (column) {
    case symbolColumn:
        return QString::fromStdString(row.call.symbol);
    case expiryColumn: {
        const ParsedDate date = parseCalendarDate(row.call.expiry);
        return date.ok()
                   ? QString::fromStdString(shownDateText(date.date, settings_.shortDatePattern))
                   : QString::fromStdString(row.call.expiry);
    }
    case strikeColumn:
        return priceText(row.call.inputs.strikePrice, settings_);
    case priceColumn:
        return priceText(row.call.inputs.optionPrice, settings_);
    default:
        break;
    }
    if (const AnalysisFigureInfo* info = figureAt(column)) {
        const std::optional<std::string> shown =
            row.analysis ? figureText(*row.analysis, info->figure, settings_) : std::nullopt;
        return shown ? QString::fromStdString(*shown) : QString();
    }
    return QString::number(row.call.rank);
}

QVariant ScreenedCallsModel::value(const ScreenedRow& row, int column) const {
    switch (column) {
    case symbolColumn:
        return QString::fromStdString(row.call.symbol);
    case expiryColumn:
        return QString::fromStdString(row.call.expiry);
    case strikeColumn:
        if (const auto x = plainValue(row.call.inputs.strikePrice)) {
            return *x;
        }
        return {};
    case priceColumn:
        if (const auto x = plainValue(row.call.inputs.optionPrice)) {
            return *x;
        }
        return {};
    default:
        break;
    }
    if (const AnalysisFigureInfo* info = figureAt(column)) {
        if (info->kind == FigureKind::text) {
            return text(row, column);
        }
        const std::optional<double> x =
            row.analysis ? figureNumber(*row.analysis, info->figure) : std::nullopt;
        return x ? QVariant{*x} : QVariant{};
    }
    return static_cast<double>(row.call.rank);
}

QVariant ScreenedCallsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const ScreenedRow& row = rows_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return text(row, index.column());
    case sortRole:
        return value(row, index.column());
    case Qt::TextAlignmentRole: {
        const bool words =
            index.column() <= expiryColumn || (figureAt(index.column()) != nullptr &&
                                               figureAt(index.column())->kind == FigureKind::text);
        return QVariant::fromValue(words ? Qt::AlignLeft | Qt::AlignVCenter
                                         : Qt::AlignRight | Qt::AlignVCenter);
    }
    default:
        return {};
    }
}

QVariant ScreenedCallsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section > rankColumn()) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    const AnalysisFigureInfo* info = figureAt(section);
    const bool rank = section == rankColumn();
    switch (role) {
    case Qt::DisplayRole:
        return rank   ? QStringLiteral("Rank")
               : info ? fromUtf8(info->caption)
                      : QString::fromLatin1(own[section].caption);
    case Qt::ToolTipRole:
        return rank   ? QStringLiteral("The call's place in its group, best first, by the figure "
                                         "calls are ranked by.")
               : info ? fromUtf8(info->definition)
                      : QString::fromLatin1(own[section].definition);
    case keyRole:
        return columnKey(section);
    default:
        return QAbstractTableModel::headerData(section, orientation, role);
    }
}

void ScreenedCallsModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column > rankColumn()) {
        return;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<QVariant> keys;
    keys.reserve(rows_.size());
    for (const ScreenedRow& row : rows_) {
        keys.push_back(value(row, column));
    }
    std::vector<std::size_t> byKey(rows_.size());
    std::iota(byKey.begin(), byKey.end(), std::size_t{0});
    const bool descending = order == Qt::DescendingOrder;
    std::stable_sort(byKey.begin(), byKey.end(), [&](std::size_t a, std::size_t b) {
        const QVariant& x = keys[a];
        const QVariant& y = keys[b];
        if (!x.isValid() || !y.isValid()) {
            return x.isValid() && !y.isValid();
        }
        const bool less = x.typeId() == QMetaType::Double
                              ? x.toDouble() < y.toDouble()
                              : x.toString().localeAwareCompare(y.toString()) < 0;
        const bool greater = x.typeId() == QMetaType::Double
                                 ? y.toDouble() < x.toDouble()
                                 : y.toString().localeAwareCompare(x.toString()) < 0;
        return descending ? greater : less;
    });
    std::vector<ScreenedRow> sorted;
    sorted.reserve(rows_.size());
    std::vector<int> newRow(rows_.size());
    for (std::size_t i = 0; i < byKey.size(); ++i) {
        newRow[byKey[i]] = static_cast<int>(i);
        sorted.push_back(std::move(rows_[byKey[i]]));
    }
    rows_ = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        after << this->index(newRow[static_cast<std::size_t>(index.row())], index.column());
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace veltrane
