#pragma once

#include "calc/regional_settings.h"
#include "cli/csv_reader.h"
#include "cli/exit_status.h"

#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>
#include <string>

namespace veltrane {

struct BatchOptions {
    // The field delimiter; nothing: told from the header line (",", ";" or a tab).
    std::optional<char> delimiter;
    // A header that names result columns is recomputed in place rather than refused.
    bool replaceResults = false;
    // Results written plainly for machines (calc/plain_numbers.h) rather than as the user's texts.
    bool plain = false;
};

// What a batch did: how many rows it read, how many were refused or lack a result, and why it
// stopped early if it did.
struct BatchOutcome {
    std::uint64_t rows = 0;
    // Failed the Calculate check, or gave months the list does not hold.
    std::uint64_t rejectedRows = 0;
    // Computed, but with a result that has no text.
    std::uint64_t incompleteRows = 0;
    // The input is not CSV, or its header names a column twice.
    std::optional<CsvError> malformed;
    // The header lacks an amount column, or names results without --replace-results.
    std::optional<std::string> headerRefused;
    bool writeFailed = false;

    ExitStatus status() const;
};

// Computes every row of a CSV input whose header names the four amount columns (and the months,
// else none are chosen) in any order, by their column names or the window's captions. Writes
// every input column, the seven results under their field names, and `error`, which says why a
// row was refused or lacks a result. Lines of blanks and rows of empty fields are skipped.
// Streams: memory does not depend on the number of rows.
BatchOutcome runCsvBatch(std::istream& input, std::ostream& output,
                         const RegionalSettings& settings, const BatchOptions& options = {});

} // namespace veltrane
