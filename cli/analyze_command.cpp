#include "cli/analyze_command.h"

#include "calc/analysis.h"
#include "chart/analysis_chart_model.h"
#include "chart/payoff_chart_png.h"
#include "cli/analysis_batch.h"
#include "cli/command_support.h"
#include "cli/csv_source.h"
#include "cli/exit_status.h"
#include "cli/messages.h"
#include "cli/output_destination.h"
#include "cli/position_output.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageLogContext>
#include <QSize>
#include <QtGlobal>
#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <iostream>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace veltrane {

namespace {

constexpr std::string_view helpCommand = "pravik analyze";

// The payoff chart's picture, in pixels: wide enough for the price axis's labels.
constexpr QSize chartSize{960, 600};

constexpr std::string_view statusHelp =
    "\n"
    "Exit status:\n"
    "  0   every position has all its figures\n"
    "  2   a position was refused: an input is missing or not what it must be\n"
    "  3   none was refused, but a position lacks a figure (the message says why)\n"
    "  64  the command line, the input file or its header is not understood\n"
    "  74  the results cannot be written\n";

// What each input option means, in the order of analysisInputs.
constexpr std::array<std::string_view, analysisInputs.size()> inputHelp{
    "Option price per share: the premium of one call for one share.",
    "Strike price per share.",
    "Current share price.",
    "Number of shares (or --contracts).",
    "Number of contracts of 100 shares (or --shares).",
    "Expiry date, YYYY-MM-DD (or --days or --months).",
    "With --expiry: the date the days are counted from, YYYY-MM-DD (default: today).",
    "Calendar days to expiry, a whole number 1 or more.",
    "Months to expiry, 1 to 12: per year counts twelfths of a year.",
    "All commissions and fees of the position, in money (default 0).",
    "Dividend per share paid before expiry (default 0).",
};

constexpr std::array<std::string_view, analysisInputs.size()> inputValueNames{
    "PRICE", "PRICE", "PRICE", "COUNT", "COUNT", "DATE",
    "DATE",  "COUNT", "COUNT", "MONEY", "PRICE"};

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The local date of this run, read once: every position of the run counts from it.
std::chrono::year_month_day localToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) {
        return {}; // not a date: an expiry without --as-of is then refused
    }
    return std::chrono::year{local.tm_year + 1900} /
           std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)} /
           std::chrono::day{static_cast<unsigned>(local.tm_mday)};
}

// The options analyze knows, in the order its help lists them.
struct AnalyzeParser {
    QCommandLineParser parser;
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help.")};
    std::vector<QCommandLineOption> inputs;
    QCommandLineOption json{QStringLiteral("json"),
                            QStringLiteral("Print the figures as one JSON object keyed by their "
                                           "names; with --plain, as JSON numbers.")};
    QCommandLineOption csv{
        QStringLiteral("csv"),
        QStringLiteral("Read positions as CSV from FILE or standard input (also --csv=FILE), with "
                       "a header naming "
                       "the inputs as the options are named, '_' for '-' (option_price, "
                       "strike_price, current_price, shares or contracts, expiry, as_of, days or "
                       "months, fees, dividend); write them back with the figures and an error "
                       "column. An empty field is an input not given.")};
    QCommandLineOption plain{
        QStringLiteral("plain"),
        QStringLiteral("Write the figures plainly for machines: '.' as decimal point, no grouping "
                       "or symbol, money with 2 decimals, the breakeven with 4, percentages as "
                       "numbers ('4.39').")};
    QCommandLineOption output{
        QStringLiteral("output"),
        QStringLiteral("Write the results to FILE, replacing it only when the run completes "
                       "(status 0, 2 or 3)."),
        QStringLiteral("FILE")};
    QCommandLineOption delimiter = delimiterOption();
    QCommandLineOption chart{
        QStringLiteral("chart"),
        QStringLiteral("Also draw the payoff chart of the position, profit or loss at expiry "
                       "against the share price, as a 960 x 600 PNG picture in FILE."),
        QStringLiteral("FILE")};
    QCommandLineOption jobs = jobsOption();
    QCommandLineOption locale = localeOption();

