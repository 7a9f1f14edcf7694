#pragma once

#include "calc/call_model.h"
#include "calc/currency.h"
#include "calc/regional_settings.h"

#include <array>
#include <bitset>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace veltrane {

// ---- Inputs ---------------------------------------------------------------------------------

enum class AnalysisInput {
    optionPrice,
    strikePrice,
    currentPrice,
    shares,
    contracts,
    expiry,
    asOf,
    days,
    months,
    fees,
    dividend,
    volatility,
    rate,
    exDividend,
    costBasis,
};

// What kind of text an input is: how it is read, and what its value stands for.
enum class InputKind { price, count, date, months, money, percent };

struct AnalysisInputInfo {
    AnalysisInput input;
    // The key the command line and CSV make their spellings from (cli/field_spellings.h).
    std::string_view key;
    // How a message names the input to someone reading it: "Option price".
    std::string_view caption;
    InputKind kind;
};

inline constexpr std::array<AnalysisInputInfo, 15> analysisInputs{{
    {AnalysisInput::optionPrice, "option_price", "Option price", InputKind::price},
    {AnalysisInput::strikePrice, "strike_price", "Strike price", InputKind::price},
    {AnalysisInput::currentPrice, "current_price", "Current share price", InputKind::price},
    {AnalysisInput::shares, "shares", "Shares", InputKind::count},
    {AnalysisInput::contracts, "contracts", "Contracts", InputKind::count},
    {AnalysisInput::expiry, "expiry", "Expiry date", InputKind::date},
    {AnalysisInput::asOf, "as_of", "As-of date", InputKind::date},
    {AnalysisInput::days, "days", "Days to expiry", InputKind::count},
    {AnalysisInput::months, "months", "Months to expiry", InputKind::months},
    {AnalysisInput::fees, "fees", "Fees", InputKind::money},
    {AnalysisInput::dividend, "dividend", "Dividend per share", InputKind::price},
    {AnalysisInput::volatility, "volatility", "Volatility", InputKind::percent},
    {AnalysisInput::rate, "rate", "Interest rate", InputKind::percent},
    {AnalysisInput::exDividend, "ex_dividend", "Ex-dividend date", InputKind::date},
    {AnalysisInput::costBasis, "cost_basis", "Cost basis per share", InputKind::price},
}};

// What the returns are over: the stock cost, or what the buy-write costs after the premium.
enum class ReturnBase { stockCost, netDebit };

constexpr const AnalysisInputInfo& inputInfo(AnalysisInput input) {
    return analysisInputs[static_cast<std::size_t>(input)];
}

// How a message names an input: nothing for its caption ("Option price", "option price" mid-
// sentence), or the caller's spelling of it ("--option-price").
using InputNamer = std::string (*)(AnalysisInput input);

// The inputs as the user wrote them. An input not given is nullopt; one given as an empty text
// is given, and refused as not a number (or not a date, not a month).
struct AnalysisInputs {
    std::optional<std::string> optionPrice;
    std::optional<std::string> strikePrice;
    std::optional<std::string> currentPrice;
    // Exactly one of shares and contracts (100 shares each).
    std::optional<std::string> shares;
    std::optional<std::string> contracts;
    // Exactly one of expiry (YYYY-MM-DD or the settings' date form, calendar_date.h's readDate),
    // days and months ("1" to "12").
    std::optional<std::string> expiry;
    // The date the days to expiry are counted from; `today` when not given.
    std::optional<std::string> asOf;
    std::optional<std::string> days;
    std::optional<std::string> months;
    // 0 when not given.
    std::optional<std::string> fees;
    std::optional<std::string> dividend;
    // Percent a year; nothing: the volatility implied by the option price.
    std::optional<std::string> volatility;
    // Percent a year, continuously compounded; 0 when not given.
    std::optional<std::string> rate;
    // The dividend's ex-dividend date: after the as-of date, on or before the expiry.
    std::optional<std::string> exDividend;
    // What was paid per share for shares already held.
    std::optional<std::string> costBasis;
    ReturnBase returnBase = ReturnBase::stockCost;
    // The caller's local date, read once: the analysis never reads the clock itself. Needed
    // only for an expiry date without an as-of date.
    std::chrono::year_month_day today{};
};

std::optional<std::string>& inputText(AnalysisInputs& inputs, AnalysisInput input);
const std::optional<std::string>& inputText(const AnalysisInputs& inputs, AnalysisInput input);

// ---- Refusals -------------------------------------------------------------------------------

