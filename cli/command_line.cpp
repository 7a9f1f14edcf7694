#include "cli/command_line.h"

#include "calc/field_map.h"
#include "calc/plain_numbers.h"
#include "cli/analyze_command.h"
#include "cli/batch_calculation.h"
#include "cli/command_support.h"
#include "cli/csv_source.h"
#include "cli/exit_status.h"
#include "cli/messages.h"
#include "cli/output_destination.h"
#include "cli/position_check.h"
#include "cli/position_output.h"
#include "identity/identity.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace veltrane {

namespace {

constexpr std::string_view generalHelp =
    "Usage: pravik                   open the calculator window\n"
    "       pravik calc [OPTIONS]    calculate a position, or a CSV file of them\n"
    "       pravik analyze [OPTIONS] analyse a position: breakeven, returns, most to make or lose\n"
    "       pravik help [COMMAND]    show this help, or the help of calc or analyze\n"
    "       pravik --help            show this help\n"
    "       pravik --version         show the version on one line\n"
    "       pravik --version-record  show the executable's whole version record\n"
    "\n"
    "Run 'pravik calc --help' or 'pravik analyze --help' for their options.\n";

constexpr std::string_view statusHelp =
    "\n"
    "Exit status:\n"
    "  0   every position has all seven results\n"
    "  2   a position failed the check or gave months other than 1 to 12\n"
    "  3   none was refused, but a position lacks a result (the error says why)\n"
    "  64  the command line, the input file or its header is not understood\n"
    "  74  the results cannot be written\n";

// What each input option means, in the order of inputFields.
constexpr std::array<std::string_view, inputFields.size()> inputHelp{
    "Option price per share.", "Strike price per share.", "Current price per share.",
    "Number of shares.", "Months until expiry: 1 to 12, or empty (absent: none chosen)."};

constexpr std::string_view calcHelpCommand = "pravik calc";

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::vector<QCommandLineOption> inputOptions() {
    std::vector<QCommandLineOption> options;
    for (std::size_t i = 0; i < inputFields.size(); ++i) {
        options.emplace_back(QString::fromStdString(optionName(inputFields[i])),
                             fromUtf8(inputHelp[i]), QStringLiteral("TEXT"));
    }
    return options;
}

// The options of `pravik calc`, read from the command line.
struct CalcOptions {
    RegionalSettings settings;
    FieldMap fields;
    bool json = false;
    bool plain = false;
    QString output;
};

std::string refusalText(const PositionCheck& check, const FieldAccess& fields) {
    std::string text;
    if (!check.entries.passed()) {
        text = rejectionText(check.entries, FieldNaming::option, " Fields:");
    }
    if (check.monthsRefused) {
        text.append(text.empty() ? "" : "; ")
            .append(monthsRefusal(fields.text(Field::cboMonthsOut)));
    }
    return text;
}

// The refused inputs by their CSV column names; standard error names each with its text.
std::vector<std::string_view> refusedFields(const PositionCheck& check, const FieldAccess& fields) {
    std::vector<std::string_view> names;
    std::string failed;
    for (std::size_t i = 0; i < checkedFields.size(); ++i) {
        if (check.entries.failed[i]) {
            names.push_back(columnName(checkedFields[i]));
            failed.append(failed.empty() ? "" : ", ")
                .append("--" + optionName(checkedFields[i]) + " " +
                        quotedText(fields.text(checkedFields[i])));
        }
    }
    if (!check.entries.passed()) {
        printError(std::string{invalidEntryMessage} + "\nFields: " + failed);
    }
    if (check.monthsRefused) {
        names.push_back(columnName(Field::cboMonthsOut));
        printError("--months: " + monthsRefusal(fields.text(Field::cboMonthsOut)));
    }
    return names;
}

ExitStatus calculateOne(CalcOptions& options) {
    OutputDestination destination{options.output.toStdString()};
    if (!destination.open()) {
        return ExitStatus::outputFailed;
    }
    const PositionCheck check = checkPosition(options.fields, options.settings);
    if (!check.passed()) {
        const std::vector<std::string_view> names = refusedFields(check, options.fields);
        if (options.json && !writeAll(destination.stream(),
                                      refusalAsJson(refusalText(check, options.fields), names))) {
            return destination.finish(ExitStatus::outputFailed);
        }
        return destination.finish(ExitStatus::refused);
    }
    FieldMap plain;
    FieldMap& shown = options.plain ? plain : options.fields;
    if (options.plain) {
        calculatePlainly(options.fields, options.settings, plain);
    } else {
        CalculateIt(options.fields, options.settings);
    }
    const std::string reason = incompleteReason(shown);
    const std::string text =
        options.json ? resultsAsJson(shown, options.plain, reason) : resultsAsText(shown);
    if (!writeAll(destination.stream(), text)) {
        printError(std::string{"cannot write the results: "} + std::strerror(errno));
        return destination.finish(ExitStatus::outputFailed);
    }
    if (!reason.empty()) {
        printError(reason);
    }
    return destination.finish(positionStatus(check, reason));
}

void reportBatch(const BatchOutcome& outcome, const CsvSource& source) {
    if (outcome.writeFailed) {
        printError(std::string{"cannot write the results: "} + std::strerror(errno));
    } else if (outcome.malformed) {
        printError(source.name() + ", line " + std::to_string(outcome.malformed->line) +
                   ": not valid CSV: " + outcome.malformed->message);
    } else if (outcome.headerRefused) {
        printError(source.name() + ": " + *outcome.headerRefused);
    } else if (outcome.rejectedRows > 0) {
        printError(std::to_string(outcome.rejectedRows) + " of " + std::to_string(outcome.rows) +
                   " rows were refused: an amount that is not a number or months other than 1 "
                   "to 12; their error column says which");
    } else if (outcome.incompleteRows > 0) {
        printError(std::to_string(outcome.incompleteRows) + " of " + std::to_string(outcome.rows) +
                   " rows lack a result; their error column says why");
    }
}

ExitStatus calculateCsv(const QString& path, const CalcOptions& options,
                        const BatchOptions& batchOptions) {
    CsvSource source{path.toStdString()};
    if (!source.open()) {
        return ExitStatus::usage;
    }
    OutputDestination destination{options.output.toStdString()};
    if (!destination.open()) {
        return ExitStatus::outputFailed;
    }
    std::ios::sync_with_stdio(false);
    const BatchOutcome outcome =
        runCsvBatch(source.stream(), destination.stream(), options.settings, batchOptions);
    reportBatch(outcome, source);
    return destination.finish(outcome.status());
}

// The options calc knows, in the order its help lists them.
struct CalcParser {
    QCommandLineParser parser;
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help.")};
    std::vector<QCommandLineOption> amounts = inputOptions();
    QCommandLineOption json{QStringLiteral("json"),
                            QStringLiteral("Print the seven results as one JSON object.")};
    QCommandLineOption csv{
        QStringLiteral("csv"),
        QStringLiteral("Read positions as CSV from FILE or standard input (also --csv=FILE), "
                       "with a header naming option_price, strike_price, current_price, shares "
                       "and months (or the window's captions); write them back with the seven "
                       "results and an error column.")};
    QCommandLineOption plain{
        QStringLiteral("plain"),
        QStringLiteral("Write the results plainly for machines: '.' as decimal point, no "
                       "grouping or symbol, '-' for negatives; with --json, JSON numbers.")};
    QCommandLineOption output{
        QStringLiteral("output"),
        QStringLiteral("Write the results to FILE, replacing it only when the run completes "
                       "(status 0, 2 or 3)."),
        QStringLiteral("FILE")};
    QCommandLineOption delimiter = delimiterOption();
    QCommandLineOption locale = localeOption();
    QCommandLineOption replaceResults{
        QStringLiteral("replace-results"),
        QStringLiteral("With --csv: recompute the result columns of a file that has them.")};
    QCommandLineOption jobs = jobsOption();

