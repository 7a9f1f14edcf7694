#pragma once

#include "calc/regional_settings.h"
#include "cli/csv_batch_runner.h"

#include <istream>
#include <ostream>

namespace veltrane {

// Computes every row of a CSV input whose header names the columns option_price, strike_price,
// current_price, shares and months in any order (a missing column is empty text). Writes every
// input column, the seven results under their field names, and `error`. A row whose amounts
// fail the Calculate check gets empty results and the invalid-entry message; the others are
// computed all the same. Streams: memory does not depend on the number of rows. `options.jobs`
// threads compute the rows; the output is the same for any number of them.
BatchOutcome runCsvBatch(std::istream& input, std::ostream& output,
                         const RegionalSettings& settings, const CsvBatchOptions& options = {});

} // namespace veltrane
