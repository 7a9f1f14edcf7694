#include "cli/batch_calculation.h"

#include "calc/entry_check.h"
#include "calc/field_map.h"
#include "cli/csv_writer.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace veltrane {

namespace {

constexpr std::size_t absent = static_cast<std::size_t>(-1);

// Where each input column stands in the records, or `absent`.
using ColumnPositions = std::array<std::size_t, inputFields.size()>;

constexpr std::size_t flushBytes = std::size_t{64} * 1024;

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

} // namespace

BatchOutcome runCsvBatch(std::istream& input, std::ostream& output,
                         const RegionalSettings& settings) {
    BatchOutcome outcome;
    CsvReader reader{input};
    CsvRecord record;

    if (!reader.next(record)) {
        outcome.malformed = reader.error().value_or(
            CsvError{"the input is empty; it needs a header row that names the columns", 1});
        return outcome;
    }

    ColumnPositions positions;
    positions.fill(absent);
    const std::size_t columnCount = record.size();
    for (std::size_t i = 0; i < columnCount; ++i) {
        for (std::size_t c = 0; c < inputFields.size(); ++c) {
            if (record.field(i) != columnName(inputFields[c])) {
                continue;
            }
            if (positions[c] != absent) {
                outcome.malformed = CsvError{"the header names the column " +
                                                 std::string{columnName(inputFields[c])} + " twice",
                                             record.line()};
                return outcome;
            }
            positions[c] = i;
        }
    }

    // Records end the way the header did, so a CR LF file stays one.
    const std::string_view ending = record.endedWithCrLf() ? "\r\n" : "\n";
    BatchWriter writer{output};
    std::string& line = writer.line();
    for (std::size_t i = 0; i < columnCount; ++i) {
        appendCsvField(line, record.field(i));
        line.push_back(',');
    }
    for (const Field field : resultFields) {
        line.append(columnName(field));
        line.push_back(',');
    }
    line.append("error");
    if (!writer.endLine(ending)) {
        outcome.writeFailed = true;
        return outcome;
    }

    std::string rejection;
    while (reader.next(record)) {
        if (record.blank()) {
            continue;
        }
        if (record.size() != columnCount) {
            outcome.malformed =
                CsvError{"the record has " + std::to_string(record.size()) +
                             " fields, but the header names " + std::to_string(columnCount),
                         record.line()};
            break;
        }
        ++outcome.rows;

        // A fresh set of fields for every row, as the window starts from its own controls: a
        // step that fails must leave nothing of the row before.
        FieldMap fields;
        for (std::size_t c = 0; c < inputFields.size(); ++c) {
            if (positions[c] != absent) {
                fields.setText(inputFields[c], record.field(positions[c]));
            }
        }
        for (std::size_t i = 0; i < columnCount; ++i) {
            appendCsvField(line, record.field(i));
            line.push_back(',');
        }
        const EntryCheck check = checkEntries(fields, settings);
        if (check.passed()) {
            CalculateIt(fields, settings);
            for (const Field field : resultFields) {
                appendCsvField(line, fields.text(field));
                line.push_back(',');
            }
        } else {
            ++outcome.rejectedRows;
            line.append(resultFields.size(), ',');
            rejection = rejectionText(check, FieldNaming::column, " Fields:");
            appendCsvField(line, rejection);
        }
        if (!writer.endLine(ending)) {
            outcome.writeFailed = true;
            return outcome;
        }
    }
    if (!outcome.malformed) {
        outcome.malformed = reader.error();
    }
    if (!writer.flush()) {
        outcome.writeFailed = true;
    }
    return outcome;
}

} // namespace veltrane
