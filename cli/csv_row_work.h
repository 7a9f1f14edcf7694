#pragma once

#include "cli/batch_outcome.h"
#include "csv/reader.h"
#include "csv/record.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace veltrane {

// What became of one record of a batch. A row with more fields than the header names is refused,
// its fields beyond the header's dropped.
enum class RowKind { skipped, complete, incomplete, refused, tooWide };

// What a CSV batch makes of its input, one record at a time: the header, then each row. The batch
// runner reads, cuts and writes; this says what each record becomes.
class CsvRowWork {
public:
    // Makes rows into output for one thread at a time, with storage of its own that it reuses
    // from row to row.
    class RowMaker {
    public:
        virtual ~RowMaker() = default;

        // A record after the header: appends its output to `out` and says what became of it,
        // or sets `fatal` when the input cannot go on (nothing after it is written).
        virtual RowKind row(const CsvRecord& record, std::string& out,
                            std::optional<CsvError>& fatal) = 0;

    protected:
        RowMaker() = default;
        RowMaker(const RowMaker&) = default;
        RowMaker& operator=(const RowMaker&) = default;
        RowMaker(RowMaker&&) = default;
        RowMaker& operator=(RowMaker&&) = default;
    };

    virtual ~CsvRowWork() = default;

    // Reads the header from the start of the input and appends the output's header to `out`;
    // false, with the reason in `outcome`, when the input cannot be taken. It may be called
    // again on the same input from its start, and must then start afresh.
    virtual bool header(CsvReader& reader, CsvRecord& record, std::string& out,
                        BatchOutcome& outcome) = 0;

    // A row maker for one thread, once the header is read. Called from several threads at once,
    // and the makers run side by side, hence const: they may only read what header() set.
    virtual std::unique_ptr<RowMaker> rowMaker() const = 0;

protected:
    CsvRowWork() = default;
    CsvRowWork(const CsvRowWork&) = default;
    CsvRowWork& operator=(const CsvRowWork&) = default;
    CsvRowWork(CsvRowWork&&) = default;
    CsvRowWork& operator=(CsvRowWork&&) = default;
};

// The row maker of a batch whose rows stand under a header: it skips a spreadsheet's padding,
// gives a row with fewer fields than the header empty ones up to its number (a spreadsheet leaves
// out empty cells at the end of a row), refuses a row with more, and makes the rest.
class HeaderRows : public CsvRowWork::RowMaker {
public:
    RowKind row(const CsvRecord& record, std::string& out, std::optional<CsvError>& fatal) final;

protected:
    explicit HeaderRows(std::size_t headerFields)
        : headerFields_{headerFields} {}

    // A row with the header's number of fields, not all blank.
    virtual RowKind make(const CsvRecord& record, std::string& out) = 0;

    // A refused row with the header's number of fields: its fields, no results, and `reason` in
    // its error column.
    virtual void refuse(const CsvRecord& record, std::string_view reason, std::string& out) = 0;

private:
    std::size_t headerFields_;
    // The row resized to the header's number of fields, when it was not.
    CsvRecord resized_;
    std::string reason_;
};

} // namespace veltrane