enum class RefusalReason {
    missing,                 // a required input not given
    notANumber,              // not a number in the regional settings
    tooLarge,                // beyond the largest number a double holds
    negative,                // below 0 (option price, fees, dividend)
    notPositive,             // 0 or below (strike, current price)
    notWholeOneOrMore,       // shares, contracts, days
    notAMonth,               // months not one of "1" to "12"
    unknownDateForm,         // a date neither YYYY-MM-DD nor in the settings' own form
    notARealDate,            // 2027-02-30
    notAfterAsOf,            // an expiry on or before the as-of date
    noTimeToExpiry,          // none of expiry, days, months
    moreThanOneTimeToExpiry, // two or three of them
    sharesAndContracts,      // both given
    noSharesOrContracts,     // neither given
    volatilityOutOfRange,    // 0 or less, or above 1000 %
    rateOutOfRange,          // below -20 % or above 100 %
    exDividendNotAfterAsOf,  // an ex-dividend date on or before the as-of date
    exDividendAfterExpiry,   // an ex-dividend date after the expiry
    exDividendWithMonths,    // an ex-dividend date with months to expiry
};

struct Refusal {
    AnalysisInput input;
    std::string text; // as written; empty for an input not given
    RefusalReason reason;
    // The input it clashes with (moreThanOneTimeToExpiry, sharesAndContracts).
    std::optional<AnalysisInput> other;
    // The date it must come after or before, as YYYY-MM-DD (notAfterAsOf, exDividendNotAfterAsOf,
    // exDividendAfterExpiry).
    std::string asOfText;
    // The date forms the settings read, shown by example (unknownDateForm, notARealDate).
    std::string acceptedDates{};
};

// One sentence naming the input and quoting its text:
// `Strike price "0" must be more than 0.`
std::string refusalMessage(const Refusal& refusal, InputNamer naming = nullptr);

// ---- Figures --------------------------------------------------------------------------------

enum class AnalysisFigure {
    premium,
    dividends,
    fees,
    cost,
    assigned,
    maxProfit,
    staticProfit,
    maxLoss,
    breakeven,
    staticReturn,
    ifCalledReturn,
    downsideProtection,
    upsideToStrike,
    staticReturnAnnualised,
    ifCalledReturnAnnualised,
    staticReturnCompound,
    ifCalledReturnCompound,
    days,
    intrinsicValue,
    timeValue,
    timeValueReturn,
    impliedVolatility,
    volatility,
    probAssigned,
    probProfit,
    callDelta,
    positionDelta,
    timeDecayPerDay,
    oddsNote,
    earlyAssignment,
    earlyAssignmentProfit,
    earlyAssignmentReturn,
    earlyAssignmentReturnAnnualised,
    basisCost,
    basisProfitIfCalled,
    basisReturnIfCalled,
    basisBreakeven,
    basisLossIfCalled,
};

// money: an amount of the position; price: per share; ratio: a fraction shown as a percentage;
// delta: a number with three decimals; text: words.
enum class FigureKind { money, price, ratio, days, delta, text };

// The groups a reader scans the figures in.
enum class FigureGroup { trade, odds, earlyAssignment, basis };

struct AnalysisFigureInfo {
    AnalysisFigure figure;
    std::string_view key; // "static_return": JSON keys, CSV columns
    std::string_view caption;
    FigureKind kind;
    std::string_view definition; // one sentence, fit for a tooltip
    FigureGroup group = FigureGroup::trade;
};

