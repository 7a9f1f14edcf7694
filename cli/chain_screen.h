#pragma once

#include "calc/analysis.h"
#include "calc/plain_numbers.h"
#include "calc/regional_settings.h"
#include "cli/batch_outcome.h"
#include "cli/column_names.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace veltrane {

// The columns of an option chain, as brokers export one.
enum class ChainColumn {
    symbol,
    expiry,
    strike,
    bid,
    ask,
    last,
    type,
    volume,
    openInterest,
    iv,
    underlyingPrice,
};

struct ChainColumnInfo {
    ChainColumn column;
    std::string_view key;
    bool required;
};

inline constexpr std::array<ChainColumnInfo, 11> chainColumns{{
    {ChainColumn::symbol, "symbol", false},
    {ChainColumn::expiry, "expiry", true},
    {ChainColumn::strike, "strike", true},
    {ChainColumn::bid, "bid", true},
    {ChainColumn::ask, "ask", true},
    {ChainColumn::last, "last", false},
    {ChainColumn::type, "type", false},
    {ChainColumn::volume, "volume", false},
    {ChainColumn::openInterest, "open_interest", false},
    {ChainColumn::iv, "iv", false},
    {ChainColumn::underlyingPrice, "underlying_price", false},
}};

// The names a chain's columns go by: their keys, brokers' captions and `mappings` (--column).
HeaderNames<ChainColumn> chainColumnNames(const std::vector<ColumnMapping>& mappings);

// The option price a call is sold at.
enum class PriceChoice { bid, mid, last };

// How the best calls are counted: over the whole chain, per symbol, or per symbol and expiry.
enum class TopPer { chain, symbol, expiry };

// What a share price, dividend and ex-dividend date of a symbol are, from --quotes.
struct Quote {
    double price = 0.0;
    double dividend = 0.0;
    std::optional<std::chrono::year_month_day> exDividend;
};

// Each limit is inclusive and compared with the figure's value, not its text. Percentages are
// fractions here (0.05 for 5 %).
struct ScreenFilters {
    std::optional<double> minDays;
    std::optional<double> maxDays;
    std::vector<std::pair<AnalysisFigure, double>> minReturns;
    std::optional<double> minProtection;
    std::optional<double> maxProbAssigned;
    std::optional<double> minProbProfit;
    bool otmOnly = false;
    bool itmOnly = false;
    std::optional<double> minOpenInterest;
    std::optional<double> minVolume;
    std::optional<double> maxSpread;
};

struct ScreenOptions {
    RegionalSettings settings;
    bool localeGiven = false;
    std::optional<char> delimiter;
    std::vector<ColumnMapping> columns;
    unsigned jobs = 1;
    std::chrono::year_month_day asOf{};
    double contracts = 1.0;
    double feePerContract = 0.0;
    double feePerTrade = 0.0;
    double rate = 0.0; // percent, as --rate takes it
    bool rateGiven = false;
    ReturnBase returnBase = ReturnBase::stockCost;
    PriceChoice price = PriceChoice::bid;
    bool volatilityFromChain = false;
    bool ivAsFraction = false;
    std::optional<double> currentPrice;
    std::map<std::string, Quote, std::less<>> quotes;
    ScreenFilters filters;
    AnalysisFigure rankBy = AnalysisFigure::staticReturnAnnualised;
    std::size_t top = 20;
    TopPer topPer = TopPer::chain;
    // The output: a text table, CSV or JSON Lines; plain figures for machines.
    bool csv = false;
    bool json = false;
    bool plain = false;
    PlainForm plainForm;
};

// What the screen counted: every data row is one of a call read, a put skipped, an expired call
// or a refused row.
struct ScreenCounts {
    std::uint64_t calls = 0;
    std::uint64_t puts = 0;
    std::uint64_t expired = 0;
    std::uint64_t refused = 0;
    std::uint64_t kept = 0;
    std::uint64_t shown = 0;
};

// "1,234 calls read, 56 puts skipped, 3 expired, 2 refused, 800 kept by the filters, 20 shown"
std::string screenSummary(const ScreenCounts& counts);

// Screens the chain on `input`: every call analysed, filtered and ranked, the best written to
// `output` once the chain is read. Refused rows are named on `err`. Memory grows with the calls
// shown, not with the chain.
BatchOutcome runChainScreen(std::istream& input, std::ostream& output, std::ostream& err,
                            const ScreenOptions& options, ScreenCounts& counts);

} // namespace veltrane
