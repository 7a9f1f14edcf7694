#pragma once

#include "calc/regional_settings.h"
#include "cli/exit_status.h"

#include <QCommandLineOption>
#include <QStringList>
#include <optional>
#include <ostream>
#include <string_view>

class QCommandLineParser;

namespace veltrane {

// The message for a command line that is not understood, and where to look: status 64.
ExitStatus usageError(const QString& text, std::string_view helpCommand);

// Writes all of `text` and flushes: false when the stream failed.
bool writeAll(std::ostream& out, std::string_view text);

// Writes `text` to standard output: status 74, with the message printed, when that fails.
ExitStatus writeStandardOutput(std::string_view text);

// "--csv=FILE" is "--csv FILE": Qt would take the "=" for a value of a flag.
QStringList withCsvFileApart(QStringList arguments);

// A usage error when an option is given more than once: which one would count is no guess to
// leave to the parser.
std::optional<ExitStatus> refuseRepeatedOptions(const QCommandLineParser& parser,
                                                std::string_view helpCommand);

// `--delimiter NAME` and `--locale NAME`, as every command that reads a CSV batch takes them.
QCommandLineOption delimiterOption();
QCommandLineOption localeOption();

// The delimiter `--delimiter` names; nothing when it is not given (told from the header then).
// A usage error for a name that is no delimiter.
std::optional<ExitStatus> readDelimiter(const QCommandLineParser& parser,
                                        const QCommandLineOption& option,
                                        std::string_view helpCommand,
                                        std::optional<char>& delimiter);

// The regional settings `--locale` names, else the user's own. A usage error for an unknown
// name.
std::optional<ExitStatus> readRegionalSettings(const QCommandLineParser& parser,
                                               const QCommandLineOption& option,
                                               std::string_view helpCommand,
                                               RegionalSettings& settings);

// `--jobs N`, as every command that reads a CSV batch takes it.
QCommandLineOption jobsOption();

// The threads a batch computes on: `--jobs N` when given, else every core the process may use.
// A usage error for an N that is not a whole number from 1 to maxJobs.
std::optional<ExitStatus> readJobCount(const QCommandLineParser& parser,
                                       const QCommandLineOption& jobs, std::string_view helpCommand,
                                       unsigned& count);

} // namespace veltrane