    AnalyzeParser() {
        parser.setApplicationDescription(QStringLiteral(
            "Analyses a covered-call position: the most it can make and lose, the breakeven,\n"
            "the downside protection, and the returns if the price is unchanged and if\n"
            "the shares are called away, per year simple and compounded. Or every row\n"
            "of a CSV file."));
        parser.addOption(help);
        for (std::size_t i = 0; i < analysisInputs.size(); ++i) {
            inputs.emplace_back(
                QString::fromStdString(
                    inputName(analysisInputs[i].input, InputNaming::option).substr(2)),
                fromUtf8(inputHelp[i]), fromUtf8(inputValueNames[i]));
            parser.addOption(inputs.back());
        }
        for (const QCommandLineOption* option :
             {&json, &csv, &plain, &output, &chart, &delimiter, &jobs, &locale}) {
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
        text.replace(0, text.indexOf(u'\n'),
                     QStringLiteral("Usage: pravik analyze [OPTIONS]\n"
                                    "       pravik analyze --csv [OPTIONS] [FILE]"));
        return text.toStdString() + std::string{statusHelp};
    }
};

struct AnalyzeOptions {
    AnalysisRowOptions row;
    std::optional<char> delimiter;
    unsigned jobs = 1;
    bool json = false;
    QString chart; // empty: no chart
    std::string output;
};

// ---- One position ----

// The text shown for a figure without one: "none" when there is none by its definition.
std::string missingFigureText(const Analysis& analysis, AnalysisFigure figure) {
    return analysis.state(figure) == FigureState::none ? "none" : "not available";
}

std::optional<std::string> figureValue(const Analysis& analysis, AnalysisFigure figure,
                                       const AnalysisRowOptions& options) {
    return options.plain ? figurePlainText(analysis, figure)
                         : figureText(analysis, figure, options.settings);
}

std::string analysisAsText(const Analysis& analysis, const AnalysisRowOptions& options) {
    std::size_t width = 0;
    for (const AnalysisFigureInfo& info : analysisFigures) {
        width = std::max(width, info.caption.size());
    }
    std::string out;
    for (const AnalysisFigureInfo& info : analysisFigures) {
        out.append(info.caption).append(width - info.caption.size() + 3, ' ');
        const std::optional<std::string> value = figureValue(analysis, info.figure, options);
        out.append(value ? *value : missingFigureText(analysis, info.figure)).push_back('\n');
    }
    return out;
}

std::string analysisAsJson(const Analysis& analysis, const AnalysisRowOptions& options,
                           std::string_view reason) {
    std::string out = "{";
    for (const AnalysisFigureInfo& info : analysisFigures) {
        if (out.size() > 1) {
            out.append(", ");
        }
        appendJsonString(out, info.key);
        out.append(": ");
        const std::optional<std::string> value = figureValue(analysis, info.figure, options);
        if (options.plain) {
            out.append(value ? *value : std::string{"null"});
        } else {
            appendJsonString(out, value.value_or(""));
        }
    }
    if (!reason.empty()) {
        out.append(", ");
        appendJsonString(out, "error");
        out.append(": ");
        appendJsonString(out, reason);
    }
    out.append("}\n");
    return out;
}

// The refused inputs by their CSV column names, each once.
std::vector<std::string> refusedColumns(const std::vector<Refusal>& refusals) {
    std::vector<std::string> names;
    for (const Refusal& refusal : refusals) {
        std::string name = inputName(refusal.input, InputNaming::column);
        if (std::find(names.begin(), names.end(), name) == names.end()) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

// The payoff chart of a position that was analysed: 74 when the picture cannot be written, 3
// when the position lacks an amount the chart needs.
ExitStatus writeChart(const Analysis& analysis, const AnalyzeOptions& options) {
    const std::optional<PayoffChartModel> model = payoffChartModel(analysis);
    if (!model) {
        printError("no payoff chart: the position lacks an amount the chart needs");
        return ExitStatus::incomplete;
    }
    if (!writePayoffChartPng(*model, options.row.settings, chartSize, options.chart)) {
        printError("cannot write the chart to " + quotedText(options.chart.toStdString()));
        return ExitStatus::outputFailed;
    }
    return ExitStatus::ok;
}

ExitStatus analyseOne(const AnalysisInputs& inputs, const AnalyzeOptions& options) {
    OutputDestination destination{options.output};
    if (!destination.open()) {
        return ExitStatus::outputFailed;
    }
    const AnalysisResult result = analysePosition(inputs, options.row.settings);
    if (!result.ok()) {
        std::string messages;
        for (const Refusal& refusal : result.refusals) {
            messages.append(messages.empty() ? "" : "\n")
                .append(refusalText(refusal, InputNaming::option));
        }
        printError(messages);
        if (options.json) {
            const std::vector<std::string> columns = refusedColumns(result.refusals);
            const std::string json =
                refusalAsJson(refusalsText(result.refusals, InputNaming::option),
                              std::vector<std::string_view>(columns.begin(), columns.end()));
            if (!writeAll(destination.stream(), json)) {
                printError(std::string{"cannot write the results: "} + std::strerror(errno));
                return destination.finish(ExitStatus::outputFailed);
            }
        }
        return destination.finish(ExitStatus::refused);
    }
    const Analysis& analysis = *result.analysis;
    const std::string reason = analysis.incompleteReason();
    const std::string text = options.json ? analysisAsJson(analysis, options.row, reason)
                                          : analysisAsText(analysis, options.row);
    if (!writeAll(destination.stream(), text)) {
        printError(std::string{"cannot write the results: "} + std::strerror(errno));
        return destination.finish(ExitStatus::outputFailed);
    }
    if (!reason.empty()) {
        printError(reason);
    }
    ExitStatus status = analysis.complete() ? ExitStatus::ok : ExitStatus::incomplete;
    if (!options.chart.isEmpty()) {
        status = worse(status, writeChart(analysis, options));
    }
    return destination.finish(status);
}

// ---- A CSV file of positions ----

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
                   " rows were refused; their error column says why");
    } else if (outcome.incompleteRows > 0) {
        printError(std::to_string(outcome.incompleteRows) + " of " + std::to_string(outcome.rows) +
                   " rows lack a figure; their error column says why");
    }
}

