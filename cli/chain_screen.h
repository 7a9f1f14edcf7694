#pragma once

#include "calc/analysis.h"
#include "calc/screen_options.h"
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
HeaderNames<ChainColumn>
chainColumnNames(const std::vector<std::pair<std::string, std::string>>& mappings);

// "1,234 calls read, 56 puts skipped, 3 expired, 2 refused, 800 kept by the filters, 20 shown"
std::string screenSummary(const ScreenCounts& counts);

// Screens the chain on `input`: every call analysed, filtered and ranked, the best written to
// `output` once the chain is read. Refused rows are named on `err`. Memory grows with the calls
// shown, not with the chain.
BatchOutcome runChainScreen(std::istream& input, std::ostream& output, std::ostream& err,
                            const ScreenOptions& options, ScreenCounts& counts);

// The same screen for a window: the calls shown, ranked, instead of their texts. `cancel` ends
// the reading early (the result is then of no use); `progress` is told the bytes read so far.
ScreenResult screenChain(std::istream& input, const ScreenOptions& options,
                         const ScreenProgress& progress = {});

// The quotes file (--quotes) read into `options.quotes`: symbol, price, and optionally dividend
// and ex_dividend, numbers and dates as `options.settings` writes them. Nothing, or the reason
// the file cannot be read.
std::optional<std::string> readQuotes(const std::string& path, ScreenOptions& options);

// A file screened as `pravik screen` reads it: its encoding told by its byte order mark.
ScreenResult screenChainFile(const std::string& path, const ScreenOptions& options,
                             const ScreenProgress& progress = {});

} // namespace veltrane
