#include "cli/chain_screen.h"

#include "calc/calendar_date.h"
#include "calc/currency.h"
#include "calc/number_text.h"
#include "calc/typed_text.h"
#include "cli/analysis_batch.h"
#include "cli/csv_batch_runner.h"
#include "cli/csv_batch_steps.h"
#include "cli/csv_row_work.h"
#include "cli/decoded_input.h"
#include "cli/messages.h"
#include "cli/position_output.h"
#include "csv/reader.h"
#include "csv/writer.h"
#include "pricing/black_scholes_merton.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <streambuf>
#include <utility>

namespace veltrane {

namespace {

// Captions brokers and their exports give the columns.
struct ChainCaption {
    ChainColumn column;
    std::string_view caption;
};

constexpr std::array chainCaptions{
    ChainCaption{ChainColumn::symbol, "Underlying Symbol"},
    ChainCaption{ChainColumn::expiry, "Exp Date"},
    ChainCaption{ChainColumn::expiry, "Expiration"},
    ChainCaption{ChainColumn::expiry, "Expiration Date"},
    ChainCaption{ChainColumn::strike, "Strike Price"},
    ChainCaption{ChainColumn::bid, "Bid Price"},
    ChainCaption{ChainColumn::ask, "Ask Price"},
    ChainCaption{ChainColumn::last, "Last Price"},
    ChainCaption{ChainColumn::type, "Option Type"},
    ChainCaption{ChainColumn::type, "Call/Put"},
    ChainCaption{ChainColumn::volume, "Vol"},
    ChainCaption{ChainColumn::openInterest, "Open Int"},
    ChainCaption{ChainColumn::iv, "Implied Volatility"},
    ChainCaption{ChainColumn::underlyingPrice, "Stock Price"},
};

// A caption that means a symbol in one export and a price in another.
constexpr std::string_view ambiguousUnderlying = "underlying";

std::string underlyingRefusal(std::string_view name) {
    return "the header's column " + quotedText(name) +
           " may be the share's symbol or its price: name it with --column symbol=" +
           std::string{name} + " or --column underlying_price=" + std::string{name};
}

// Which side of a chain laid out with calls and puts side by side a column is on, by its
// prefix: "Call Bid" is the call's bid, "Put Bid" the put's; `rest` is the name without it.
enum class Side { unnamed, call, put };

Side sideOf(std::string_view name, std::string& rest) {
    rest = comparableColumnName(name);
    for (const auto& [prefix, side] : {std::pair{std::string_view{"call_"}, Side::call},
                                       std::pair{std::string_view{"calls_"}, Side::call},
                                       std::pair{std::string_view{"put_"}, Side::put},
                                       std::pair{std::string_view{"puts_"}, Side::put}}) {
        if (rest.starts_with(prefix) && rest.size() > prefix.size()) {
            rest.erase(0, prefix.size());
            return side;
        }
    }
    return Side::unnamed;
}

const ChainColumnInfo& columnInfo(ChainColumn column) {
    return chainColumns[static_cast<std::size_t>(column)];
}

// ---- The rows, as one thread hands them to the ranking ----
//
// Each row becomes one record of this program's own: a kind, then fields each written as its
// length, ':' and its bytes, so no text of the file can be taken for a separator.

// `putBeside`: a row that also holds a put, side by side with its call, before the call's record.
enum class RowMark : char { call = 'C', put = 'P', expired = 'E', refused = 'R', putBeside = 'Q' };

void putField(std::string& out, std::string_view field) {
    std::array<char, 24> length{};
    const auto end = std::to_chars(length.begin(), length.end(), field.size()).ptr;
    out.append(length.begin(), end).push_back(':');
    out.append(field);
}

// What a call is analysed from, as numbers: a shown one is analysed again to write its texts.
struct CallData {
    std::string symbol;
    std::chrono::year_month_day expiry{};
    double strike = 0.0;
    double price = 0.0;
    double sharePrice = 0.0;
    double fees = 0.0;
    double dividend = 0.0; // 0: none before expiry
    std::optional<std::chrono::year_month_day> exDividend;
    std::optional<double> volatility; // percent
};

// The numbers of a call as they travel from a thread to the ranking: their bytes as they are,
// since they only cross from one thread of this process to another.
struct CallNumbers {
    std::int64_t expiryDays = 0;
    std::int64_t exDividendDays = 0;
    double strike = 0.0;
    double price = 0.0;
    double sharePrice = 0.0;
    double fees = 0.0;
    double dividend = 0.0;
    double volatility = 0.0;
    bool hasExDividend = false;
    bool hasVolatility = false;
};

std::int64_t dayNumber(std::chrono::year_month_day date) {
    return std::chrono::sys_days{date}.time_since_epoch().count();
}

std::chrono::year_month_day dateOfDay(std::int64_t day) {
    return std::chrono::sys_days{std::chrono::days{day}};
}

std::string packed(const CallData& data) {
    CallNumbers n;
    n.expiryDays = dayNumber(data.expiry);
    n.exDividendDays = data.exDividend ? dayNumber(*data.exDividend) : 0;
    n.hasExDividend = data.exDividend.has_value();
    n.strike = data.strike;
    n.price = data.price;
    n.sharePrice = data.sharePrice;
    n.fees = data.fees;
    n.dividend = data.dividend;
    n.volatility = data.volatility.value_or(0.0);
    n.hasVolatility = data.volatility.has_value();
    std::string bytes(sizeof n, '\0');
    std::memcpy(bytes.data(), &n, sizeof n);
    return bytes;
}

void unpack(std::string_view bytes, CallData& data) {
    CallNumbers n;
    std::memcpy(&n, bytes.data(), std::min(bytes.size(), sizeof n));
    data.expiry = dateOfDay(n.expiryDays);
    data.exDividend = n.hasExDividend ? std::optional{dateOfDay(n.exDividendDays)} : std::nullopt;
    data.strike = n.strike;
    data.price = n.price;
    data.sharePrice = n.sharePrice;
    data.fees = n.fees;
    data.dividend = n.dividend;
    data.volatility = n.hasVolatility ? std::optional{n.volatility} : std::nullopt;
}

std::string plainNumber(double x) {
    static const RegionalSettings plain = plainSettings(4);
    return numberText(x, plain).value_or("");
}

// The call's inputs as plain texts, which analysePosition reads with plainSettings(4).
AnalysisInputs inputsOf(const CallData& data, const ScreenOptions& options) {
    AnalysisInputs inputs;
    inputs.optionPrice = plainNumber(data.price);
    inputs.strikePrice = plainNumber(data.strike);
    inputs.currentPrice = plainNumber(data.sharePrice);
    // As shares, the count every window takes; contracts are whole and at most 1e9, so exact.
    inputs.shares = plainNumber(100.0 * options.contracts);
    inputs.expiry = calendarDateText(data.expiry);
    inputs.asOf = calendarDateText(options.asOf);
    inputs.fees = plainNumber(data.fees);
    if (data.dividend > 0.0 && data.exDividend) {
        inputs.dividend = plainNumber(data.dividend);
        inputs.exDividend = calendarDateText(*data.exDividend);
    }
    if (data.volatility) {
        inputs.volatility = plainNumber(*data.volatility);
    }
    if (options.rateGiven) {
        inputs.rate = plainNumber(options.rate);
    }
    inputs.returnBase = options.returnBase;
    return inputs;
}

// The figures the model forms, as a set.
const FigureSet& modelFigures() {
    static const FigureSet figures = [] {
        FigureSet set;
        for (const AnalysisFigureInfo& info : analysisFigures) {
            set[static_cast<std::size_t>(info.figure)] = formedByModel(info.figure);
        }
        return set;
    }();
    return figures;
}

// Only the figures `wanted` are sure to be formed; the model runs when one of them is its own.
std::optional<Analysis> analyseCall(const CallData& data, const ScreenOptions& options,
                                    const FigureSet& wanted = everyFigure) {
    PositionValues values;
    values.optionPrice = data.price;
    values.strikePrice = data.strike;
    values.currentPrice = data.sharePrice;
    values.contracts = options.contracts;
    values.asOf = options.asOf;
    values.expiry = data.expiry;
    values.fees = data.fees;
    if (data.dividend > 0.0 && data.exDividend) {
        values.dividend = data.dividend;
        values.exDividend = data.exDividend;
    }
    values.volatility = data.volatility;
    values.rate = options.rate;
    values.returnBase = options.returnBase;
    const bool withModel = (wanted & modelFigures()).any();
    return analyseValues(values, withModel ? &blackScholesMerton() : nullptr, wanted);
}

// The figures the filters and the rank compare. A call not shown needs no other: the shown ones
// are analysed again in full.
FigureSet comparedFigures(const ScreenOptions& options) {
    using F = AnalysisFigure;
    const ScreenFilters& f = options.filters;
    FigureSet wanted;
    const auto want = [&wanted](F figure, bool compared) {
        if (compared) {
            wanted.set(static_cast<std::size_t>(figure));
        }
    };
    want(options.rankBy, true);
    want(F::days, f.minDays || f.maxDays);
    want(F::downsideProtection, f.minProtection.has_value());
    want(F::probAssigned, f.maxProbAssigned.has_value());
    want(F::probProfit, f.minProbProfit.has_value());
    for (const auto& minimum : f.minReturns) {
        want(minimum.first, true);
    }
    return wanted;
}

// ---- Reading a row ----

class ChainRows final : public HeaderRows {
public:
    ChainRows(std::size_t headerFields, const std::array<std::size_t, chainColumns.size()>& at,
              const std::vector<std::size_t>& putSide, const ScreenOptions& options)
        : HeaderRows{headerFields}
        , at_{at}
        , putSide_{putSide}
        , options_{options}
        , compared_{comparedFigures(options)} {}

protected:
    RowKind make(const CsvRecord& record, std::string& out) override {
        reason_.clear();
        // The put beside the call is counted, never read; a row of a put alone is a put.
        if (std::any_of(putSide_.begin(), putSide_.end(),
                        [&](std::size_t at) { return !isBlankField(record.field(at)); })) {
            if (isBlankField(field(record, ChainColumn::bid)) &&
                isBlankField(field(record, ChainColumn::ask))) {
                out.push_back(static_cast<char>(RowMark::put));
                return RowKind::complete;
            }
            out.push_back(static_cast<char>(RowMark::putBeside));
        }
        const RowKind kind = call(record, out);
        if (kind == RowKind::refused) {
            refuse(record, reason_, out);
        }
        return kind;
    }

