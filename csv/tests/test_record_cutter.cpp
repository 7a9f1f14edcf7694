#include "csv/reader.h"
#include "csv/record_cutter.h"

#include <QTest>
#include <sstream>
#include <string>

using veltrane::CsvReader;
using veltrane::CsvRecord;
using veltrane::RecordBlock;
using veltrane::RecordCutter;

namespace {

// Every record with the line it starts on, then the error and its line: what a reader makes of
// an input, written out so two readings compare at a glance.
QStringList readRecords(std::istream& input, std::uint64_t firstLine, bool& failed) {
    CsvReader reader{input, ',', firstLine};
    CsvRecord record;
    QStringList lines;
    while (reader.next(record)) {
        QString text = QString::number(record.line()) + u':';
        for (std::size_t i = 0; i < record.size(); ++i) {
            const std::string_view field = record.field(i);
            text +=
                u'[' + QString::fromUtf8(field.data(), static_cast<qsizetype>(field.size())) + u']';
        }
        if (record.blank()) {
            text += QStringLiteral(" blank");
        }
        if (record.endedWithCrLf()) {
            text += QStringLiteral(" crlf");
        }
        lines << text;
    }
    failed = reader.error().has_value();
    if (failed) {
        lines << QStringLiteral("error on line %1: %2")
                     .arg(reader.error()->line)
                     .arg(QString::fromStdString(reader.error()->message));
    }
    return lines;
}

QStringList readWhole(const std::string& bytes) {
    std::istringstream input{bytes};
    bool failed = false;
    return readRecords(input, 1, failed);
}

// Reads the blocks one by one, each with a reader of its own, up to the first error.
QStringList readInBlocks(const std::string& bytes, std::size_t blockBytes, std::size_t openLimit,
                         QString& cutFault) {
    std::istringstream input{bytes};
    RecordCutter cutter{input, blockBytes, openLimit};
    RecordBlock block;
    QStringList lines;
    std::string joined;
    while (cutter.next(block)) {
        joined += block.bytes;
        std::string rest;
        if (block.open) {
            rest.assign(std::istreambuf_iterator<char>{input}, {});
        }
        std::istringstream part{block.bytes + rest};
        joined += rest;
        bool failed = false;
        lines << readRecords(part, block.firstLine, failed);
        if (failed) {
            return lines;
        }
    }
    if (joined != bytes) {
        cutFault = QStringLiteral("the blocks do not add up to the input");
    }
    return lines;
}

} // namespace

class TestRecordCutter : public QObject {
    Q_OBJECT

private slots:
    void wholeRecordsLength_data();
    void wholeRecordsLength();
    void blocksReadAsTheWholeInput_data();
    void blocksReadAsTheWholeInput();
    void hugeRecordStaysInOneBlock();
    void recordBeyondTheLimitLeavesTheRestOpen();
    void blocksCountTheirFirstLine();
};

void TestRecordCutter::wholeRecordsLength_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("length");

    QTest::newRow("empty") << QByteArray("") << 0;
    QTest::newRow("no line feed yet") << QByteArray("a,b,c") << 0;
    QTest::newRow("one record") << QByteArray("a,b\n") << 4;
    QTest::newRow("a record and the start of the next") << QByteArray("a,b\nc,d") << 4;
    QTest::newRow("CR LF ends with its line feed") << QByteArray("a\r\nb\r\nc\r") << 6;
    QTest::newRow("line feed inside quotes is not an end") << QByteArray("\"a\nb\",c\nd") << 8;
    QTest::newRow("quoted field still open") << QByteArray("x\n\"abc\ndef\n") << 2;
    QTest::newRow("doubled quote keeps the field open")
        << QByteArray("\"say \"\"\nhi\"\"\",x\ny") << 16;
    QTest::newRow("empty quoted field closes at once") << QByteArray("\"\",a\nb") << 5;
    QTest::newRow("delimiters do not matter") << QByteArray("a;b\tc|d\n\"e;\n\"\tf\n") << 16;
    QTest::newRow("blank lines are records") << QByteArray("\n\n\nx") << 3;
}

void TestRecordCutter::wholeRecordsLength() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, length);
    QCOMPARE(RecordCutter::wholeRecordsLength(
                 std::string_view{bytes.constData(), static_cast<std::size_t>(bytes.size())}),
             static_cast<std::size_t>(length));
}

