#pragma once

#include "calc/plain_numbers.h"
#include "cli/batch_outcome.h"
#include "csv/header_names.h"
#include "csv/reader.h"
#include "csv/record.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace veltrane {

// The steps every CSV batch takes the same way, whatever it makes of a row.

// Lines of blanks and rows of empty fields, a spreadsheet's padding, are no rows to compute.
bool isPaddingRecord(const CsvRecord& record);

// Why a file whose delimiter was told from its header cannot be read under settings whose
// decimal separator is `decimalSeparator`: separated by ';' and read with '.' decimals, or by ','
// and read with ',' decimals, its numbers could mean two things ("1.000": one, or a thousand).
// Nothing when they agree.
std::optional<std::string> separatorClash(char delimiter, std::string_view decimalSeparator);

// How --plain figures are written into CSV separated by `delimiter`: with `decimal` when given,
// else with the decimal separator a spreadsheet expects beside that delimiter.
PlainForm plainFormFor(char delimiter, std::optional<char> decimal, bool percentAsFraction);

// Records end the way the header did, so a CR LF file stays one.
std::string_view lineEndingOf(const CsvRecord& header);

// What the output takes from the input's header: its number of fields, its line ending, its
// delimiter and its byte order mark.
struct HeaderShape {
    std::size_t columns = 0;
    std::string_view ending = "\n";
    char delimiter = ',';
    bool byteOrderMark = false;
    // The delimiter was named, by --delimiter or by the file's sep= line, rather than told from
    // the header line.
    bool delimiterNamed = false;

    // Begins the output's header line: with the byte order mark when the input had one, since a
    // spreadsheet that wrote one reads UTF-8 only with one.
    void startLine(std::string& line) const;
};

// Where a batch looks for its header.
struct HeaderSearch {
    // --delimiter; nothing: named by the file's sep= line, or told from the header line.
    std::optional<char> delimiter;
    // Whether a header may name `name`: what tells the header and its delimiter.
    std::function<bool(std::string_view)> isKnownColumn;
    // The columns a header must name, for the refusal of a file where none is found:
    // "option_price, strike_price, current_price and shares".
    std::string_view expectedColumns;
};

// Lines before the header that name no column, such as a spreadsheet's title row, skipped at most.
inline constexpr int maxTitleLines = 10;

// Reads the input up to its header and the header into `record`, and what the output takes from
// it into `shape`. Before the header it takes a first line "sep=X" (how Excel names the
// delimiter; not data), blank lines and rows of empty fields, and up to maxTitleLines lines that
// name no column. The delimiter is --delimiter's, else the sep= line's, else told from the header
// line (csv/dialect.h). False, with the reason in `outcome`, for an input without a header.
bool readHeaderRecord(CsvReader& reader, CsvRecord& record, const HeaderSearch& search,
                      HeaderShape& shape, BatchOutcome& outcome);

} // namespace veltrane