    void refuse(const CsvRecord& /*record*/, std::string_view reason, std::string& out) override {
        out.push_back(static_cast<char>(RowMark::refused));
        putField(out, reason);
    }

private:
    static constexpr std::size_t absent = static_cast<std::size_t>(-1);

    std::string_view field(const CsvRecord& record, ChainColumn column) const {
        const std::size_t at = at_[static_cast<std::size_t>(column)];
        return at == absent ? std::string_view{} : record.field(at);
    }

    // A number of the row in the settings' form; nothing, with the reason, when it is not one.
    // An empty field is `empty`.
    std::optional<double> number(const CsvRecord& record, ChainColumn column, bool& empty) {
        const std::string_view text = field(record, column);
        empty = isBlankField(text);
        if (empty) {
            return std::nullopt;
        }
        const ParsedNumber parsed = parseNumber(text, options_.settings);
        if (parsed.error != ParseError::None || !std::isfinite(parsed.value) ||
            parsed.value < 0.0) {
            reason_ = std::string{columnInfo(column).key} + " " + quotedText(text) +
                      " is not a number 0 or more";
            return std::nullopt;
        }
        return parsed.value;
    }

    RowKind call(const CsvRecord& record, std::string& out) {
        // The type: a call unless it says put; anything else is refused.
        const std::string type = comparableColumnName(field(record, ChainColumn::type));
        if (type == "put" || type == "p") {
            out.push_back(static_cast<char>(RowMark::put));
            return RowKind::complete;
        }
        if (!type.empty() && type != "call" && type != "c") {
            reason_ =
                "type " + quotedText(field(record, ChainColumn::type)) + " is neither call nor put";
            return RowKind::refused;
        }
        CallData data;
        data.symbol = std::string{typed::trimmed(field(record, ChainColumn::symbol))};
        const ParsedDate expiry = readDate(field(record, ChainColumn::expiry), options_.settings);
        if (!expiry.ok()) {
            reason_ = "expiry " + quotedText(field(record, ChainColumn::expiry)) +
                      " is not a date written like " + acceptedDateForms(options_.settings);
            return RowKind::refused;
        }
        if (daysBetween(options_.asOf, expiry.date) < 1) {
            out.push_back(static_cast<char>(RowMark::expired));
            return RowKind::complete;
        }
        data.expiry = expiry.date;

        bool empty = false;
        const auto strike = number(record, ChainColumn::strike, empty);
        if (!strike) {
            reason_ = empty ? std::string{"no strike"} : reason_;
            return RowKind::refused;
        }
        Quotes quotes;
        if (!optionQuotes(record, quotes)) {
            return RowKind::refused;
        }
        const auto& [bid, ask, last] = quotes;
        const std::optional<Currency> price = optionPrice(bid, ask, last);
        if (!price) {
            return RowKind::refused;
        }
        data.price = price->toDouble();
        data.strike = *strike;

        const std::optional<Quote> quote = shareQuote(record, data.symbol, empty);
        if (!quote) {
            return RowKind::refused;
        }
        data.sharePrice = quote->price;
        // The quote's dividend counts where its ex-date falls before the call expires.
        if (quote->dividend > 0.0 && quote->exDividend &&
            daysBetween(options_.asOf, *quote->exDividend) >= 1 &&
            daysBetween(*quote->exDividend, expiry.date) >= 0) {
            data.dividend = quote->dividend;
            data.exDividend = quote->exDividend;
        }
        const auto fees = Currency::fromDouble(options_.feePerContract * options_.contracts +
                                               options_.feePerTrade);
        data.fees = fees ? fees->toDouble() : 0.0;
        if (options_.volatilityFromChain && !chainVolatility(record, data)) {
            return RowKind::refused;
        }

        const std::optional<Analysis> analysis = analyseCall(data, options_, compared_);
        if (!analysis) {
            // The texts' reading says what is wrong, as analyze would.
            static const RegionalSettings plain = plainSettings(4);
            reason_ = refusalsText(analysePosition(inputsOf(data, options_), plain).refusals,
                                   FieldSpelling::column);
            return RowKind::refused;
        }
        const Analysis& a = *analysis;
        bool volumeEmpty = false;
        bool interestEmpty = false;
        const auto volume = number(record, ChainColumn::volume, volumeEmpty);
        const auto interest = number(record, ChainColumn::openInterest, interestEmpty);
        const bool kept = passes(a, *strike, quote->price, bid, ask, volume, interest);
        const std::optional<double> key = figureNumber(a, options_.rankBy);

        out.push_back(static_cast<char>(RowMark::call));
        out.push_back(kept ? '1' : '0');
        // The rank's figure as its bytes, as the numbers travel; empty without one.
        std::array<char, sizeof(double)> keyBytes{};
        if (key) {
            std::memcpy(keyBytes.data(), &*key, keyBytes.size());
        }
        putField(out, std::string_view{keyBytes.data(), key ? keyBytes.size() : 0});
        putField(out, data.symbol);
        putField(out, packed(data));
        // A call lacking a figure is still ranked, after those that have it.
        return RowKind::complete;
    }

