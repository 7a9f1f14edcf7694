#include "cli/analysis_batch.h"

#include "cli/column_names.h"
#include "cli/csv_batch_runner.h"
#include "cli/csv_batch_steps.h"
#include "cli/csv_row_work.h"
#include "cli/json_lines.h"
#include "cli/messages.h"
#include "csv/reader.h"
#include "csv/writer.h"
#include "pricing/black_scholes_merton.h"

#include <memory>
#include <string>
#include <vector>

namespace veltrane {

namespace {

// The output slot of a column the program writes: a figure's key, or the error column.
std::optional<std::size_t> outputSlot(std::string_view name) {
    const std::string comparable = comparableColumnName(name);
    if (comparable == analysisErrorColumn) {
        return analysisErrorSlot;
    }
    for (std::size_t slot = 0; slot < analysisFigures.size(); ++slot) {
        if (comparable == analysisFigures[slot].key) {
            return slot;
        }
    }
    return std::nullopt;
}

// Whether a column of `header` other than `column` names `input`.
bool namedElsewhere(const CsvRecord& header, std::size_t column, AnalysisInput input,
                    const HeaderNames<AnalysisInput>& names) {
    for (std::size_t i = 0; i < header.size(); ++i) {
        if (i != column && names.find(header.field(i)) == input) {
            return true;
        }
    }
    return false;
}

// A figure's key that is also an input's caption ("Premium", "Days to expiry") names the input,
// unless it is written exactly as this program writes the figure and --replace-results or
// another column for that input says the file is its output.
bool figureOverInput(const CsvRecord& header, std::size_t column, std::optional<std::size_t> figure,
                     AnalysisInput input, const HeaderNames<AnalysisInput>& names,
                     bool replaceResults) {
    return figure && header.field(column) == analysisSlotName(*figure) &&
           (replaceResults || namedElsewhere(header, column, input, names));
}

} // namespace

std::string refusalText(Refusal refusal, FieldSpelling spelling) {
    if (!refusal.text.empty()) {
        const std::string quoted = quotedText(refusal.text);
        // The message puts its own quotes around the text.
        refusal.text = quoted.substr(1, quoted.size() - 2);
    }
    return analysisRefusalMessage(refusal, spelling);
}

std::string refusalsText(const std::vector<Refusal>& refusals, FieldSpelling spelling) {
    std::string text;
    for (const Refusal& refusal : refusals) {
        text.append(text.empty() ? "" : " ").append(refusalText(refusal, spelling));
    }
    return text;
}

std::optional<std::string> figureValue(const Analysis& analysis, AnalysisFigure figure,
                                       const AnalysisRowOptions& options) {
    if (!options.plain) {
        return figureText(analysis, figure, options.settings);
    }
    std::optional<std::string> text = figurePlainText(analysis, figure);
    if (text && !options.plainForm.isDefault() && figureInfo(figure).kind != FigureKind::text) {
        text = inPlainForm(*text, options.plainForm, figureInfo(figure).kind == FigureKind::ratio);
    }
    return text;
}

RowKind analyseRow(const AnalysisInputs& inputs, const AnalysisRowOptions& options,
                   AnalysisRowFields& out) {
    const AnalysisResult result = analysePosition(inputs, options.settings, &blackScholesMerton());
    if (!result.ok()) {
        for (std::size_t i = 0; i < analysisErrorSlot; ++i) {
            out[i].clear();
        }
        out[analysisErrorSlot] = refusalsText(result.refusals, FieldSpelling::column);
        return RowKind::refused;
    }
    const Analysis& analysis = *result.analysis;
    for (std::size_t i = 0; i < analysisErrorSlot; ++i) {
        const AnalysisFigure figure = analysisFigures[i].figure;
        std::optional<std::string> text = figureValue(analysis, figure, options);
        out[i] = text ? std::move(*text) : std::string{};
    }
    out[analysisErrorSlot] = analysis.incompleteReason();
    return analysis.complete() ? RowKind::complete : RowKind::incomplete;
}

HeaderNames<AnalysisInput> analysisColumnNames(const std::vector<ColumnMapping>& mappings) {
    HeaderNames<AnalysisInput> names;
    for (const AnalysisInputInfo& info : analysisInputs) {
        names.add(info.key, info.input);
        names.add(info.caption, info.input);
        addOtherNames(names, info.key, info.input, mappings);
    }
    return names;
}

std::optional<AnalysisInput> analysisInputColumn(std::string_view name) {
    static const HeaderNames<AnalysisInput> names = analysisColumnNames();
    return names.find(name);
}

std::optional<AnalysisColumns>
AnalysisColumns::fromHeader(const CsvRecord& header, std::string& refused, bool replaceResults) {
    static const HeaderNames<AnalysisInput> names = analysisColumnNames();
    return fromHeader(header, refused, names, replaceResults);
}

std::optional<AnalysisColumns> AnalysisColumns::fromHeader(const CsvRecord& header,
                                                           std::string& refused,
                                                           const HeaderNames<AnalysisInput>& names,
                                                           bool replaceResults) {
    AnalysisColumns layout;
    layout.columns_.fill(absent);
    layout.replaced_.assign(header.size(), absent);
    std::array<bool, analysisErrorSlot + 1> found{};
    NameList figures;
    for (std::size_t i = 0; i < header.size(); ++i) {
        const std::string_view name = header.field(i);
        const std::vector<AnalysisInput> inputs = names.findAll(name);
        if (const std::optional<std::string> ambiguous = ambiguousColumn(
                name, inputs, [](AnalysisInput input) { return inputInfo(input).key; })) {
            refused = *ambiguous;
            return std::nullopt;
        }
        const std::optional<std::size_t> figure = outputSlot(name);
        const std::optional<AnalysisInput> input =
            inputs.empty() ||
                    figureOverInput(header, i, figure, inputs.front(), names, replaceResults)
                ? std::nullopt
                : std::optional<AnalysisInput>{inputs.front()};
        if (input) {
            std::size_t& column = layout.columns_[static_cast<std::size_t>(*input)];
            if (column != absent) {
                refused = "the header names the column " +
                          inputSpelling(*input, FieldSpelling::column) + " twice";
                return std::nullopt;
            }
            column = i;
        } else if (const std::optional<std::size_t> slot = figure) {
            figures.add(analysisSlotName(*slot));
            if (found[*slot] && replaceResults) {
                refused = "the header names the column " + std::string{analysisSlotName(*slot)} +
                          " twice";
                return std::nullopt;
            }
            found[*slot] = true;
            layout.replaced_[i] = *slot;
        }
    }
    for (std::size_t slot = 0; slot < found.size(); ++slot) {
        if (!found[slot]) {
            layout.appended_.push_back(slot);
        }
    }
    const std::string missing = layout.missingColumns();
    if (!missing.empty()) {
        refused = "the header lacks the columns " + missing;
        return std::nullopt;
    }
    if (!figures.empty() && !replaceResults) {
        refused = "the header names the figure columns " + figures.text() +
                  ", so the file holds figures already; give --replace-results to compute them "
                  "afresh";
        return std::nullopt;
    }
    return layout;
}

std::string AnalysisColumns::required() {
    AnalysisColumns none;
    none.columns_.fill(absent);
    return none.missingColumns();
}

std::string AnalysisColumns::missingColumns() const {
    const auto has = [this](AnalysisInput input) {
        return columns_[static_cast<std::size_t>(input)] != absent;
    };
    const auto column = [](AnalysisInput input) {
        return inputSpelling(input, FieldSpelling::column);
    };
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
                                       const AnalysisRowOptions& options) const {
    AnalysisInputs inputs;
    inputs.today = options.today;
    inputs.returnBase = options.returnBase;
    for (const AnalysisInputInfo& info : analysisInputs) {
        const std::size_t column = columns_[static_cast<std::size_t>(info.input)];
        if (column != absent && !isBlankField(row.field(column))) {
            inputText(inputs, info.input) = std::string{row.field(column)};
        }
    }
    return inputs;
}

RowKind appendAnalysedRow(const CsvRecord& record, const AnalysisColumns& columns,
                          const AnalysisRowOptions& options, char delimiter, std::string& line) {
    AnalysisRowFields fields;
    const RowKind kind = analyseRow(columns.inputs(record, options), options, fields);
    columns.forEachOutput(record, fields, [&](std::string_view field) {
        appendCsvField(line, field, delimiter);
        line.push_back(delimiter);
    });
    line.pop_back();
    return kind;
}

namespace {

// The analysis of every row, after a header that says where the inputs stand. The header is
// read once; then row makers, one for each thread, read what it set and nothing else.
class AnalysisWork : public CsvRowWork {
public:
    explicit AnalysisWork(const AnalysisBatchOptions& options)
        : options_{options}
        , names_{analysisColumnNames(options.columns)} {}

