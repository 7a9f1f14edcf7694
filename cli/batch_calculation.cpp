#include "cli/batch_calculation.h"

#include "calc/entry_check.h"
#include "calc/field_map.h"
#include "cli/csv_writer.h"

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace veltrane {

namespace {

constexpr std::size_t absent = static_cast<std::size_t>(-1);

// Where each input column stands in the records, or `absent`.
using ColumnPositions = std::array<std::size_t, inputFields.size()>;

class CalculationRows : public CsvRowWork {
public:
    explicit CalculationRows(const RegionalSettings& settings)
        : settings_{settings} {}

    bool header(CsvReader& reader, CsvRecord& record, std::string& out,
                BatchOutcome& outcome) override {
        if (!reader.next(record)) {
            outcome.malformed = reader.error().value_or(
                CsvError{"the input is empty; it needs a header row that names the columns", 1});
            return false;
        }
        positions_.fill(absent);
        columnCount_ = record.size();
        for (std::size_t i = 0; i < columnCount_; ++i) {
            for (std::size_t c = 0; c < inputFields.size(); ++c) {
                if (record.field(i) != columnName(inputFields[c])) {
                    continue;
                }
                if (positions_[c] != absent) {
                    outcome.malformed =
                        CsvError{"the header names the column " +
                                     std::string{columnName(inputFields[c])} + " twice",
                                 record.line()};
                    return false;
                }
                positions_[c] = i;
            }
        }
        // Records end the way the header did, so a CR LF file stays one.
        ending_ = record.endedWithCrLf() ? "\r\n" : "\n";
        for (std::size_t i = 0; i < columnCount_; ++i) {
            appendCsvField(out, record.field(i));
            out.push_back(',');
        }
        for (const Field field : resultFields) {
            out.append(columnName(field));
            out.push_back(',');
        }
        out.append("error");
        out.append(ending_);
        return true;
    }

    std::unique_ptr<RowMaker> rowMaker() const override { return std::make_unique<Rows>(*this); }

private:
    class Rows : public RowMaker {
    public:
        explicit Rows(const CalculationRows& batch)
            : batch_{batch} {}

        RowKind row(const CsvRecord& record, std::string& out,
                    std::optional<CsvError>& fatal) override {
            return batch_.row(record, out, fatal);
        }

    private:
        const CalculationRows& batch_;
    };

    RowKind row(const CsvRecord& record, std::string& out, std::optional<CsvError>& fatal) const {
        if (record.blank()) {
            return RowKind::skipped;
        }
        if (record.size() != columnCount_) {
            fatal = CsvError{"the record has " + std::to_string(record.size()) +
                                 " fields, but the header names " + std::to_string(columnCount_),
                             record.line()};
            return RowKind::skipped;
        }

        // A fresh set of fields for every row, as the window starts from its own controls: a
        // step that fails must leave nothing of the row before.
        FieldMap fields;
        for (std::size_t c = 0; c < inputFields.size(); ++c) {
            if (positions_[c] != absent) {
                fields.setText(inputFields[c], record.field(positions_[c]));
            }
        }
        for (std::size_t i = 0; i < columnCount_; ++i) {
            appendCsvField(out, record.field(i));
            out.push_back(',');
        }
        RowKind kind = RowKind::complete;
        const EntryCheck check = checkEntries(fields, settings_);
        if (check.passed()) {
            CalculateIt(fields, settings_);
            for (const Field field : resultFields) {
                appendCsvField(out, fields.text(field));
                out.push_back(',');
            }
        } else {
            kind = RowKind::rejected;
            out.append(resultFields.size(), ',');
            appendCsvField(out, rejectionText(check, FieldNaming::column, " Fields:"));
        }
        out.append(ending_);
        return kind;
    }

    const RegionalSettings& settings_;
    ColumnPositions positions_{};
    std::size_t columnCount_ = 0;
    std::string_view ending_ = "\n";
};

} // namespace

BatchOutcome runCsvBatch(std::istream& input, std::ostream& output,
                         const RegionalSettings& settings, const CsvBatchOptions& options) {
    CalculationRows rows{settings};
    return runCsvRows(input, output, rows, options);
}

} // namespace veltrane
