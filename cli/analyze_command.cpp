// `pravik analyze`: the analysis of one position, or of every row of a CSV file.
#include "calc/analysis.h"
#include "chart/analysis_chart_model.h"
#include "chart/payoff_chart_png.h"
#include "cli/analysis_batch.h"
#include "cli/batch_command.h"
#include "cli/command.h"
#include "cli/command_support.h"
#include "cli/exit_status.h"
#include "cli/field_spellings.h"
#include "cli/messages.h"
#include "cli/output_destination.h"
#include "cli/position_output.h"
#include "pricing/black_scholes_merton.h"

#include <QSize>
#include <QString>
#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace veltrane {

namespace {

// The payoff chart's picture, in pixels: wide enough for the price axis's labels.
constexpr QSize chartSize{960, 600};

constexpr std::string_view statusHelpText =
    "\n"
    "Exit status:\n"
    "  0   every position has all its figures\n"
    "  2   a position was refused: an input is missing or not what it must be\n"
    "  3   none was refused, but a position lacks a figure (the message says why)\n"
    "  64  the command line, the input file or its header is not understood\n"
    "  74  the results cannot be written\n";

// The figures by key, each with its definition, wrapped as the options' help is, then the
// conventions of the odds and the exit statuses.
std::string figuresHelp() {
    constexpr std::size_t indent = 29;
    constexpr std::size_t width = 80;
    std::string out = "\nFigures (the keys of --json and --csv):\n";
    for (const AnalysisFigureInfo& info : analysisFigures) {
        std::string line = "  " + std::string{info.key};
        if (line.size() + 1 > indent) { // a long key has its definition on the next line
            out.append(line).push_back('\n');
            line.clear();
        }
        line.append(indent - line.size(), ' ');
        std::size_t from = 0;
        const std::string_view text = info.definition;
        while (from < text.size()) {
            std::size_t take = std::min(text.size() - from, width - indent);
            if (from + take < text.size()) {
                const std::size_t blank = text.rfind(' ', from + take);
                take = blank != std::string_view::npos && blank > from ? blank - from : take;
            }
            line.append(text.substr(from, take)).push_back('\n');
            out.append(line);
            line.assign(indent, ' ');
            from += take;
            while (from < text.size() && text[from] == ' ') {
                ++from;
            }
        }
    }
    out.append(
        "\nThe odds are the Black-Scholes-Merton model's: time T is days / 365 (months / 12),\n"
        "the rate is continuously compounded, and a dividend's present value at its\n"
        "ex-dividend date is taken out of the share price.\n");
    out.append(statusHelpText);
    return out;
}

// What each input option means, in the order of analysisInputs.
constexpr std::array<std::string_view, analysisInputs.size()> inputHelp{
    "Option price per share: the premium of one call for one share.",
    "Strike price per share.",
    "Current share price.",
    "Number of shares (or --contracts).",
    "Number of contracts of 100 shares (or --shares).",
    "Expiry date, YYYY-MM-DD or in figures as the locale writes dates (en_US: 3/19/2027 or "
    "3/19/27) (or --days or --months).",
    "With --expiry: the date the days are counted from, written as --expiry (default: today).",
    "Calendar days to expiry, a whole number 1 or more.",
    "Months to expiry, 1 to 12: per year counts twelfths of a year.",
    "All commissions and fees of the position, in money (default 0).",
    "Dividend per share paid before expiry (default 0).",
    "Volatility in percent a year for the odds (default: the volatility the option price "
    "implies).",
    "Interest rate in percent a year, continuously compounded (default 0).",
    "The dividend's ex-dividend date, after the as-of date and on or before the expiry; needs "
    "--expiry or --days.",
    "What was paid per share for shares already held: adds the figures of the shares held.",
};

// The name of an input's value in the help.
constexpr std::string_view valueName(InputKind kind) {
    switch (kind) {
    case InputKind::price:
        return "PRICE";
    case InputKind::date:
        return "DATE";
    case InputKind::money:
        return "MONEY";
    case InputKind::percent:
        return "PCT";
    case InputKind::count:
    case InputKind::months:
        break;
    }
    return "COUNT";
}

// --return-base's words, as the option takes them.
std::optional<ReturnBase> returnBaseNamed(std::string_view word) {
    if (word == "stock-cost") {
        return ReturnBase::stockCost;
    }
    if (word == "net-debit") {
        return ReturnBase::netDebit;
    }
    return std::nullopt;
}

struct AnalyzeOptions {
    AnalysisRowOptions row;
    bool json = false;
    QString chart; // empty: no chart
    std::string output;
};

// Whether two paths name one file, links followed, whether it exists yet or not.
bool sameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    if (std::filesystem::equivalent(a, b, error)) {
        return true;
    }
    std::error_code otherError;
    const std::filesystem::path first = std::filesystem::weakly_canonical(a, error);
    const std::filesystem::path second = std::filesystem::weakly_canonical(b, otherError);
    return !error && !otherError && first == second;
}

