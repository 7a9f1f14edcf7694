#include "cli/csv_batch_runner.h"

#include <QTest>
#include <ios>
#include <memory>
#include <sstream>
#include <streambuf>
#include <string>

using veltrane::BatchOutcome;
using veltrane::CsvBatchOptions;
using veltrane::CsvError;
using veltrane::CsvRecord;
using veltrane::RowKind;

namespace {

// Writes every record back with the line it starts on; a row "bad" is rejected, a row "stop"
// stops the input, a blank line is skipped, and a header "refuse" is refused.
class EchoRows : public veltrane::CsvRowWork {
public:
    bool header(veltrane::CsvReader& reader, CsvRecord& record, std::string& out,
                BatchOutcome& outcome) override {
        // A header with a semicolon says the delimiter, as a dialect would be told; blank lines
        // before the header are not the header.
        if (reader.peekLine().find(';') != std::string_view::npos) {
            reader.setDelimiter(';');
        }
        bool read = reader.next(record);
        while (read && record.blank()) {
            read = reader.next(record);
        }
        if (!read) {
            outcome.malformed = reader.error().value_or(CsvError{"no header", 1});
            return false;
        }
        if (record.field(0) == "refuse") {
            outcome.headerRefused = "header refused on line " + std::to_string(record.line());
            return false;
        }
        out += "header";
        append(record, out);
        return true;
    }

    std::unique_ptr<RowMaker> rowMaker() const override { return std::make_unique<Rows>(); }

private:
    class Rows : public RowMaker {
    public:
        RowKind row(const CsvRecord& record, std::string& out,
                    std::optional<CsvError>& fatal) override {
            return EchoRows::row(record, out, fatal);
        }
    };

    static RowKind row(const CsvRecord& record, std::string& out, std::optional<CsvError>& fatal) {
        if (record.blank()) {
            return RowKind::skipped;
        }
        if (record.field(0) == "stop") {
            fatal = CsvError{"stop on line " + std::to_string(record.line()), record.line()};
            return RowKind::skipped;
        }
        out += std::to_string(record.line());
        append(record, out);
        if (record.field(0) == "bad") {
            return RowKind::refused;
        }
        return record.field(0) == "part" ? RowKind::incomplete : RowKind::complete;
    }

    static void append(const CsvRecord& record, std::string& out) {
        for (std::size_t i = 0; i < record.size(); ++i) {
            out += '|';
            out += record.field(i);
        }
        out += record.endedWithCrLf() ? "\r\n" : "\n";
    }
};

// Hands out its bytes, then fails as a broken disk would instead of ending.
class FailingInput : public std::streambuf {
public:
    explicit FailingInput(std::string bytes)
        : bytes_{std::move(bytes)} {
        setg(bytes_.data(), bytes_.data(), bytes_.data() + bytes_.size());
    }

protected:
    int_type underflow() override { throw std::ios_base::failure{"read error"}; }

private:
    std::string bytes_;
};

// Takes `room` bytes, then fails as a full disk does.
class FullOutput : public std::streambuf {
public:
    explicit FullOutput(std::size_t room)
        : room_{room} {}
    const std::string& written() const { return written_; }

protected:
    std::streamsize xsputn(const char* data, std::streamsize count) override {
        const auto taken = std::min(static_cast<std::size_t>(count), room_ - written_.size());
        written_.append(data, taken);
        return static_cast<std::streamsize>(taken);
    }
    int_type overflow(int_type c) override {
        if (written_.size() == room_ || traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::eof();
        }
        written_.push_back(traits_type::to_char_type(c));
        return c;
    }

private:
    std::size_t room_;
    std::string written_;
};

struct Run {
    std::string output;
    BatchOutcome outcome;
};

Run runBatch(const std::string& input, bool failsAtEnd, const CsvBatchOptions& options) {
    FailingInput failing{input};
    std::istringstream plain{input};
    std::istream failingStream{&failing};
    std::istream& stream = failsAtEnd ? failingStream : plain;
    std::ostringstream output;
    EchoRows work;
    Run run;
    run.outcome = veltrane::runCsvRows(stream, output, work, options);
    run.output = output.str();
    return run;
}

QString describe(const Run& run) {
    QString text = QStringLiteral("rows %1, rejected %2, incomplete %3, write failed %4")
                       .arg(run.outcome.rows)
                       .arg(run.outcome.refusedRows)
                       .arg(run.outcome.incompleteRows)
                       .arg(run.outcome.writeFailed);
    if (run.outcome.headerRefused) {
        text += QStringLiteral(", ") + QString::fromStdString(*run.outcome.headerRefused);
    }
    if (run.outcome.malformed) {
        text += QStringLiteral(", line %1: %2")
                    .arg(run.outcome.malformed->line)
                    .arg(QString::fromStdString(run.outcome.malformed->message));
    }
    return text;
}

std::string repeated(const std::string& row, int count) {
    std::string rows;
    for (int i = 0; i < count; ++i) {
        rows += row;
    }
    return rows;
}

} // namespace

