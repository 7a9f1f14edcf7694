#include "cli/csv_batch_runner.h"

#include "csv/ordered_pipeline.h"
#include "csv/record_cutter.h"

#include <cerrno>
#include <ios>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace veltrane {

namespace {

constexpr std::size_t flushBytes = std::size_t{64} * 1024;

constexpr const char* unreadable = "the input could not be read";

// A block of memory read as a stream.
class MemoryInput : public std::streambuf {
public:
    explicit MemoryInput(std::string& bytes) {
        setg(bytes.data(), bytes.data(), bytes.data() + bytes.size());
    }
};

// The bytes of an open block, then the rest of the input they were read from.
class ContinuedInput : public std::streambuf {
public:
    ContinuedInput(std::string& head, std::istream& rest)
        : head_{head}
        , rest_{rest} {}

protected:
    int_type underflow() override {
        if (!headDone_) {
            headDone_ = true;
            if (!head_.empty()) {
                setg(head_.data(), head_.data(), head_.data() + head_.size());
                return traits_type::to_int_type(head_.front());
            }
        }
        if (rest_.bad()) {
            // The stream reading from here takes this as its own failure to read.
            throw std::ios_base::failure{unreadable};
        }
        if (!rest_.good()) {
            return traits_type::eof();
        }
        buffer_.resize(flushBytes);
        rest_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
        const auto count = static_cast<std::size_t>(rest_.gcount());
        if (rest_.bad()) {
            throw std::ios_base::failure{unreadable};
        }
        if (count == 0) {
            return traits_type::eof();
        }
        setg(buffer_.data(), buffer_.data(), buffer_.data() + count);
        return traits_type::to_int_type(buffer_.front());
    }

private:
    std::string& head_;
    std::istream& rest_;
    std::string buffer_;
    bool headDone_ = false;
};

void count(RowKind kind, std::uint64_t line, BatchOutcome& outcome) {
    if (kind == RowKind::skipped) {
        return;
    }
    ++outcome.rows;
    if (kind == RowKind::refused || kind == RowKind::tooWide) {
        ++outcome.refusedRows;
    } else if (kind == RowKind::incomplete) {
        ++outcome.incompleteRows;
    }
    if (kind == RowKind::tooWide && outcome.tooWideRows++ == 0) {
        outcome.firstTooWideLine = line;
    }
}

// Blocks are added in input order, so the first too wide row stays the first.
void add(const BatchOutcome& part, BatchOutcome& outcome) {
    outcome.rows += part.rows;
    outcome.refusedRows += part.refusedRows;
    outcome.incompleteRows += part.incompleteRows;
    if (outcome.tooWideRows == 0) {
        outcome.firstTooWideLine = part.firstTooWideLine;
    }
    outcome.tooWideRows += part.tooWideRows;
}

// Writes what `out` holds and empties it; false (and the outcome says so) when it cannot.
bool write(std::ostream& output, std::string& out, BatchOutcome& outcome) {
    if (!out.empty()) {
        output.write(out.data(), static_cast<std::streamsize>(out.size()));
        out.clear();
    }
    if (!output) {
        outcome.writeFailed = true;
        outcome.writeError = errno;
        return false;
    }
    return true;
}

// Reads rows to the end of what `reader` reads, appending their output to `out`; with an
// `output`, writes `out` whenever it holds enough. False when the batch cannot go on.
bool readRows(CsvReader& reader, CsvRecord& record, CsvRowWork::RowMaker& maker, std::string& out,
              BatchOutcome& outcome, std::ostream* output) {
    std::optional<CsvError> fatal;
    while (reader.next(record)) {
        count(maker.row(record, out, fatal), record.line(), outcome);
        if (fatal) {
            outcome.malformed = std::move(fatal);
            return false;
        }
        if (output != nullptr && out.size() >= flushBytes && !write(*output, out, outcome)) {
            return false;
        }
    }
    outcome.malformed = reader.error();
    return !outcome.malformed;
}

// One reader from the header to the end, on the calling thread.
BatchOutcome runOnOneThread(std::istream& input, std::ostream& output, CsvRowWork& work) {
    BatchOutcome outcome;
    CsvReader reader{input};
    CsvRecord record;
    std::string out;
    out.reserve(flushBytes + 4096);
    if (work.header(reader, record, out, outcome)) {
        readRows(reader, record, *work.rowMaker(), out, outcome, &output);
    }
    if (!outcome.writeFailed) {
        write(output, out, outcome);
    }
    return outcome;
}

// A block on its way through the pipeline: the records read, their output, and what reading
// them found. Its storage is reused from one block to the next.
struct Block {
    RecordBlock input;
    CsvRecord record;
    std::unique_ptr<CsvRowWork::RowMaker> maker;
    std::string output;
    BatchOutcome outcome;
};

void computeBlock(Block& block, const CsvRowWork& work, char delimiter) {
    block.output.clear();
    block.outcome = BatchOutcome{};
    if (!block.maker) {
        block.maker = work.rowMaker();
    }
    MemoryInput bytes{block.input.bytes};
    std::istream stream{&bytes};
    CsvReader reader{stream, delimiter, block.input.firstLine};
    readRows(reader, block.record, *block.maker, block.output, block.outcome, nullptr);
}

// Adds a block's rows to the whole and writes its output; false when the batch stops there.
bool takeBlock(Block& block, std::ostream& output, BatchOutcome& outcome) {
    add(block.outcome, outcome);
    if (!write(output, block.output, outcome)) {
        return false;
    }
    if (block.outcome.malformed) {
        outcome.malformed = std::move(block.outcome.malformed);
        return false;
    }
    return true;
}

// Reads an open block and the rest of the input after it on the calling thread, from the header
// on if it has not been read yet (`delimiter` is then the header's business).
void runOpenBlock(RecordBlock& open, std::istream& input, std::ostream& output, CsvRowWork& work,
                  bool headerRead, char delimiter, BatchOutcome& outcome) {
    ContinuedInput continued{open.bytes, input};
    std::istream stream{&continued};
    CsvReader reader{stream, delimiter, open.firstLine};
    CsvRecord record;
    std::string out;
    if (headerRead || work.header(reader, record, out, outcome)) {
        readRows(reader, record, *work.rowMaker(), out, outcome, &output);
    }
    if (!outcome.writeFailed) {
        write(output, out, outcome);
    }
}

} // namespace