inline constexpr std::array<AnalysisFigureInfo, 38> analysisFigures{{
    {AnalysisFigure::premium, "premium", "Premium received", FigureKind::money,
     "The option price times the shares: what selling the calls brings in."},
    {AnalysisFigure::dividends, "dividends", "Dividends", FigureKind::money,
     "The dividend per share times the shares, paid before expiry."},
    {AnalysisFigure::fees, "total_fees", "Fees", FigureKind::money,
     "All commissions and fees of the position."},
    {AnalysisFigure::cost, "cost", "Stock cost", FigureKind::money,
     "The current share price times the shares."},
    {AnalysisFigure::assigned, "assigned", "Proceeds if assigned", FigureKind::money,
     "The strike price times the shares: what the shares bring if called away."},
    {AnalysisFigure::maxProfit, "max_profit", "Maximum profit", FigureKind::money,
     "The result at expiry at any price at or above the strike, premium and dividends in, "
     "fees out."},
    {AnalysisFigure::staticProfit, "static_profit", "Profit if the price is unchanged",
     FigureKind::money, "The result at expiry if the share price is still where it is now."},
    {AnalysisFigure::maxLoss, "max_loss", "Maximum loss", FigureKind::money,
     "The loss at expiry if the share price falls to 0."},
    {AnalysisFigure::breakeven, "breakeven", "Breakeven price", FigureKind::price,
     "The share price at expiry below which the position loses money; none when no price "
     "breaks even."},
    {AnalysisFigure::staticReturn, "static_return", "Static return (price unchanged)",
     FigureKind::ratio,
     "The profit if the price is unchanged, as a share of the return base (the stock cost, "
     "or the net debit)."},
    {AnalysisFigure::ifCalledReturn, "if_called_return", "Return if called", FigureKind::ratio,
     "The maximum profit, reached if the shares are called away, as a share of the return "
     "base."},
    {AnalysisFigure::downsideProtection, "downside_protection", "Downside protection",
     FigureKind::ratio,
     "How far the share price can fall before the position loses money: premium and "
     "dividends less fees, as a share of the stock cost."},
    {AnalysisFigure::upsideToStrike, "upside_to_strike", "Upside to strike", FigureKind::ratio,
     "How far the share price can rise before the shares are called away."},
    {AnalysisFigure::staticReturnAnnualised, "static_return_annualised",
     "Static return per year (simple)", FigureKind::ratio,
     "The static return scaled to a year without compounding."},
    {AnalysisFigure::ifCalledReturnAnnualised, "if_called_return_annualised",
     "Return if called per year (simple)", FigureKind::ratio,
     "The return if called scaled to a year without compounding."},
    {AnalysisFigure::staticReturnCompound, "static_return_compound",
     "Static return per year (compounded)", FigureKind::ratio,
     "The static return earned again and again for a year."},
    {AnalysisFigure::ifCalledReturnCompound, "if_called_return_compound",
     "Return if called per year (compounded)", FigureKind::ratio,
     "The return if called earned again and again for a year."},
    {AnalysisFigure::days, "days_to_expiry", "Days to expiry", FigureKind::days,
     "Calendar days from the as-of date to expiry; none when months were given."},
    {AnalysisFigure::intrinsicValue, "intrinsic_value", "Intrinsic value per share",
     FigureKind::price,
     "What the call is worth if exercised now: the share price above the strike, or 0."},
    {AnalysisFigure::timeValue, "time_value", "Time value per share", FigureKind::price,
     "The option price less its intrinsic value: what the buyer pays for time, and what the "
     "seller keeps if nothing moves."},
    {AnalysisFigure::timeValueReturn, "time_value_return", "Time value return", FigureKind::ratio,
     "The time value times the shares, as a share of the return base."},
    {AnalysisFigure::impliedVolatility, "implied_volatility", "Implied volatility",
     FigureKind::ratio,
     "The volatility a year at which the Black-Scholes-Merton value of the call equals the "
     "option price (time in days / 365, the rate continuously compounded, a dividend's present "
     "value taken out of the share price).",
     FigureGroup::odds},
    {AnalysisFigure::volatility, "volatility_used", "Volatility used", FigureKind::ratio,
     "The volatility a year the odds are worked out with: the one typed, else the implied one.",
     FigureGroup::odds},
    {AnalysisFigure::probAssigned, "prob_assigned", "Chance of assignment", FigureKind::ratio,
     "The model's probability that the share price ends above the strike, so the shares are "
     "called away: N(d2).",
     FigureGroup::odds},
    {AnalysisFigure::probProfit, "prob_profit", "Chance of profit", FigureKind::ratio,
     "The model's probability that the share price ends above the breakeven.", FigureGroup::odds},
    {AnalysisFigure::callDelta, "call_delta", "Call delta", FigureKind::delta,
     "How much the call's value moves for a one-unit move of the share price: N(d1).",
     FigureGroup::odds},
    {AnalysisFigure::positionDelta, "position_delta", "Position delta (shares)", FigureKind::delta,
     "How many shares the position behaves like: the shares times (1 - call delta).",
     FigureGroup::odds},
    {AnalysisFigure::timeDecayPerDay, "time_decay_per_day", "Time decay per day", FigureKind::money,
     "What the short calls gain in one calendar day if nothing else changes.", FigureGroup::odds},
    {AnalysisFigure::oddsNote, "odds_note", "Note on the odds", FigureKind::text,
     "Why the implied volatility, or every figure of the model, is empty.", FigureGroup::odds},
    {AnalysisFigure::earlyAssignment, "early_assignment", "Early assignment before the dividend",
     FigureKind::text,
     "Likely when the call's intrinsic value exceeds the model's value of the call just after "
     "the ex-dividend date, else unlikely.",
     FigureGroup::earlyAssignment},
    {AnalysisFigure::earlyAssignmentProfit, "early_assignment_profit",
     "Profit if called before the dividend", FigureKind::money,
     "The result if the shares are called away the day before the ex-dividend date: no "
     "dividend, fees out.",
     FigureGroup::earlyAssignment},
    {AnalysisFigure::earlyAssignmentReturn, "early_assignment_return",
     "Return if called before the dividend", FigureKind::ratio,
     "The profit if called before the dividend, as a share of the return base.",
     FigureGroup::earlyAssignment},
    {AnalysisFigure::earlyAssignmentReturnAnnualised, "early_assignment_return_annualised",
     "Return if called before the dividend per year (simple)", FigureKind::ratio,
     "The return if called before the dividend scaled to a year by the days to the "
     "ex-dividend date.",
     FigureGroup::earlyAssignment},
    {AnalysisFigure::basisCost, "basis_cost", "Cost of the shares held", FigureKind::money,
     "The cost basis per share times the shares.", FigureGroup::basis},
    {AnalysisFigure::basisProfitIfCalled, "basis_profit_if_called",
     "Profit on the shares held if called", FigureKind::money,
     "What the position makes over the cost basis if the shares are called away: premium and "
     "dividends in, fees out.",
     FigureGroup::basis},
    {AnalysisFigure::basisReturnIfCalled, "basis_return_if_called",
     "Return on the shares held if called", FigureKind::ratio,
     "The profit on the shares held if called, as a share of their cost.", FigureGroup::basis},
    {AnalysisFigure::basisBreakeven, "basis_breakeven", "Breakeven on the shares held",
     FigureKind::price,
     "The share price at expiry below which the shares held lose money over their cost; none "
     "when no price breaks even.",
     FigureGroup::basis},
    {AnalysisFigure::basisLossIfCalled, "basis_loss_if_called", "Loss on the shares held if called",
     FigureKind::money,
     "What the shares lose against their cost if called away at a strike below it, premium "
     "not counted.",
     FigureGroup::basis},
}};

