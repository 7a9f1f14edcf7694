#pragma once

#include "calc/analysis.h"
#include "calc/plain_numbers.h"
#include "calc/regional_settings.h"
#include "cli/batch_calculation.h"
#include "cli/column_names.h"
#include "cli/csv_row_work.h"
#include "cli/field_spellings.h"
#include "csv/header_names.h"
#include "csv/record.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace veltrane {

// What each row of `pravik analyze --csv` adds after its own columns: the figures under their
// keys, then `error`.
inline constexpr std::string_view analysisErrorColumn = "error";
inline constexpr std::size_t analysisErrorSlot = analysisFigures.size();
using AnalysisRowFields = std::array<std::string, analysisFigures.size() + 1>;

// The column name of an output slot: a figure's key, or `error`.
constexpr std::string_view analysisSlotName(std::size_t slot) {
    return slot == analysisErrorSlot ? analysisErrorColumn : analysisFigures[slot].key;
}

// Whether an output slot holds a figure written as a number.
constexpr bool isNumberSlot(std::size_t slot) {
    return slot != analysisErrorSlot && analysisFigures[slot].kind != FigureKind::text;
}

// How the figures of a row are written, the same for every row of a run.
struct AnalysisRowOptions {
    RegionalSettings settings;
    // Figures as plain numbers ("1375.00", "4.39") rather than the user's texts.
    bool plain = false;
    // How plain figures are written: the decimal separator, percentages as fractions.
    PlainForm plainForm;
    // The date an expiry is counted from when a row gives no as-of date: read once per run.
    std::chrono::year_month_day today{};
    // What every row's returns are over (--return-base).
    ReturnBase returnBase = ReturnBase::stockCost;
};

// A refusal's message with its text quoted as every message of the program quotes one: control
// characters escaped, and a text a spreadsheet would take for a formula defused.
std::string refusalText(Refusal refusal, FieldSpelling spelling);

// Every refusal of a position, one sentence after the other.
std::string refusalsText(const std::vector<Refusal>& refusals, FieldSpelling spelling);

// A figure's text as the options write it: the user's text, or plain in the plain form;
// nothing when it has none.
std::optional<std::string> figureValue(const Analysis& analysis, AnalysisFigure figure,
                                       const AnalysisRowOptions& options);

// One position, texts in, output fields out: each figure's text (empty when it has none) and
// the error field, which names every refused input by its column, or the figure that is
// missing. Reads nothing but its arguments, so rows may be computed on any thread.
RowKind analyseRow(const AnalysisInputs& inputs, const AnalysisRowOptions& options,
                   AnalysisRowFields& out);

// The names an input column goes by: the options' names with "_" for "-" ("option_price"), the
// inputs' captions ("Current share price"), the spreadsheets' captions (inputCaptions) and the
// columns `mappings` names, compared ignoring case, blanks around them, "_", "-" and " ".
HeaderNames<AnalysisInput> analysisColumnNames(const std::vector<ColumnMapping>& mappings = {});

// The columns of a CSV header that hold the inputs, by the names above.
class AnalysisColumns {
public:
    // Maps `header`; nothing, with the reason in `refused`, for a header that names a column
    // twice, has a column that matches two inputs, lacks a required input, or holds figure
    // columns already and `replaceResults` is false (true: they are computed afresh where they
    // stand). `names`: the inputs' column names, --column's among them.
    static std::optional<AnalysisColumns> fromHeader(const CsvRecord& header, std::string& refused,
                                                     const HeaderNames<AnalysisInput>& names,
                                                     bool replaceResults = false);
    static std::optional<AnalysisColumns> fromHeader(const CsvRecord& header, std::string& refused,
                                                     bool replaceResults = false);

    // The columns a header must name, as a refusal lists them.
    static std::string required();

    // The inputs of a row: a blank field is an input not given.
    AnalysisInputs inputs(const CsvRecord& row, const AnalysisRowOptions& options) const;

    // Every output field of a row in order, each handed to `put`: the record's own fields, a
    // figure in the place of a figure column, then the figures the header lacks and `error`.
    template <typename Put>
    void forEachOutput(const CsvRecord& record, const AnalysisRowFields& fields, Put put) const {
        for (std::size_t i = 0; i < record.size(); ++i) {
            const std::size_t slot = i < replaced_.size() ? replaced_[i] : absent;
            put(slot == absent ? record.field(i) : std::string_view{fields[slot]});
        }
        for (const std::size_t slot : appended_) {
            put(std::string_view{fields[slot]});
        }
    }

    // The names of the output's columns, as forEachOutput hands their fields out; `number`
    // tells whether the column holds a figure written as a number (not words, not `error`).
    template <typename Name>
    void forEachOutputName(const CsvRecord& header, Name name) const;

private:
    // The required inputs the header has no column for: empty when it has them all.
    std::string missingColumns() const;

    static constexpr std::size_t absent = static_cast<std::size_t>(-1);
    std::array<std::size_t, analysisInputs.size()> columns_{};
    // For each header column, the output slot computed into it (absent: passed through).
    std::vector<std::size_t> replaced_;
    // The output slots the header has no column for, written after its columns.
    std::vector<std::size_t> appended_;
};

template <typename Name>
void AnalysisColumns::forEachOutputName(const CsvRecord& header, Name name) const {
    for (std::size_t i = 0; i < header.size(); ++i) {
        const std::size_t slot = replaced_[i];
        if (slot == absent) {
            name(header.field(i), false);
        } else {
            name(analysisSlotName(slot), isNumberSlot(slot));
        }
    }
    for (const std::size_t slot : appended_) {
        name(analysisSlotName(slot), isNumberSlot(slot));
    }
}

// One row of a batch, whole: appends the record's own fields, then the figures and the error
// field, separated by `delimiter` and without a line ending, to `line`. Reads only its
// arguments, so rows may be analysed on several threads at once.
RowKind appendAnalysedRow(const CsvRecord& record, const AnalysisColumns& columns,
                          const AnalysisRowOptions& options, char delimiter, std::string& line);

// The input a column name stands for, by option name or caption (analysisColumnNames without
// mappings); nothing for another column.
std::optional<AnalysisInput> analysisInputColumn(std::string_view name);

struct AnalysisBatchOptions {
    AnalysisRowOptions row;
    // The field delimiter; nothing: told from the header line (",", ";" or a tab).
    std::optional<char> delimiter;
    // --locale named the settings: a delimiter told from the header is taken as they read it.
    bool localeGiven = false;
    // --plain's decimal separator; nothing: ',' when the output is separated by ';', else '.'.
    std::optional<char> plainDecimal;
    // Figure columns already in the header are computed afresh where they stand.
    bool replaceResults = false;
    // One JSON object per row (JSON Lines) instead of CSV.
    bool json = false;
    // Threads that analyse rows (cli/csv_batch_runner.h); the output is the same for any number.
    unsigned jobs = 1;
    // Header columns the user names for inputs (--column), beside the names the program knows.
    std::vector<ColumnMapping> columns{};
};

// Analyses every row of a CSV input: writes every input column, the figures and `error`, with
// the input's delimiter, line endings and byte order mark. Lines of blanks and rows of empty
// fields are skipped. Streams: memory does not depend on the number of rows.
BatchOutcome runAnalysisBatch(std::istream& input, std::ostream& output,
                              const AnalysisBatchOptions& options);

} // namespace veltrane