    // The option's bid, ask and last trade, each empty where the row has none.
    struct Quotes {
        std::optional<double> bid;
        std::optional<double> ask;
        std::optional<double> last;
    };

    // False, with the reason, when a quote given is not a number.
    bool optionQuotes(const CsvRecord& record, Quotes& quotes) {
        const std::array<std::pair<ChainColumn, std::optional<double>*>, 3> wanted{
            {{ChainColumn::bid, &quotes.bid},
             {ChainColumn::ask, &quotes.ask},
             {ChainColumn::last, &quotes.last}}};
        for (const auto& [column, value] : wanted) {
            bool empty = false;
            *value = number(record, column, empty);
            if (!*value && !empty) {
                return false;
            }
        }
        return true;
    }

    // The option price chosen: the bid, the mid-point exactly (half a cent kept), or the last.
    std::optional<Currency> optionPrice(std::optional<double> bid, std::optional<double> ask,
                                        std::optional<double> last) {
        switch (options_.price) {
        case PriceChoice::bid:
            if (!bid) {
                reason_ = "no bid";
                return std::nullopt;
            }
            return Currency::fromDouble(*bid);
        case PriceChoice::mid: {
            const auto b = bid ? Currency::fromDouble(*bid) : std::nullopt;
            const auto a = ask ? Currency::fromDouble(*ask) : std::nullopt;
            const auto sum = b && a ? add(*a, *b) : std::nullopt;
            if (!sum) {
                reason_ = "no mid-point: the bid or the ask is missing";
                return std::nullopt;
            }
            // Half of a ten-thousandth is rounded half to even, as money rounds.
            const std::int64_t half = sum->units() / 2;
            const bool up = sum->units() % 2 != 0 && half % 2 != 0;
            return Currency{half + (up ? 1 : 0)};
        }
        case PriceChoice::last:
            if (!last) {
                reason_ = "no last trade";
                return std::nullopt;
            }
            return Currency::fromDouble(*last);
        }
        return std::nullopt;
    }

