// The batch modes of `pravik calc --csv` and `pravik analyze --csv` on generated positions,
// against the floor of reading and writing the same CSV without calculating, in the same run.
#include "bench/csv_copy.h"
#include "bench/generated_positions.h"
#include "calc/entry_check.h"
#include "calc/field_map.h"
#include "cli/analysis_batch.h"
#include "cli/batch_calculation.h"
#include "csv/reader.h"
#include "csv/writer.h"
#include "pricing/black_scholes_merton.h"

#include <array>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <istream>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

using veltrane::bench::analysisHeader;
using veltrane::bench::analysisRowTails;
using veltrane::bench::calcHeader;
using veltrane::bench::Discard;
using veltrane::bench::rowTails;

// Generates `rows` positions on the fly, so the input takes no memory of its own and the peak
// memory measured is the batch's.
class GeneratedPositions : public std::streambuf {
public:
    explicit GeneratedPositions(std::int64_t rows, const char* header = calcHeader,
                                std::vector<std::string> tails = rowTails())
        : rows_{rows}
        , tails_{std::move(tails)}
        , buffer_{header} {
        buffer_.reserve(std::size_t{64} * 1024 + 256);
        setg(buffer_.data(), buffer_.data(), buffer_.data() + buffer_.size());
    }

protected:
    int_type underflow() override {
        if (next_ == rows_) {
            return traits_type::eof();
        }
        buffer_.clear();
        while (next_ < rows_ && buffer_.size() < std::size_t{64} * 1024) {
            buffer_ += std::to_string(next_);
            buffer_ += tails_[static_cast<std::size_t>(next_ % 600)];
            ++next_;
        }
        setg(buffer_.data(), buffer_.data(), buffer_.data() + buffer_.size());
        return traits_type::to_int_type(buffer_.front());
    }

private:
    std::int64_t rows_;
    std::int64_t next_ = 0;
    std::vector<std::string> tails_;
    std::string buffer_;
};

// Time on this thread's core only: the machine may be busy with other work.
double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double peakMemoryMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Seconds per row of the last run of each, for the ratio printed at the end.
double batchSecondsPerRow = 0;
double floorSecondsPerRow = 0;
double calculationSecondsPerRow = 0;
double analysisSecondsPerRow = 0;
double analysisFloorSecondsPerRow = 0;
double analysisOnlySecondsPerRow = 0;
double modelOnlySecondsPerRow = 0;

void setCounters(benchmark::State& state, std::int64_t rows, std::int64_t bytes, double seconds,
                 double& secondsPerRow) {
    const auto total = static_cast<double>(rows) * static_cast<double>(state.iterations());
    state.SetItemsProcessed(rows * state.iterations());
    if (bytes > 0) {
        state.SetBytesProcessed(bytes * state.iterations());
    }
    state.counters["peak_MiB"] = peakMemoryMiB();
    secondsPerRow = seconds / total;
}

void batch(benchmark::State& state) {
    const std::int64_t rows = state.range(0);
    std::int64_t bytes = 0;
    double seconds = 0;
    for (auto _ : state) {
        GeneratedPositions source{rows};
        std::istream input{&source};
        Discard sink;
        std::ostream output{&sink};
        const double start = cpuSeconds();
        const veltrane::BatchOutcome outcome =
            veltrane::runCsvBatch(input, output, veltrane::RegionalSettings{});
        seconds += cpuSeconds() - start;
        if (outcome.malformed || outcome.rows != static_cast<std::uint64_t>(rows)) {
            state.SkipWithError("the generated input did not read back");
            return;
        }
        bytes = sink.bytes;
    }
    setCounters(state, rows, bytes, seconds, batchSecondsPerRow);
}

// `pravik analyze --csv` on the rows of analysisRowTails(), as the command runs it.
void analysisBatch(benchmark::State& state) {
    const std::int64_t rows = state.range(0);
    std::int64_t bytes = 0;
    double seconds = 0;
    veltrane::AnalysisBatchOptions options;
    options.row.today = std::chrono::year{2026} / 12 / 18;
    for (auto _ : state) {
        GeneratedPositions source{rows, analysisHeader, analysisRowTails()};
        std::istream input{&source};
        Discard sink;
        std::ostream output{&sink};
        const double start = cpuSeconds();
        const veltrane::BatchOutcome outcome = veltrane::runAnalysisBatch(input, output, options);
        seconds += cpuSeconds() - start;
        if (outcome.malformed || outcome.headerRefused || outcome.refusedRows > 0 ||
            outcome.rows != static_cast<std::uint64_t>(rows)) {
            state.SkipWithError("the generated input did not read back");
            return;
        }
        bytes = sink.bytes;
    }
    setCounters(state, rows, bytes, seconds, analysisSecondsPerRow);
}

// Reads every record and writes it back unchanged: what the batch costs without calculating.
void readWriteFloorOf(benchmark::State& state, const char* header,
                      const std::vector<std::string>& tails, double& secondsPerRow) {
    const std::int64_t rows = state.range(0);
    std::int64_t bytes = 0;
    double seconds = 0;
    for (auto _ : state) {
        GeneratedPositions source{rows, header, tails};
        std::istream input{&source};
        Discard sink;
        std::ostream output{&sink};
        const double start = cpuSeconds();
        const std::optional<std::int64_t> read = veltrane::bench::copyCsv(input, output);
        seconds += cpuSeconds() - start;
        if (read != rows + 1) {
            state.SkipWithError("the generated input did not read back");
            return;
        }
        bytes = sink.bytes;
    }
    setCounters(state, rows, bytes, seconds, secondsPerRow);
}

