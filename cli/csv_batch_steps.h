#pragma once

#include "calc/plain_numbers.h"
#include "cli/batch_outcome.h"
#include "csv/header_names.h"
#include "csv/reader.h"
#include "csv/record.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace veltrane {

// The steps every CSV batch takes the same way, whatever it makes of a row.

// Lines of blanks and rows of empty fields, a spreadsheet's padding, are no rows to compute.
bool isPaddingRecord(const CsvRecord& record);

// Skips blank lines, tells the delimiter from the first line that is not blank (unless one is
// given) and reads that line into `record`. False, with the reason in `outcome`, for an input
// without one.
bool readHeaderRecord(CsvReader& reader, CsvRecord& record, std::optional<char> delimiter,
                      bool (*isKnownColumn)(std::string_view), BatchOutcome& outcome);

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

    static HeaderShape of(const CsvReader& reader, const CsvRecord& header);

    // Begins the output's header line: with the byte order mark when the input had one, since a
    // spreadsheet that wrote one reads UTF-8 only with one.
    void startLine(std::string& line) const;
};

// The fault of a record with another number of fields than the header's: nothing after it can
// be trusted to stand in the right column.
std::optional<CsvError> fieldCountFault(const CsvRecord& record, std::size_t headerFields);

} // namespace veltrane