    bool header(CsvReader& reader, CsvRecord& record, std::string& out,
                BatchOutcome& outcome) override {
        columns_.reset();
        if (!readHeader(reader, record, outcome)) {
            return false;
        }
        writeHeader(record, out);
        return true;
    }

    std::unique_ptr<RowMaker> rowMaker() const override;

private:
    class Rows;

    bool readHeader(CsvReader& reader, CsvRecord& record, BatchOutcome& outcome) {
        static const std::string expected = AnalysisColumns::required();
        if (!readHeaderRecord(
                reader, record,
                {options_.delimiter,
                 [this](std::string_view name) { return names_.find(name).has_value(); }, expected},
                shape_, outcome)) {
            return false;
        }
        if (!options_.delimiter && !options_.localeGiven) {
            outcome.headerRefused =
                separatorClash(reader.delimiter(), options_.row.settings.decimalSeparator);
            if (outcome.headerRefused) {
                return false;
            }
        }
        std::string refused;
        columns_ = AnalysisColumns::fromHeader(record, refused, names_, options_.replaceResults);
        if (!columns_) {
            outcome.headerRefused = refused;
            return false;
        }
        row_ = options_.row;
        // JSON numbers take '.', whatever the input's delimiter.
        row_.plainForm = plainFormFor(options_.json ? ',' : shape_.delimiter, options_.plainDecimal,
                                      options_.row.plainForm.percentAsFraction);
        if (options_.json) {
            jsonKeys_ = JsonLineKeys{};
            columns_->forEachOutputName(record, [this](std::string_view name, bool number) {
                jsonKeys_.add(name, number && row_.plain);
            });
            if (const std::optional<std::string> repeated = jsonKeys_.repeatedName()) {
                outcome.headerRefused = "the header names the column " + quotedText(*repeated) +
                                        " twice, which one JSON object cannot hold";
                return false;
            }
        }
        return true;
    }