    // The share's price and dividend: the row's own price, else the quotes file's, else
    // --current-price.
    std::optional<Quote> shareQuote(const CsvRecord& record, const std::string& symbol,
                                    bool& empty) {
        Quote quote;
        const Quote* const listed = quoteOf(symbol);
        if (listed != nullptr) {
            quote = *listed;
        }
        const auto own = number(record, ChainColumn::underlyingPrice, empty);
        if (!own && !empty) {
            return std::nullopt;
        }
        if (own) {
            quote.price = *own;
        } else if (listed == nullptr) {
            if (!options_.currentPrice) {
                reason_ = "no share price for " +
                          (symbol.empty() ? std::string{"the chain"} : quotedText(symbol)) +
                          ": give underlying_price, --quotes or --current-price";
                return std::nullopt;
            }
            quote.price = *options_.currentPrice;
        }
        if (!(quote.price > 0.0)) {
            reason_ = "the share price of " + quotedText(symbol) + " is not more than 0";
            return std::nullopt;
        }
        return quote;
    }

    // The quotes file's line for `symbol`, or null. A chain lists a symbol's calls together: the
    // last one found is kept.
    const Quote* quoteOf(const std::string& symbol) {
        if (symbol != quoteSymbol_ || !quoteLooked_) {
            const auto found = options_.quotes.find(symbol);
            quote_ = found != options_.quotes.end() ? &found->second : nullptr;
            quoteSymbol_ = symbol;
            quoteLooked_ = true;
        }
        return quote_;
    }

    // The chain's own volatility, in percent ("24.53", "24.53%") or a fraction.
    bool chainVolatility(const CsvRecord& record, CallData& data) {
        std::string text{typed::trimmed(field(record, ChainColumn::iv))};
        if (!text.empty() && text.back() == '%') {
            text.pop_back();
        }
        const ParsedNumber parsed = parseNumber(text, options_.settings);
        if (text.empty() || parsed.error != ParseError::None || !(parsed.value > 0.0)) {
            reason_ = "iv " + quotedText(field(record, ChainColumn::iv)) +
                      " is not a volatility more than 0";
            return false;
        }
        data.volatility = options_.ivAsFraction ? parsed.value * 100.0 : parsed.value;
        return true;
    }

    bool passes(const Analysis& a, double strike, double sharePrice, std::optional<double> bid,
                std::optional<double> ask, std::optional<double> volume,
                std::optional<double> interest) const {
        const ScreenFilters& f = options_.filters;
        const auto atLeast = [](std::optional<double> value, std::optional<double> limit) {
            return !limit || (value && *value >= *limit);
        };
        const auto atMost = [](std::optional<double> value, std::optional<double> limit) {
            return !limit || (value && *value <= *limit);
        };
        const std::optional<double> days =
            a.days ? std::optional<double>{static_cast<double>(*a.days)} : std::nullopt;
        if (!atLeast(days, f.minDays) || !atMost(days, f.maxDays) ||
            !atLeast(a.downsideProtection, f.minProtection) ||
            !atMost(a.probAssigned, f.maxProbAssigned) || !atLeast(a.probProfit, f.minProbProfit) ||
            !atLeast(volume, f.minVolume) || !atLeast(interest, f.minOpenInterest)) {
            return false;
        }
        if ((f.otmOnly && !(strike > sharePrice)) || (f.itmOnly && !(strike < sharePrice))) {
            return false;
        }
        for (const auto& [figure, limit] : f.minReturns) {
            if (!atLeast(figureNumber(a, figure), limit)) {
                return false;
            }
        }
        if (f.maxSpread) {
            const double mid = bid && ask ? (*bid + *ask) / 2.0 : 0.0;
            if (!(mid > 0.0) || !atMost((*ask - *bid) / mid, f.maxSpread)) {
                return false;
            }
        }
        return true;
    }

