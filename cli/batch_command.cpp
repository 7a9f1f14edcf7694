#include "cli/batch_command.h"

#include "cli/csv_source.h"
#include "cli/messages.h"
#include "cli/output_destination.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>

namespace veltrane {

namespace {

std::string malformedText(const CsvError& error, const CsvSource& source) {
    std::string text = source.name() + ", line " + std::to_string(error.line) + ": ";
    if (error.kind == CsvErrorKind::syntax) {
        return text + "not valid CSV: " + error.message;
    }
    return text + "not valid UTF-8: " + error.message;
}

std::string refusedText(const BatchOutcome& outcome, const CsvSource& source,
                        const BatchWords& words) {
    std::string text;
    if (outcome.tooWideRows > 0) {
        const std::uint64_t more = outcome.tooWideRows - 1;
        text = source.name() + ", line " + std::to_string(outcome.firstTooWideLine) +
               ": the row has more fields than the header names, so it";
        text.append(more == 0 ? " was refused (its error column says so)"
                              : " and " + std::to_string(more) +
                                    " more such rows were refused (their error column says so)");
    }
    const std::uint64_t others = outcome.refusedRows - outcome.tooWideRows;
    if (others > 0) {
        text.append(text.empty() ? "" : "\n")
            .append(std::to_string(others) + " of " + std::to_string(outcome.rows) +
                    " rows were refused")
            .append(words.refusedWhy);
    }
    return text;
}

void reportBatch(std::ostream& err, const BatchOutcome& outcome, const CsvSource& source,
                 const OutputDestination& destination, const BatchWords& words) {
    if (outcome.writeFailed) {
        printError(err, writeFailure(destination.name(), outcome.writeError));
    } else if (outcome.malformed) {
        printError(err, malformedText(*outcome.malformed, source));
    } else if (outcome.headerRefused) {
        printError(err, source.name() + ": " + *outcome.headerRefused);
    } else if (outcome.refusedRows > 0) {
        printError(err, refusedText(outcome, source, words));
    } else if (outcome.incompleteRows > 0) {
        printError(err, std::to_string(outcome.incompleteRows) + " of " +
                            std::to_string(outcome.rows) + " rows lack " +
                            std::string{words.lacking} + "; their error column says why");
    }
}

} // namespace

ExitStatus runBatchCommand(const QString& path, const std::string& output, CommandStreams streams,
                           const BatchWords& words, const BatchRun& batch) {
    CsvSource source{path.toStdString(), streams.in, streams.err};
    if (!source.open()) {
        return ExitStatus::usage;
    }
    OutputDestination destination{output, streams.out, streams.err};
    if (!destination.open()) {
        return ExitStatus::outputFailed;
    }
    BatchOutcome outcome = batch(source.stream(), destination.stream());
    // What is still buffered is written before the summary: an output that fails is all there
    // is to say.
    if (!outcome.writeFailed && !destination.stream().flush()) {
        outcome.writeFailed = true;
        outcome.writeError = errno;
    }
    reportBatch(streams.err, outcome, source, destination, words);
    return destination.finish(outcome.status());
}

} // namespace veltrane
