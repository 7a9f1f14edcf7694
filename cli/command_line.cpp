#include "cli/command_line.h"

#include "calc/entry_check.h"
#include "calc/field_map.h"
#include "cli/analyze_command.h"
#include "cli/batch_calculation.h"
#include "identity/identity.h"
#include "locale/locale_settings.h"

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
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace veltrane {

namespace {

// The exit statuses: the usual ones for a bad command line or input, and 2 for entries that
// fail the Calculate check.
constexpr int exitOk = 0;
constexpr int exitInvalidEntry = 2;
constexpr int exitUsage = 64;
constexpr int exitOutputFailed = 74;

constexpr std::string_view generalHelp =
    "Usage: pravik                 open the calculator window\n"
    "       pravik calc [OPTIONS]  calculate a position, or a CSV file of them\n"
    "       pravik analyze [OPTIONS]\n"
    "                              analyse a position: breakeven, returns, most to make or lose\n"
    "       pravik --help          show this help\n"
    "       pravik --version       show the version\n"
    "\n"
    "Run 'pravik calc --help' or 'pravik analyze --help' for their options.\n";

// What each input option means, in the order of inputFields.
constexpr std::array<std::string_view, inputFields.size()> inputHelp{
    "Option price per share.", "Strike price per share.", "Current price per share.",
    "Number of shares.", "Months until expiry, 1 to 12 (absent: none chosen)."};

std::vector<QCommandLineOption> inputOptions() {
    std::vector<QCommandLineOption> options;
    for (std::size_t i = 0; i < inputFields.size(); ++i) {
        options.emplace_back(
            QString::fromStdString(optionName(inputFields[i])),
            QString::fromUtf8(inputHelp[i].data(), static_cast<qsizetype>(inputHelp[i].size())),
            QStringLiteral("TEXT"));
    }
    return options;
}

void printError(std::string_view text) {
    std::string line = "pravik: ";
    line.append(text);
    line.push_back('\n');
    std::fputs(line.c_str(), stderr);
}

int usageError(const QString& text, std::string_view helpCommand) {
    printError(text.toStdString());
    std::string hint = "Try '";
    hint.append(helpCommand);
    hint.append(" --help'.\n");
    std::fputs(hint.c_str(), stderr);
    return exitUsage;
}

int writeStandardOutput(std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
        std::fflush(stdout) != 0) {
        printError(std::string{"cannot write the results: "} + std::strerror(errno));
        return exitOutputFailed;
    }
    return exitOk;
}

void appendJsonString(std::string& out, std::string_view text) {
    out.push_back('"');
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(byte));
            out.append(escaped);
        } else {
            out.push_back(c);
        }
    }
    out.push_back('"');
}

std::string resultsAsText(const FieldMap& fields) {
    std::string out;
    for (const Field field : resultFields) {
        out.append(fieldInfo(field).caption);
        out.append("   ");
        out.append(fields.text(field));
        out.push_back('\n');
    }
    return out;
}

std::string resultsAsJson(const FieldMap& fields) {
    std::string out = "{";
    for (const Field field : resultFields) {
        if (out.size() > 1) {
            out.append(", ");
        }
        appendJsonString(out, fieldName(field));
        out.append(": ");
        appendJsonString(out, fields.text(field));
    }
    out.append("}\n");
    return out;
}

int calculateOne(const QCommandLineParser& parser,
                 const std::vector<QCommandLineOption>& inputOptions, bool json) {
    FieldMap fields;
    for (std::size_t i = 0; i < inputFields.size(); ++i) {
        fields.setText(inputFields[i], parser.value(inputOptions[i]).toUtf8().toStdString());
    }
    const RegionalSettings settings = userRegionalSettings();
    const EntryCheck check = checkEntries(fields, settings);
    if (!check.passed()) {
        std::string text = rejectionText(check, FieldNaming::option, "\nFields:");
        text.push_back('\n');
        std::fputs(text.c_str(), stderr);
        return exitInvalidEntry;
    }
    CalculateIt(fields, settings);
    return writeStandardOutput(json ? resultsAsJson(fields) : resultsAsText(fields));
}