BatchOutcome runCsvRows(std::istream& input, std::ostream& output, CsvRowWork& work,
                        const CsvBatchOptions& options) {
    if (options.jobs <= 1) {
        return runOnOneThread(input, output, work);
    }

    BatchOutcome outcome;
    RecordCutter cutter{input, options.blockBytes, options.openLimit};

    // The first block, header and all, on this thread: the rows need what the header says.
    Block first;
    cutter.next(first.input);
    if (first.input.open) {
        runOpenBlock(first.input, input, output, work, false, ',', outcome);
        return outcome;
    }
    // The header's reader may be told a delimiter; the readers of the rows read with the same.
    char delimiter = ',';
    {
        MemoryInput bytes{first.input.bytes};
        std::istream stream{&bytes};
        CsvReader reader{stream, ',', first.input.firstLine};
        if (!work.header(reader, first.record, first.output, outcome)) {
            // Nothing is written yet. Whatever stopped the header within the first block, one
            // reader over the whole input finds too, or finds the header further on.
            outcome = BatchOutcome{};
            runOpenBlock(first.input, input, output, work, false, ',', outcome);
            return outcome;
        }
        delimiter = reader.delimiter();
        first.maker = work.rowMaker();
        readRows(reader, first.record, *first.maker, first.output, first.outcome, nullptr);
    }
    if (!takeBlock(first, output, outcome)) {
        return outcome;
    }

    const CsvRowWork& rows = work;
    // Two blocks per thread keep every thread busy while this one reads and writes; no more are
    // held, whatever the size of the input.
    OrderedPipeline<Block> pipeline{
        options.jobs, std::size_t{2} * options.jobs,
        [&rows, delimiter](Block& block) { computeBlock(block, rows, delimiter); }};
    RecordBlock open;
    bool stopped = false;
    pipeline.run(
        [&](Block& block) {
            if (!cutter.next(block.input)) {
                return false;
            }
            if (block.input.open) {
                std::swap(open, block.input);
                return false;
            }
            return true;
        },
        [&](Block& block) {
            stopped = !takeBlock(block, output, outcome);
            return !stopped;
        });
    if (stopped) {
        return outcome;
    }
    if (open.open) {
        runOpenBlock(open, input, output, work, true, delimiter, outcome);
    } else if (cutter.readFailed()) {
        outcome.malformed = CsvError{unreadable, cutter.line()};
    }
    return outcome;
}

} // namespace veltrane
