#pragma once

#include "cli/exit_status.h"
#include "cli/output_file.h"

#include <memory>
#include <ostream>
#include <string>

namespace veltrane {

// Where a command's results go: standard output as they come, or a file (--output) replaced
// only when the run is done.
class OutputDestination {
public:
    // An empty path: `standardOutput`. Messages go to `err`.
    OutputDestination(const std::string& outputPath, std::ostream& standardOutput,
                      std::ostream& err);

    // False, with the message printed, when the output file cannot be made.
    bool open();

    std::ostream& stream();
    // How messages name it: "standard output", or the file's path in quotes.
    std::string name() const;

    // Ends the run with `status`: a complete run (0, 2 or 3) replaces the file, a fatal one
    // leaves it as it was. Returns the status the run ends with.
    ExitStatus finish(ExitStatus status);

private:
    std::ostream& standardOutput_;
    std::ostream& err_;
    std::unique_ptr<OutputFile> file_;
};

} // namespace veltrane