    CalcParser() {
        parser.setApplicationDescription(
            QStringLiteral("Calculates a covered-call position exactly as the window's Calculate "
                           "button does, or every row of a CSV file."));
        parser.addOption(help);
        for (const QCommandLineOption& option : amounts) {
            parser.addOption(option);
        }
        for (const QCommandLineOption* option :
             {&json, &csv, &plain, &output, &delimiter, &locale, &replaceResults, &jobs}) {
            parser.addOption(*option);
        }
        parser.addPositionalArgument(QStringLiteral("FILE"),
                                     QStringLiteral("With --csv: the CSV file ('-' or none: "
                                                    "standard input)."),
                                     QStringLiteral("[FILE]"));
    }

    std::string helpText() const {
        // Qt names the program by the path it was started with; the help names the command.
        QString text = parser.helpText();
        text.replace(0, text.indexOf(u'\n'), QStringLiteral("Usage: pravik calc [OPTIONS] [FILE]"));
        return text.toStdString() + std::string{statusHelp};
    }
};

// The combinations of options that make no sense together, refused before anything is read.
std::optional<ExitStatus> refuseCombinations(const CalcParser& calc) {
    const QCommandLineParser& parser = calc.parser;
    if (parser.isSet(calc.csv)) {
        for (const QCommandLineOption& option : calc.amounts) {
            if (parser.isSet(option)) {
                return usageError(QStringLiteral("--csv reads the amounts from the CSV input, "
                                                 "so --%1 cannot go with it")
                                      .arg(option.names().front()),
                                  calcHelpCommand);
            }
        }
        if (parser.isSet(calc.json)) {
            return usageError(QStringLiteral("--csv writes CSV, so --json cannot go with it"),
                              calcHelpCommand);
        }
        if (parser.positionalArguments().size() > 1) {
            return usageError(QStringLiteral("--csv reads one file, not %1")
                                  .arg(parser.positionalArguments().size()),
                              calcHelpCommand);
        }
        return std::nullopt;
    }
    for (const QCommandLineOption* option : {&calc.delimiter, &calc.replaceResults, &calc.jobs}) {
        if (parser.isSet(*option)) {
            return usageError(QStringLiteral("--%1 goes with --csv").arg(option->names().front()),
                              calcHelpCommand);
        }
    }
    if (!parser.positionalArguments().isEmpty()) {
        return usageError(
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().front()),
            calcHelpCommand);
    }
    return std::nullopt;
}

