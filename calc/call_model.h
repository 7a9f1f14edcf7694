#pragma once

#include <optional>

namespace veltrane {

// What the analysis asks the market model about one call: a European call on shares that may
// pay one known cash dividend before expiry. The model itself lives outside the core (pricing/);
// the analysis only forms figures from its answers.
struct CallQuestion {
    double optionPrice = 0.0; // P, per share
    double strike = 0.0;      // K
    double sharePrice = 0.0;  // S, the dividend not taken out
    double rate = 0.0;        // r, continuously compounded, a fraction a year
    double years = 0.0;       // T, more than 0
    // σ a year as a fraction; nothing: the volatility implied by the option price.
    std::optional<double> volatility;
    double dividend = 0.0;          // V per share; 0: none
    double yearsToExDividend = 0.0; // tx, more than 0 and at most T when there is a dividend
    // The price at expiry the position breaks even at; nothing: the caller knows the odds.
    std::optional<double> breakeven;
};

// Why the model has no volatility for a call.
enum class NoVolatility {
    none,               // it has one
    atOrBelowIntrinsic, // P ≤ max(S* − K·e^(−rT), 0): no σ fits
    atOrAboveShare,     // P ≥ S*: no σ fits
    notConverged,       // a σ should fit but the solver found none
    dividendTooLarge,   // S* ≤ 0: the dividend's present value is the share's whole price
};

struct CallOdds {
    // The σ at which the model's value equals the option price, whatever its size.
    std::optional<double> impliedVolatility;
    NoVolatility whyNoImplied = NoVolatility::none;
    // The σ used: the one asked with, else the implied one. Nothing: nothing below is formed.
    std::optional<double> volatility;
    double probAssigned = 0.0; // N(d2)
    // N(d2) with the breakeven in place of K; nothing when asked without a breakeven.
    std::optional<double> probProfit;
    double callDelta = 0.0; // N(d1)
    double thetaYear = 0.0; // the call's theta a year, S* held fixed
    // The call's value just after the ex-dividend date (share price S − V, time T − tx);
    // nothing without a dividend.
    std::optional<double> valueAfterExDividend;
    // The share price at expiry one standard deviation below and above the model's middle.
    double rangeLow = 0.0;
    double rangeHigh = 0.0;
};

class CallModel {
public:
    CallModel() = default;
    CallModel(const CallModel&) = delete;
    CallModel& operator=(const CallModel&) = delete;
    CallModel(CallModel&&) = delete;
    CallModel& operator=(CallModel&&) = delete;
    virtual ~CallModel() = default;

    // Safe to call from several threads at once.
    virtual CallOdds odds(const CallQuestion& question) const = 0;
};

} // namespace veltrane