void readWriteFloor(benchmark::State& state) {
    readWriteFloorOf(state, calcHeader, rowTails(), floorSecondsPerRow);
}

void analysisReadWriteFloor(benchmark::State& state) {
    readWriteFloorOf(state, analysisHeader, analysisRowTails(), analysisFloorSecondsPerRow);
}

// The Calculate check and CalculateIt on the same rows with no CSV at all: what one row must cost
// at the least beyond the floor.
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
    double seconds = 0;
    for (auto _ : state) {
        const double start = cpuSeconds();
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
        seconds += cpuSeconds() - start;
    }
    setCounters(state, rows, 0, seconds, calculationSecondsPerRow);
}

// The analysis and its eighteen texts on the same rows as analysisBatch, with no CSV: what a
// row costs at the least beyond the floor.
void analysisOnly(benchmark::State& state) {
    const std::int64_t rows = state.range(0);
    std::vector<veltrane::AnalysisInputs> inputs;
    for (const std::string& tail : analysisRowTails()) {
        std::istringstream text{std::string{analysisHeader} + "0" + tail};
        veltrane::CsvReader reader{text};
        veltrane::CsvRecord record;
        std::string refused;
        reader.next(record);
        const auto columns = veltrane::AnalysisColumns::fromHeader(record, refused);
        reader.next(record);
        veltrane::AnalysisRowOptions options;
        options.today = std::chrono::year{2026} / 12 / 18;
        inputs.push_back(columns->inputs(record, options));
    }
    const veltrane::AnalysisRowOptions options;
    veltrane::AnalysisRowFields fields;
    double seconds = 0;
    for (auto _ : state) {
        const double start = cpuSeconds();
        for (std::int64_t i = 0; i < rows; ++i) {
            veltrane::analyseRow(inputs[static_cast<std::size_t>(i % 600)], options, fields);
            benchmark::DoNotOptimize(fields);
        }
        seconds += cpuSeconds() - start;
    }
    setCounters(state, rows, 0, seconds, analysisOnlySecondsPerRow);
}

// The model's odds alone, one implied-volatility solve each, for the calls of the same rows:
// what the odds add to a row.
void modelOnly(benchmark::State& state) {
    const std::int64_t rows = state.range(0);
    std::vector<veltrane::CallQuestion> questions;
    for (int i = 0; i < 600; ++i) {
        veltrane::CallQuestion q;
        const int cents = 25 + (i * 37) % 400;
        q.strike = 20 + i % 30;
        q.sharePrice = q.strike - 1.5;
        q.optionPrice = cents / 100.0;
        q.years = (1 + i % 400) / 365.0;
        q.breakeven = q.sharePrice - q.optionPrice;
        questions.push_back(q);
    }
    const veltrane::CallModel& model = veltrane::blackScholesMerton();
    double seconds = 0;
    for (auto _ : state) {
        const double start = cpuSeconds();
        for (std::int64_t i = 0; i < rows; ++i) {
            benchmark::DoNotOptimize(model.odds(questions[static_cast<std::size_t>(i % 600)]));
        }
        seconds += cpuSeconds() - start;
    }
    setCounters(state, rows, 0, seconds, modelOnlySecondsPerRow);
}

// The smaller run comes first: equal peaks after 100,000 and 1,000,000 rows mean flat memory.
BENCHMARK(readWriteFloor)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(calculationOnly)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(batch)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(analysisReadWriteFloor)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(analysisOnly)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(modelOnly)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(analysisBatch)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (batchSecondsPerRow > 0 && floorSecondsPerRow > 0 && calculationSecondsPerRow > 0) {
        std::printf("1,000,000 rows, CPU time of one core:\n"
                    "  batch             %9.0f rows/s\n"
                    "  floor (CSV only)  %9.0f rows/s   batch / floor = %.2f\n"
                    "  calculation only  %9.0f rows/s   (batch - floor) / calculation = %.2f\n",
                    1.0 / batchSecondsPerRow, 1.0 / floorSecondsPerRow,
                    batchSecondsPerRow / floorSecondsPerRow, 1.0 / calculationSecondsPerRow,
                    (batchSecondsPerRow - floorSecondsPerRow) / calculationSecondsPerRow);
    }
    if (analysisSecondsPerRow > 0 && analysisFloorSecondsPerRow > 0 && batchSecondsPerRow > 0 &&
        analysisOnlySecondsPerRow > 0) {
        std::printf(
            "  analyze --csv     %9.0f rows/s   analyze / calc batch = %.2f\n"
            "  its floor         %9.0f rows/s   analyze / its floor = %.2f\n"
            "  analysis only     %9.0f rows/s   (analyze - floor) / analysis = %.2f\n",
            1.0 / analysisSecondsPerRow, analysisSecondsPerRow / batchSecondsPerRow,
            1.0 / analysisFloorSecondsPerRow, analysisSecondsPerRow / analysisFloorSecondsPerRow,
            1.0 / analysisOnlySecondsPerRow,
            (analysisSecondsPerRow - analysisFloorSecondsPerRow) / analysisOnlySecondsPerRow);
    }
    if (modelOnlySecondsPerRow > 0 && analysisOnlySecondsPerRow > 0) {
        std::printf("  the odds only     %9.0f rows/s   odds / analysis = %.2f\n",
                    1.0 / modelOnlySecondsPerRow,
                    modelOnlySecondsPerRow / analysisOnlySecondsPerRow);
    }
    return 0;
}
