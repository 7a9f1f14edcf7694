#include "cli/batch_calculation.h"

#include "calc/field_map.h"
#include "calc/money_layout.h"
#include "calc/plain_numbers.h"
#include "cli/column_names.h"
#include "cli/csv_batch_steps.h"
#include "cli/field_spellings.h"
#include "cli/json_lines.h"
#include "cli/messages.h"
#include "cli/position_check.h"
#include "csv/line_writer.h"
#include "csv/writer.h"

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace veltrane {

namespace {

constexpr std::size_t absent = static_cast<std::size_t>(-1);

// What the batch writes for a row beyond its input: the seven results, then the error column.
constexpr std::size_t errorSlot = resultFields.size();
constexpr std::size_t slotCount = resultFields.size() + 1;
using RowResults = std::array<std::string_view, slotCount>;

std::size_t resultSlot(Field field) {
    for (std::size_t i = 0; i < resultFields.size(); ++i) {
        if (resultFields[i] == field) {
            return i;
        }
    }
    return absent;
}

// Where each column of the header stands, and what the output puts in each place.
struct ColumnLayout {
    std::array<std::size_t, inputFields.size()> inputs{};
    // Per input column: absent to pass it through, else the slot that replaces it.
    std::vector<std::size_t> replaced;
    // The slots written after the input columns, in order.
    std::vector<std::size_t> appended;
    std::vector<std::string_view> resultColumnsFound;
};

// The calculation of every row, after a header that says where the amounts stand. The header
// is read once; then row makers, one for each thread, read what it set and nothing else.
class CalculationBatch : public CsvRowWork {
public:
    CalculationBatch(const RegionalSettings& settings, const BatchOptions& options)
        : settings_{settings}
        , options_{options}
        , names_{calcColumnNames(options.columns)} {}

    bool header(CsvReader& reader, CsvRecord& record, std::string& out,
                BatchOutcome& outcome) override {
        layout_ = ColumnLayout{};
        if (!readHeader(reader, record, outcome) || !mapColumns(record, outcome)) {
            return false;
        }
        if (options_.json) {
            return jsonKeysFor(record, outcome); // each line names its own fields
        }
        writeHeader(record, out);
        return true;
    }

    std::unique_ptr<RowMaker> rowMaker() const override;

private:
    class Rows;

    bool readHeader(CsvReader& reader, CsvRecord& record, BatchOutcome& outcome) {
        static const std::string expected = [] {
            std::string names;
            for (std::size_t i = 0; i < checkedFields.size(); ++i) {
                names.append(i == 0                          ? ""
                             : i + 1 == checkedFields.size() ? " and "
                                                             : ", ")
                    .append(columnName(checkedFields[i]));
            }
            return names.append(", and may name ").append(columnName(Field::cboMonthsOut));
        }();
        if (!readHeaderRecord(
                reader, record,
                {options_.delimiter,
                 [this](std::string_view name) { return names_.find(name).has_value(); }, expected},
                shape_, outcome)) {
            return false;
        }
        if (!options_.delimiter && !options_.localeGiven) {
            outcome.headerRefused = separatorClash(reader.delimiter(), settings_.decimalSeparator);
            if (outcome.headerRefused) {
                return false;
            }
        }
        // JSON numbers take '.', whatever the input's delimiter.
        plainForm_ = plainFormFor(options_.json ? ',' : shape_.delimiter, options_.plainDecimal,
                                  options_.percentAsFraction);
        return true;
    }

    static bool placeColumn(std::size_t& place, std::size_t column, std::string_view name,
                            const CsvRecord& record, BatchOutcome& outcome) {
        if (place != absent) {
            outcome.malformed = CsvError{
                "the header names the column " + std::string{name} + " twice", record.line()};
            return false;
        }
        place = column;
        return true;
    }

    bool mapColumns(const CsvRecord& record, BatchOutcome& outcome) {
        layout_.inputs.fill(absent);
        layout_.replaced.assign(shape_.columns, absent);
        std::array<std::size_t, slotCount> resultColumns{};
        resultColumns.fill(absent);
        for (std::size_t i = 0; i < shape_.columns; ++i) {
            const std::vector<KnownColumn> matches = names_.findAll(record.field(i));
            outcome.headerRefused =
                ambiguousColumn(record.field(i), matches, [](const KnownColumn& match) {
                    return match.field ? columnName(*match.field) : errorColumnName;
                });
            if (outcome.headerRefused) {
                return false;
            }
            if (matches.empty()) {
                continue;
            }
            const KnownColumn* const known = &matches.front();
            if (!known->field || fieldInfo(*known->field).kind == FieldKind::result) {
                const std::size_t slot = known->field ? resultSlot(*known->field) : errorSlot;
                const std::string_view name =
                    known->field ? columnName(*known->field) : errorColumnName;
                layout_.resultColumnsFound.push_back(name);
                if (!placeColumn(resultColumns[slot], i, name, record, outcome)) {
                    return false;
                }
                layout_.replaced[i] = slot;
                continue;
            }
            const auto input = static_cast<std::size_t>(*known->field);
            if (!placeColumn(layout_.inputs[input], i, columnName(*known->field), record,
                             outcome)) {
                return false;
            }
        }
        for (std::size_t slot = 0; slot < slotCount; ++slot) {
            if (resultColumns[slot] == absent) {
                layout_.appended.push_back(slot);
            }
        }
        return checkHeader(record, outcome);
    }

    // One message for a header that cannot be right, before any row is read.
    bool checkHeader(const CsvRecord& record, BatchOutcome& outcome) const {
        std::string missing;
        for (const Field field : checkedFields) {
            if (layout_.inputs[static_cast<std::size_t>(field)] == absent) {
                missing.append(missing.empty() ? "" : ", ").append(columnName(field));
            }
        }
        if (!missing.empty()) {
            NameList found;
            for (std::size_t i = 0; i < shape_.columns; ++i) {
                found.add(quotedText(record.field(i)));
            }
            outcome.headerRefused = "the header lacks the columns " + missing +
                                    "; the columns found are " + found.text();
            return false;
        }
        if (!layout_.resultColumnsFound.empty() && !options_.replaceResults) {
            std::string names;
            for (const std::string_view name : layout_.resultColumnsFound) {
                names.append(names.empty() ? "" : ", ").append(name);
            }
            outcome.headerRefused = "the header names the result columns " + names +
                                    ", so the file holds results already; give "
                                    "--replace-results to compute them afresh";
            return false;
        }
        return true;
    }

    void writeHeader(const CsvRecord& record, std::string& line) const {
        shape_.startLine(line);
        for (std::size_t i = 0; i < shape_.columns; ++i) {
            const std::size_t slot = layout_.replaced[i];
            appendCsvField(line, slot == absent ? record.field(i) : slotName(slot),
                           shape_.delimiter);
            line.push_back(shape_.delimiter);
        }
        for (const std::size_t slot : layout_.appended) {
            line.append(slotName(slot));
            line.push_back(shape_.delimiter);
        }
        line.pop_back();
        line.append(shape_.ending);
    }

    bool jsonKeysFor(const CsvRecord& record, BatchOutcome& outcome) {
        jsonKeys_ = JsonLineKeys{};
        for (std::size_t i = 0; i < shape_.columns; ++i) {
            const std::size_t slot = layout_.replaced[i];
            jsonKeys_.add(slot == absent ? record.field(i) : slotName(slot),
                          slot != absent && slot != errorSlot && options_.plain);
        }
        for (const std::size_t slot : layout_.appended) {
            jsonKeys_.add(slotName(slot), slot != errorSlot && options_.plain);
        }
        if (const std::optional<std::string> repeated = jsonKeys_.repeatedName()) {
            outcome.headerRefused = "the header names the column " + quotedText(*repeated) +
                                    " twice, which one JSON object cannot hold";
            return false;
        }
        return true;
    }

    static std::string_view slotName(std::size_t slot) {
        return slot == errorSlot ? errorColumnName : columnName(resultFields[slot]);
    }

    const RegionalSettings& settings_;
    const BatchOptions& options_;
    const HeaderNames<KnownColumn> names_;
    ColumnLayout layout_;
    HeaderShape shape_;
    PlainForm plainForm_;
    JsonLineKeys jsonKeys_;
};

// The rows of one thread, with fields and texts reused from row to row.
class CalculationBatch::Rows : public HeaderRows {
public:
    explicit Rows(const CalculationBatch& batch)
        : HeaderRows{batch.shape_.columns}
        , batch_{batch} {}

private:
    RowKind make(const CsvRecord& record, std::string& out) override {
        const RowKind kind = computeRow(record);
        writeRow(record, out);
        return kind;
    }

    void refuse(const CsvRecord& record, std::string_view reason, std::string& out) override {
        results_.fill({});
        results_[errorSlot] = reason;
        writeRow(record, out);
    }

    RowKind computeRow(const CsvRecord& record) {
        // Each input text is read once, straight from the record: the check tests what was read
        // and the calculation computes with it. The fields hold what is read as text later: the
        // months for the messages, and every input for the plain results, which read them anew.
        const bool plain = batch_.options_.plain;
        ReadInputs inputs;
        for (std::size_t c = 0; c < inputFields.size(); ++c) {
            const std::size_t column = batch_.layout_.inputs[c];
            const std::string_view text =
                column == absent ? std::string_view{} : record.field(column);
            inputs.numbers[c] = parseNumber(text, batch_.settings_);
            if (plain || inputFields[c] == Field::cboMonthsOut) {
                fields_.setText(inputFields[c], text);
            }
        }
        const std::size_t monthsColumn =
            batch_.layout_.inputs[static_cast<std::size_t>(Field::cboMonthsOut)];
        PositionCheck check;
        check.entries = checkEntries(inputs);
        check.monthsRefused = monthsColumn != absent && !isMonthsChoice(record.field(monthsColumn));
        results_.fill({});
        if (!check.passed()) {
            errorText_ = positionRefusal(check, fields_, FieldSpelling::column);
            results_[errorSlot] = errorText_;
            return RowKind::refused;
        }
        // The calculation writes all seven results, an empty text where a step failed, so
        // nothing of the row before survives; every input and result of the plain fields is
        // written afresh by calculatePlainly.
        FieldMap& shown = plain ? plainFields_ : fields_;
        if (plain) {
            calculatePlainly(fields_, batch_.settings_, plainFields_);
            reshapePlainResults(plainFields_, batch_.plainForm_);
        } else {
            CalculateIt(inputs, fields_, batch_.settings_, money_);
        }
        bool complete = true;
        for (std::size_t slot = 0; slot < errorSlot; ++slot) {
            results_[slot] = shown.view(resultFields[slot]);
            complete = complete && !results_[slot].empty();
        }
        if (!complete) {
            errorText_ = incompleteReason(shown);
            results_[errorSlot] = errorText_;
            return RowKind::incomplete;
        }
        return RowKind::complete;
    }

    void writeRow(const CsvRecord& record, std::string& line) {
        if (batch_.options_.json) {
            values_.clear();
            for (std::size_t i = 0; i < batch_.shape_.columns; ++i) {
                const std::size_t slot = batch_.layout_.replaced[i];
                values_.push_back(slot == absent ? record.field(i) : results_[slot]);
            }
            for (const std::size_t slot : batch_.layout_.appended) {
                values_.push_back(results_[slot]);
            }
            batch_.jsonKeys_.appendLine(line, values_);
            return;
        }
        std::size_t resultBytes = 0;
        for (const std::string_view result : results_) {
            resultBytes += result.size();
        }
        CsvLineWriter writer{line, batch_.shape_.columns + batch_.layout_.appended.size(),
                             record.bytes() + resultBytes, batch_.shape_.delimiter};
        for (std::size_t i = 0; i < batch_.shape_.columns; ++i) {
            const std::size_t slot = batch_.layout_.replaced[i];
            writer.field(slot == absent ? record.field(i) : results_[slot]);
        }
        for (const std::size_t slot : batch_.layout_.appended) {
            writer.field(results_[slot]);
        }
        writer.end(batch_.shape_.ending);
    }

    const CalculationBatch& batch_;
    // The currency layout of the batch's settings, worked out once for all the thread's rows.
    const MoneyLayout money_{batch_.settings_};
    FieldMap fields_;
    FieldMap plainFields_;
    // What the output puts after the input columns; views into the fields above and errorText_.
    RowResults results_;
    std::string errorText_;
    std::vector<std::string_view> values_;
};

std::unique_ptr<CsvRowWork::RowMaker> CalculationBatch::rowMaker() const {
    return std::make_unique<Rows>(*this);
}

} // namespace

BatchOutcome runCsvBatch(std::istream& input, std::ostream& output,
                         const RegionalSettings& settings, const BatchOptions& options) {
    CalculationBatch batch{settings, options};
    CsvBatchOptions running;
    running.jobs = options.jobs;
    return runCsvRows(input, output, batch, running);
}

} // namespace veltrane
