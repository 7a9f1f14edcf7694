#include "cli/csv_batch_steps.h"

#include "cli/csv_row_work.h"
#include "cli/messages.h"
#include "csv/dialect.h"
#include "csv/header_names.h"

#include <array>
#include <sstream>
#include <string>

namespace veltrane {

namespace {

// What a first line "sep=X" says: nothing when the line is not one; else the delimiter X names,
// or nothing in it when X is none the reader knows.
std::optional<std::optional<char>> sepLine(std::string_view line) {
    constexpr std::string_view sep = "sep=";
    if (line.size() <= sep.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < sep.size(); ++i) {
        if ((line[i] | 0x20) != sep[i]) {
            return std::nullopt;
        }
    }
    std::string_view named = line.substr(sep.size());
    // A spreadsheet that read the line as a cell pads it with empty ones: "sep=;;;;".
    while (named.size() > 1 && named.back() == named.front()) {
        named.remove_suffix(1);
    }
    return std::optional<char>{delimiterNamed(named)};
}

// The delimiter with which `line` is one CSV record and nothing more: `given`, or the first of
// those the reader knows. Nothing when it is not one with any.
std::optional<char> oneRecordWith(std::string_view line, std::optional<char> given) {
    constexpr std::array candidates{',', ';', '\t', '|'};
    for (const char delimiter : candidates) {
        if (given && *given != delimiter) {
            continue;
        }
        std::istringstream input{std::string{line}};
        CsvReader reader{input, delimiter};
        CsvRecord record;
        if (reader.next(record) && !reader.next(record) && !reader.error()) {
            return delimiter;
        }
    }
    return std::nullopt;
}

std::string noHeaderFound(std::uint64_t lastLine, std::string_view lastText,
                          std::string_view expected) {
    const std::string line = std::to_string(lastLine);
    std::string text = "no header found: no line up to line ";
    text.append(line).append(" names a column (line ").append(line).append(" reads ");
    text.append(quotedText(lastText)).append("); the header must name ").append(expected);
    return text;
}

// Reads a first line "sep=X", which names the delimiter (into `delimiter`). False, with the
// reason in `outcome`, for one that names none the reader knows or another than --delimiter.
bool readSepLine(CsvReader& reader, CsvRecord& record, std::optional<char>& delimiter,
                 BatchOutcome& outcome) {
    const std::string_view line = reader.peekLine();
    const std::optional<std::optional<char>> sep = sepLine(line);
    if (!sep) {
        return true;
    }
    if (!*sep) {
        outcome.headerRefused = "line 1, " + quotedText(line) +
                                ", names no delimiter this program reads: ',', ';', tab or '|'";
        return false;
    }
    if (delimiter && *delimiter != **sep) {
        outcome.headerRefused =
            "line 1, " + quotedText(line) + ", names another delimiter than --delimiter does";
        return false;
    }
    delimiter = *sep;
    reader.setDelimiter(**sep);
    reader.next(record);
    return true;
}

} // namespace

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

bool readHeaderRecord(CsvReader& reader, CsvRecord& record, const HeaderSearch& search,
                      HeaderShape& shape, BatchOutcome& outcome) {
    std::optional<char> delimiter = search.delimiter;
    if (!readSepLine(reader, record, delimiter, outcome)) {
        return false;
    }
    std::string_view line = reader.peekLine();
    int titles = 0;
    std::uint64_t lastTried = 0;
    std::string lastText;
    for (;; line = reader.peekLine()) {
        const char tried = delimiter.value_or(detectDelimiter(line, search.isKnownColumn));
        const std::optional<char> title =
            isBlankField(line) || knownColumnCount(line, tried, search.isKnownColumn) > 0
                ? std::nullopt
                : oneRecordWith(line, delimiter);
        std::string candidate{title ? line : std::string_view{}};
        reader.setDelimiter(title ? *title : tried);
        if (!reader.next(record)) {
            if (reader.error()) {
                outcome.malformed = reader.error();
            } else if (titles > 0) {
                outcome.headerRefused = noHeaderFound(lastTried, lastText, search.expectedColumns);
            } else {
                outcome.malformed =
                    CsvError{"the input is empty; it needs a header row that names the columns", 1};
            }
            return false;
        }
        if (isPaddingRecord(record)) {
            continue;
        }
        if (!title) {
            break;
        }
        lastTried = record.line();
        lastText = std::move(candidate);
        if (++titles > maxTitleLines) {
            outcome.headerRefused = noHeaderFound(lastTried, lastText, search.expectedColumns);
            return false;
        }
    }
    shape = {record.size(), lineEndingOf(record), reader.delimiter(), reader.hadByteOrderMark(),
             delimiter.has_value()};
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

void HeaderShape::startLine(std::string& line) const {
    if (byteOrderMark) {
        line.append("\xEF\xBB\xBF");
    }
}

RowKind HeaderRows::row(const CsvRecord& record, std::string& out,
                        std::optional<CsvError>& /*fatal*/) {
    if (isPaddingRecord(record)) {
        return RowKind::skipped;
    }
    if (record.size() == headerFields_) {
        return make(record, out);
    }
    resized_ = record;
    resized_.resize(headerFields_);
    if (record.size() < headerFields_) {
        return make(resized_, out);
    }
    // Nothing after a field too many can be trusted to stand in the right column.
    reason_ = "line " + std::to_string(record.line()) + " has " + std::to_string(record.size()) +
              " fields but the header names " + std::to_string(headerFields_);
    refuse(resized_, reason_, out);
    return RowKind::tooWide;
}

} // namespace veltrane