    void writeHeader(const CsvRecord& record, std::string& line) const {
        if (options_.json) {
            return; // each line names its own fields
        }
        shape_.startLine(line);
        columns_->forEachOutputName(record, [&](std::string_view name, bool /*number*/) {
            appendCsvField(line, name, shape_.delimiter);
            line.push_back(shape_.delimiter);
        });
        line.pop_back();
        line.append(shape_.ending);
    }

    const AnalysisBatchOptions& options_;
    // The row options with the plain form the header's delimiter implies.
    AnalysisRowOptions row_;
    const HeaderNames<AnalysisInput> names_;
    std::optional<AnalysisColumns> columns_;
    JsonLineKeys jsonKeys_;
    HeaderShape shape_;
};

// The rows of one thread.
class AnalysisWork::Rows : public HeaderRows {
public:
    explicit Rows(const AnalysisWork& work)
        : HeaderRows{work.shape_.columns}
        , work_{work} {}

private:
    RowKind make(const CsvRecord& record, std::string& out) override {
        const RowKind kind =
            analyseRow(work_.columns_->inputs(record, work_.row_), work_.row_, fields_);
        write(record, out);
        return kind;
    }

    void refuse(const CsvRecord& record, std::string_view reason, std::string& out) override {
        for (std::string& field : fields_) {
            field.clear();
        }
        fields_[analysisErrorSlot] = reason;
        write(record, out);
    }

    void write(const CsvRecord& record, std::string& out) {
        if (work_.options_.json) {
            values_.clear();
            work_.columns_->forEachOutput(
                record, fields_, [this](std::string_view field) { values_.push_back(field); });
            work_.jsonKeys_.appendLine(out, values_);
            return;
        }
        const char delimiter = work_.shape_.delimiter;
        work_.columns_->forEachOutput(record, fields_, [&](std::string_view field) {
            appendCsvField(out, field, delimiter);
            out.push_back(delimiter);
        });
        out.pop_back();
        out.append(work_.shape_.ending);
    }

    const AnalysisWork& work_;
    AnalysisRowFields fields_;
    std::vector<std::string_view> values_;
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