// A file's columns hold inputs and figures side by side: no name may stand for both.
constexpr bool keysDistinct() {
    for (const AnalysisFigureInfo& figure : analysisFigures) {
        for (const AnalysisInputInfo& input : analysisInputs) {
            if (figure.key == input.key) {
                return false;
            }
        }
    }
    return true;
}
static_assert(keysDistinct(), "no figure is keyed as an input");

constexpr const AnalysisFigureInfo& figureInfo(AnalysisFigure figure) {
    return analysisFigures[static_cast<std::size_t>(figure)];
}

// Whether the market model forms the figure: without a model it is empty, and every other
// figure is the same.
constexpr bool formedByModel(AnalysisFigure figure) {
    return figureInfo(figure).group == FigureGroup::odds ||
           figure == AnalysisFigure::earlyAssignment;
}

// A set of figures, by their place in analysisFigures.
using FigureSet = std::bitset<analysisFigures.size()>;

inline const FigureSet everyFigure = FigureSet{}.set();

// Why a figure is there or not.
enum class FigureState {
    shown,
    none,     // empty by definition: no breakeven, no days with months, no compound return
    overflow, // beyond the largest amount (or number) the program holds
    zeroCost, // a ratio over a stock cost of 0 at the ten-thousandths money holds
    notAsked, // its input was not given: no cost basis, no ex-dividend date
};

// The figures of one position. Every money figure is exact money; an empty one is explained by
// state().
struct Analysis {
    // What the figures were formed from. `shares` is empty when 100 × contracts is beyond
    // what a double holds exactly.
    std::optional<double> shares;
    double strikePrice = 0.0;
    double currentPrice = 0.0;
    std::optional<int> months; // when the time to expiry was given in months
    ReturnBase returnBase = ReturnBase::stockCost;

