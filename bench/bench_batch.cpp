// The batch mode of `pravik calc --csv` on generated positions, against the floor of reading and
// writing the same CSV without calculating, in the same run.
#include "batch_calculation.h"
#include "csv_reader.h"
#include "csv_writer.h"

#include <array>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <istream>
#include <ostream>
#include <streambuf>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

// Generates `rows` positions on the fly, so the input takes no memory of its own and the peak
// memory measured is the batch's.
class GeneratedPositions : public std::streambuf {
public:
    explicit GeneratedPositions(std::int64_t rows)
        : rows_{rows} {
        // A few hundred different amounts, every months value, and a quoted note now and then.
        for (int i = 0; i < 600; ++i) {
            const int cents = 25 + (i * 37) % 400;
            const int strike = 20 + i % 30;
            std::string tail = ",";
            tail.append(std::to_string(cents / 100)).append(".");
            tail.append(std::to_string(cents % 100 / 10)).append(std::to_string(cents % 10));
            tail.append(",").append(std::to_string(strike));
            tail.append(",").append(std::to_string(strike - 2)).append(".50");
            tail.append(",").append(std::to_string(100 * (1 + i % 9)));
            tail.append(",").append(std::to_string(1 + i % 12));
            tail.append(i % 10 == 0 ? ",\"note, quoted\"\n" : ",plain\n");
            tails_.push_back(std::move(tail));
        }
        buffer_.reserve(64 * 1024 + 256);
        buffer_ = "id,option_price,strike_price,current_price,shares,months,note\n";
        setg(buffer_.data(), buffer_.data(), buffer_.data() + buffer_.size());
    }

protected:
    int_type underflow() override {
        if (next_ == rows_) {
            return traits_type::eof();
        }
        buffer_.clear();
        while (next_ < rows_ && buffer_.size() < 64 * 1024) {
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

// Counts what is written and keeps none of it.
class Discard : public std::streambuf {
public:
    std::int64_t bytes = 0;

protected:
    std::streamsize xsputn(const char*, std::streamsize count) override {
        bytes += count;
        return count;
    }
    int_type overflow(int_type c) override {
        ++bytes;
        return c;
    }
};

double peakMemoryMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Seconds per row of the last run of each, for the ratio printed at the end.
double batchSecondsPerRow = 0;
double floorSecondsPerRow = 0;

void setCounters(benchmark::State& state, std::int64_t rows, std::int64_t bytes, double seconds,
                 double& secondsPerRow) {
    const auto total = static_cast<double>(rows) * static_cast<double>(state.iterations());
    state.SetItemsProcessed(rows * state.iterations());
    state.SetBytesProcessed(bytes * state.iterations());
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
        const auto start = std::chrono::steady_clock::now();
        const veltrane::BatchOutcome outcome =
            veltrane::runCsvBatch(input, output, veltrane::RegionalSettings{});
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (outcome.malformed || outcome.rows != static_cast<std::uint64_t>(rows)) {
            state.SkipWithError("the generated input did not read back");
            return;
        }
        bytes = sink.bytes;
    }
    setCounters(state, rows, bytes, seconds, batchSecondsPerRow);
}

// Reads every record and writes it back unchanged: what the batch costs without calculating.
void readWriteFloor(benchmark::State& state) {
    const std::int64_t rows = state.range(0);
    std::int64_t bytes = 0;
    double seconds = 0;
    for (auto _ : state) {
        GeneratedPositions source{rows};
        std::istream input{&source};
        Discard sink;
        std::ostream output{&sink};
        const auto start = std::chrono::steady_clock::now();
        veltrane::CsvReader reader{input};
        veltrane::CsvRecord record;
        std::string pending;
        std::int64_t read = 0;
        while (reader.next(record)) {
            for (std::size_t i = 0; i < record.size(); ++i) {
                if (i > 0) {
                    pending.push_back(',');
                }
                veltrane::appendCsvField(pending, record.field(i));
            }
            pending.push_back('\n');
            if (pending.size() >= 64 * 1024) {
                output.write(pending.data(), static_cast<std::streamsize>(pending.size()));
                pending.clear();
            }
            ++read;
        }
        output.write(pending.data(), static_cast<std::streamsize>(pending.size()));
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (reader.error() || read != rows + 1) {
            state.SkipWithError("the generated input did not read back");
            return;
        }
        bytes = sink.bytes;
    }
    setCounters(state, rows, bytes, seconds, floorSecondsPerRow);
}

// The smaller run comes first: equal peaks after 100,000 and 1,000,000 rows mean flat memory.
BENCHMARK(readWriteFloor)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(batch)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (batchSecondsPerRow > 0 && floorSecondsPerRow > 0) {
        std::printf("1,000,000 rows: batch %.0f rows/s, floor %.0f rows/s, batch takes %.2f times "
                    "the floor\n",
                    1.0 / batchSecondsPerRow, 1.0 / floorSecondsPerRow,
                    batchSecondsPerRow / floorSecondsPerRow);
    }
    return 0;
}
