#pragma once

#include "calc/regional_settings.h"
#include "cli/column_names.h"
#include "cli/exit_status.h"

#include <QStringList>
#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

class QCommandLineParser;

namespace veltrane {

// The message for a command line that is not understood, and where to look: status 64.
ExitStatus usageError(std::ostream& err, const QString& text, std::string_view helpCommand);

// A command-line argument as a message quotes it: its quotedPart.
QString cutArgument(const QString& argument);

// Writes all of `text` and flushes: false when the stream failed.
bool writeAll(std::ostream& out, std::string_view text);

// Writes `text` to `out`, which messages call `where`: status 74, with the message on `err`,
// when that fails.
ExitStatus writeOrReport(std::ostream& out, std::ostream& err, std::string_view text,
                         std::string_view where = "standard output");

// "--csv=FILE" is "--csv FILE": Qt would take the "=" for a value of a flag.
QStringList withCsvFileApart(QStringList arguments);

// A usage error when an option other than the `repeatable` ones is given more than once: which
// one would count is no guess to leave to the parser.
std::optional<ExitStatus> refuseRepeatedOptions(const QCommandLineParser& parser,
                                                const QStringList& repeatable, std::ostream& err,
                                                std::string_view helpCommand);

// The delimiter `--delimiter` names; nothing when it is not given (told from the header then).
// A usage error for a name that is no delimiter.
std::optional<ExitStatus> readDelimiter(const std::optional<QString>& name, std::ostream& err,
                                        std::string_view helpCommand,
                                        std::optional<char>& delimiter);

// The encoding `--encoding` names, as given; empty when it is not given. A usage error for a
// name iconv does not know.
std::optional<ExitStatus> readEncoding(const std::optional<QString>& name, std::ostream& err,
                                       std::string_view helpCommand, std::string& encoding);

// The regional settings `--locale` names, else the user's own. A usage error for an unknown
// name.
std::optional<ExitStatus> readRegionalSettings(const std::optional<QString>& name,
                                               std::ostream& err, std::string_view helpCommand,
                                               RegionalSettings& settings);

// The header columns `--column KEY=HEADER` names, each KEY one of `keys` (in any spelling a
// header may use: "strike-price" is strike_price) and HEADER not blank. A usage error naming
// the value otherwise.
std::optional<ExitStatus> readColumnMappings(const QStringList& values,
                                             const std::vector<std::string>& keys,
                                             std::ostream& err, std::string_view helpCommand,
                                             std::vector<ColumnMapping>& mappings);

// The threads a batch computes on: `--jobs N` when given, else every core the process may use.
// A usage error for an N that is not a whole number from 1 to maxJobs.
std::optional<ExitStatus> readJobCount(const std::optional<QString>& text, std::ostream& err,
                                       std::string_view helpCommand, unsigned& count);

// The local date of this run, read once: every position of the run counts from it. Not a date
// when the clock cannot be read, so that an expiry without an as-of date is refused.
std::chrono::year_month_day localToday();

} // namespace veltrane
