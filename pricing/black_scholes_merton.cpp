#include "pricing/black_scholes_merton.h"

#include <algorithm>
#include <cmath>
#if defined(__x86_64__)
#include <immintrin.h>
#endif
#include <exception>
#include <limits>
#include <ql/math/distributions/normaldistribution.hpp>
#include <ql/pricingengines/blackformula.hpp>

namespace veltrane {

namespace {

// The implied standard deviation is solved this finely: fed back through the Black formula it
// gives the option price to about 1e-12 relative.
constexpr double stdDevAccuracy = 1e-13;
constexpr unsigned maxIterations = 200;

double normalCdf(double x) {
    static const QuantLib::CumulativeNormalDistribution cdf;
    return cdf(x);
}

double normalDensity(double x) {
    static const QuantLib::NormalDistribution density;
    return density(x);
}

// QuantLib is built for plain SSE. After glibc's AVX-512 copies leave the vector registers' upper
// halves dirty, every one of its SSE instructions waits on them: the odds of a batch row took
// twice as long (docs/performance.md). Clearing them on entry costs a cycle.
#if defined(__x86_64__)
__attribute__((target("avx"))) void clearUpperHalves() {
    _mm256_zeroupper();
}

void leaveSseClean() {
    static const bool avx = __builtin_cpu_supports("avx") != 0;
    if (avx) {
        clearUpperHalves();
    }
}
#else
void leaveSseClean() {}
#endif

// σ√T solved from the price, by QuantLib's Newton iteration guarded by a bracket; nothing when
// it finds none.
std::optional<double> impliedStdDev(double price, double strike, double forward, double discount) {
    try {
        const double stdDev = QuantLib::blackFormulaImpliedStdDev(
            QuantLib::Option::Call, strike, forward, price, discount, 0.0, QuantLib::Null<double>(),
            stdDevAccuracy, maxIterations);
        if (std::isfinite(stdDev) && stdDev > 0.0) {
            return stdDev;
        }
    } catch (const std::exception&) { // QuantLib's solver reports a failure by throwing
    }
    return std::nullopt;
}

class BlackScholesMerton final : public CallModel {
public:
    CallOdds odds(const CallQuestion& q) const override {
        leaveSseClean();
        CallOdds odds;
        const bool dividend = q.dividend > 0.0;
        const double shareStar =
            dividend ? q.sharePrice - q.dividend * std::exp(-q.rate * q.yearsToExDividend)
                     : q.sharePrice;
        if (!(shareStar > 0.0)) {
            odds.whyNoImplied = NoVolatility::dividendTooLarge;
            return odds;
        }
        const double discount = std::exp(-q.rate * q.years);
        const double rootT = std::sqrt(q.years);
        const double floor = std::max(shareStar - q.strike * discount, 0.0);
        if (q.optionPrice <= floor) {
            odds.whyNoImplied = NoVolatility::atOrBelowIntrinsic;
        } else if (q.optionPrice >= shareStar) {
            odds.whyNoImplied = NoVolatility::atOrAboveShare;
        } else if (const auto stdDev =
                       impliedStdDev(q.optionPrice, q.strike, shareStar / discount, discount)) {
            odds.impliedVolatility = *stdDev / rootT;
        } else {
            odds.whyNoImplied = NoVolatility::notConverged;
        }
        odds.volatility = q.volatility ? q.volatility : odds.impliedVolatility;
        if (!odds.volatility) {
            return odds;
        }
        const double sigma = *odds.volatility;
        const double stdDev = sigma * rootT;
        const double d1 =
            (std::log(shareStar / q.strike) + (q.rate + sigma * sigma / 2.0) * q.years) / stdDev;
        const double d2 = d1 - stdDev;
        odds.probAssigned = normalCdf(d2);
        odds.callDelta = normalCdf(d1);
        // N(d2) again: the same number, not worked out twice.
        odds.thetaYear = -shareStar * normalDensity(d1) * sigma / (2.0 * rootT) -
                         q.rate * q.strike * discount * odds.probAssigned;
        if (q.breakeven) {
            odds.probProfit = *q.breakeven <= 0.0
                                  ? 1.0
                                  : normalCdf((std::log(shareStar / *q.breakeven) +
                                               (q.rate - sigma * sigma / 2.0) * q.years) /
                                              stdDev);
        }
        if (dividend) {
            const double exShare = q.sharePrice - q.dividend;
            const double value = exShare > 0.0 ? callValue(exShare, q.strike, q.rate,
                                                           q.years - q.yearsToExDividend, sigma)
                                               : 0.0;
            if (std::isfinite(value)) {
                odds.valueAfterExDividend = value;
            }
        }
        const double middle = std::log(shareStar) + (q.rate - sigma * sigma / 2.0) * q.years;
        odds.rangeLow = std::exp(middle - stdDev);
        odds.rangeHigh = std::exp(middle + stdDev);
        return odds;
    }
};

} // namespace

const CallModel& blackScholesMerton() {
    static const BlackScholesMerton model;
    return model;
}

double callValue(double sharePrice, double strike, double rate, double years, double volatility) {
    const double discount = std::exp(-rate * std::max(years, 0.0));
    try {
        return QuantLib::blackFormula(QuantLib::Option::Call, strike, sharePrice / discount,
                                      volatility * std::sqrt(std::max(years, 0.0)), discount);
    } catch (const std::exception&) { // a discount or forward beyond a double's range
        return std::numeric_limits<double>::quiet_NaN();
    }
}

} // namespace veltrane
