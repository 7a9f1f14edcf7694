#include "csv/reader.h"
#include "csv/writer.h"

#include <QTest>
#include <sstream>
#include <string>

using veltrane::CsvReader;
using veltrane::CsvRecord;

namespace {

using Records = QList<QStringList>;

struct ReadResult {
    Records records;
    QList<quint64> lines;
    QString error;
    quint64 errorLine = 0;
    veltrane::CsvErrorKind kind = veltrane::CsvErrorKind::syntax;
};

ReadResult readAll(const std::string& bytes) {
    std::istringstream input{bytes};
    CsvReader reader{input};
    CsvRecord record;
    ReadResult result;
    while (reader.next(record)) {
        QStringList fields;
        for (std::size_t i = 0; i < record.size(); ++i) {
            const std::string_view field = record.field(i);
            fields << QString::fromUtf8(field.data(), static_cast<qsizetype>(field.size()));
        }
        result.records << fields;
        result.lines << record.line();
    }
    if (reader.error()) {
        result.error = QString::fromStdString(reader.error()->message);
        result.errorLine = reader.error()->line;
        result.kind = reader.error()->kind;
    }
    return result;
}

} // namespace

class TestCsvReader : public QObject {
    Q_OBJECT

private slots:
    void wellFormed_data();
    void wellFormed();
    void malformed_data();
    void malformed();
    void recordsStartOnTheirLines();
    void blankLinesAndLineEndingsAreReported();
    void quotesSplitAcrossReads();
    void overlongRecordIsAnError_data();
    void overlongRecordIsAnError();
    void fieldsAreWrittenBackAsRead_data();
    void fieldsAreWrittenBackAsRead();
    void otherDelimiters();
    void peekLineLooksAheadWithoutReading();
};

void TestCsvReader::wellFormed_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<Records>("expected");

    QTest::newRow("empty input has no records") << QByteArray("") << Records{};
    QTest::newRow("one field, no line ending") << QByteArray("a") << Records{{"a"}};
    QTest::newRow("LF endings") << QByteArray("a,b\nc,d\n") << Records{{"a", "b"}, {"c", "d"}};
    QTest::newRow("CR LF endings")
        << QByteArray("a,b\r\nc,d\r\n") << Records{{"a", "b"}, {"c", "d"}};
    QTest::newRow("last record without ending")
        << QByteArray("a,b\nc,d") << Records{{"a", "b"}, {"c", "d"}};
    QTest::newRow("empty fields") << QByteArray(",,\n") << Records{{"", "", ""}};
    QTest::newRow("trailing comma gives an empty last field")
        << QByteArray("a,\n") << Records{{"a", ""}};
    QTest::newRow("quoted comma") << QByteArray("\"a,b\",c\n") << Records{{"a,b", "c"}};
    QTest::newRow("doubled quotes")
        << QByteArray("\"say \"\"hi\"\"\"\n") << Records{{"say \"hi\""}};
    QTest::newRow("quoted empty field") << QByteArray("\"\",x\n") << Records{{"", "x"}};
    QTest::newRow("line breaks inside quotes")
        << QByteArray("\"one\ntwo\r\nthree\",x\n") << Records{{"one\ntwo\r\nthree", "x"}};
    QTest::newRow("blanks are kept") << QByteArray(" a , b \n") << Records{{" a ", " b "}};
    QTest::newRow("UTF-8 passes through")
        << QByteArray("1.234,50\xc2\xa0\xe2\x82\xac\n") << Records{{"1.234", "50\u00a0€"}};
    QTest::newRow("byte order mark is skipped")
        << QByteArray("\xef\xbb\xbfoption_price\n1\n") << Records{{"option_price"}, {"1"}};
    QTest::newRow("blank line is one empty field")
        << QByteArray("a\n\nb\n") << Records{{"a"}, {""}, {"b"}};
    QTest::newRow("UTF-8 of two, three and four bytes, the last ones allowed")
        << QByteArray("\xc3\xa4,\xe2\x82\xac,\xf0\x9f\x98\x80,\xef\xbf\xbf\xf4\x8f\xbf\xbf\n")
        << Records{{"ä", "€", "😀", "\uffff\U0010ffff"}};
}

void TestCsvReader::wellFormed() {
    QFETCH(QByteArray, input);
    QFETCH(Records, expected);

    const ReadResult result = readAll(input.toStdString());
    QCOMPARE(result.error, QString{});
    QCOMPARE(result.records, expected);
}

