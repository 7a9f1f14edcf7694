#pragma once

#include "cli/csv_reader.h"

#include <cstdint>
#include <optional>

namespace veltrane {

// What a batch did: how many rows it read, how many failed the check, and why it stopped early
// if it did.
struct BatchOutcome {
    std::uint64_t rows = 0;
    std::uint64_t rejectedRows = 0;
    // Computed, but with a result that has no text.
    std::uint64_t incompleteRows = 0;
    std::optional<CsvError> malformed;
    bool writeFailed = false;
};

} // namespace veltrane