    const std::array<std::size_t, chainColumns.size()>& at_;
    const std::vector<std::size_t>& putSide_;
    const ScreenOptions& options_;
    const FigureSet compared_;
    std::string reason_;
    std::string quoteSymbol_;
    const Quote* quote_ = nullptr;
    bool quoteLooked_ = false;
};

// ---- The header ----

class ChainWork final : public CsvRowWork {
public:
    explicit ChainWork(const ScreenOptions& options)
        : options_{options}
        , names_{chainColumnNames(options.columns)} {}

    bool header(CsvReader& reader, CsvRecord& record, std::string& /*out*/,
                BatchOutcome& outcome) override {
        static const std::string expected = "expiry, strike, bid and ask";
        if (!readHeaderRecord(reader, record,
                              {options_.delimiter,
                               [this](std::string_view name) {
                                   std::string rest;
                                   sideOf(name, rest);
                                   return names_.find(rest).has_value() ||
                                          rest == ambiguousUnderlying;
                               },
                               expected},
                              shape_, outcome)) {
            return false;
        }
        if (!options_.delimiter && !options_.localeGiven) {
            outcome.headerRefused =
                separatorClash(reader.delimiter(), options_.settings.decimalSeparator);
            if (outcome.headerRefused) {
                return false;
            }
        }
        outcome.headerRefused = mapColumns(record);
        return !outcome.headerRefused;
    }

    std::unique_ptr<RowMaker> rowMaker() const override {
        return std::make_unique<ChainRows>(shape_.columns, at_, putSide_, options_);
    }

    // Whether the rows give their own share price.
    bool pricesItsShares() const {
        return at_[static_cast<std::size_t>(ChainColumn::underlyingPrice)] != absent;
    }

private:
    static constexpr std::size_t absent = static_cast<std::size_t>(-1);

    std::optional<std::string> mapColumns(const CsvRecord& header) {
        at_.fill(absent);
        putSide_.clear();
        for (std::size_t i = 0; i < header.size(); ++i) {
            std::string rest;
            const Side side = sideOf(header.field(i), rest);
            if (side == Side::put) {
                putSide_.push_back(i);
                continue;
            }
            const std::vector<ChainColumn> matches = names_.findAll(rest);
            if (matches.empty()) {
                if (rest == ambiguousUnderlying) {
                    return underlyingRefusal(header.field(i));
                }
                continue;
            }
            if (auto twice = ambiguousColumn(header.field(i), matches,
                                             [](ChainColumn c) { return columnInfo(c).key; })) {
                return twice;
            }
            std::size_t& at = at_[static_cast<std::size_t>(matches.front())];
            // Calls and puts side by side: the call's columns stand before the strike, and the
            // same captions after it are the put's.
            const std::size_t strike = at_[static_cast<std::size_t>(ChainColumn::strike)];
            if (at != absent && side == Side::unnamed && strike != absent && at < strike) {
                putSide_.push_back(i);
                continue;
            }
            if (at != absent) {
                return "the header names the column " +
                       std::string{columnInfo(matches.front()).key} + " twice";
            }
            at = i;
        }
        return missingColumns();
    }

    // The refusal of a header without a column the screen needs.
    std::optional<std::string> missingColumns() const {
        std::string missing;
        for (const ChainColumnInfo& info : chainColumns) {
            const bool needed =
                info.required ||
                (info.column == ChainColumn::last && options_.price == PriceChoice::last) ||
                (info.column == ChainColumn::iv && options_.volatilityFromChain);
            if (needed && at_[static_cast<std::size_t>(info.column)] == absent) {
                missing.append(missing.empty() ? "" : ", ").append(info.key);
            }
        }
        if (missing.empty()) {
            return std::nullopt;
        }
        return "the header lacks the column" +
               std::string{missing.find(',') == std::string::npos ? " " : "s "} + missing;
    }

    const ScreenOptions& options_;
    const HeaderNames<ChainColumn> names_;
    std::array<std::size_t, chainColumns.size()> at_{};
    // The put's columns of a chain laid out side by side.
    std::vector<std::size_t> putSide_;
    HeaderShape shape_;
};

// ---- Ranking ----

struct Candidate {
    std::optional<double> key;
    std::uint64_t order = 0; // the call's place in the chain
    CallData data;
};

// Highest first, a call lacking the figure after every call that has it, ties in chain order.
bool better(const Candidate& a, const Candidate& b) {
    if (a.key.has_value() != b.key.has_value()) {
        return a.key.has_value();
    }
    if (a.key && *a.key != *b.key) {
        return *a.key > *b.key;
    }
    return a.order < b.order;
}

// The best `limit` calls of a group, the worst of them on top to be pushed out.
class BestCalls {
public:
    explicit BestCalls(std::size_t limit)
        : limit_{limit} {}

    // Whether `candidate` would be kept: there is room, or it beats the worst kept.
    bool admits(const Candidate& candidate) const {
        return heap_.size() < limit_ || better(candidate, heap_.front());
    }

    void offer(Candidate&& candidate) {
        if (heap_.size() == limit_) {
            if (!better(candidate, heap_.front())) {
                return;
            }
            std::pop_heap(heap_.begin(), heap_.end(), better);
            heap_.pop_back();
        }
        heap_.push_back(std::move(candidate));
        std::push_heap(heap_.begin(), heap_.end(), better);
    }

    std::vector<Candidate> ranked() && {
        std::sort(heap_.begin(), heap_.end(), better);
        return std::move(heap_);
    }

private:
    std::size_t limit_;
    std::vector<Candidate> heap_;
};

// Takes the rows' records in chain order, as the batch writes them, and keeps the best.
class Ranking final : public std::streambuf {
public:
    using RefusalSink = std::function<void(std::string)>;