void TestCsvReader::malformed_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("message");
    QTest::addColumn<quint64>("line");
    QTest::addColumn<int>("recordsBefore");

    QTest::newRow("quote inside an unquoted field")
        << QByteArray("a,b\nc,d\"e\n") << "a quote inside a field that does not start with a quote"
        << quint64{2} << 1;
    QTest::newRow("text after a closing quote")
        << QByteArray("a\n\"b\"c\n") << "text after the closing quote of a field" << quint64{2}
        << 1;
    QTest::newRow("quoted field never closed names the line it opened on")
        << QByteArray("a\nb\n\"c\nd\ne\n") << "a quoted field that starts on line 3 is never closed"
        << quint64{3} << 2;
    QTest::newRow("lone carriage return")
        << QByteArray("a\rb\n") << "a carriage return that is not followed by a line feed"
        << quint64{1} << 0;
    QTest::newRow("carriage return at the very end")
        << QByteArray("a\nb\r") << "a carriage return that is not followed by a line feed"
        << quint64{2} << 1;
    QTest::newRow("Windows-1252's euro sign")
        << QByteArray("a\n1,25 \x80\n") << "the byte 0x80 begins no UTF-8 character" << quint64{2}
        << 1;
    QTest::newRow("Windows-1252's a umlaut before a letter")
        << QByteArray("a\nB\xe4r\n") << "the bytes 0xE4 0x72 are no UTF-8 character" << quint64{2}
        << 1;
    QTest::newRow("an overlong slash")
        << QByteArray("\xc0\xaf\n") << "the byte 0xC0 begins no UTF-8 character" << quint64{1} << 0;
    QTest::newRow("a surrogate") << QByteArray("a\n\xed\xa0\x80\n")
                                 << "the bytes 0xED 0xA0 are no UTF-8 character" << quint64{2} << 1;
    QTest::newRow("beyond U+10FFFF")
        << QByteArray("\xf4\x90\x80\x80") << "the bytes 0xF4 0x90 are no UTF-8 character"
        << quint64{1} << 0;
    QTest::newRow("a character the input ends inside")
        << QByteArray("a\n\xe2\x82") << "the input ends inside a UTF-8 character" << quint64{2}
        << 1;
    QTest::newRow("on the third line of a quoted field, named by its own line")
        << QByteArray("a\n\"x\ny\n\xff\"\n") << "the byte 0xFF begins no UTF-8 character"
        << quint64{4} << 1;
}

void TestCsvReader::malformed() {
    QFETCH(QByteArray, input);
    QFETCH(QString, message);
    QFETCH(quint64, line);
    QFETCH(int, recordsBefore);

    const ReadResult result = readAll(input.toStdString());
    QCOMPARE(result.error, message);
    QCOMPARE(result.errorLine, line);
    QCOMPARE(result.records.size(), recordsBefore);
    QCOMPARE(result.kind == veltrane::CsvErrorKind::encoding, message.contains("UTF-8"));
}

void TestCsvReader::recordsStartOnTheirLines() {
    const ReadResult result = readAll("a\n\"b\nc\",d\r\ne\n");
    QCOMPARE(result.records.size(), 3);
    QCOMPARE(result.lines, (QList<quint64>{1, 2, 4}));
}

void TestCsvReader::blankLinesAndLineEndingsAreReported() {
    std::istringstream input{"a\r\n\nb\n\"\"\n"};
    CsvReader reader{input};
    CsvRecord record;

    QVERIFY(reader.next(record));
    QVERIFY(record.endedWithCrLf());
    QVERIFY(!record.blank());
    QVERIFY(reader.next(record));
    QVERIFY(record.blank());
    QVERIFY(!record.endedWithCrLf());
    QVERIFY(reader.next(record));
    QVERIFY(!record.blank());
    QVERIFY(reader.next(record));
    QVERIFY2(!record.blank(), "a quoted empty field is a value, not a blank line");
    QVERIFY(!reader.next(record));
    QVERIFY(!reader.error());
}

// The reader takes its input in blocks: a doubled quote, a CR LF or a character split between two
// blocks must read the same as one inside a block, and a fault after the split names its line.
void TestCsvReader::quotesSplitAcrossReads() {
    for (std::size_t padding = 65'520; padding <= 65'540; ++padding) {
        const std::string input = std::string(padding, 'x') +
                                  "\xf0\x9f\x98\x80,\"a\"\"b\"\r\n\"c\r\nd\",e\r\n\xe2\x82\xac\x80";
        const ReadResult result = readAll(input);
        QCOMPARE(result.error, QStringLiteral("the byte 0x80 begins no UTF-8 character"));
        QCOMPARE(result.errorLine, quint64{4});
        QCOMPARE(result.records.size(), 2);
        QCOMPARE(result.records[0][0], QString(static_cast<qsizetype>(padding), u'x') + "😀");
        QCOMPARE(result.records[0][1], QStringLiteral("a\"b"));
        QCOMPARE(result.records[1], (QStringList{"c\r\nd", "e"}));
        QCOMPARE(result.lines, (QList<quint64>{1, 2}));
    }
}

