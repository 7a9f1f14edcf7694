#include "cli/batch_command.h"

#include "cli/csv_source.h"
#include "cli/messages.h"
#include "cli/output_destination.h"

#include <cerrno>

namespace veltrane {

namespace {

void reportBatch(std::ostream& err, const BatchOutcome& outcome, const CsvSource& source,
                 const OutputDestination& destination, const BatchWords& words) {
    if (outcome.writeFailed) {
        printError(err, writeFailure(destination.name(), outcome.writeError));
    } else if (outcome.malformed) {
        printError(err, source.name() + ", line " + std::to_string(outcome.malformed->line) +
                            ": not valid CSV: " + outcome.malformed->message);
    } else if (outcome.headerRefused) {
        printError(err, source.name() + ": " + *outcome.headerRefused);
    } else if (outcome.refusedRows > 0) {
        printError(err, std::to_string(outcome.refusedRows) + " of " +
                            std::to_string(outcome.rows) + " rows were refused" +
                            std::string{words.refusedWhy});
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