ExitStatus analyseCsv(const QString& path, const AnalyzeOptions& options) {
    CsvSource source{path.toStdString()};
    if (!source.open()) {
        return ExitStatus::usage;
    }
    OutputDestination destination{options.output};
    if (!destination.open()) {
        return ExitStatus::outputFailed;
    }
    std::ios::sync_with_stdio(false);
    const BatchOutcome outcome = runAnalysisBatch(source.stream(), destination.stream(),
                                                  {options.row, options.delimiter, options.jobs});
    reportBatch(outcome, source);
    return destination.finish(outcome.status());
}

// ---- The command line ----

std::optional<ExitStatus> refuseCombinations(const AnalyzeParser& analyze) {
    const QCommandLineParser& parser = analyze.parser;
    if (const std::optional<ExitStatus> repeated = refuseRepeatedOptions(parser, helpCommand)) {
        return repeated;
    }
    const QStringList files = parser.positionalArguments();
    if (parser.isSet(analyze.csv)) {
        for (const QCommandLineOption& option : analyze.inputs) {
            if (parser.isSet(option)) {
                return usageError(QStringLiteral("--csv reads the inputs from the CSV input, so "
                                                 "--%1 cannot go with it")
                                      .arg(option.names().front()),
                                  helpCommand);
            }
        }
        if (parser.isSet(analyze.chart)) {
            return usageError(QStringLiteral("--chart draws one position, so it cannot go with "
                                             "--csv"),
                              helpCommand);
        }
        if (parser.isSet(analyze.json)) {
            return usageError(QStringLiteral("--csv writes CSV, so --json cannot go with it"),
                              helpCommand);
        }
        if (files.size() > 1) {
            return usageError(QStringLiteral("--csv reads one file, not %1").arg(files.size()),
                              helpCommand);
        }
        return std::nullopt;
    }
    for (const QCommandLineOption* option : {&analyze.delimiter, &analyze.jobs}) {
        if (parser.isSet(*option)) {
            return usageError(QStringLiteral("--%1 goes with --csv").arg(option->names().front()),
                              helpCommand);
        }
    }
    if (!files.isEmpty()) {
        return usageError(QStringLiteral("unexpected argument '%1'").arg(files.front()),
                          helpCommand);
    }
    return std::nullopt;
}