    std::optional<Currency> premium;
    std::optional<Currency> dividends;
    std::optional<Currency> fees;
    std::optional<Currency> cost;
    std::optional<Currency> assigned;
    std::optional<Currency> maxProfit;
    std::optional<Currency> staticProfit;
    std::optional<Currency> maxLoss;
    std::optional<Currency> breakeven; // a price per share
    std::optional<double> staticReturn;
    std::optional<double> ifCalledReturn;
    std::optional<double> downsideProtection;
    std::optional<double> upsideToStrike;
    std::optional<double> staticReturnAnnualised;
    std::optional<double> ifCalledReturnAnnualised;
    std::optional<double> staticReturnCompound;
    std::optional<double> ifCalledReturnCompound;
    std::optional<std::int64_t> days;
    std::optional<Currency> intrinsicValue; // per share
    std::optional<Currency> timeValue;      // per share
    std::optional<double> timeValueReturn;
    std::optional<double> impliedVolatility;
    std::optional<double> volatility;
    std::optional<double> probAssigned;
    std::optional<double> probProfit;
    std::optional<double> callDelta;
    std::optional<double> positionDelta;
    std::optional<Currency> timeDecayPerDay;
    std::string oddsNote; // empty when there is nothing to say
    std::optional<bool> earlyAssignmentLikely;
    std::optional<Currency> earlyAssignmentProfit;
    std::optional<double> earlyAssignmentReturn;
    std::optional<double> earlyAssignmentReturnAnnualised;
    std::optional<Currency> basisCost;
    std::optional<Currency> basisProfitIfCalled;
    std::optional<double> basisReturnIfCalled;
    std::optional<Currency> basisBreakeven; // a price per share
    std::optional<Currency> basisLossIfCalled;
    // The model's share price at expiry one standard deviation below and above its middle.
    std::optional<std::pair<double, double>> priceRange;

    std::array<FigureState, analysisFigures.size()> states{};

    FigureState state(AnalysisFigure figure) const {
        return states[static_cast<std::size_t>(figure)];
    }

    // Every figure is shown, or empty by definition.
    bool complete() const;

    // Why the position is incomplete, naming the first figure missing: "Stock cost is beyond the
    // largest amount the program holds." Empty when complete.
    std::string incompleteReason() const;
};

struct AnalysisResult {
    std::vector<Refusal> refusals; // every input refused, in the order of AnalysisInput
    std::optional<Analysis> analysis;

    bool ok() const { return analysis.has_value(); }
};

// Reads the inputs with the regional settings, as the window's fields are read, and forms the
// figures, the model's from `model` (none without one). Either every refusal, or the analysis.
AnalysisResult analysePosition(const AnalysisInputs& inputs, const RegionalSettings& settings,
                               const CallModel* model = nullptr);

// A position already read as numbers, as a screen reads the calls of a chain. Percentages in
// percent, as typed.
struct PositionValues {
    double optionPrice = 0.0;
    double strikePrice = 0.0;
    double currentPrice = 0.0;
    double contracts = 1.0;
    std::chrono::year_month_day asOf{};
    std::chrono::year_month_day expiry{};
    double fees = 0.0;
    double dividend = 0.0;
    std::optional<std::chrono::year_month_day> exDividend;
    std::optional<double> volatility;
    double rate = 0.0;
    ReturnBase returnBase = ReturnBase::stockCost;
};

// The figures analysePosition forms from the same values written as texts, without writing and
// reading them; nothing for values it would refuse (a strike of 0, an expiry not after the
// as-of date, an ex-dividend date outside them, a volatility or rate out of its range).
// Only the figures `wanted`, and what they are formed from, are sure to be formed: another may be
// left empty as notAsked, saving its work (the model's above all).
std::optional<Analysis> analyseValues(const PositionValues& values, const CallModel* model,
                                      const FigureSet& wanted = everyFigure);

// The profit or loss at expiry if the share price is `price` (0 or more):
// min(price × shares, assigned) − cost + premium + dividends − fees, the product formed as
// the calculation forms one. Equals staticProfit at the current price and maxProfit at the
// strike; empty where an amount overflows.
std::optional<Currency> payoffAt(const Analysis& analysis, double price);

// ---- Texts ----------------------------------------------------------------------------------

// The figure as the user reads it: money and breakeven as currency text, ratios as percent text
// with two decimals, days as a whole number, deltas with three decimals, early assignment as
// "likely" or "unlikely". Empty when the figure is.
std::optional<std::string> figureText(const Analysis& analysis, AnalysisFigure figure,
                                      const RegionalSettings& settings);

// The figure's value as a number, for comparing and ranking: money and prices in money units,
// ratios as fractions, days, deltas; nothing for words or an empty figure.
std::optional<double> figureNumber(const Analysis& analysis, AnalysisFigure figure);

// The same digits written plainly, for --plain and JSON numbers: money "1375.00" (two
// decimals), breakeven "27.2500" (four), ratios as percentage numbers "4.39", days "91".
std::optional<std::string> figurePlainText(const Analysis& analysis, AnalysisFigure figure);

} // namespace veltrane