class TestCsvBatchRunner : public QObject {
    Q_OBJECT

private slots:
    void sameAsOneThread_data();
    void sameAsOneThread();
    void outputThatCannotBeWritten();
};

void TestCsvBatchRunner::sameAsOneThread_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("failsAtEnd");

    const std::string rows = repeated("a,b\n\"multi\nline\",c\nbad,d\n\npart,e\n", 30);
    const std::string longField(300, 'x');
    auto row = [](const std::string& name, const std::string& bytes, bool failsAtEnd = false) {
        QTest::newRow(name.c_str()) << QByteArray::fromStdString(bytes) << failsAtEnd;
    };
    row("empty input", "");
    row("header only, no line ending", "h1,h2");
    row("header refused", "refuse,x\na,b\n");
    row("blank lines before the header, more than a block holds",
        std::string(300, '\n') + "h1,h2\n" + rows);
    row("only blank lines", std::string(300, '\n'));
    row("quoted multi-line fields, error rows, blank lines", "h1,h2\n" + rows);
    row("semicolons, told by the header", "h1;h2\n" + repeated("a;b\n\"c;\nd\";e\n", 40));
    row("CR LF with a byte order mark",
        "\xEF\xBB\xBFh1,h2\r\n" + repeated("a,\"b\r\nc\"\r\nbad,\"\"\"\"\r\n", 40));
    row("a row that stops the input late", "h\n" + rows + "stop\n" + rows);
    row("a row that stops the input first", "h\nstop\n" + rows);
    row("text after a closing quote late", "h,i\n" + rows + "\"a\"b,c\n" + rows);
    row("quoted field never closed at the end", "h,i\n" + rows + "\"a,b\n");
    row("record longer than a block can grow", "h,i\n" + rows + longField + ",y\n" + rows);
    row("header longer than a block can grow", longField + ",h\n" + rows);
    row("a quoted field longer than a block can grow, with an error after it",
        "h,i\n" + rows + "\"" + longField + "\n" + longField + "\",z\n" + rows + "stop\n" + rows);
    // A stream drops what the failing read brought, so only a failure before anything is read
    // has one outcome whatever the sizes read.
    row("read failure at the start", "", true);
}

// The output, the counts and the error with its line are those of one thread reading the whole
// input, for every number of threads and every block size, cut wherever it may fall.
void TestCsvBatchRunner::sameAsOneThread() {
    QFETCH(QByteArray, input);
    QFETCH(bool, failsAtEnd);
    const std::string bytes = input.toStdString();

    const Run reference = runBatch(bytes, failsAtEnd, CsvBatchOptions{});
    for (const unsigned jobs : {2u, 3u, 8u}) {
        for (const std::size_t blockBytes : {1u, 2u, 3u, 5u, 8u, 13u, 64u, 4096u}) {
            CsvBatchOptions options;
            options.jobs = jobs;
            options.blockBytes = blockBytes;
            options.openLimit = 200;
            const Run run = runBatch(bytes, failsAtEnd, options);
            if (run.output != reference.output || describe(run) != describe(reference)) {
                qInfo("%u jobs, blocks of %zu bytes", jobs, blockBytes);
                QCOMPARE(describe(run), describe(reference));
                QCOMPARE(run.output, reference.output);
            }
        }
    }
}

// A full disk stops the batch as it stops one thread: the failure is reported, and what was
// written is the start of the output.
void TestCsvBatchRunner::outputThatCannotBeWritten() {
    const std::string input = "h\n" + repeated("a,b\n\"c\nd\",e\n", 2000);
    const Run whole = runBatch(input, false, CsvBatchOptions{});
    QVERIFY(!whole.outcome.writeFailed);
    for (const unsigned jobs : {1u, 2u, 8u}) {
        CsvBatchOptions options;
        options.jobs = jobs;
        options.blockBytes = 100;
        std::istringstream stream{input};
        FullOutput full{1000};
        std::ostream output{&full};
        EchoRows work;
        const BatchOutcome outcome = veltrane::runCsvRows(stream, output, work, options);
        QVERIFY(outcome.writeFailed);
        QVERIFY(!outcome.malformed);
        QCOMPARE(full.written(), whole.output.substr(0, 1000));
    }
}

QTEST_GUILESS_MAIN(TestCsvBatchRunner)
#include "test_csv_batch_runner.moc"
