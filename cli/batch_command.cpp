#include "cli/batch_command.h"

#include "cli/csv_source.h"
#include "cli/decoded_input.h"
#include "cli/messages.h"
#include "cli/output_destination.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>

namespace veltrane {

namespace {

std::string malformedText(const CsvError& error, const CsvSource& source,
                          const DecodedInput& input) {
    std::string text = source.name() + ", line " + std::to_string(error.line) + ": ";
    if (error.kind == CsvErrorKind::syntax) {
        return text + "not valid CSV: " + error.message;
    }
    if (const std::optional<std::string> fault = input.fault()) {
        return text + "not valid " + input.encodingName() + ": " + *fault;
    }
    return text + "not valid UTF-8: " + error.message +
           "; if the file is in another encoding, name it, such as --encoding windows-1252";
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
                 const OutputDestination& destination, const DecodedInput& input,
                 const BatchWords& words) {
    if (outcome.writeFailed) {
        printError(err, writeFailure(destination.name(), outcome.writeError));
    } else if (outcome.malformed) {
        printError(err, malformedText(*outcome.malformed, source, input));
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

ExitStatus runBatchCommand(const QString& path, const std::string& output,
                           const std::string& encoding, CommandStreams streams,
                           const BatchWords& words, const BatchRun& batch) {
    CsvSource source{path.toStdString(), streams.in, streams.err};
    if (!source.open()) {
        return ExitStatus::usage;
    }
    DecodedInput input{source.stream(), encoding};
    if (const std::optional<std::string> refused = input.start()) {
        printError(streams.err, source.name() + ": " + *refused);
        return ExitStatus::usage;
    }
    OutputDestination destination{output, streams.out, streams.err};
    if (!destination.open()) {
        return ExitStatus::outputFailed;
    }
    BatchOutcome outcome = batch(input.stream(), destination.stream());
    // What is still buffered is written before the summary: an output that fails is all there
    // is to say.
    if (!outcome.writeFailed && !destination.stream().flush()) {
        outcome.writeFailed = true;
        outcome.writeError = errno;
    }
    reportBatch(streams.err, outcome, source, destination, input, words);
    return destination.finish(outcome.status());
}

} // namespace veltrane
