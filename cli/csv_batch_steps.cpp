#include "cli/csv_batch_steps.h"

#include "cli/csv_row_work.h"
#include "csv/dialect.h"
#include "csv/header_names.h"

#include <string>

namespace veltrane {

bool isPaddingRecord(const CsvRecord& record) {
    if (record.blank()) {
        return true;
    }
    for (std::size_t i = 0; i < record.size(); ++i) {
        if (!isBlankField(record.field(i))) {
            return false;
        }
    }
    return true;
}

bool readHeaderRecord(CsvReader& reader, CsvRecord& record, std::optional<char> delimiter,
                      bool (*isKnownColumn)(std::string_view), BatchOutcome& outcome) {
    std::string_view line = reader.peekLine();
    while (isBlankField(line) && reader.next(record)) {
        line = reader.peekLine();
    }
    reader.setDelimiter(delimiter.value_or(detectDelimiter(line, isKnownColumn)));
    if (!reader.next(record)) {
        outcome.malformed = reader.error().value_or(
            CsvError{"the input is empty; it needs a header row that names the columns", 1});
        return false;
    }
    return true;
}

std::string_view lineEndingOf(const CsvRecord& header) {
    return header.endedWithCrLf() ? "\r\n" : "\n";
}

std::optional<CsvError> fieldCountFault(const CsvRecord& record, std::size_t headerFields) {
    if (record.size() == headerFields) {
        return std::nullopt;
    }
    return CsvError{"the record has " + std::to_string(record.size()) +
                        " fields, but the header names " + std::to_string(headerFields),
                    record.line()};
}

HeaderShape HeaderShape::of(const CsvReader& reader, const CsvRecord& header) {
    return {header.size(), lineEndingOf(header), reader.delimiter(), reader.hadByteOrderMark()};
}

void HeaderShape::startLine(std::string& line) const {
    if (byteOrderMark) {
        line.append("\xEF\xBB\xBF");
    }
}

RowKind HeaderRows::row(const CsvRecord& record, std::string& out, std::optional<CsvError>& fatal) {
    if (isPaddingRecord(record)) {
        return RowKind::skipped;
    }
    fatal = fieldCountFault(record, headerFields_);
    if (fatal) {
        return RowKind::skipped;
    }
    return make(record, out);
}

} // namespace veltrane
