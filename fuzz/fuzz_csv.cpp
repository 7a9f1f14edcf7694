// The command line's CSV batch on arbitrary bytes: it never crashes or hangs, a malformed input
// is reported with a line, and what it writes is CSV again, every row as wide as its header,
// every result empty or a complete text of its kind.
#include "cli/batch_calculation.h"
#include "csv/reader.h"
#include "tests/support/well_formed.h"

#include <cstdlib>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream input{std::string(reinterpret_cast<const char*>(data), size)};
    std::ostringstream output;
    const veltrane::BatchOutcome outcome =
        veltrane::runCsvBatch(input, output, veltrane::RegionalSettings{});
    if (outcome.malformed && outcome.malformed->line == 0) {
        std::abort();
    }
    if (outcome.malformed || outcome.writeFailed) {
        return 0;
    }

    std::istringstream written{output.str()};
    veltrane::CsvReader reader{written};
    veltrane::CsvRecord record;
    std::size_t width = 0;
    std::size_t rows = 0;
    while (reader.next(record)) {
        if (rows++ == 0) {
            width = record.size();
            continue;
        }
        if (record.size() != width || width < 8) {
            std::abort();
        }
        // The seven results stand just before the error column.
        namespace wf = veltrane::well_formed;
        for (std::size_t i = 0; i < 7; ++i) {
            const std::string text{record.field(width - 8 + i)};
            const bool ok = text.empty() || (i == 5   ? wf::number(text)
                                             : i == 6 ? wf::percent(text)
                                                      : wf::currency(text));
            if (!ok) {
                std::abort();
            }
        }
    }
    if (reader.error() || (rows > 0 && rows - 1 != outcome.rows)) {
        std::abort();
    }
    return 0;
}
