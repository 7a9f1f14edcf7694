#pragma once

#include "calc/regional_settings.h"
#include "cli/batch_outcome.h"
#include "cli/column_names.h"
#include "cli/csv_batch_runner.h"

#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace veltrane {

struct BatchOptions {
    // The field delimiter; nothing: told from the header line (",", ";" or a tab).
    std::optional<char> delimiter;
    // --locale named the settings: a delimiter told from the header is taken as they read it.
    bool localeGiven = false;
    // A header that names result columns is recomputed in place rather than refused.
    bool replaceResults = false;
    // Results written plainly for machines (calc/plain_numbers.h) rather than as the user's texts.
    bool plain = false;
    // --plain's decimal separator; nothing: ',' when the output is separated by ';', else '.'.
    std::optional<char> plainDecimal;
    bool percentAsFraction = false;
    // One JSON object per row (JSON Lines) instead of CSV.
    bool json = false;
    // Threads that compute rows (cli/csv_batch_runner.h); the output is the same for any number.
    unsigned jobs = 1;
    // Header columns the user names for inputs (--column), beside the names the program knows.
    std::vector<ColumnMapping> columns{};
};

// Computes every row of a CSV input whose header names the four amount columns (and the months,
// else none are chosen) in any order, by their column names or the window's captions. Writes
// every input column, the seven results under their field names, and `error`, which says why a
// row was refused or lacks a result. Lines of blanks and rows of empty fields are skipped.
// Streams: memory does not depend on the number of rows.
BatchOutcome runCsvBatch(std::istream& input, std::ostream& output,
                         const RegionalSettings& settings, const BatchOptions& options = {});

} // namespace veltrane
