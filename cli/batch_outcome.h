#pragma once

#include "cli/exit_status.h"
#include "csv/reader.h"

#include <cstdint>
#include <optional>
#include <string>

namespace veltrane {

// What a batch did: how many rows it read, how many were refused or lack a result, and why it
// stopped early if it did.
struct BatchOutcome {
    std::uint64_t rows = 0;
    // Failed the Calculate check, or gave months the list does not hold.
    std::uint64_t refusedRows = 0;
    // Computed, but with a result that has no text.
    std::uint64_t incompleteRows = 0;
    // Of the refused rows, those with more fields than the header names, and the line of the
    // first (0: none).
    std::uint64_t tooWideRows = 0;
    std::uint64_t firstTooWideLine = 0;
    // The input is not CSV or not text in its encoding, or its header names a column twice.
    std::optional<CsvError> malformed;
    // No header was found, it lacks an amount column or names results without
    // --replace-results, or the file's sep= line and --delimiter disagree.
    std::optional<std::string> headerRefused;
    bool writeFailed = false;
    // Why, as errno said when the write failed.
    int writeError = 0;

    ExitStatus status() const;
};

} // namespace veltrane