void TestRecordCutter::blocksReadAsTheWholeInput_data() {
    QTest::addColumn<QByteArray>("input");

    QTest::newRow("LF records") << QByteArray("h1,h2\na,b\nc,d\ne,f\n");
    QTest::newRow("CR LF records and no last ending") << QByteArray("h1,h2\r\na,b\r\nc,d\r\ne,f");
    QTest::newRow("quoted fields across lines")
        << QByteArray("note,x\n\"one\ntwo\nthree\",1\n\"a,\"\"b\"\"\nc\",2\nplain,3\n");
    QTest::newRow("quoted CR LF inside a CR LF file")
        << QByteArray("note,x\r\n\"one\r\ntwo\",1\r\n\"\r\n\",2\r\n");
    QTest::newRow("byte order mark, then one inside a later field")
        << QByteArray("\xEF\xBB\xBFh\nx\n\xEF\xBB\xBFy\nz\n");
    QTest::newRow("blank lines") << QByteArray("h\n\n\na\n\r\nb\n");
    QTest::newRow("quote inside an unquoted field late")
        << QByteArray("h,i\na,b\nc,d\ne\"f,g\nh,i\n");
    QTest::newRow("text after a closing quote late")
        << QByteArray("h,i\n\"a\nb\",c\n\"d\"x,e\nf,g\n");
    QTest::newRow("lone CR late") << QByteArray("h,i\na,b\nc\rd,e\nf,g\n");
    QTest::newRow("quoted field never closed") << QByteArray("h,i\na,b\n\"c,d\ne,f\ng,h\n");
    QTest::newRow("an odd quote in a bad field then a good quoted field")
        << QByteArray("h,i\na\"b,c\n\"d\ne\",f\n");
}

// Whatever the block size, reading the blocks apart gives the records, lines and first error
// of reading the input whole.
void TestRecordCutter::blocksReadAsTheWholeInput() {
    QFETCH(QByteArray, input);
    const std::string bytes = input.toStdString();
    const QStringList whole = readWhole(bytes);
    for (std::size_t blockBytes = 1; blockBytes <= bytes.size() + 1; ++blockBytes) {
        QString cutFault;
        const QStringList blocks = readInBlocks(bytes, blockBytes, 1 << 20, cutFault);
        if (blocks != whole || !cutFault.isEmpty()) {
            qInfo("block size %zu", blockBytes);
            QCOMPARE(cutFault, QString{});
            QCOMPARE(blocks, whole);
        }
    }
}

void TestRecordCutter::hugeRecordStaysInOneBlock() {
    const std::string field(300'000, 'x');
    const std::string bytes = "h,i\na,b\n\"" + field + "\n" + field + "\",c\nd,e\n";
    std::istringstream input{bytes};
    RecordCutter cutter{input, 1024, 1 << 20};
    RecordBlock block;
    QVERIFY(cutter.next(block));
    QCOMPARE(block.bytes, std::string{"h,i\na,b\n"});
    QVERIFY(cutter.next(block));
    QVERIFY(!block.open);
    QCOMPARE(block.firstLine, std::uint64_t{3});
    // The read that finds the record's end brings the short record after it along.
    QCOMPARE(block.bytes, "\"" + field + "\n" + field + "\",c\nd,e\n");
    QVERIFY(!cutter.next(block));
    QCOMPARE(cutter.line(), std::uint64_t{6});
}

// Memory stays bounded by the limit: what is past it is left in the stream for one reader.
void TestRecordCutter::recordBeyondTheLimitLeavesTheRestOpen() {
    const std::string field(50'000, ',');
    const std::string bytes = "h\na\n" + field + "\nb\nc\n";
    std::istringstream input{bytes};
    RecordCutter cutter{input, 16, 4096};
    RecordBlock block;
    QVERIFY(cutter.next(block));
    QVERIFY(!block.open);
    QCOMPARE(block.bytes, std::string{"h\na\n"});
    QVERIFY(cutter.next(block));
    QVERIFY(block.open);
    QCOMPARE(block.firstLine, std::uint64_t{3});
    QVERIFY(block.bytes.size() <= 4096 + 16);
    const std::string rest(std::istreambuf_iterator<char>{input}, {});
    QCOMPARE(block.bytes + rest, field + "\nb\nc\n");
    QVERIFY(!cutter.next(block));
}

// The line a block starts on counts every line feed before it, those inside quotes too, as
// the reader counts them: an error names the line a text editor shows.
void TestRecordCutter::blocksCountTheirFirstLine() {
    const std::string bytes = "h\n\"a\nb\nc\"\nd\r\ne\n";
    std::istringstream input{bytes};
    RecordCutter cutter{input, 1, 1 << 20};
    RecordBlock block;
    QList<quint64> firstLines;
    while (cutter.next(block)) {
        firstLines << block.firstLine;
    }
    QCOMPARE(firstLines, (QList<quint64>{1, 2, 5, 6}));
    QCOMPARE(cutter.line(), std::uint64_t{7});
}

QTEST_GUILESS_MAIN(TestRecordCutter)
#include "test_record_cutter.moc"
