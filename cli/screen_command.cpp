// `pravik screen`: the calls of an option chain worth selling, analysed, filtered and ranked.
#include "calc/analysis.h"
#include "calc/calendar_date.h"
#include "calc/number_text.h"
#include "calc/typed_text.h"
#include "cli/batch_command.h"
#include "cli/chain_screen.h"
#include "cli/command.h"
#include "cli/command_support.h"
#include "cli/csv_batch_steps.h"
#include "cli/exit_status.h"
#include "cli/messages.h"
#include "csv/header_names.h"
#include "csv/reader.h"

#include <QString>
#include <QStringList>
#include <cmath>
#include <ctime>
#include <fstream>
#include <optional>
#include <string_view>
#include <vector>

namespace veltrane {

namespace {

constexpr std::string_view statusHelpText =
    "\n"
    "Standard error ends with one line of counts: calls read, puts skipped, expired, refused,\n"
    "kept by the filters, shown. Every data row is one of the first four.\n"
    "\n"
    "Exit status:\n"
    "  0   every row was read (a chain with no call left is 0 too)\n"
    "  2   a row was refused (its line on standard error says why); the rest is ranked\n"
    "  64  the command line, the chain, its header or the quotes file is not understood\n"
    "  74  the results cannot be written\n";

// The options' texts read as the settings read numbers; the first one refused, with its reason.
class OptionReader {
public:
    OptionReader(const ParsedCommand& command, ScreenOptions& options)
        : command_{command}
        , options_{options} {}

    const std::optional<std::string>& refused() const { return refused_; }

    // A number at least `low` (above it when `lowIncluded` is false), at most `high`.
    std::optional<double> number(std::string_view option, double low, double high,
                                 bool lowIncluded = true) {
        if (refused_ || !command_.isSet(option)) {
            return std::nullopt;
        }
        const std::string text = command_.text(option);
        const ParsedNumber parsed = parseNumber(text, options_.settings);
        const double x = parsed.value;
        if (parsed.error != ParseError::None || !(x <= high) || x < low ||
            (!lowIncluded && x == low)) {
            refuse("--" + std::string{option} + " " + quotedText(text) + " must be a number " +
                   (lowIncluded ? "from " : "above ") + plain(low) + " to " + plain(high));
            return std::nullopt;
        }
        return x;
    }

    // A word of `words`, the first when the option is not given.
    std::size_t word(std::string_view option, const std::vector<std::string_view>& words) {
        if (refused_ || !command_.isSet(option)) {
            return 0;
        }
        const std::string text = command_.text(option);
        for (std::size_t i = 0; i < words.size(); ++i) {
            if (text == words[i]) {
                return i;
            }
        }
        std::string list;
        for (std::size_t i = 0; i < words.size(); ++i) {
            list.append(i == 0 ? "" : i + 1 == words.size() ? " or " : ", ").append(words[i]);
        }
        refuse("--" + std::string{option} + " must be " + list + ", not " + quotedText(text));
        return 0;
    }

    void refuse(std::string reason) {
        if (!refused_) {
            refused_ = std::move(reason);
        }
    }

private:
    static std::string plain(double x) { return numberText(x, RegionalSettings{}).value_or(""); }

