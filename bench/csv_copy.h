#pragma once

#include "csv/reader.h"
#include "csv/writer.h"

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>
#include <string>

namespace veltrane::bench {

// Reads every record and writes it back unchanged, in the batch's 64 KiB writes: the floor a
// batch cannot go below. Gives the number of records, or nothing when the input did not read.
inline std::optional<std::int64_t> copyCsv(std::istream& input, std::ostream& output) {
    CsvReader reader{input};
    CsvRecord record;
    std::string pending;
    std::int64_t read = 0;
    while (reader.next(record)) {
        for (std::size_t i = 0; i < record.size(); ++i) {
            if (i > 0) {
                pending.push_back(',');
            }
            appendCsvField(pending, record.field(i));
        }
        pending.push_back('\n');
        if (pending.size() >= std::size_t{64} * 1024) {
            output.write(pending.data(), static_cast<std::streamsize>(pending.size()));
            pending.clear();
        }
        ++read;
    }
    output.write(pending.data(), static_cast<std::streamsize>(pending.size()));
    if (reader.error()) {
        return std::nullopt;
    }
    return read;
}

} // namespace veltrane::bench
