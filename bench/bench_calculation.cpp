#include "calc/calculation.h"
#include "calc/field_map.h"

#include <array>
#include <benchmark/benchmark.h>
#include <charconv>
#include <cstdint>
#include <string_view>

using veltrane::Field;

namespace {

veltrane::FieldMap workedExample(std::string_view months) {
    veltrane::FieldMap fields;
    fields.setText(Field::intOptionPrice, "1.25");
    fields.setText(Field::intStrikePrice, "30");
    fields.setText(Field::intCurrentPrice, "28.50");
    fields.setText(Field::intNoShares, "500");
    fields.setText(Field::cboMonthsOut, months);
    return fields;
}

void calculateIt(benchmark::State& state, std::string_view months) {
    veltrane::FieldMap fields = workedExample(months);
    const veltrane::RegionalSettings settings;
    for (auto _ : state) {
        veltrane::CalculateIt(fields, settings);
        benchmark::ClobberMemory();
    }
}

// What CalculateIt cannot do without: the conversions of the same texts. Twelve input texts are
// read with months 3 (the months five times) and nineteen with months 12; five amounts and two
// doubles are written.
void conversionsOnly(benchmark::State& state, int monthsReads) {
    constexpr std::array<std::string_view, 6> amounts{"500", "1.25", "500", "30", "500", "28.50"};
    const std::string_view months = monthsReads == 5 ? "3" : "12";
    constexpr std::array<std::int64_t, 5> units{6'250'000, 150'000'000, 156'250'000, 142'500'000,
                                                13'750'000};
    std::array<char, 32> out{};
    for (auto _ : state) {
        double value = 0.0;
        for (std::string_view text : amounts) {
            std::from_chars(text.data(), text.data() + text.size(), value);
            benchmark::DoNotOptimize(value);
        }
        for (int i = 0; i < monthsReads; ++i) {
            std::from_chars(months.data(), months.data() + months.size(), value);
            benchmark::DoNotOptimize(value);
        }
        constexpr std::string_view ratio = "0.096";
        std::from_chars(ratio.data(), ratio.data() + ratio.size(), value);
        benchmark::DoNotOptimize(value);
        for (std::int64_t amount : units) {
            benchmark::DoNotOptimize(std::to_chars(out.data(), out.data() + out.size(), amount));
        }
        benchmark::DoNotOptimize(std::to_chars(out.data(), out.data() + out.size(), 0.096,
                                               std::chars_format::scientific, 14));
        benchmark::DoNotOptimize(std::to_chars(out.data(), out.data() + out.size(), 38.4,
                                               std::chars_format::scientific, 14));
        benchmark::ClobberMemory();
    }
}

} // namespace

BENCHMARK_CAPTURE(conversionsOnly, months_3, 5);
BENCHMARK_CAPTURE(calculateIt, months_3, "3");
BENCHMARK_CAPTURE(conversionsOnly, months_12, 12);
BENCHMARK_CAPTURE(calculateIt, months_12, "12");

BENCHMARK_MAIN();
