#include "csv/line_writer.h"
#include "csv/writer.h"

#include <QtTest>
#include <random>
#include <string>
#include <vector>

namespace {

using Fields = std::vector<std::string>;

// The line as RFC 4180 has it, written here on its own: a field holding the delimiter, a quote,
// CR or LF in quotes, its quotes doubled; any other as it is.
std::string reference(const Fields& fields, char delimiter, std::string_view ending) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        line += i > 0 ? std::string(1, delimiter) : "";
        const std::string& field = fields[i];
        if (field.find_first_of(std::string{delimiter} + "\"\r\n") == std::string::npos) {
            line += field;
            continue;
        }
        line += '"';
        for (const char c : field) {
            line += c == '"' ? "\"\"" : std::string(1, c);
        }
        line += '"';
    }
    return line.append(ending);
}

// The line as appendCsvField writes it, field by field.
std::string fieldByField(const Fields& fields, char delimiter, std::string_view ending) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line.push_back(delimiter);
        }
        veltrane::appendCsvField(line, fields[i], delimiter);
    }
    line.append(ending);
    return line;
}

std::string atOnce(const std::string& before, const Fields& fields, char delimiter,
                   std::string_view ending) {
    std::string line = before;
    std::size_t bytes = 0;
    for (const std::string& field : fields) {
        bytes += field.size();
    }
    veltrane::CsvLineWriter writer{line, fields.size(), bytes, delimiter};
    for (const std::string& field : fields) {
        writer.field(field);
    }
    writer.end(ending);
    return line;
}

} // namespace

Q_DECLARE_METATYPE(Fields)

// A line written at once, and one written field by field, is the line RFC 4180 has, byte for byte.
class TestCsvLineWriter : public QObject {
    Q_OBJECT

private slots:
    void sameAsTheReference_data() {
        QTest::addColumn<Fields>("fields");
        QTest::addColumn<char>("delimiter");

        QTest::newRow("plain") << Fields{"1", "1.25", "$625.00", "38.40%"} << ',';
        QTest::newRow("one empty field") << Fields{""} << ',';
        QTest::newRow("empty fields") << Fields{"", "", ""} << ',';
        QTest::newRow("the delimiter inside") << Fields{"a,b", "c"} << ',';
        QTest::newRow("semicolon delimiter, comma kept bare") << Fields{"1,25", "b;c"} << ';';
        QTest::newRow("tab delimiter") << Fields{"a\tb", "c d"} << '\t';
        QTest::newRow("quotes doubled") << Fields{"say \"hi\"", "\"", "\"\""} << ',';
        QTest::newRow("line breaks") << Fields{"a\nb", "c\r\nd", "\r"} << ',';
        QTest::newRow("bytes below the quote that need none")
            << Fields{" !", std::string{"\x01\x1f", 2}, std::string(1, '\0')} << ',';
        QTest::newRow("UTF-8") << Fields{"1\u202f234,50\u00a0€", "(¤1)"} << ';';
        QTest::newRow("every field quoted, all quotes")
            << Fields{std::string(100, '"'), std::string(7, ',')} << ',';
    }

    void sameAsTheReference() {
        QFETCH(Fields, fields);
        QFETCH(char, delimiter);
        for (const std::string_view ending : {"\n", "\r\n"}) {
            const std::string expected = reference(fields, delimiter, ending);
            QCOMPARE(QByteArray::fromStdString(fieldByField(fields, delimiter, ending)),
                     QByteArray::fromStdString(expected));
            QCOMPARE(QByteArray::fromStdString(atOnce({}, fields, delimiter, ending)),
                     QByteArray::fromStdString(expected));
            // After lines already written: they stay as they were.
            QCOMPARE(QByteArray::fromStdString(atOnce("x,y\n", fields, delimiter, ending)),
                     QByteArray::fromStdString("x,y\n" + expected));
        }
    }

    // Fields of the bytes that matter, a fixed seed so that a failure fails again.
    void randomFields() {
        std::mt19937 random{20'261'207};
        constexpr std::string_view alphabet = "ab1.,;\t\"\r\n $";
        for (int line = 0; line < 5'000; ++line) {
            Fields fields(1 + random() % 12);
            for (std::string& field : fields) {
                const std::size_t length = random() % 9;
                for (std::size_t i = 0; i < length; ++i) {
                    field.push_back(alphabet[random() % alphabet.size()]);
                }
            }
            const char delimiter = std::string_view{",;\t"}[random() % 3];
            const std::string expected = reference(fields, delimiter, "\n");
            QCOMPARE(QByteArray::fromStdString(fieldByField(fields, delimiter, "\n")),
                     QByteArray::fromStdString(expected));
            QCOMPARE(QByteArray::fromStdString(atOnce({}, fields, delimiter, "\n")),
                     QByteArray::fromStdString(expected));
        }
    }
};

QTEST_APPLESS_MAIN(TestCsvLineWriter)
#include "test_line_writer.moc"