// ---- One position ----

// The text shown for a figure without one: "none" when there is none by its definition.
std::string missingFigureText(const Analysis& analysis, AnalysisFigure figure) {
    return analysis.state(figure) == FigureState::none ? "none" : "not available";
}

// The figures one to a line, those whose input was not given left out, and a warning when the
// shares held lose if called.
std::string analysisAsText(const Analysis& analysis, const AnalysisRowOptions& options) {
    std::size_t width = 0;
    for (const AnalysisFigureInfo& info : analysisFigures) {
        width = std::max(width, info.caption.size());
    }
    std::string out;
    for (const AnalysisFigureInfo& info : analysisFigures) {
        if (analysis.state(info.figure) == FigureState::notAsked) {
            continue;
        }
        out.append(info.caption).append(width - info.caption.size() + 3, ' ');
        const std::optional<std::string> value = figureValue(analysis, info.figure, options);
        out.append(value ? *value : missingFigureText(analysis, info.figure)).push_back('\n');
    }
    if (const auto loss = figureValue(analysis, AnalysisFigure::basisLossIfCalled, options)) {
        out.append("Warning: the strike is below the cost basis: if called, the shares held lose ")
            .append(*loss)
            .append(" before the premium.\n");
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
        if (options.plain && info.kind != FigureKind::text) {
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
        std::string name = inputSpelling(refusal.input, FieldSpelling::column);
        if (std::find(names.begin(), names.end(), name) == names.end()) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

// The payoff chart of a position that was analysed: 74 when the picture cannot be written, 3
// when the position lacks an amount the chart needs.
ExitStatus writeChart(const Analysis& analysis, const AnalyzeOptions& options, std::ostream& err) {
    const std::optional<PayoffChartModel> model = payoffChartModel(analysis);
    if (!model) {
        printError(err, "no payoff chart: the position lacks an amount the chart needs");
        return ExitStatus::incomplete;
    }
    QString why;
    if (!writePayoffChartPng(*model, options.row.settings, chartSize, options.chart, &why)) {
        printError(err, "cannot write the chart to " + quotedPath(options.chart.toStdString()) +
                            ": " + why.toStdString());
        return ExitStatus::outputFailed;
    }
    return ExitStatus::ok;
}

ExitStatus analyseOne(const AnalysisInputs& inputs, const AnalyzeOptions& options,
                      CommandStreams streams) {
    OutputDestination destination{options.output, streams.out, streams.err};
    if (!destination.open()) {
        return ExitStatus::outputFailed;
    }
    const AnalysisResult result =
        analysePosition(inputs, options.row.settings, &blackScholesMerton());
    if (!result.ok()) {
        std::string messages;
        for (const Refusal& refusal : result.refusals) {
            messages.append(messages.empty() ? "" : "\n")
                .append(refusalText(refusal, FieldSpelling::option));
        }
        printError(streams.err, messages);
        if (options.json) {
            const std::vector<std::string> columns = refusedColumns(result.refusals);
            const std::string json =
                refusalAsJson(refusalsText(result.refusals, FieldSpelling::option),
                              std::vector<std::string_view>(columns.begin(), columns.end()));
            if (writeOrReport(destination.stream(), streams.err, json, destination.name()) !=
                ExitStatus::ok) {
                return destination.finish(ExitStatus::outputFailed);
            }
        }
        return destination.finish(ExitStatus::refused);
    }
    const Analysis& analysis = *result.analysis;
    const std::string reason = analysis.incompleteReason();
    const std::string text = options.json ? analysisAsJson(analysis, options.row, reason)
                                          : analysisAsText(analysis, options.row);
    if (writeOrReport(destination.stream(), streams.err, text, destination.name()) !=
        ExitStatus::ok) {
        return destination.finish(ExitStatus::outputFailed);
    }
    if (!reason.empty()) {
        printError(streams.err, reason);
    }
    ExitStatus status = analysis.complete() ? ExitStatus::ok : ExitStatus::incomplete;
    if (!options.chart.isEmpty()) {
        status = worse(status, writeChart(analysis, options, streams.err));
    }
    return destination.finish(status);
}

class AnalyzeCommand : public Command {
public:
    std::string_view name() const override { return "analyze"; }
    std::string_view summary() const override {
        return "analyse a position: breakeven, returns, most to make or lose";
    }
    std::vector<std::string_view> usage() const override {
        return {"pravik analyze [OPTIONS]", "pravik analyze --csv [OPTIONS] [FILE]"};
    }
    std::string_view description() const override {
        return "Analyses a covered-call position: the most it can make and lose, the breakeven,\n"
               "the downside protection, and the returns if the price is unchanged and if\n"
               "the shares are called away, per year simple and compounded. Or every row\n"
               "of a CSV file; with --plain, money has 2 decimals, the breakeven 4 and\n"
               "percentages are numbers ('4.39').";
    }
    std::string_view statusHelp() const override {
        static const std::string help = figuresHelp();
        return help;
    }
    std::string_view needsMore() const override {
        return "analyze needs a position's inputs, or --csv and a file";
    }
    std::vector<CommandOption> options() const override {
        std::vector<CommandOption> options;
        for (std::size_t i = 0; i < analysisInputs.size(); ++i) {
            options.push_back({optionSpelling(analysisInputs[i].key),
                               std::string{valueName(analysisInputs[i].kind)},
                               std::string{inputHelp[i]}, true});
        }
        options.push_back(
            {"chart", "FILE",
             "Also draw the payoff chart of the position, profit or loss at expiry against the "
             "share price, as a 960 x 600 PNG picture in FILE."});
        options.push_back({"return-base", "BASE",
                           "What the returns are over: stock-cost (the default: the current "
                           "price times the shares) or net-debit (the stock cost less the "
                           "premium, plus fees)."});
        return options;
    }
    std::vector<SharedOption> sharedOptions() const override {
        using S = SharedOption;
        return {S::json,   S::csv,       S::plain,  S::decimalSeparator, S::percentAsFraction,
                S::output, S::delimiter, S::locale, S::replaceResults,   S::jobs,
                S::column, S::encoding};
    }
    std::string_view inputsWord() const override { return "inputs"; }
    std::vector<RefusedCombination> refusedCombinations() const override {
        return {{"chart", "csv", true, "--chart draws one position, so it cannot go with --csv"}};
    }
    bool draws(const std::vector<std::string_view>& arguments) const override {
        return std::any_of(arguments.begin(), arguments.end(), [](std::string_view argument) {
            return argument == "--chart" || argument.starts_with("--chart=");
        });
    }

    ExitStatus run(const ParsedCommand& command, CommandStreams streams) const override {
        AnalyzeOptions options;
        options.row.settings = command.settings;
        options.row.plain = command.isSet("plain");
        options.row.plainForm = command.plainForm();
        options.row.today = localToday();
        if (command.isSet("return-base")) {
            const std::optional<ReturnBase> base = returnBaseNamed(command.text("return-base"));
            if (!base) {
                return usageError(
                    streams.err,
                    QStringLiteral("--return-base must be stock-cost or net-debit, not '%1'")
                        .arg(command.value("return-base")),
                    "pravik analyze");
            }
            options.row.returnBase = *base;
        }
        options.json = command.isSet("json");
        options.chart = command.value("chart");
        options.output = command.text("output");
        if (command.isSet("chart") && options.chart.isEmpty()) {
            return usageError(streams.err, QStringLiteral("--chart needs a file name"),
                              "pravik analyze");
        }
        if (!options.chart.isEmpty() && !options.output.empty() &&
            sameFile(options.chart.toStdString(), options.output)) {
            return usageError(
                streams.err,
                QStringLiteral("--output and --chart name the same file, '%1'").arg(options.chart),
                "pravik analyze");
        }
        if (command.isSet("csv")) {
            AnalysisBatchOptions batch{options.row, command.delimiter, command.localeGiven,
                                       command.plainDecimal};
            batch.replaceResults = command.isSet("replace-results");
            batch.json = options.json;
            batch.jobs = command.jobs;
            batch.columns = command.columns;
            return runBatchCommand(command.files().value(0), options.output, command.encoding,
                                   streams, {"; their error column says why", "a figure"},
                                   [&](std::istream& in, std::ostream& out) {
                                       return runAnalysisBatch(in, out, batch);
                                   });
        }
        AnalysisInputs inputs;
        inputs.today = options.row.today;
        inputs.returnBase = options.row.returnBase;
        for (const AnalysisInputInfo& info : analysisInputs) {
            const std::string option = optionSpelling(info.key);
            if (command.isSet(option)) {
                inputText(inputs, info.input) = command.text(option);
            }
        }
        return analyseOne(inputs, options, streams);
    }
};

} // namespace

const Command& analyzeCommand() {
    static const AnalyzeCommand command;
    return command;
}

} // namespace veltrane
