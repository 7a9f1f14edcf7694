#pragma once

#include "calc/regional_settings.h"
#include "cli/csv_reader.h"

#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>

namespace veltrane {

// What a batch did: how many rows it read, how many failed the check, and why it stopped early
// if it did.
struct BatchOutcome {
    std::uint64_t rows = 0;
    std::uint64_t rejectedRows = 0;
    std::optional<CsvError> malformed;
    bool writeFailed = false;
};

// Computes every row of a CSV input whose header names the columns option_price, strike_price,
// current_price, shares and months in any order (a missing column is empty text). Writes every
// input column, the seven results under their field names, and `error`. A row whose amounts
// fail the Calculate check gets empty results and the invalid-entry message; the others are
// computed all the same. Streams: memory does not depend on the number of rows.
BatchOutcome runCsvBatch(std::istream& input, std::ostream& output,
                         const RegionalSettings& settings);

} // namespace veltrane
