#pragma once

#include "cli/batch_outcome.h"
#include "cli/command.h"
#include "cli/exit_status.h"

#include <QString>
#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

namespace veltrane {

// How a command's batch summary speaks of its rows.
struct BatchWords {
    // After "N of M rows were refused": why, and where to look.
    std::string_view refusedWhy;
    // What an incomplete row lacks: "a result", "a figure".
    std::string_view lacking;
};

using BatchRun = std::function<BatchOutcome(std::istream& input, std::ostream& output)>;

// A command's CSV batch from `path` (empty or "-": standard input), read in `encoding` (empty:
// UTF-8 unless a byte order mark says UTF-16; cli/decoded_input.h), to `output` (empty:
// standard output): opens both, runs `batch`, reports its outcome on standard error and returns
// its status. The file is replaced only by a run that completes.
ExitStatus runBatchCommand(const QString& path, const std::string& output,
                           const std::string& encoding, CommandStreams streams,
                           const BatchWords& words, const BatchRun& batch);

} // namespace veltrane
