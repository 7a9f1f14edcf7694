#pragma once

#include <cstdint>

namespace veltrane {

// An axis from `first × step` to `last × step`, with a tick at every whole multiple of the step
// between them. The step is 1, 2 or 5 times a power of ten.
struct TickRange {
    double step = 1.0;
    std::int64_t first = 0;
    std::int64_t last = 1;

    double low() const { return value(first); }
    double high() const { return value(last); }
    int intervals() const { return static_cast<int>(last - first); }
    // The tick `index` steps from zero, as a multiple of the step.
    double value(std::int64_t index) const { return static_cast<double>(index) * step; }

    friend bool operator==(const TickRange&, const TickRange&) = default;
};

// The finest 1, 2 or 5 × 10^n step, no finer than `finest`, at which [low, high], widened
// outward to whole steps, takes at most `maxIntervals` intervals. An empty or reversed range is
// widened around its value; a value that is not finite gives 0 to 1.
TickRange niceTicks(double low, double high, int maxIntervals = 8, double finest = 0.0);

// The fewest decimals, at most `most`, that write every multiple of `step` exactly: 0 for a step
// of 2, 1 for 0.5, 4 for 0.0001.
int stepDecimals(double step, int most);

} // namespace veltrane
