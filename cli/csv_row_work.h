#pragma once

#include "cli/batch_outcome.h"
#include "cli/csv_reader.h"
#include "cli/csv_record.h"

#include <optional>
#include <string>

namespace veltrane {

// What became of one record of a batch.
enum class RowKind { skipped, complete, incomplete, rejected };

// What a CSV batch makes of its input, one record at a time: the header, then each row. The batch
// runner reads, cuts and writes; this says what each record becomes.
class CsvRowWork {
public:
    virtual ~CsvRowWork() = default;

    // Reads the header from the start of the input and appends the output's header to `out`;
    // false, with the reason in `outcome`, when the input cannot be taken. It may be called
    // again on the same input from its start, and must then start afresh.
    virtual bool header(CsvReader& reader, CsvRecord& record, std::string& out,
                        BatchOutcome& outcome) = 0;

    // A record after the header: appends its output to `out` and says what became of it, or sets
    // `fatal` when the input cannot go on (nothing after it is written). Called from several
    // threads at once on different records, hence const: it may only read what header() set.
    virtual RowKind row(const CsvRecord& record, std::string& out,
                        std::optional<CsvError>& fatal) const = 0;
};

} // namespace veltrane
