#include "cli/analysis_batch.h"

#include "cli/column_names.h"
#include "cli/csv_batch_runner.h"
#include "cli/csv_batch_steps.h"
#include "cli/csv_row_work.h"
#include "cli/messages.h"
#include "csv/reader.h"
#include "csv/writer.h"

#include <memory>
#include <string>
#include <vector>

namespace veltrane {

namespace {

// A column the program writes: a figure's key or the error column.
bool isOutputColumn(std::string_view name) {
    const std::string comparable = comparableColumnName(name);
    if (comparable == analysisErrorColumn) {
        return true;
    }
    for (const AnalysisFigureInfo& info : analysisFigures) {
        if (comparable == info.key) {
            return true;
        }
    }
    return false;
}

} // namespace

std::string refusalText(Refusal refusal, InputNaming naming) {
    if (!refusal.text.empty()) {
        const std::string quoted = quotedText(refusal.text);
        // The message puts its own quotes around the text.
        refusal.text = quoted.substr(1, quoted.size() - 2);
    }
    return refusalMessage(refusal, naming);
}

std::string refusalsText(const std::vector<Refusal>& refusals, InputNaming naming) {
    std::string text;
    for (const Refusal& refusal : refusals) {
        text.append(text.empty() ? "" : " ").append(refusalText(refusal, naming));
    }
    return text;
}

AnalysisRowKind analyseRow(const AnalysisInputs& inputs, const AnalysisRowOptions& options,
                           AnalysisRowFields& out) {
    const AnalysisResult result = analysePosition(inputs, options.settings);
    if (!result.ok()) {
        for (std::size_t i = 0; i < analysisErrorSlot; ++i) {
            out[i].clear();
        }
        out[analysisErrorSlot] = refusalsText(result.refusals, InputNaming::column);
        return AnalysisRowKind::refused;
    }
    const Analysis& analysis = *result.analysis;
    for (std::size_t i = 0; i < analysisErrorSlot; ++i) {
        const AnalysisFigure figure = analysisFigures[i].figure;
        std::optional<std::string> text = options.plain
                                              ? figurePlainText(analysis, figure)
                                              : figureText(analysis, figure, options.settings);
        out[i] = text ? std::move(*text) : std::string{};
    }
    out[analysisErrorSlot] = analysis.incompleteReason();
    return analysis.complete() ? AnalysisRowKind::complete : AnalysisRowKind::incomplete;
}

std::optional<AnalysisInput> analysisInputColumn(std::string_view name) {
    const std::string comparable = comparableColumnName(name);
    for (const AnalysisInputInfo& info : analysisInputs) {
        if (comparable == comparableColumnName(info.stem) ||
            comparable == comparableColumnName(info.caption)) {
            return info.input;
        }
    }
    return std::nullopt;
}

std::optional<AnalysisColumns> AnalysisColumns::fromHeader(const CsvRecord& header,
                                                           std::string& refused) {
    AnalysisColumns layout;
    layout.columns_.fill(absent);
    std::string figures;
    for (std::size_t i = 0; i < header.size(); ++i) {
        const std::string_view name = header.field(i);
        if (const std::optional<AnalysisInput> input = analysisInputColumn(name)) {
            std::size_t& column = layout.columns_[static_cast<std::size_t>(*input)];
            if (column != absent) {
                refused = "the header names the column " + inputName(*input, InputNaming::column) +
                          " twice";
                return std::nullopt;
            }
            column = i;
        } else if (isOutputColumn(name)) {
            figures.append(figures.empty() ? "" : ", ").append(comparableColumnName(name));
        }
    }
    const std::string missing = layout.missingColumns();
    if (!missing.empty()) {
        refused = "the header lacks the columns " + missing;
        return std::nullopt;
    }
    if (!figures.empty()) {
        refused = "the header names the figure columns " + figures +
                  ", so the file holds figures already";
        return std::nullopt;
    }
    return layout;
}

std::string AnalysisColumns::missingColumns() const {
    const auto has = [this](AnalysisInput input) {
        return columns_[static_cast<std::size_t>(input)] != absent;
    };
    const auto column = [](AnalysisInput input) { return inputName(input, InputNaming::column); };
    using I = AnalysisInput;
    std::string missing;
    for (const I input : {I::optionPrice, I::strikePrice, I::currentPrice}) {
        if (!has(input)) {
            missing.append(missing.empty() ? "" : ", ").append(column(input));
        }
    }
    if (!has(I::shares) && !has(I::contracts)) {
        missing.append(missing.empty() ? "" : ", ")
            .append(column(I::shares) + " or " + column(I::contracts));
    }
    if (!has(I::expiry) && !has(I::days) && !has(I::months)) {
        missing.append(missing.empty() ? "" : ", ")
            .append(column(I::expiry) + ", " + column(I::days) + " or " + column(I::months));
    }
    return missing;
}

AnalysisInputs AnalysisColumns::inputs(const CsvRecord& row,
                                       std::chrono::year_month_day today) const {
    AnalysisInputs inputs;
    inputs.today = today;
    for (const AnalysisInputInfo& info : analysisInputs) {
        const std::size_t column = columns_[static_cast<std::size_t>(info.input)];
        if (column != absent && !isBlankField(row.field(column))) {
            inputText(inputs, info.input) = std::string{row.field(column)};
        }
    }
    return inputs;
}

AnalysisRowKind appendAnalysedRow(const CsvRecord& record, const AnalysisColumns& columns,
                                  const AnalysisRowOptions& options, char delimiter,
                                  std::string& line) {
    AnalysisRowFields fields;
    const AnalysisRowKind kind = analyseRow(columns.inputs(record, options.today), options, fields);
    for (std::size_t i = 0; i < record.size(); ++i) {
        appendCsvField(line, record.field(i), delimiter);
        line.push_back(delimiter);
    }
    for (const std::string& field : fields) {
        appendCsvField(line, field, delimiter);
        line.push_back(delimiter);
    }
    line.pop_back();
    return kind;
}

namespace {

// The analysis of every row, after a header that says where the inputs stand. The header is
// read once; then row makers, one for each thread, read what it set and nothing else.
class AnalysisWork : public CsvRowWork {
public:
    explicit AnalysisWork(const AnalysisBatchOptions& options)
        : options_{options} {}