    Ranking(const ScreenOptions& options, ScreenCounts& counts, RefusalSink refused)
        : options_{options}
        , counts_{counts}
        , refused_{std::move(refused)} {}

    // The groups in the order they are shown, each ranked.
    std::vector<std::vector<Candidate>> ranked() && {
        std::vector<std::pair<std::pair<std::size_t, std::int64_t>, BestCalls*>> order;
        for (auto& [key, best] : groups_) {
            order.emplace_back(key, &best);
        }
        std::sort(order.begin(), order.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<std::vector<Candidate>> out;
        out.reserve(order.size());
        for (auto& [key, best] : order) {
            out.push_back(std::move(*best).ranked());
        }
        return out;
    }

    // The symbols of the chain, when --current-price stands for one share's price.
    std::size_t symbols() const { return symbolOrder_.size(); }

protected:
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        pending_.append(s, static_cast<std::size_t>(n));
        take();
        return n;
    }

    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            pending_.push_back(traits_type::to_char_type(c));
            take();
        }
        return traits_type::not_eof(c);
    }

private:
    // A length-prefixed field at `at`, moving `at` past it; nothing when it is not all there.
    static std::optional<std::string_view> fieldAt(std::string_view text, std::size_t& at) {
        const std::size_t colon = text.find(':', at);
        if (colon == std::string_view::npos) {
            return std::nullopt;
        }
        std::size_t length = 0;
        for (std::size_t i = at; i < colon; ++i) {
            length = length * 10 + static_cast<std::size_t>(text[i] - '0');
        }
        if (colon + 1 + length > text.size()) {
            return std::nullopt;
        }
        at = colon + 1 + length;
        return text.substr(colon + 1, length);
    }

    void take() {
        std::size_t at = 0;
        const std::string_view text{pending_};
        while (at < text.size()) {
            std::size_t next = at + 1;
            const auto mark = static_cast<RowMark>(text[at]);
            if (mark == RowMark::putBeside) {
                ++counts_.puts;
                at = next;
                continue;
            }
            if (mark == RowMark::put || mark == RowMark::expired) {
                ++(mark == RowMark::put ? counts_.puts : counts_.expired);
            } else if (mark == RowMark::refused) {
                const auto reason = fieldAt(text, next);
                if (!reason) {
                    break;
                }
                ++counts_.refused;
                refused_("row " + std::to_string(rows_ + 1) + ": " + std::string{*reason});
            } else if (!takeCall(text, next)) {
                break;
            }
            ++rows_;
            at = next;
        }
        pending_.erase(0, at);
    }

    bool takeCall(std::string_view text, std::size_t& next) {
        if (next >= text.size()) {
            return false;
        }
        const bool kept = text[next++] == '1';
        const auto key = fieldAt(text, next);
        if (!key) {
            return false;
        }
        const auto symbolText = fieldAt(text, next);
        const auto numbers = symbolText ? fieldAt(text, next) : std::nullopt;
        if (!numbers) {
            return false;
        }
        ++counts_.calls;
        const std::size_t symbol = symbolIndex(*symbolText);
        if (!kept) {
            return true;
        }
        ++counts_.kept;
        Candidate candidate;
        if (key->size() == sizeof(double)) {
            double value = 0.0;
            std::memcpy(&value, key->data(), sizeof value);
            candidate.key = value;
        }
        candidate.order = counts_.calls;
        unpack(*numbers, candidate.data);
        std::pair<std::size_t, std::int64_t> group{0, 0};
        if (options_.topPer != TopPer::chain) {
            group.first = symbol;
        }
        if (options_.topPer == TopPer::expiry) {
            group.second = dayNumber(candidate.data.expiry);
        }
        auto found = groups_.find(group);
        if (found == groups_.end()) {
            found = groups_.emplace(group, BestCalls{options_.top}).first;
        }
        // Most calls of a long chain are worse than the best kept so far: their symbols are
        // never copied.
        if (!found->second.admits(candidate)) {
            return true;
        }
        candidate.data.symbol.assign(*symbolText);
        found->second.offer(std::move(candidate));
        return true;
    }

    std::size_t symbolIndex(std::string_view symbol) {
        if (symbol == lastSymbol_) {
            return lastIndex_; // a chain lists a symbol's calls together
        }
        const auto found = symbolOrder_.find(symbol);
        lastIndex_ =
            found != symbolOrder_.end()
                ? found->second
                : symbolOrder_.emplace(std::string{symbol}, symbolOrder_.size()).first->second;
        lastSymbol_.assign(symbol);
        return lastIndex_;
    }

    const ScreenOptions& options_;
    ScreenCounts& counts_;
    RefusalSink refused_;
    std::string pending_;
    std::uint64_t rows_ = 0;
    std::map<std::string, std::size_t, std::less<>> symbolOrder_;
    std::string lastSymbol_;
    std::size_t lastIndex_ = 0;
    std::map<std::pair<std::size_t, std::int64_t>, BestCalls> groups_;
};

// ---- Writing the shown calls ----

// The short table's columns after symbol, expiry, strike and price.
constexpr std::array tableFigures{AnalysisFigure::days, AnalysisFigure::staticReturnAnnualised,
                                  AnalysisFigure::ifCalledReturnAnnualised,
                                  AnalysisFigure::downsideProtection, AnalysisFigure::probAssigned};

