#pragma once

#include "calc/call_model.h"

namespace veltrane {

// The Black–Scholes–Merton model of a European call on shares paying one known cash dividend:
// the dividend's present value is taken out of the share price (S* = S − V·e^(−r·tx)), and the
// call is valued on what is left. QuantLib's Black formula, implied-volatility solver and normal
// distribution do the work; no QuantLib header is seen outside this folder.
const CallModel& blackScholesMerton();

// The model's value of the call on a share worth `sharePrice` (the dividend already taken out),
// for a volatility σ a year, as a fraction; not a number where the model has none (a discount
// beyond a double's range).
double callValue(double sharePrice, double strike, double rate, double years, double volatility);

} // namespace veltrane
