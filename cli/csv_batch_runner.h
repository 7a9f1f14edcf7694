#pragma once

#include "cli/batch_outcome.h"
#include "cli/csv_row_work.h"
#include "csv/reader.h"

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>

namespace veltrane {

struct CsvBatchOptions {
    // Threads that compute rows. With 1, the calling thread does all of it and no thread is
    // started; with more, the calling thread reads and writes and they compute.
    unsigned jobs = 1;
    // About how much input each thread takes at a time, and how far a block may grow to reach
    // the end of a long record before the rest of the input is read in one piece: no further
    // than the longest record and its CR LF, since a block that holds no record end by then is
    // not CSV, and holding more would only cost memory.
    std::size_t blockBytes = std::size_t{32} * 1024;
    std::size_t openLimit = CsvReader::maxRecordBytes + 2;
};

// Runs a CSV batch: `work` reads the header, then makes each later record into output, written in
// input order. The output, the outcome and the line named by an error are the same for any
// number of jobs. Memory does not grow with the input.
BatchOutcome runCsvRows(std::istream& input, std::ostream& output, CsvRowWork& work,
                        const CsvBatchOptions& options);

} // namespace veltrane