constexpr std::array<std::string_view, 9> tableCaptions{"Symbol",    "Expiry",     "Strike",
                                                        "Price",     "Days",       "Static/yr",
                                                        "Called/yr", "Protection", "P(assigned)"};

// A strike or price: plainly, or as the settings write money.
std::string moneyText(double x, const ScreenOptions& options) {
    const auto amount = Currency::fromDouble(x);
    return options.plain || !amount ? plainNumber(x) : currencyText(*amount, options.settings);
}

std::vector<std::string> shownRow(const Candidate& call, const Analysis& analysis,
                                  const ScreenOptions& options,
                                  const std::vector<AnalysisFigure>& figures) {
    AnalysisRowOptions row;
    row.settings = options.settings;
    row.plain = options.plain;
    row.plainForm = options.plainForm;
    std::vector<std::string> cells{call.data.symbol, calendarDateText(call.data.expiry),
                                   moneyText(call.data.strike, options),
                                   moneyText(call.data.price, options)};
    for (const AnalysisFigure figure : figures) {
        cells.push_back(figureValue(analysis, figure, row).value_or(""));
    }
    return cells;
}

// The columns a text takes: its characters, not its bytes, so "€" and a symbol's accents take
// one each.
std::size_t columnsOf(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0U) != 0x80U;
    }));
}

void writeTable(std::ostream& out, const std::vector<std::vector<std::string>>& rows) {
    std::array<std::size_t, tableCaptions.size()> width{};
    for (std::size_t i = 0; i < width.size(); ++i) {
        width[i] = tableCaptions[i].size();
        for (const auto& row : rows) {
            width[i] = std::max(width[i], columnsOf(row[i]));
        }
    }
    std::string text;
    const auto line = [&](const auto& cells) {
        for (std::size_t i = 0; i < width.size(); ++i) {
            const std::string_view cell{cells[i]};
            // Words to the left, figures to the right.
            const std::size_t pad = width[i] - columnsOf(cell);
            if (i < 2) {
                text.append(cell).append(pad, ' ');
            } else {
                text.append(pad, ' ').append(cell);
            }
            text.append(i + 1 < width.size() ? "  " : "\n");
        }
    };
    line(tableCaptions);
    for (const auto& row : rows) {
        line(row);
    }
    out << text;
}

// One call as a JSON object of the members --csv writes, numbers as JSON numbers with --plain.
void appendJsonLine(std::string& text, const std::vector<std::string>& cells,
                    const std::vector<AnalysisFigure>& figures, bool plain) {
    text.push_back('{');
    const auto member = [&](std::string_view key, const std::string& value, bool number) {
        text.append(text.back() == '{' ? "" : ", ");
        appendJsonString(text, key);
        text.append(": ");
        if (number && plain) {
            text.append(value.empty() ? std::string{"null"} : value);
        } else {
            appendJsonString(text, value);
        }
    };
    member("symbol", cells[0], false);
    member("expiry", cells[1], false);
    member("strike", cells[2], true);
    member("price", cells[3], true);
    for (std::size_t i = 0; i < figures.size(); ++i) {
        member(figureInfo(figures[i]).key, cells[4 + i],
               figureInfo(figures[i]).kind != FigureKind::text);
    }
    text.append(", \"rank\": ").append(cells.back()).append("}\n");
}

void appendCsvLine(std::string& text, const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
        appendCsvField(text, cells[i]);
        text.push_back(i + 1 < cells.size() ? ',' : '\n');
    }
}

// The figures each shown call is written with: all of them for machines, a few for the table.
std::vector<AnalysisFigure> shownFigures(const ScreenOptions& options) {
    if (!options.csv && !options.json) {
        return {tableFigures.begin(), tableFigures.end()};
    }
    std::vector<AnalysisFigure> figures;
    figures.reserve(analysisFigures.size());
    for (const AnalysisFigureInfo& info : analysisFigures) {
        figures.push_back(info.figure);
    }
    return figures;
}

void writeShown(std::ostream& out, std::vector<std::vector<Candidate>>&& groups,
                const ScreenOptions& options, ScreenCounts& counts) {
    const std::vector<AnalysisFigure> figures = shownFigures(options);
    const bool table = !options.csv && !options.json;
    std::vector<std::vector<std::string>> rows;
    std::string text;
    if (options.csv && !options.json) {
        text = "symbol,expiry,strike,price";
        for (const AnalysisFigure figure : figures) {
            text.append(",").append(figureInfo(figure).key);
        }
        text.append(",rank\n");
    }
    for (auto& group : groups) {
        std::size_t rank = 0;
        for (const Candidate& call : group) {
            ++rank;
            ++counts.shown;
            // Read once already: it is refused now only if the core changed its mind.
            const std::optional<Analysis> analysis = analyseCall(call.data, options);
            if (!analysis) {
                continue;
            }
            std::vector<std::string> cells = shownRow(call, *analysis, options, figures);
            cells.push_back(std::to_string(rank));
            if (options.json) {
                appendJsonLine(text, cells, figures, options.plain);
            } else if (options.csv) {
                appendCsvLine(text, cells);
            } else {
                cells.pop_back();
                rows.push_back(std::move(cells));
            }
        }
    }
    if (table) {
        writeTable(out, rows);
        return;
    }
    out << text;
}

