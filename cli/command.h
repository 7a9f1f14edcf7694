#pragma once

#include "calc/plain_numbers.h"
#include "calc/regional_settings.h"
#include "cli/column_names.h"
#include "cli/exit_status.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace veltrane {

// What a command reads and writes: the process's standard streams, or strings in a test.
struct CommandStreams {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
};

// An option a command declares: its name without dashes, the name of its value (empty for a
// flag) and its line of help.
struct CommandOption {
    std::string name;
    std::string valueName;
    std::string help;
    // An input of a position: read from the CSV input instead when there is one.
    bool input = false;
};

// The options every batch command may take, declared once (cli/command.cpp) with their help.
enum class SharedOption {
    json,
    csv,
    plain,
    decimalSeparator,
    percentAsFraction,
    output,
    delimiter,
    locale,
    replaceResults,
    jobs,
    column,
    encoding
};

// A pair of options a command refuses together, or an option it refuses without another.
struct RefusedCombination {
    std::string_view option;
    std::string_view other;
    // True: refused when `other` is given too; false: refused when `other` is not.
    bool withOther;
    std::string_view message;
};

// The command line of one run of a command, parsed, with what every batch command reads from
// it already read: the regional settings, the delimiter, the threads and the encoding.
struct ParsedCommand {
    bool isSet(std::string_view option) const;
    QString value(std::string_view option) const;
    // The value as the UTF-8 text a position reads.
    std::string text(std::string_view option) const { return value(option).toStdString(); }
    QStringList files() const { return parser.positionalArguments(); }
    // How --plain figures are written where no field separator decides the decimal separator.
    PlainForm plainForm() const {
        return {plainDecimal.value_or('.'), isSet("percent-as-fraction")};
    }

    const QCommandLineParser& parser;
    RegionalSettings settings;
    std::optional<char> delimiter; // nothing: told from the header
    bool localeGiven = false;      // --locale named the settings
    // --plain's decimal separator as --decimal-separator gives it; nothing: the output's choice.
    std::optional<char> plainDecimal;
    unsigned jobs = 1;
    // The header columns --column names for inputs, their keys checked.
    std::vector<ColumnMapping> columns{};
    std::string encoding; // empty: UTF-8, or UTF-16 as a byte order mark says
};

// A command of `pravik`: what it is called, what it takes and refuses, and what it does.
// A new command is one class like this and a line in cli/commands.cpp.
class Command {
public:
    virtual ~Command() = default;

    virtual std::string_view name() const = 0;
    // One line for `pravik help`: "calculate a position, or a CSV file of them".
    virtual std::string_view summary() const = 0;
    // The usage lines of its help, "pravik calc [OPTIONS] [FILE]" first.
    virtual std::vector<std::string_view> usage() const = 0;
    virtual std::string_view description() const = 0;
    // The exit statuses, as its help ends with them.
    virtual std::string_view statusHelp() const = 0;
    // What standard error says when it is run with nothing at all.
    virtual std::string_view needsMore() const = 0;
    // Its own options, in the order the help lists them, then the shared ones it takes.
    virtual std::vector<CommandOption> options() const = 0;
    virtual std::vector<SharedOption> sharedOptions() const = 0;
    // How a refusal names its own inputs: "amounts", "inputs".
    virtual std::string_view inputsWord() const = 0;
    // Combinations it refuses beyond those every batch command refuses.
    virtual std::vector<RefusedCombination> refusedCombinations() const { return {}; }
    // Whether this command line draws pictures, so the program needs Qt Gui from the start.
    virtual bool draws(const std::vector<std::string_view>& /*arguments*/) const { return false; }
    // Reads a CSV file (FILE, '-' or none: standard input) without --csv, described by
    // `fileHelp`; its header's columns, which --column may name, are `columnKeys`.
    virtual bool takesFile() const { return false; }
    virtual std::string_view fileHelp() const {
        return "With --csv: the CSV file ('-' or none: standard input).";
    }
    virtual std::vector<std::string> columnKeys() const { return {}; }
    // The help of a shared option where this command's use of it differs from the others'.
    virtual std::optional<std::string_view> sharedOptionHelp(SharedOption /*option*/) const {
        return std::nullopt;
    }
    // Options besides --column that may be given more than once.
    virtual std::vector<std::string_view> repeatable() const { return {}; }

    // Runs the command on a command line that passed every shared check.
    virtual ExitStatus run(const ParsedCommand& command, CommandStreams streams) const = 0;

protected:
    Command() = default;
    Command(const Command&) = default;
    Command& operator=(const Command&) = default;
    Command(Command&&) = default;
    Command& operator=(Command&&) = default;
};

// The help of a command: usage, description, options and exit statuses.
std::string commandHelp(const Command& command);

// Parses `arguments` (the command's name first) for `command`, refuses what every batch command
// refuses, reads the shared settings and runs it.
ExitStatus runCommand(const Command& command, const QStringList& arguments, CommandStreams streams);

} // namespace veltrane
