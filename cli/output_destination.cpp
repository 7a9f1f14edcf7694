#include "cli/output_destination.h"

#include "cli/messages.h"

#include <cerrno>

namespace veltrane {

OutputDestination::OutputDestination(const std::string& outputPath, std::ostream& standardOutput,
                                     std::ostream& err)
    : standardOutput_{standardOutput}
    , err_{err} {
    if (!outputPath.empty()) {
        file_ = std::make_unique<OutputFile>(outputPath);
    }
}

bool OutputDestination::open() {
    if (file_ && !file_->isOpen()) {
        printError(err_, file_->error());
        return false;
    }
    return true;
}

std::ostream& OutputDestination::stream() {
    return file_ ? file_->stream() : standardOutput_;
}

std::string OutputDestination::name() const {
    return file_ ? "'" + file_->path() + "'" : std::string{"standard output"};
}

ExitStatus OutputDestination::finish(ExitStatus status) {
    stream().flush();
    if (!file_) {
        if (!standardOutput_ && status != ExitStatus::outputFailed) {
            printError(err_, writeFailure(name(), errno));
            return ExitStatus::outputFailed;
        }
        return status;
    }
    if (status == ExitStatus::usage || status == ExitStatus::outputFailed) {
        file_->discard();
        if (!file_->direct()) {
            printError(err_, "'" + file_->path() + "' is left as it was");
        }
        return status;
    }
    if (!file_->commit()) {
        printError(err_, file_->error() + "\n'" + file_->path() + "' is left as it was");
        return ExitStatus::outputFailed;
    }
    return status;
}

} // namespace veltrane