int calculateCsv(const QStringList& files) {
    const std::string path = files.isEmpty() ? std::string{"-"} : files.front().toStdString();
    const bool fromStandardInput = path == "-";
    std::ifstream file;
    if (!fromStandardInput) {
        std::error_code ignored;
        if (std::filesystem::is_directory(path, ignored)) {
            printError("cannot read '" + path + "': it is a folder");
            return exitUsage;
        }
        file.open(path, std::ios::binary);
        if (!file) {
            printError("cannot read '" + path + "': " + std::strerror(errno));
            return exitUsage;
        }
    }
    std::ios::sync_with_stdio(false);
    std::istream& input = fromStandardInput ? std::cin : file;

    const BatchOutcome outcome = runCsvBatch(input, std::cout, userRegionalSettings());
    std::cout.flush();
    if (outcome.writeFailed || !std::cout) {
        printError(std::string{"cannot write the results: "} + std::strerror(errno));
        return exitOutputFailed;
    }
    if (outcome.malformed) {
        const std::string where = fromStandardInput ? std::string{"standard input"} : path;
        printError(where + ", line " + std::to_string(outcome.malformed->line) +
                   ": not valid CSV: " + outcome.malformed->message);
        return exitUsage;
    }
    if (outcome.rejectedRows > 0) {
        printError(std::to_string(outcome.rejectedRows) + " of " + std::to_string(outcome.rows) +
                   " rows hold an amount that is not a number; their error column says which");
        return exitInvalidEntry;
    }
    return exitOk;
}

int runCalc(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Calculates a covered-call position exactly as the window's Calculate "
                       "button does, or every row of a CSV file."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const std::vector<QCommandLineOption> amounts = inputOptions();
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Print the seven results as one JSON object."));
    const QCommandLineOption csv(
        QStringLiteral("csv"),
        QStringLiteral("Read positions as CSV from FILE or standard input, with a header naming "
                       "option_price, strike_price, current_price, shares, months; write them "
                       "back with the seven results and an error column."));
    parser.addOption(help);
    for (const QCommandLineOption& option : amounts) {
        parser.addOption(option);
    }
    parser.addOption(json);
    parser.addOption(csv);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("With --csv: the CSV file ('-' or none: standard "
                                                "input)."),
                                 QStringLiteral("[FILE]"));

    constexpr std::string_view helpCommand = "pravik calc";
    if (!parser.parse(arguments)) {
        return usageError(parser.errorText(), helpCommand);
    }
    if (parser.isSet(help)) {
        // Qt names the program by the path it was started with; the help names the command.
        QString text = parser.helpText();
        text.replace(0, text.indexOf(u'\n'), QStringLiteral("Usage: pravik calc [OPTIONS] [FILE]"));
        return writeStandardOutput(text.toStdString());
    }
    for (const QString& name : parser.optionNames()) {
        if (parser.optionNames().count(name) > 1) {
            return usageError(QStringLiteral("the option '%1' is given more than once").arg(name),
                              helpCommand);
        }
    }

    const QStringList files = parser.positionalArguments();
    if (parser.isSet(csv)) {
        for (const QCommandLineOption& option : amounts) {
            if (parser.isSet(option)) {
                return usageError(QStringLiteral("--csv reads the amounts from the CSV input, so "
                                                 "--%1 cannot go with it")
                                      .arg(option.names().front()),
                                  helpCommand);
            }
        }
        if (parser.isSet(json)) {
            return usageError(QStringLiteral("--csv writes CSV, so --json cannot go with it"),
                              helpCommand);
        }
        if (files.size() > 1) {
            return usageError(QStringLiteral("--csv reads one file, not %1").arg(files.size()),
                              helpCommand);
        }
        return calculateCsv(files);
    }
    if (!files.isEmpty()) {
        return usageError(QStringLiteral("unexpected argument '%1'").arg(files.front()),
                          helpCommand);
    }
    return calculateOne(parser, amounts, parser.isSet(json));
}

int runTopLevel(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the version."));
    parser.addOption(help);
    parser.addOption(version);
    constexpr std::string_view helpCommand = "pravik";
    if (!parser.parse(arguments)) {
        return usageError(parser.errorText(), helpCommand);
    }
    if (parser.isSet(help)) {
        return writeStandardOutput(generalHelp);
    }
    if (parser.isSet(version)) {
        return writeStandardOutput(std::string{identity::title} + " " + identity::versionText() +
                                   " (version " + identity::versionRecordText() + ")\n\n" +
                                   "Version record of the executable:\n" +
                                   identity::versionRecordReport());
    }
    if (!parser.positionalArguments().isEmpty()) {
        return usageError(
            QStringLiteral("unknown command '%1'").arg(parser.positionalArguments().front()),
            helpCommand);
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
        return runCalc(arguments);
    }
    return runTopLevel(arguments);
}

} // namespace veltrane
