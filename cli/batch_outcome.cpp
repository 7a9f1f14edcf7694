#include "cli/batch_outcome.h"

namespace veltrane {

ExitStatus BatchOutcome::status() const {
    if (writeFailed) {
        return ExitStatus::outputFailed;
    }
    if (malformed || headerRefused) {
        return ExitStatus::usage;
    }
    if (refusedRows > 0) {
        return ExitStatus::refused;
    }
    return incompleteRows > 0 ? ExitStatus::incomplete : ExitStatus::ok;
}

} // namespace veltrane