    bool header(CsvReader& reader, CsvRecord& record, std::string& out,
                BatchOutcome& outcome) override {
        columns_.reset();
        if (!readHeader(reader, record, outcome)) {
            return false;
        }
        writeHeader(reader, record, out);
        return true;
    }

    std::unique_ptr<RowMaker> rowMaker() const override;

private:
    class Rows;

    static bool isInputColumn(std::string_view name) {
        return analysisInputColumn(name).has_value();
    }

    bool readHeader(CsvReader& reader, CsvRecord& record, BatchOutcome& outcome) {
        if (!readHeaderRecord(reader, record, options_.delimiter, isInputColumn, outcome)) {
            return false;
        }
        std::string refused;
        columns_ = AnalysisColumns::fromHeader(record, refused);
        if (!columns_) {
            outcome.headerRefused = refused;
            return false;
        }
        columnCount_ = record.size();
        ending_ = lineEndingOf(record);
        delimiter_ = reader.delimiter();
        return true;
    }

    void writeHeader(const CsvReader& reader, const CsvRecord& record, std::string& line) const {
        if (reader.hadByteOrderMark()) {
            // A spreadsheet that wrote one reads UTF-8 only with one.
            line.append("\xEF\xBB\xBF");
        }
        for (std::size_t i = 0; i < columnCount_; ++i) {
            appendCsvField(line, record.field(i), delimiter_);
            line.push_back(delimiter_);
        }
        for (const AnalysisFigureInfo& info : analysisFigures) {
            line.append(info.key).push_back(delimiter_);
        }
        line.append(analysisErrorColumn).append(ending_);
    }

    const AnalysisBatchOptions& options_;
    std::optional<AnalysisColumns> columns_;
    std::size_t columnCount_ = 0;
    std::string_view ending_ = "\n";
    char delimiter_ = ',';
};

// The rows of one thread.
class AnalysisWork::Rows : public CsvRowWork::RowMaker {
public:
    explicit Rows(const AnalysisWork& work)
        : work_{work} {}

    RowKind row(const CsvRecord& record, std::string& out,
                std::optional<CsvError>& fatal) override {
        if (isPaddingRecord(record)) {
            return RowKind::skipped;
        }
        fatal = fieldCountFault(record, work_.columnCount_);
        if (fatal) {
            return RowKind::skipped;
        }
        const AnalysisRowKind kind =
            appendAnalysedRow(record, *work_.columns_, work_.options_.row, work_.delimiter_, out);
        out.append(work_.ending_);
        switch (kind) {
        case AnalysisRowKind::complete:
            return RowKind::complete;
        case AnalysisRowKind::incomplete:
            return RowKind::incomplete;
        case AnalysisRowKind::refused:
            return RowKind::rejected;
        }
        return RowKind::rejected;
    }

private:
    const AnalysisWork& work_;
};

std::unique_ptr<CsvRowWork::RowMaker> AnalysisWork::rowMaker() const {
    return std::make_unique<Rows>(*this);
}

} // namespace

BatchOutcome runAnalysisBatch(std::istream& input, std::ostream& output,
                              const AnalysisBatchOptions& options) {
    AnalysisWork work{options};
    CsvBatchOptions running;
    running.jobs = options.jobs;
    return runCsvRows(input, output, work, running);
}

} // namespace veltrane
