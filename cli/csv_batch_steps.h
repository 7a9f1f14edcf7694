#pragma once

#include "cli/batch_outcome.h"
#include "csv/header_names.h"
#include "csv/reader.h"
#include "csv/record.h"

#include <cstddef>
#include <optional>
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

// Records end the way the header did, so a CR LF file stays one.
std::string_view lineEndingOf(const CsvRecord& header);

// The fault of a record with another number of fields than the header's: nothing after it can
// be trusted to stand in the right column.
std::optional<CsvError> fieldCountFault(const CsvRecord& record, std::size_t headerFields);

} // namespace veltrane
