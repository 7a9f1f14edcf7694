#pragma once

#include "calc/analysis.h"
#include "calc/plain_numbers.h"
#include "calc/regional_settings.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace veltrane {

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
    // Header columns named for the chain's keys (--column KEY=HEADER): key, then header.
    std::vector<std::pair<std::string, std::string>> columns;
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

// One call shown: what it is analysed from (plain texts, read with plainSettings(4)), and its
// rank in its group.
struct ScreenedCall {
    std::string symbol;
    std::string expiry; // YYYY-MM-DD
    AnalysisInputs inputs;
    std::size_t rank = 0;
};

struct ScreenResult {
    std::vector<ScreenedCall> calls; // in the order shown
    ScreenCounts counts;
    // Why the chain could not be screened (the header, the file); empty when it was.
    std::string error;
    // Each refused row's reason, the first thousand.
    std::vector<std::string> refusals;
    bool cancelled = false;
};

// How a long screen reports and stops: `cancel` is read between blocks of the chain.
struct ScreenProgress {
    std::function<void(std::uint64_t bytesRead)> read;
    const std::atomic<bool>* cancel = nullptr;
};

} // namespace veltrane