void TestCsvReader::overlongRecordIsAnError_data() {
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<bool>("tooLong");

    // Every byte of the record counts, whatever it stands for; its line ending does not.
    const auto limit = static_cast<qsizetype>(CsvReader::maxRecordBytes);
    const auto quotedEmpty = [](qsizetype fields) { return QByteArray{"\"\","}.repeated(fields); };
    QTest::newRow("a quoted field's text one byte too long")
        << "\"" + QByteArray(limit + 1, 'x') + "\"" << true;
    QTest::newRow("its quotes one byte too many")
        << "\"" + QByteArray(limit - 1, 'x') + "\"" << true;
    QTest::newRow("the text and quotes of a field exactly at the limit")
        << "\"" + QByteArray(limit - 2, 'x') + "\"" << false;
    QTest::newRow("empty fields, their delimiters one too many")
        << QByteArray(limit + 1, ',') << true;
    QTest::newRow("empty fields, their delimiters exactly at the limit")
        << QByteArray(limit, ',') << false;
    QTest::newRow("the limit and a CR LF") << QByteArray(limit, ',') + "\r" << false;
    QTest::newRow("quoted empty fields") << quotedEmpty(limit / 3 + 1) << true;
    QTest::newRow("doubled quotes count twice")
        << "\"" + QByteArray{"\"\""}.repeated(limit / 2) + "\"" << true;
    QTest::newRow("a line break inside quotes")
        << "\"" + QByteArray(limit - 3, 'x') + "\r\n\"" << true;
}

void TestCsvReader::overlongRecordIsAnError() {
    QFETCH(QByteArray, record);
    QFETCH(bool, tooLong);

    const ReadResult result = readAll("a\n" + record.toStdString() + "\nb\n");
    if (!tooLong) {
        QCOMPARE(result.error, QString{});
        QCOMPARE(result.records.size(), 3);
        return;
    }
    QCOMPARE(result.records.size(), 1);
    QCOMPARE(result.error, QStringLiteral("a record longer than 1048576 bytes"));
    QCOMPARE(result.errorLine, quint64{2});
}

void TestCsvReader::fieldsAreWrittenBackAsRead_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("written");

    QTest::newRow("plain") << "abc"
                           << "abc";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("comma") << "a,b"
                           << "\"a,b\"";
    QTest::newRow("quote") << R"(say "hi")"
                           << R"("say ""hi""")";
    QTest::newRow("line feed") << "a\nb"
                               << "\"a\nb\"";
    QTest::newRow("carriage return") << "a\rb"
                                     << "\"a\rb\"";
    QTest::newRow("blanks need no quotes") << " a "
                                           << " a ";
}

void TestCsvReader::fieldsAreWrittenBackAsRead() {
    QFETCH(QString, field);
    QFETCH(QString, written);

    std::string line;
    veltrane::appendCsvField(line, field.toStdString());
    QCOMPARE(QString::fromStdString(line), written);

    const ReadResult readBack = readAll(line + "\n");
    QCOMPARE(readBack.records, (Records{{field}}));
}

// A ";" file: commas are text, a quoted ";" is text, and writing quotes what the delimiter needs.
void TestCsvReader::otherDelimiters() {
    std::istringstream input{"a;\"b;c\";1,25\r\n"};
    CsvReader reader{input, ';'};
    CsvRecord record;
    QVERIFY(reader.next(record));
    QCOMPARE(record.size(), std::size_t{3});
    QCOMPARE(QByteArray::fromStdString(std::string{record.field(1)}), QByteArray{"b;c"});
    QCOMPARE(QByteArray::fromStdString(std::string{record.field(2)}), QByteArray{"1,25"});

    std::string line;
    veltrane::appendCsvField(line, "1,25", ';');
    veltrane::appendCsvField(line, "b;c", ';');
    QCOMPARE(QByteArray::fromStdString(line), QByteArray{"1,25\"b;c\""});
}

// The delimiter is told from the header before it is read, wherever the buffer ends.
void TestCsvReader::peekLineLooksAheadWithoutReading() {
    for (std::size_t padding : {std::size_t{0}, std::size_t{65'530}}) {
        // Blank lines in front push the header across the end of the first block.
        const std::string input = "\xef\xbb\xbf" + std::string(padding, '\n') + "a;b;c\r\n1;2;3\n";
        std::istringstream stream{input};
        CsvReader reader{stream};
        CsvRecord record;
        for (std::size_t i = 0; i < padding; ++i) {
            QVERIFY(reader.next(record));
        }
        QCOMPARE(QByteArray::fromStdString(std::string{reader.peekLine()}), QByteArray{"a;b;c"});
        QVERIFY(reader.hadByteOrderMark());
        reader.setDelimiter(';');
        QVERIFY(reader.next(record));
        QCOMPARE(record.size(), std::size_t{3});
        QVERIFY(reader.next(record));
        QCOMPARE(QByteArray::fromStdString(std::string{record.field(2)}), QByteArray{"3"});
    }
}

QTEST_APPLESS_MAIN(TestCsvReader)
#include "test_reader.moc"