std::string grouped(std::uint64_t n) {
    std::string digits = std::to_string(n);
    for (std::size_t at = digits.size(); at > 3; at -= 3) {
        digits.insert(at - 3, ",");
    }
    return digits;
}

} // namespace

HeaderNames<ChainColumn>
chainColumnNames(const std::vector<std::pair<std::string, std::string>>& mappings) {
    HeaderNames<ChainColumn> names;
    for (const ChainColumnInfo& info : chainColumns) {
        names.add(info.key, info.column);
        for (const ChainCaption& caption : chainCaptions) {
            if (caption.column == info.column) {
                names.add(caption.caption, info.column);
            }
        }
        for (const auto& [key, header] : mappings) {
            if (comparableColumnName(key) == info.key) {
                names.add(header, info.column);
            }
        }
    }
    return names;
}

std::string screenSummary(const ScreenCounts& counts) {
    return grouped(counts.calls) + " calls read, " + grouped(counts.puts) + " puts skipped, " +
           grouped(counts.expired) + " expired, " + grouped(counts.refused) + " refused, " +
           grouped(counts.kept) + " kept by the filters, " + grouped(counts.shown) + " shown";
}

namespace {

// Reads the chain and ranks its calls; the groups in the order shown, or nothing with the
// reason in `outcome`.
std::optional<std::vector<std::vector<Candidate>>>
rankChain(std::istream& input, const ScreenOptions& options, ScreenCounts& counts,
          const Ranking::RefusalSink& refused, BatchOutcome& outcome) {
    ChainWork work{options};
    Ranking ranking{options, counts, refused};
    std::ostream rows{&ranking};
    CsvBatchOptions batch;
    batch.jobs = options.jobs;
    outcome = runCsvRows(input, rows, work, batch);
    if (outcome.malformed || outcome.headerRefused) {
        return std::nullopt;
    }
    if (options.currentPrice && ranking.symbols() > 1 && options.quotes.empty() &&
        !work.pricesItsShares()) {
        outcome.headerRefused = "--current-price is the price of one share, and the chain holds " +
                                std::to_string(ranking.symbols()) +
                                " symbols: give --quotes, or an underlying_price column";
        return std::nullopt;
    }
    return std::move(ranking).ranked();
}

// The chain as it is read, told how far it got and stopped when asked.
class WatchedInput final : public std::streambuf {
public:
    WatchedInput(std::istream& source, const ScreenProgress& progress)
        : source_{source}
        , progress_{progress} {}

    bool cancelled() const { return cancelled_; }

protected:
    int_type underflow() override {
        if (progress_.cancel != nullptr && progress_.cancel->load()) {
            cancelled_ = true;
            return traits_type::eof();
        }
        source_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
        const std::streamsize got = source_.gcount();
        if (got <= 0) {
            return traits_type::eof();
        }
        read_ += static_cast<std::uint64_t>(got);
        if (progress_.read) {
            progress_.read(read_);
        }
        setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
        return traits_type::to_int_type(buffer_.front());
    }

private:
    std::istream& source_;
    const ScreenProgress& progress_;
    std::array<char, std::size_t{64} * 1024> buffer_{};
    std::uint64_t read_ = 0;
    bool cancelled_ = false;
};

} // namespace

BatchOutcome runChainScreen(std::istream& input, std::ostream& output, std::ostream& err,
                            const ScreenOptions& options, ScreenCounts& counts) {
    BatchOutcome outcome;
    auto groups = rankChain(
        input, options, counts, [&err](const std::string& reason) { printError(err, reason); },
        outcome);
    if (!groups) {
        return outcome;
    }
    writeShown(output, std::move(*groups), options, counts);
    if (!output) {
        outcome.writeFailed = true;
    }
    return outcome;
}

ScreenResult screenChain(std::istream& input, const ScreenOptions& options,
                         const ScreenProgress& progress) {
    ScreenResult result;
    WatchedInput watched{input, progress};
    std::istream chain{&watched};
    BatchOutcome outcome;
    constexpr std::size_t refusalsKept = 1000;
    auto groups = rankChain(
        chain, options, result.counts,
        [&result](std::string reason) {
            if (result.refusals.size() < refusalsKept) {
                result.refusals.push_back(std::move(reason));
            }
        },
        outcome);
    result.cancelled = watched.cancelled();
    if (outcome.malformed) {
        result.error =
            "line " + std::to_string(outcome.malformed->line) + ": " + outcome.malformed->message;
    } else if (outcome.headerRefused) {
        result.error = *outcome.headerRefused;
    }
    if (!groups || result.cancelled) {
        return result;
    }
    for (std::vector<Candidate>& group : *groups) {
        std::size_t rank = 0;
        for (Candidate& call : group) {
            result.calls.push_back({call.data.symbol, calendarDateText(call.data.expiry),
                                    inputsOf(call.data, options), ++rank});
        }
    }
    result.counts.shown = result.calls.size();
    return result;
}

ScreenResult screenChainFile(const std::string& path, const ScreenOptions& options,
                             const ScreenProgress& progress) {
    std::ifstream file{path, std::ios::binary};
    if (!file) {
        ScreenResult result;
        result.error = "cannot read " + quotedPath(path);
        return result;
    }
    DecodedInput input{file, {}};
    if (auto refused = input.start()) {
        ScreenResult result;
        result.error = *refused;
        return result;
    }
    return screenChain(input.stream(), options, progress);
}

} // namespace veltrane
