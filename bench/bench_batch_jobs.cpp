// The batch mode of `pravik calc --csv` on generated positions, by the wall clock, with one
// computing thread and with every core, against the floor of reading and writing the same CSV
// without calculating, in the same run. bench/batch_throughput.sh runs it with the real
// executable's figures.
#include "bench/csv_copy.h"
#include "bench/generated_positions.h"
#include "calc/entry_check.h"
#include "calc/field_map.h"
#include "cli/batch_calculation.h"
#include "cli/job_count.h"
#include "csv/reader.h"
#include "csv/writer.h"

#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <istream>
#include <map>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace {

using veltrane::bench::calcHeader;
using veltrane::bench::Discard;
using veltrane::bench::rowTails;

// The CSV of `rows` generated positions, made once and kept: the batch reads it from memory as
// the program reads a file from the page cache.
std::string& positions(std::int64_t rows) {
    static std::map<std::int64_t, std::string> made;
    std::string& text = made[rows];
    if (text.empty()) {
        const std::vector<std::string> tails = rowTails();
        text = calcHeader;
        for (std::int64_t i = 0; i < rows; ++i) {
            text += std::to_string(i);
            text += tails[static_cast<std::size_t>(i % 600)];
        }
    }
    return text;
}

class MemoryInput : public std::streambuf {
public:
    explicit MemoryInput(std::string& text) {
        setg(text.data(), text.data(), text.data() + text.size());
    }
};

double wallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Seconds per row of every run of each, for the medians and spreads printed at the end.
std::map<std::string, std::vector<double>> secondsPerRow;

void keepTime(benchmark::State& state, const std::string& name, std::int64_t rows,
              std::int64_t bytes, double seconds) {
    state.SetIterationTime(seconds);
    state.SetItemsProcessed(rows * state.iterations());
    if (bytes > 0) {
        state.SetBytesProcessed(bytes * state.iterations());
    }
    secondsPerRow[name].push_back(seconds / static_cast<double>(rows));
}

std::string batchName(unsigned jobs) {
    return "batch, --jobs " + std::to_string(jobs);
}

// `pravik calc --csv` without the process around it: the batch with range(1) computing threads.
void batch(benchmark::State& state) {
    const std::int64_t rows = state.range(0);
    const auto jobs = static_cast<unsigned>(state.range(1));
    std::string& text = positions(rows);
    veltrane::BatchOptions options;
    options.jobs = jobs;
    for (auto _ : state) {
        MemoryInput source{text};
        std::istream input{&source};
        Discard sink;
        std::ostream output{&sink};
        const double start = wallSeconds();
        const veltrane::BatchOutcome outcome =
            veltrane::runCsvBatch(input, output, veltrane::RegionalSettings{}, options);
        const double seconds = wallSeconds() - start;
        if (outcome.malformed || outcome.rows != static_cast<std::uint64_t>(rows)) {
            state.SkipWithError("the generated input did not read back");
            return;
        }
        keepTime(state, batchName(jobs), rows, sink.bytes, seconds);
    }
}

// Reads every record and writes it back unchanged: what the batch costs without calculating.
void readWriteFloor(benchmark::State& state) {
    const std::int64_t rows = state.range(0);
    std::string& text = positions(rows);
    for (auto _ : state) {
        MemoryInput source{text};
        std::istream input{&source};
        Discard sink;
        std::ostream output{&sink};
        const double start = wallSeconds();
        const std::optional<std::int64_t> read = veltrane::bench::copyCsv(input, output);
        const double seconds = wallSeconds() - start;
        if (read != rows + 1) {
            state.SkipWithError("the generated input did not read back");
            return;
        }
        keepTime(state, "floor (read and write)", rows, sink.bytes, seconds);
    }
}

// The Calculate check and CalculateIt on the same rows with no CSV at all, on one thread: what
// one row must cost at the least beyond the floor.
void calculationOnly(benchmark::State& state) {
    const std::int64_t rows = state.range(0);
    struct Inputs {
        std::array<std::string, 5> texts;
    };
    std::vector<Inputs> inputs;
    for (const std::string& tail : rowTails()) {
        Inputs row;
        std::size_t begin = 1;
        for (std::string& text : row.texts) {
            const std::size_t end = tail.find(',', begin);
            text = tail.substr(begin, end - begin);
            begin = end + 1;
        }
        inputs.push_back(std::move(row));
    }
    const veltrane::RegionalSettings settings;
    for (auto _ : state) {
        const double start = wallSeconds();
        for (std::int64_t i = 0; i < rows; ++i) {
            const Inputs& row = inputs[static_cast<std::size_t>(i % 600)];
            veltrane::FieldMap fields;
            for (std::size_t f = 0; f < row.texts.size(); ++f) {
                fields.setText(veltrane::inputFields[f], row.texts[f]);
            }
            if (veltrane::checkEntries(fields, settings).passed()) {
                veltrane::CalculateIt(fields, settings);
            }
            benchmark::DoNotOptimize(fields);
        }
        keepTime(state, "calculation alone", rows, 0, wallSeconds() - start);
    }
}

constexpr std::int64_t millionRows = 1'000'000;
constexpr int repetitions = 5;

// Wall-clock time: with threads, the time a user waits is the measure. Every run is one pass
// over the million rows, five times over, for a median and a spread.
BENCHMARK(readWriteFloor)
    ->Arg(millionRows)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(repetitions)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(calculationOnly)
    ->Arg(millionRows)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(repetitions)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(batch)
    ->Apply([](benchmark::internal::Benchmark* b) {
        b->Args({millionRows, 1});
        if (veltrane::availableCores() > 1) {
            b->Args({millionRows, veltrane::availableCores()});
        }
    })
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(repetitions)
    ->Unit(benchmark::kMillisecond);

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void printSummary() {
    const auto floor = secondsPerRow.find("floor (read and write)");
    if (floor == secondsPerRow.end()) {
        return;
    }
    const double floorMedian = median(floor->second);
    std::printf("\n1,000,000 rows, wall clock, median of %d runs (slowest to fastest):\n",
                repetitions);
    for (const auto& [name, values] : secondsPerRow) {
        const auto [fastest, slowest] = std::minmax_element(values.begin(), values.end());
        std::printf("  %-24s %10.0f rows/s  (%.0f to %.0f)   time / floor = %.2f\n", name.c_str(),
                    1.0 / median(values), 1.0 / *slowest, 1.0 / *fastest,
                    median(values) / floorMedian);
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printSummary();
    return 0;
}