    const ParsedCommand& command_;
    ScreenOptions& options_;
    std::optional<std::string> refused_;
};

// A numeric, figure key named by --rank-by or --min-return; nothing for another word.
std::optional<AnalysisFigure> numericFigure(std::string_view key) {
    for (const AnalysisFigureInfo& info : analysisFigures) {
        if (info.key == key && info.kind != FigureKind::text) {
            return info.figure;
        }
    }
    return std::nullopt;
}

// No limit a filter takes is larger.
constexpr double most = 1e15;

void readFilters(const ParsedCommand& command, OptionReader& in, ScreenOptions& options) {
    ScreenFilters& f = options.filters;
    const auto percent = [&](std::string_view option, double low = -most) {
        const auto x = in.number(option, low, most);
        return x ? std::optional<double>{*x / 100.0} : std::nullopt;
    };
    f.minDays = in.number("min-days", 0, most);
    f.maxDays = in.number("max-days", 0, most);
    f.minProtection = percent("min-protection");
    f.maxProbAssigned = percent("max-prob-assigned", 0);
    f.minProbProfit = percent("min-prob-profit", 0);
    f.minOpenInterest = in.number("min-open-interest", 0, most);
    f.minVolume = in.number("min-volume", 0, most);
    f.maxSpread = percent("max-spread", 0);
    f.otmOnly = command.isSet("otm-only");
    f.itmOnly = command.isSet("itm-only");
    for (const QString& given : command.parser.values(QStringLiteral("min-return"))) {
        const std::string text = given.toStdString();
        const std::size_t equals = text.find('=');
        const auto figure = numericFigure(text.substr(0, equals));
        const ParsedNumber limit = equals == std::string::npos
                                       ? ParsedNumber{}
                                       : parseNumber(text.substr(equals + 1), options.settings);
        if (!figure || figureInfo(*figure).kind != FigureKind::ratio ||
            equals == std::string::npos || limit.error != ParseError::None) {
            in.refuse("--min-return takes FIGURE=PCT, a percentage figure such as "
                      "static_return_annualised=12, not " +
                      quotedText(text));
            return;
        }
        f.minReturns.emplace_back(*figure, limit.value / 100.0);
    }
}

// One quote's price, dividend and ex-dividend date; why not, when they cannot be read.
std::optional<std::string> readQuote(std::string_view price, std::string_view dividend,
                                     std::string_view exDividend, const RegionalSettings& settings,
                                     Quote& quote) {
    const ParsedNumber read = parseNumber(price, settings);
    if (read.error != ParseError::None || !(read.value > 0.0)) {
        return "price " + quotedText(price) + " is not a number above 0";
    }
    quote.price = read.value;
    if (!isBlankField(dividend)) {
        const ParsedNumber amount = parseNumber(dividend, settings);
        if (amount.error != ParseError::None || amount.value < 0.0) {
            return "dividend " + quotedText(dividend) + " is not a number 0 or more";
        }
        quote.dividend = amount.value;
    }
    if (!isBlankField(exDividend)) {
        const ParsedDate date = readDate(exDividend, settings);
        if (!date.ok()) {
            return "ex_dividend " + quotedText(exDividend) + " is not a date written like " +
                   acceptedDateForms(settings);
        }
        quote.exDividend = date.date;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> readQuotes(const std::string& path, ScreenOptions& options) {
    std::ifstream file{path, std::ios::binary};
    if (!file) {
        return "cannot read the quotes file " + quotedPath(path);
    }
    CsvReader reader{file};
    CsvRecord record;
    HeaderNames<int> names;
    const std::array<std::string_view, 4> keys{"symbol", "price", "dividend", "ex_dividend"};
    for (int i = 0; i < 4; ++i) {
        names.add(keys[static_cast<std::size_t>(i)], i);
    }
    names.add("Ex-Date", 3);
    names.add("Last", 1);
    std::array<std::optional<std::size_t>, 4> at{};
    if (!reader.next(record)) {
        return quotedPath(path) + ": no header";
    }
    for (std::size_t i = 0; i < record.size(); ++i) {
        if (const auto key = names.find(record.field(i))) {
            at[static_cast<std::size_t>(*key)] = i;
        }
    }
    if (!at[0] || !at[1]) {
        return quotedPath(path) + ": the header needs the columns symbol and price";
    }
    const auto field = [&](std::size_t key) {
        return at[key] && *at[key] < record.size() ? record.field(*at[key]) : std::string_view{};
    };
    while (reader.next(record)) {
        const std::string line = quotedPath(path) + ", line " + std::to_string(record.line());
        if (isBlankField(field(0)) && isBlankField(field(1))) {
            continue;
        }
        Quote quote;
        if (auto why = readQuote(field(1), field(2), field(3), options.settings, quote)) {
            return line + ": " + *why;
        }
        const std::string symbol{typed::trimmed(field(0))};
        if (!options.quotes.emplace(symbol, quote).second) {
            return line + ": " + quotedText(symbol) + " is quoted twice";
        }
    }
    if (const auto error = reader.error()) {
        return quotedPath(path) + ", line " + std::to_string(error->line) + ": " + error->message;
    }
    return std::nullopt;
}

namespace {

class ScreenCommand : public Command {
public:
    std::string_view name() const override { return "screen"; }
    std::string_view summary() const override {
        return "rank the calls of an option chain worth selling";
    }
    std::vector<std::string_view> usage() const override {
        return {"pravik screen [OPTIONS] [FILE]"};
    }
    std::string_view description() const override {
        return "Reads an option chain as CSV and analyses every call as a buy-write, as analyze\n"
               "does, the odds included; keeps those that pass the filters and shows the best\n"
               "by --rank-by. The chain's columns: symbol (for a chain of several), expiry,\n"
               "strike, bid, ask, and optionally last, type, volume, open_interest, iv and\n"
               "underlying_price, or brokers' captions of them. Puts are skipped.";
    }
    std::string_view statusHelp() const override { return statusHelpText; }
    std::string_view needsMore() const override {
        return "screen needs an option chain: a file, or '-' for standard input";
    }
    bool takesFile() const override { return true; }
    std::string_view fileHelp() const override {
        return "The option chain as CSV ('-' or none: standard input).";
    }
    std::vector<std::string> columnKeys() const override {
        std::vector<std::string> keys;
        keys.reserve(chainColumns.size());
        for (const ChainColumnInfo& info : chainColumns) {
            keys.emplace_back(info.key);
        }
        return keys;
    }
    std::vector<std::string_view> repeatable() const override { return {"min-return"}; }
    std::optional<std::string_view> sharedOptionHelp(SharedOption option) const override {
        switch (option) {
        case SharedOption::json:
            return "Write JSON Lines: one object a call shown, with the members --csv writes.";
        case SharedOption::delimiter:
            return "The chain's field delimiter, ',', ';', 'tab' or '|' (default: told from the "
                   "header).";
        case SharedOption::encoding:
            return "The chain's encoding, such as windows-1252 (default: UTF-8, or UTF-16 by its "
                   "byte order mark).";
        case SharedOption::jobs:
            return "Analyse the calls on N threads (default: the cores this process may use). "
                   "The result is the same for any N.";
        case SharedOption::column:
            return "Read the chain's column HEADER as KEY (strike=\"Strike $\"), beside the "
                   "names and captions every chain is read by. May be given more than once.";
        case SharedOption::output:
            return "Write the results to FILE, replacing it only when the run completes (status "
                   "0 or 2).";
        default:
            return std::nullopt;
        }
    }
    std::string_view inputsWord() const override { return "calls"; }
    std::vector<CommandOption> options() const override {
        return {
            {"quotes", "FILE",
             "The shares' prices: a CSV file of symbol, price, and optionally dividend and "
             "ex_dividend, for a chain without underlying_price."},
            {"current-price", "PRICE", "The share price of a one-symbol chain."},
            {"contracts", "N", "Contracts of 100 shares each call is sold in (default 1)."},
            {"price", "WHICH",
             "The option price: bid (the default: what a seller gets), mid ((bid + ask) / 2) or "
             "last."},
            {"fee-per-contract", "MONEY", "Fees per contract (default 0)."},
            {"fee-per-trade", "MONEY", "Fees per buy-write, one order for both legs (default 0)."},
            {"as-of", "DATE", "The date the days to expiry count from (default: today)."},
            {"rate", "PCT",
             "Interest rate in percent a year, continuously compounded (default 0)."},
            {"return-base", "BASE",
             "What the returns are over: stock-cost (the default) or net-debit."},
            {"volatility-from", "WHERE",
             "The volatility of the odds: implied (the default: by the option price) or chain "
             "(the iv column)."},
            {"iv-as-fraction", "", "The iv column holds fractions (0.2453), not percent."},
            {"min-days", "N", "Only calls with at least N days to expiry."},
            {"max-days", "N", "Only calls with at most N days to expiry."},
            {"min-return", "FIGURE=PCT",
             "Only calls whose percentage FIGURE is at least PCT (static_return_annualised=12); "
             "may be given more than once."},
            {"min-protection", "PCT", "Only calls with at least PCT downside protection."},
            {"max-prob-assigned", "PCT",
             "Only calls the model gives at most PCT chance of assignment."},
            {"min-prob-profit", "PCT", "Only calls the model gives at least PCT chance of profit."},
            {"otm-only", "", "Only calls with the strike above the share price."},
            {"itm-only", "", "Only calls with the strike below the share price."},
            {"min-open-interest", "N", "Only calls with an open interest of at least N."},
            {"min-volume", "N", "Only calls with a volume of at least N."},
            {"max-spread", "PCT", "Only calls whose (ask - bid) / mid is at most PCT."},
            {"rank-by", "KEY",
             "The figure calls are ranked by, highest first (default static_return_annualised)."},
            {"top", "N", "How many calls are shown, 1 to 100000 (default 20)."},
            {"top-per", "GROUP", "Show --top calls per symbol, or per symbol and expiry (expiry)."},
            {"csv", "",
             "Write CSV: symbol, expiry, strike, price, every figure of analyze, then rank."},
        };
    }
    std::vector<SharedOption> sharedOptions() const override {
        using S = SharedOption;
        return {S::json,   S::plain, S::output, S::delimiter,
                S::locale, S::jobs,  S::column, S::encoding};
    }
    std::vector<RefusedCombination> refusedCombinations() const override {
        return {{"otm-only", "itm-only", true, "--otm-only and --itm-only leave no call"},
                {"iv-as-fraction", "volatility-from", false,
                 "--iv-as-fraction reads the iv column, which --volatility-from chain uses"}};
    }

    ExitStatus run(const ParsedCommand& command, CommandStreams streams) const override {
        ScreenOptions options;
        options.settings = command.settings;
        options.localeGiven = command.localeGiven;
        options.delimiter = command.delimiter;
        for (const ColumnMapping& mapping : command.columns) {
            options.columns.emplace_back(mapping.key, mapping.header);
        }
        options.jobs = command.jobs;
        options.json = command.isSet("json");
        options.csv = command.isSet("csv");
        options.plain = command.isSet("plain");
        OptionReader in{command, options};
        options.asOf = localToday();
        if (command.isSet("as-of")) {
            const ParsedDate date = readDate(command.text("as-of"), options.settings);
            if (!date.ok()) {
                in.refuse("--as-of " + quotedText(command.text("as-of")) +
                          " is not a date written like " + acceptedDateForms(options.settings));
            }
            options.asOf = date.date;
        }
        options.contracts = in.number("contracts", 1, 1e9).value_or(1);
        if (options.contracts != std::trunc(options.contracts)) {
            in.refuse("--contracts must be a whole number");
        }
        options.feePerContract = in.number("fee-per-contract", 0, 1e12).value_or(0);
        options.feePerTrade = in.number("fee-per-trade", 0, 1e12).value_or(0);
        options.rateGiven = command.isSet("rate");
        options.rate = in.number("rate", -20, 100).value_or(0);
        options.currentPrice = in.number("current-price", 0, 1e15, false);
        options.returnBase = in.word("return-base", {"stock-cost", "net-debit"}) == 0
                                 ? ReturnBase::stockCost
                                 : ReturnBase::netDebit;
        options.price = static_cast<PriceChoice>(in.word("price", {"bid", "mid", "last"}));
        options.volatilityFromChain = in.word("volatility-from", {"implied", "chain"}) == 1;
        options.ivAsFraction = command.isSet("iv-as-fraction");
        options.topPer = static_cast<TopPer>(in.word("top-per", {"chain", "symbol", "expiry"}));
        const std::optional<double> top = in.number("top", 1, 100'000);
        if (top && *top != std::trunc(*top)) {
            in.refuse("--top must be a whole number from 1 to 100000");
        }
        options.top = top ? static_cast<std::size_t>(*top) : 20;
        if (command.isSet("rank-by")) {
            const auto figure = numericFigure(command.text("rank-by"));
            if (!figure) {
                in.refuse("--rank-by names no numeric figure: " +
                          quotedText(command.text("rank-by")));
            }
            options.rankBy = figure.value_or(options.rankBy);
        }
        readFilters(command, in, options);
        if (!in.refused() && command.isSet("quotes")) {
            if (auto why = readQuotes(command.text("quotes"), options)) {
                in.refuse(std::move(*why));
            }
        }
        if (in.refused()) {
            return usageError(streams.err, QString::fromStdString(*in.refused()), "pravik screen");
        }
        ScreenCounts counts;
        const ExitStatus status =
            runBatchCommand(command.files().value(0), command.text("output"), command.encoding,
                            streams, {"; standard error names each", "a figure"},
                            [&](std::istream& input, std::ostream& output) {
                                return runChainScreen(input, output, streams.err, options, counts);
                            });
        if (status != ExitStatus::usage && status != ExitStatus::outputFailed) {
            printError(streams.err, screenSummary(counts));
        }
        return status;
    }
};

} // namespace

const Command& screenCommand() {
    static const ScreenCommand command;
    return command;
}

} // namespace veltrane