std::optional<ExitStatus> readSettings(const CalcParser& calc, CalcOptions& options) {
    return readRegionalSettings(calc.parser, calc.locale, calcHelpCommand, options.settings);
}

std::optional<ExitStatus> readBatchOptions(const CalcParser& calc, BatchOptions& batch) {
    batch.plain = calc.parser.isSet(calc.plain);
    batch.replaceResults = calc.parser.isSet(calc.replaceResults);
    if (const std::optional<ExitStatus> refused =
            readJobCount(calc.parser, calc.jobs, calcHelpCommand, batch.jobs)) {
        return refused;
    }
    return readDelimiter(calc.parser, calc.delimiter, calcHelpCommand, batch.delimiter);
}

ExitStatus runCalc(const QStringList& arguments) {
    CalcParser calc;
    QCommandLineParser& parser = calc.parser;
    if (arguments.size() <= 1) {
        // Nothing asked: the usage, and a status that tells a script nothing was computed.
        writeStandardOutput(calc.helpText());
        printError("calc needs the four amounts, or --csv and a file");
        return ExitStatus::usage;
    }
    if (!parser.parse(withCsvFileApart(arguments))) {
        return usageError(parser.errorText(), calcHelpCommand);
    }
    if (parser.isSet(calc.help)) {
        return writeStandardOutput(calc.helpText());
    }
    CalcOptions options;
    BatchOptions batch;
    std::optional<ExitStatus> refused = refuseRepeatedOptions(parser, calcHelpCommand);
    if (!refused) {
        refused = refuseCombinations(calc);
    }
    if (!refused) {
        refused = readSettings(calc, options);
    }
    if (!refused) {
        refused = readBatchOptions(calc, batch);
    }
    if (refused) {
        return *refused;
    }
    options.json = parser.isSet(calc.json);
    options.plain = batch.plain;
    options.output = parser.value(calc.output);
    if (parser.isSet(calc.csv)) {
        return calculateCsv(parser.positionalArguments().value(0), options, batch);
    }
    for (std::size_t i = 0; i < inputFields.size(); ++i) {
        options.fields.setText(inputFields[i],
                               parser.value(calc.amounts[i]).toUtf8().toStdString());
    }
    return calculateOne(options);
}

std::string versionLine() {
    return std::string{identity::title} + " " + identity::versionText() + " (version " +
           identity::versionRecordText() + ")\n";
}

ExitStatus runTopLevel(const QStringList& arguments) {
    QCommandLineParser parser;
    // "-platform" is one word, as the toolkit's options are, not eight letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the version on one line."));
    const QCommandLineOption record(QStringLiteral("version-record"),
                                    QStringLiteral("Show the executable's version record."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(record);
    constexpr std::string_view helpCommand = "pravik";
    if (!parser.parse(arguments)) {
        return usageError(parser.errorText(), helpCommand);
    }
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(help) || positional == QStringList{QStringLiteral("help")}) {
        return writeStandardOutput(generalHelp);
    }
    if (parser.isSet(version)) {
        return writeStandardOutput(versionLine());
    }
    if (parser.isSet(record)) {
        return writeStandardOutput(versionLine() + "\nVersion record of the executable:\n" +
                                   identity::versionRecordReport());
    }
    if (positional.size() == 2 && positional.front() == QStringLiteral("help") &&
        positional.back() == QStringLiteral("calc")) {
        return writeStandardOutput(CalcParser{}.helpText());
    }
    if (positional.size() == 2 && positional.front() == QStringLiteral("help") &&
        positional.back() == QStringLiteral("analyze")) {
        return writeStandardOutput(analyzeHelpText());
    }
    if (!positional.isEmpty()) {
        const QString unknown =
            positional.front() == QStringLiteral("help") && positional.size() > 1
                ? positional.at(1)
                : positional.front();
        return usageError(QStringLiteral("unknown command '%1'").arg(unknown), helpCommand);
    }
    return usageError(QStringLiteral("nothing to do"), helpCommand);
}

} // namespace

int runCommandLine(int argc, char* argv[]) {
    if (argc > 1 && std::string_view{argv[1]} == "analyze") {
        return runAnalyze(argc, argv); // its own application: one that can draw for --chart
    }
    // No display is needed or opened on this path: a core application only.
    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1 && arguments.at(1) == QStringLiteral("calc")) {
        arguments.removeAt(1);
        return toInt(runCalc(arguments));
    }
    return toInt(runTopLevel(arguments));
}

} // namespace veltrane
