#include "cli/batch_calculation.h"

#include "calc/field_map.h"
#include "calc/plain_numbers.h"
#include "cli/column_names.h"
#include "cli/csv_dialect.h"
#include "cli/csv_writer.h"
#include "cli/messages.h"
#include "cli/position_check.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace veltrane {

ExitStatus BatchOutcome::status() const {
    if (writeFailed) {
        return ExitStatus::outputFailed;
    }
    if (malformed || headerRefused) {
        return ExitStatus::usage;
    }
    if (rejectedRows > 0) {
        return ExitStatus::refused;
    }
    return incompleteRows > 0 ? ExitStatus::incomplete : ExitStatus::ok;
}

namespace {

constexpr std::size_t absent = static_cast<std::size_t>(-1);
constexpr std::size_t flushBytes = std::size_t{64} * 1024;

// What the batch writes for a row beyond its input: the seven results, then the error column.
constexpr std::size_t errorSlot = resultFields.size();
constexpr std::size_t slotCount = resultFields.size() + 1;
using RowResults = std::array<std::string_view, slotCount>;

bool isBlank(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

bool isKnownColumn(std::string_view name) {
    return knownColumn(name).has_value();
}

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

class BatchWriter {
public:
    explicit BatchWriter(std::ostream& output)
        : output_{output} {
        pending_.reserve(flushBytes + 4096);
    }

    std::string& line() { return pending_; }

    bool endLine(std::string_view ending) {
        pending_.append(ending);
        return pending_.size() < flushBytes || flush();
    }

    bool flush() {
        output_.write(pending_.data(), static_cast<std::streamsize>(pending_.size()));
        pending_.clear();
        return static_cast<bool>(output_);
    }

private:
    std::ostream& output_;
    std::string pending_;
};

class CsvBatch {
public:
    CsvBatch(std::istream& input, std::ostream& output, const RegionalSettings& settings,
             const BatchOptions& options)
        : reader_{input}
        , writer_{output}
        , settings_{settings}
        , options_{options} {}

    BatchOutcome run() {
        if (readHeader() && mapColumns() && writeHeader()) {
            while (reader_.next(record_)) {
                if (!takeRow()) {
                    return outcome_;
                }
            }
            if (!outcome_.malformed) {
                outcome_.malformed = reader_.error();
            }
            if (!writer_.flush()) {
                outcome_.writeFailed = true;
            }
        }
        return outcome_;
    }

private:
    // Skips blank lines, tells the delimiter from the first line that is not blank, reads it.
    bool readHeader() {
        std::string_view line = reader_.peekLine();
        while (isBlank(line) && reader_.next(record_)) {
            line = reader_.peekLine();
        }
        reader_.setDelimiter(options_.delimiter.value_or(detectDelimiter(line, isKnownColumn)));
        if (!reader_.next(record_)) {
            outcome_.malformed = reader_.error().value_or(
                CsvError{"the input is empty; it needs a header row that names the columns", 1});
            return false;
        }
        columnCount_ = record_.size();
        // Records end the way the header did, so a CR LF file stays one.
        ending_ = record_.endedWithCrLf() ? "\r\n" : "\n";
        return true;
    }

    bool placeColumn(std::size_t& place, std::size_t column, std::string_view name) {
        if (place != absent) {
            outcome_.malformed = CsvError{
                "the header names the column " + std::string{name} + " twice", record_.line()};
            return false;
        }
        place = column;
        return true;
    }

    bool mapColumns() {
        layout_.inputs.fill(absent);
        layout_.replaced.assign(columnCount_, absent);
        std::array<std::size_t, slotCount> resultColumns{};
        resultColumns.fill(absent);
        for (std::size_t i = 0; i < columnCount_; ++i) {
            const std::optional<KnownColumn> known = knownColumn(record_.field(i));
            if (!known) {
                continue;
            }
            if (!known->field || fieldInfo(*known->field).kind == FieldKind::result) {
                const std::size_t slot = known->field ? resultSlot(*known->field) : errorSlot;
                const std::string_view name =
                    known->field ? columnName(*known->field) : errorColumnName;
                layout_.resultColumnsFound.push_back(name);
                if (!placeColumn(resultColumns[slot], i, name)) {
                    return false;
                }
                layout_.replaced[i] = slot;
                continue;
            }
            const auto input = static_cast<std::size_t>(*known->field);
            if (!placeColumn(layout_.inputs[input], i, columnName(*known->field))) {
                return false;
            }
        }
        for (std::size_t slot = 0; slot < slotCount; ++slot) {
            if (resultColumns[slot] == absent) {
                layout_.appended.push_back(slot);
            }
        }
        return checkHeader();
    }

    // One message for a header that cannot be right, before any row is read.
    bool checkHeader() {
        std::string missing;
        for (const Field field : checkedFields) {
            if (layout_.inputs[static_cast<std::size_t>(field)] == absent) {
                missing.append(missing.empty() ? "" : ", ").append(columnName(field));
            }
        }
        if (!missing.empty()) {
            std::string found;
            for (std::size_t i = 0; i < columnCount_; ++i) {
                found.append(i == 0 ? "" : ", ").append(quotedText(record_.field(i)));
            }
            outcome_.headerRefused =
                "the header lacks the columns " + missing + "; the columns found are " + found;
            return false;
        }
        if (!layout_.resultColumnsFound.empty() && !options_.replaceResults) {
            std::string names;
            for (const std::string_view name : layout_.resultColumnsFound) {
                names.append(names.empty() ? "" : ", ").append(name);
            }
            outcome_.headerRefused = "the header names the result columns " + names +
                                     ", so the file holds results already; give "
                                     "--replace-results to compute them afresh";
            return false;
        }
        return true;
    }

    bool writeHeader() {
        std::string& line = writer_.line();
        if (reader_.hadByteOrderMark()) {
            // A spreadsheet that wrote one reads UTF-8 only with one.
            line.append("\xEF\xBB\xBF");
        }
        const char delimiter = reader_.delimiter();
        for (std::size_t i = 0; i < columnCount_; ++i) {
            const std::size_t slot = layout_.replaced[i];
            appendCsvField(line, slot == absent ? record_.field(i) : slotName(slot), delimiter);
            line.push_back(delimiter);
        }
        for (const std::size_t slot : layout_.appended) {
            line.append(slotName(slot));
            line.push_back(delimiter);
        }
        line.pop_back();
        return endLine();
    }

    static std::string_view slotName(std::size_t slot) {
        return slot == errorSlot ? errorColumnName : columnName(resultFields[slot]);
    }

    bool endLine() {
        if (!writer_.endLine(ending_)) {
            outcome_.writeFailed = true;
            return false;
        }
        return true;
    }

    // Lines of blanks and rows of empty fields, a spreadsheet's padding, are no positions.
    bool isPadding() const {
        for (std::size_t i = 0; i < record_.size(); ++i) {
            if (!isBlank(record_.field(i))) {
                return false;
            }
        }
        return true;
    }

    // One row: false when the batch must stop.
    bool takeRow() {
        if (record_.blank() || isPadding()) {
            return true;
        }
        if (record_.size() != columnCount_) {
            outcome_.malformed =
                CsvError{"the record has " + std::to_string(record_.size()) +
                             " fields, but the header names " + std::to_string(columnCount_),
                         record_.line()};
            return false;
        }
        ++outcome_.rows;
        computeRow();
        writeRow();
        return endLine();
    }

    void computeRow() {
        // The same fields for every row, every input set afresh and every result emptied before
        // the calculation, as the window's Clear would: a step that fails must leave nothing of
        // the row before.
        for (std::size_t c = 0; c < inputFields.size(); ++c) {
            const std::size_t column = layout_.inputs[c];
            fields_.setText(inputFields[c],
                            column == absent ? std::string_view{} : record_.field(column));
        }
        // The months straight from the record: the check needs no copy of them.
        const std::size_t monthsColumn =
            layout_.inputs[static_cast<std::size_t>(Field::cboMonthsOut)];
        PositionCheck check;
        check.entries = checkEntries(fields_, settings_);
        check.monthsRefused =
            monthsColumn != absent && !isMonthsChoice(record_.field(monthsColumn));
        results_.fill({});
        if (!check.passed()) {
            ++outcome_.rejectedRows;
            errorText_ = refusal(check, fields_);
            results_[errorSlot] = errorText_;
            return;
        }
        for (const Field field : resultFields) {
            fields_.setText(field, {});
        }
        // Every input and result of the plain fields is written afresh by calculatePlainly.
        FieldMap& shown = options_.plain ? plainFields_ : fields_;
        if (options_.plain) {
            calculatePlainly(fields_, settings_, plainFields_);
        } else {
            CalculateIt(fields_, settings_);
        }
        bool complete = true;
        for (std::size_t slot = 0; slot < errorSlot; ++slot) {
            results_[slot] = shown.view(resultFields[slot]);
            complete = complete && !results_[slot].empty();
        }
        if (!complete) {
            ++outcome_.incompleteRows;
            errorText_ = incompleteReason(shown);
            results_[errorSlot] = errorText_;
        }
    }

    static std::string refusal(const PositionCheck& check, const FieldAccess& fields) {
        std::string text;
        if (!check.entries.passed()) {
            text = rejectionText(check.entries, FieldNaming::column, " Fields:");
        }
        if (check.monthsRefused) {
            text.append(text.empty() ? "" : "; ")
                .append(monthsRefusal(fields.text(Field::cboMonthsOut)));
        }
        return text;
    }

    void writeRow() {
        std::string& line = writer_.line();
        const char delimiter = reader_.delimiter();
        for (std::size_t i = 0; i < columnCount_; ++i) {
            const std::size_t slot = layout_.replaced[i];
            appendCsvField(line, slot == absent ? record_.field(i) : results_[slot], delimiter);
            line.push_back(delimiter);
        }
        for (const std::size_t slot : layout_.appended) {
            appendCsvField(line, results_[slot], delimiter);
            line.push_back(delimiter);
        }
        line.pop_back();
    }

    CsvReader reader_;
    CsvRecord record_;
    BatchWriter writer_;
    const RegionalSettings& settings_;
    const BatchOptions& options_;
    BatchOutcome outcome_;
    ColumnLayout layout_;
    std::size_t columnCount_ = 0;
    std::string_view ending_ = "\n";
    FieldMap fields_;
    FieldMap plainFields_;
    // What the output puts after the input columns; views into the fields above and errorText_.
    RowResults results_;
    std::string errorText_;
};

} // namespace

BatchOutcome runCsvBatch(std::istream& input, std::ostream& output,
                         const RegionalSettings& settings, const BatchOptions& options) {
    return CsvBatch{input, output, settings, options}.run();
}

} // namespace veltrane
