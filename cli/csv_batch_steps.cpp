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

std::optional<std::string> separatorClash(char delimiter, std::string_view decimalSeparator) {
    // The settings a file of that kind comes from, and how one of its numbers reads both ways.
    std::string_view fileDecimal;
    std::string_view example;
    std::string_view exampleLocale;
    if (delimiter == ';' && decimalSeparator == ".") {
        fileDecimal = ",";
        example = "1.000";
        exampleLocale = "de_DE";
    } else if (delimiter == ',' && decimalSeparator == ",") {
        fileDecimal = ".";
        example = "\"1,000\"";
        exampleLocale = "en_US";
    } else {
        return std::nullopt;
    }
    std::string message{"the fields are separated by '"};
    message.push_back(delimiter);
    message.append("', as spreadsheets write them where '")
        .append(fileDecimal)
        .append("' is the decimal separator, but the settings in force read '")
        .append(decimalSeparator)
        .append("' as the decimal separator, so a number such as ")
        .append(example)
        .append(" could be read two ways; give --locale with the file's settings (--locale ")
        .append(exampleLocale)
        .append(", say), or --delimiter to say the separator is meant and read the numbers with '")
        .append(decimalSeparator)
        .append("' decimals");
    return message;
}

PlainForm plainFormFor(char delimiter, std::optional<char> decimal, bool percentAsFraction) {
    return {decimal.value_or(delimiter == ';' ? ',' : '.'), percentAsFraction};
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