ExitStatus analyze(const QStringList& arguments) {
    AnalyzeParser analyze;
    QCommandLineParser& parser = analyze.parser;
    if (arguments.size() <= 1) {
        // Nothing asked: the usage, and a status that tells a script nothing was computed.
        writeStandardOutput(analyze.helpText());
        printError("analyze needs a position's inputs, or --csv and a file");
        return ExitStatus::usage;
    }
    if (!parser.parse(withCsvFileApart(arguments))) {
        return usageError(parser.errorText(), helpCommand);
    }
    if (parser.isSet(analyze.help)) {
        return writeStandardOutput(analyze.helpText());
    }
    if (const std::optional<ExitStatus> refused = refuseCombinations(analyze)) {
        return *refused;
    }
    AnalyzeOptions options;
    if (const std::optional<ExitStatus> refused =
            readRegionalSettings(parser, analyze.locale, helpCommand, options.row.settings)) {
        return *refused;
    }
    options.row.plain = parser.isSet(analyze.plain);
    options.row.today = localToday();
    options.json = parser.isSet(analyze.json);
    options.chart = parser.value(analyze.chart);
    if (const std::optional<ExitStatus> refused =
            readDelimiter(parser, analyze.delimiter, helpCommand, options.delimiter)) {
        return *refused;
    }
    if (const std::optional<ExitStatus> refused =
            readJobCount(parser, analyze.jobs, helpCommand, options.jobs)) {
        return *refused;
    }
    options.output = parser.value(analyze.output).toStdString();
    if (parser.isSet(analyze.csv)) {
        return analyseCsv(parser.positionalArguments().value(0), options);
    }
    AnalysisInputs inputs;
    inputs.today = options.row.today;
    for (std::size_t i = 0; i < analysisInputs.size(); ++i) {
        if (parser.isSet(analyze.inputs[i])) {
            inputText(inputs, analysisInputs[i].input) =
                parser.value(analyze.inputs[i]).toUtf8().toStdString();
        }
    }
    return analyseOne(inputs, options);
}

// Whether the command line asks for a chart, looked at before there is an application to parse
// it: drawing needs Qt Gui from the start.
bool asksForChart(int argc, char* argv[]) {
    for (int i = 2; i < argc; ++i) {
        const std::string_view argument{argv[i]};
        if (argument == "--chart" || argument.starts_with("--chart=")) {
            return true;
        }
    }
    return false;
}

// Qt's own warnings (the offscreen platform's, a font's) reach standard error as the program's
// messages do, each line naming the program; its debug and info chatter does not.
void reportQtMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg) {
        printError(message.toStdString());
    }
}

std::unique_ptr<QCoreApplication> analyzeApplication(int& argc, char* argv[]) {
    if (!asksForChart(argc, argv)) {
        return std::make_unique<QCoreApplication>(argc, argv);
    }
    // Fonts need Qt Gui; the offscreen platform draws without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace

int runAnalyze(int argc, char* argv[]) {
    const QtMessageHandler previous = qInstallMessageHandler(reportQtMessage);
    const std::unique_ptr<QCoreApplication> application = analyzeApplication(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeAt(1);
    const ExitStatus status = analyze(arguments);
    qInstallMessageHandler(previous);
    return toInt(status);
}

std::string analyzeHelpText() {
    return AnalyzeParser{}.helpText();
}

} // namespace veltrane
