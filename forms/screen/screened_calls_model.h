#pragma once

#include "calc/analysis.h"
#include "calc/regional_settings.h"
#include "calc/screen_options.h"

#include <QAbstractTableModel>
#include <QString>
#include <atomic>
#include <optional>
#include <vector>

namespace veltrane {

// A call the screen showed, with every figure of its analysis.
struct ScreenedRow {
    ScreenedCall call;
    std::optional<Analysis> analysis;
};

// Each call analysed as the analysis window would analyse it, the odds included. Stops early,
// with the calls done so far, when `cancel` is set.
std::vector<ScreenedRow> analyseScreened(std::vector<ScreenedCall> calls,
                                         const std::atomic<bool>& cancel);

// The screened calls as a table: symbol, expiry, strike, option price, every figure of the
// analysis, the rank. Texts in the user's settings; sortRole gives each cell's value, so a money
// or percent column sorts by amount, not by its text.
class ScreenedCallsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int sortRole = Qt::UserRole;
    // A column's key: "strike", a figure's key ("prob_assigned"), "rank".
    static constexpr int keyRole = Qt::UserRole + 1;

    explicit ScreenedCallsModel(RegionalSettings settings, QObject* parent = nullptr);

    void setRows(std::vector<ScreenedRow> rows);
    const ScreenedRow& row(int index) const { return rows_[static_cast<std::size_t>(index)]; }

    static int figureColumn(AnalysisFigure figure);
    static int rankColumn();
    static QString columnKey(int column);
    // The column whose key is `key`, or -1.
    static int columnOf(const QString& key);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Words by their text, numbers by their value; an empty cell last either way.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    QString text(const ScreenedRow& row, int column) const;
    QVariant value(const ScreenedRow& row, int column) const;

    RegionalSettings settings_;
    std::vector<ScreenedRow> rows_;
};

} // namespace veltrane
