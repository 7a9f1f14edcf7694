#include "calc/calculation.h"
#include "calc/field_map.h"
#include "calc/money_layout.h"

#include <array>
#include <benchmark/benchmark.h>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using veltrane::Field;

namespace {

// The worked example (1.25, 30, 28.50, 500 shares) with a months value and what follows from it.
struct Example {
    std::string_view months;
    double returnPercent; // the return × 100, as the percent text writes it
};
constexpr Example months3{"3", 38.4};
constexpr Example months12{"12", 9.6};

veltrane::FieldMap workedExample(std::string_view months) {
    veltrane::FieldMap fields;
    fields.setText(Field::intOptionPrice, "1.25");
    fields.setText(Field::intStrikePrice, "30");
    fields.setText(Field::intCurrentPrice, "28.50");
    fields.setText(Field::intNoShares, "500");
    fields.setText(Field::cboMonthsOut, months);
    return fields;
}

// What CalculateIt cannot do without: one from_chars per input text and one for the ratio's
// read-back, and the to_chars calls of the seven results (five amounts in cents, the ratio
// and the return to 15 digits).
void conversions(const Example& example) {
    constexpr std::array<std::string_view, 4> amounts{"1.25", "30", "28.50", "500"};
    constexpr std::array<std::int64_t, 5> cents{62'500, 1'500'000, 1'562'500, 1'425'000, 137'500};
    constexpr std::string_view ratio = "0.096";
    std::array<char, 32> out{};
    double value = 0.0;
    for (std::string_view text : amounts) {
        std::from_chars(text.data(), text.data() + text.size(), value);
        benchmark::DoNotOptimize(value);
    }
    std::from_chars(example.months.data(), example.months.data() + example.months.size(), value);
    benchmark::DoNotOptimize(value);
    std::from_chars(ratio.data(), ratio.data() + ratio.size(), value);
    benchmark::DoNotOptimize(value);
    for (std::int64_t amount : cents) {
        benchmark::DoNotOptimize(amount); // a value the compiler cannot write out in advance
        benchmark::DoNotOptimize(std::to_chars(out.data(), out.data() + out.size(), amount));
    }
    benchmark::DoNotOptimize(std::to_chars(out.data(), out.data() + out.size(), 0.096,
                                           std::chars_format::scientific, 14));
    benchmark::DoNotOptimize(std::to_chars(out.data(), out.data() + out.size(),
                                           example.returnPercent, std::chars_format::scientific,
                                           14));
    benchmark::ClobberMemory();
}

void calculateIt(benchmark::State& state, const Example& example) {
    veltrane::FieldMap fields = workedExample(example.months);
    const veltrane::RegionalSettings settings;
    for (auto _ : state) {
        veltrane::CalculateIt(fields, settings);
        benchmark::ClobberMemory();
    }
}

// The batch's road: the inputs read once (for its check, then the calculation) and the money
// layout prepared once for all rows.
void calculateItPrepared(benchmark::State& state, const Example& example) {
    veltrane::FieldMap fields = workedExample(example.months);
    const veltrane::RegionalSettings settings;
    const veltrane::MoneyLayout money{settings};
    for (auto _ : state) {
        const veltrane::ReadInputs inputs = veltrane::readInputs(fields, settings);
        veltrane::CalculateIt(inputs, fields, settings, money);
        benchmark::ClobberMemory();
    }
}

void conversionsOnly(benchmark::State& state, const Example& example) {
    for (auto _ : state) {
        conversions(example);
    }
}

// For an instruction count under callgrind, which times cannot give on a shared machine: each
// function below makes `calls` calls, and its inclusive count divided by `calls` is one call's.
[[gnu::noinline]] void countCalculateIt(const Example& example, int calls) {
    veltrane::FieldMap fields = workedExample(example.months);
    const veltrane::RegionalSettings settings;
    for (int i = 0; i < calls; ++i) {
        veltrane::CalculateIt(fields, settings);
        benchmark::ClobberMemory();
    }
}

[[gnu::noinline]] void countCalculateItPrepared(const Example& example, int calls) {
    veltrane::FieldMap fields = workedExample(example.months);
    const veltrane::RegionalSettings settings;
    const veltrane::MoneyLayout money{settings};
    for (int i = 0; i < calls; ++i) {
        const veltrane::ReadInputs inputs = veltrane::readInputs(fields, settings);
        veltrane::CalculateIt(inputs, fields, settings, money);
        benchmark::ClobberMemory();
    }
}

[[gnu::noinline]] void countConversions(const Example& example, int calls) {
    for (int i = 0; i < calls; ++i) {
        conversions(example);
    }
}

} // namespace

BENCHMARK_CAPTURE(conversionsOnly, months_3, months3);
BENCHMARK_CAPTURE(calculateIt, months_3, months3);
BENCHMARK_CAPTURE(calculateItPrepared, months_3, months3);
BENCHMARK_CAPTURE(conversionsOnly, months_12, months12);
BENCHMARK_CAPTURE(calculateIt, months_12, months12);

// `bench_calculation --count N` makes N calls of each, months "3", and times nothing:
//   valgrind --tool=callgrind bench/bench_calculation --count 10000
// then callgrind_annotate --inclusive=yes shows countCalculateIt, countCalculateItPrepared and
// countConversions.
int main(int argc, char** argv) {
    if (argc == 3 && std::string_view{argv[1]} == "--count") {
        const int calls = std::atoi(argv[2]);
        countCalculateIt(months3, calls);
        countCalculateItPrepared(months3, calls);
        countConversions(months3, calls);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
