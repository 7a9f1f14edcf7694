#include "cli/command.h"

#include "cli/command_support.h"
#include "cli/messages.h"

#include <QCommandLineOption>
#include <algorithm>
#include <array>
#include <utility>

namespace veltrane {

namespace {

struct SharedOptionEntry {
    SharedOption option;
    std::string_view name;
    std::string_view valueName;
    std::string_view help;
};

// The options every batch command shares, in the order every help lists them.
constexpr std::array sharedOptionTable{
    SharedOptionEntry{SharedOption::json, "json", "",
                      "Print the results as one JSON object keyed by their names; with --plain, "
                      "as JSON numbers. With --csv, one object per row (JSON Lines): the input "
                      "columns under their header names, the results, then error."},
    SharedOptionEntry{SharedOption::csv, "csv", "",
                      "Read positions as CSV from FILE or standard input (also --csv=FILE), with "
                      "a header naming the inputs as the options are named, '_' for '-' "
                      "(option_price), or by their captions; write them back with the results and "
                      "an error column."},
    SharedOptionEntry{SharedOption::plain, "plain", "",
                      "Write the results plainly for machines: '.' as decimal point, no grouping "
                      "or symbol, '-' for negatives."},
    SharedOptionEntry{SharedOption::decimalSeparator, "decimal-separator", "SEP",
                      "With --plain: the decimal separator, '.' or ',' (default: ',' when the CSV "
                      "output is separated by ';', '.' otherwise)."},
    SharedOptionEntry{SharedOption::percentAsFraction, "percent-as-fraction", "",
                      "With --plain: write a percentage as a fraction, 0.3840 for 38.40 %, as a "
                      "spreadsheet's percent format reads it."},
    SharedOptionEntry{SharedOption::output, "output", "FILE",
                      "Write the results to FILE, replacing it only when the run completes "
                      "(status 0, 2 or 3)."},
    SharedOptionEntry{SharedOption::delimiter, "delimiter", "NAME",
                      "With --csv: the field delimiter, ',', ';', 'tab' or '|' (default: told "
                      "from the header; the output uses the same)."},
    SharedOptionEntry{SharedOption::encoding, "encoding", "NAME",
                      "With --csv: the input's encoding, such as windows-1252 or iso-8859-15 "
                      "(default: UTF-8, or UTF-16 by its byte order mark). The output is UTF-8."},
    SharedOptionEntry{SharedOption::locale, "locale", "NAME",
                      "Read and write numbers and money as locale NAME does (C: the US "
                      "reference), whatever the environment says."},
    SharedOptionEntry{SharedOption::replaceResults, "replace-results", "",
                      "With --csv: recompute the result columns of a file that has them."},
    SharedOptionEntry{SharedOption::jobs, "jobs", "N",
                      "With --csv: compute the rows on N threads (default: the cores this "
                      "process may use). The output is the same for any N; 1 starts no thread."},
    SharedOptionEntry{SharedOption::column, "column", "KEY=HEADER",
                      "With --csv: read the header's column HEADER as the input KEY "
                      "(strike_price=\"Strike $\"), beside the names and captions every header "
                      "is read by. May be given more than once."},
};

// What every batch command refuses, checked after its inputs and before its own rows.
constexpr std::array sharedRefusals{
    RefusedCombination{"decimal-separator", "plain", false,
                       "--decimal-separator goes with --plain"},
    RefusedCombination{"decimal-separator", "json", true,
                       "--json writes JSON numbers, which take '.', so --decimal-separator cannot "
                       "go with it"},
    RefusedCombination{"percent-as-fraction", "plain", false,
                       "--percent-as-fraction goes with --plain"},
    RefusedCombination{"delimiter", "csv", false, "--delimiter goes with --csv"},
    RefusedCombination{"encoding", "csv", false, "--encoding goes with --csv"},
    RefusedCombination{"replace-results", "csv", false, "--replace-results goes with --csv"},
    RefusedCombination{"jobs", "csv", false, "--jobs goes with --csv"},
    RefusedCombination{"column", "csv", false, "--column goes with --csv"},
};

QString qString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Every option of the command, its own first, as the help lists them.
std::vector<CommandOption> allOptions(const Command& command) {
    std::vector<CommandOption> options = command.options();
    const std::vector<SharedOption> shared = command.sharedOptions();
    for (const SharedOptionEntry& entry : sharedOptionTable) {
        if (std::find(shared.begin(), shared.end(), entry.option) != shared.end()) {
            const std::optional<std::string_view> own = command.sharedOptionHelp(entry.option);
            options.push_back({std::string{entry.name}, std::string{entry.valueName},
                               std::string{own.value_or(entry.help)}});
        }
    }
    return options;
}

// The keys of the command's inputs ("option_price"), which --column may name.
std::vector<std::string> inputKeys(const std::vector<CommandOption>& options) {
    std::vector<std::string> keys;
    for (const CommandOption& option : options) {
        if (option.input) {
            keys.push_back(comparableColumnName(option.name));
        }
    }
    return keys;
}

bool declares(const std::vector<CommandOption>& options, std::string_view name) {
    return std::any_of(options.begin(), options.end(),
                       [name](const CommandOption& option) { return option.name == name; });
}

void declare(QCommandLineParser& parser, const Command& command) {
    parser.setApplicationDescription(qString(command.description()));
    parser.addOption(
        {{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")});
    for (const CommandOption& option : allOptions(command)) {
        parser.addOption({QString::fromStdString(option.name), QString::fromStdString(option.help),
                          QString::fromStdString(option.valueName)});
    }
    parser.addPositionalArgument(QStringLiteral("FILE"), qString(command.fileHelp()),
                                 QStringLiteral("[FILE]"));
}

std::string helpText(const QCommandLineParser& parser, const Command& command) {
    // Qt names the program by the path it was started with; the help names the command.
    QString usage;
    for (const std::string_view line : command.usage()) {
        usage.append(usage.isEmpty() ? QStringLiteral("Usage: ") : QStringLiteral("\n       "))
            .append(qString(line));
    }
    QString text = parser.helpText();
    text.replace(0, text.indexOf(u'\n'), usage);
    return text.toStdString() + std::string{command.statusHelp()};
}

// The first combination the command line gives that the command refuses.
std::optional<std::string> refusedCombination(const QCommandLineParser& parser,
                                              const Command& command,
                                              const std::vector<CommandOption>& options) {
    const auto given = [&](std::string_view name) {
        return declares(options, name) && parser.isSet(qString(name));
    };
    if (given("csv")) {
        for (const CommandOption& option : options) {
            if (option.input && given(option.name)) {
                return "--csv reads the " + std::string{command.inputsWord()} +
                       " from the CSV input, so --" + option.name + " cannot go with it";
            }
        }
    }
    std::vector<RefusedCombination> refusals = command.refusedCombinations();
    refusals.insert(refusals.end(), sharedRefusals.begin(), sharedRefusals.end());
    for (const RefusedCombination& refusal : refusals) {
        // A command that always reads a CSV file takes the reading options without --csv.
        if (command.takesFile() && refusal.other == "csv") {
            continue;
        }
        if (given(refusal.option) && given(refusal.other) == refusal.withOther) {
            return std::string{refusal.message};
        }
    }
    const QStringList files = parser.positionalArguments();
    if (command.takesFile()) {
        return files.size() > 1 ? std::optional<std::string>{"one chain is read at a time, not " +
                                                             std::to_string(files.size())}
                                : std::nullopt;
    }
    if (given("csv") && files.size() > 1) {
        return "--csv reads one file, not " + std::to_string(files.size());
    }
    if (!given("csv") && !files.isEmpty()) {
        return "unexpected argument '" + files.front().toStdString() + "'";
    }
    return std::nullopt;
}

std::optional<QString> valueIfSet(const QCommandLineParser& parser, std::string_view name) {
    if (!parser.isSet(qString(name))) {
        return std::nullopt;
    }
    return parser.value(qString(name));
}

} // namespace

bool ParsedCommand::isSet(std::string_view option) const {
    return parser.isSet(qString(option));
}

QString ParsedCommand::value(std::string_view option) const {
    return parser.value(qString(option));
}

std::string commandHelp(const Command& command) {
    QCommandLineParser parser;
    declare(parser, command);
    return helpText(parser, command);
}

namespace {

// The options that may be given more than once: --column, and those the command names.
QStringList repeatableOptions(const Command& command) {
    QStringList repeatable{QStringLiteral("column")};
    for (const std::string_view option : command.repeatable()) {
        repeatable.push_back(qString(option));
    }
    return repeatable;
}

} // namespace

ExitStatus runCommand(const Command& command, const QStringList& arguments,
                      CommandStreams streams) {
    const std::string helpCommand = "pravik " + std::string{command.name()};
    QCommandLineParser parser;
    declare(parser, command);
    if (arguments.size() <= 1 && !command.takesFile()) {
        // Nothing asked: the usage, and a status that tells a script nothing was computed.
        writeAll(streams.out, helpText(parser, command));
        printError(streams.err, command.needsMore());
        return ExitStatus::usage;
    }
    if (!parser.parse(withCsvFileApart(arguments))) {
        return usageError(streams.err, parser.errorText(), helpCommand);
    }
    if (parser.isSet(QStringLiteral("help"))) {
        return writeOrReport(streams.out, streams.err, helpText(parser, command));
    }
    if (const std::optional<ExitStatus> repeated =
            refuseRepeatedOptions(parser, repeatableOptions(command), streams.err, helpCommand)) {
        return *repeated;
    }
    const std::vector<CommandOption> options = allOptions(command);
    if (const std::optional<std::string> refused = refusedCombination(parser, command, options)) {
        return usageError(streams.err, QString::fromStdString(*refused), helpCommand);
    }
    ParsedCommand parsed{parser, {}, {}, false, {}, 1, {}, {}};
    parsed.localeGiven = declares(options, "locale") && parser.isSet(QStringLiteral("locale"));
    std::optional<ExitStatus> refused = readRegionalSettings(
        declares(options, "locale") ? valueIfSet(parser, "locale") : std::nullopt, streams.err,
        helpCommand, parsed.settings);
    if (!refused && declares(options, "delimiter")) {
        refused = readDelimiter(valueIfSet(parser, "delimiter"), streams.err, helpCommand,
                                parsed.delimiter);
    }
    if (!refused && declares(options, "decimal-separator") &&
        parser.isSet(QStringLiteral("decimal-separator"))) {
        const QString separator = parser.value(QStringLiteral("decimal-separator"));
        if (separator == QStringLiteral(".") || separator == QStringLiteral(",")) {
            parsed.plainDecimal = separator.front().toLatin1();
        } else {
            refused = usageError(
                streams.err,
                QStringLiteral("--decimal-separator takes '.' or ',', not '%1'").arg(separator),
                helpCommand);
        }
    }
    if (!refused && declares(options, "encoding")) {
        refused =
            readEncoding(valueIfSet(parser, "encoding"), streams.err, helpCommand, parsed.encoding);
    }
    if (!refused && declares(options, "jobs")) {
        refused = readJobCount(valueIfSet(parser, "jobs"), streams.err, helpCommand, parsed.jobs);
    }
    if (!refused && declares(options, "column")) {
        const std::vector<std::string> keys =
            command.takesFile() ? command.columnKeys() : inputKeys(options);
        refused = readColumnMappings(parser.values(QStringLiteral("column")), keys, streams.err,
                                     helpCommand, parsed.columns);
    }
    if (refused) {
        return *refused;
    }
    return command.run(parsed, streams);
}

} // namespace veltrane
