#include "identity/identity.h"
#include "identity/version.h"

#include <QtTest>

using namespace veltrane;

class TestIdentity : public QObject {
    Q_OBJECT

private slots:
    void versionTexts();
    void versionNumbers();
    void fixedPart();
    void stringTable_data();
    void stringTable();
    void stringTableOrder();
    void translation();
    void report();
    void applicationIdIsReverseDns();
};

void TestIdentity::versionTexts() {
    QCOMPARE(identity::versionText(), std::string("1.0.2"));
    QCOMPARE(identity::versionRecordText(), std::string("1.00.0002"));
}

// The numbers the About box is given when the program runs.
void TestIdentity::versionNumbers() {
    QCOMPARE(identity::version.majorNumber, 1);
    QCOMPARE(identity::version.minorNumber, 0);
    QCOMPARE(identity::version.revision, 2);
}

void TestIdentity::fixedPart() {
    const identity::FixedVersionInfo fixed = identity::versionRecord().fixed;
    const std::array<std::uint16_t, 4> expected{1, 0, 0, 2};
    QVERIFY(fixed.fileVersion == expected);
    QVERIFY(fixed.productVersion == expected);
    QCOMPARE(fixed.fileFlagsMask, 0u);
    QCOMPARE(fixed.fileFlags, 0u);
    QCOMPARE(fixed.fileOs, 4u);
    QCOMPARE(fixed.fileType, 1u);
    QCOMPARE(fixed.fileSubtype, 0u);
}

void TestIdentity::stringTable_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("company") << "CompanyName"
                             << "Veltrane Software";
    QTest::newRow("product") << "ProductName"
                             << "Veltrane";
    QTest::newRow("file version text") << "FileVersion"
                                       << "1.00.0002";
    QTest::newRow("product version text") << "ProductVersion"
                                          << "1.00.0002";
    QTest::newRow("internal name") << "InternalName"
                                   << "Pravik";
    QTest::newRow("original file name") << "OriginalFilename"
                                        << "Pravik.exe";
}

void TestIdentity::stringTable() {
    QFETCH(QString, key);
    QFETCH(QString, value);
    const identity::VersionRecord record = identity::versionRecord();
    QCOMPARE(record.stringTableKey, std::string("040904B0"));
    int found = 0;
    for (const identity::VersionString& entry : record.strings) {
        if (QString::fromStdString(entry.key) == key) {
            ++found;
            QCOMPARE(QString::fromStdString(entry.value), value);
        }
    }
    QCOMPARE(found, 1);
}

void TestIdentity::stringTableOrder() {
    QStringList keys;
    for (const identity::VersionString& entry : identity::versionRecord().strings) {
        keys << QString::fromStdString(entry.key);
    }
    QCOMPARE(keys, QStringList({"CompanyName", "ProductName", "FileVersion", "ProductVersion",
                                "InternalName", "OriginalFilename"}));
}

void TestIdentity::translation() {
    const identity::VersionRecord record = identity::versionRecord();
    QCOMPARE(record.translationLanguage, std::uint16_t{0x0409});
    QCOMPARE(record.translationCodePage, std::uint16_t{0x04B0});
}

void TestIdentity::report() {
    const QString report = QString::fromStdString(identity::versionRecordReport());
    QCOMPARE(report, QString("FileVersion (fixed): 1.0.0.2\n"
                             "ProductVersion (fixed): 1.0.0.2\n"
                             "FileFlagsMask: 0\n"
                             "FileFlags: 0\n"
                             "FileOS: 4\n"
                             "FileType: 1\n"
                             "FileSubtype: 0\n"
                             "StringFileInfo 040904B0:\n"
                             "  CompanyName: Veltrane Software\n"
                             "  ProductName: Veltrane\n"
                             "  FileVersion: 1.00.0002\n"
                             "  ProductVersion: 1.00.0002\n"
                             "  InternalName: Pravik\n"
                             "  OriginalFilename: Pravik.exe\n"
                             "Translation: 0409 04B0\n"));
}

void TestIdentity::applicationIdIsReverseDns() {
    // The desktop entry's file name is built from the id, so it must be a valid D-Bus name too.
    const QString id = QString::fromUtf8(identity::applicationId.data(),
                                         static_cast<qsizetype>(identity::applicationId.size()));
    const QStringList parts = id.split('.');
    QVERIFY(parts.size() >= 3);
    for (const QString& part : parts) {
        QVERIFY2(!part.isEmpty() && !part.front().isDigit(), qPrintable(part));
        for (QChar c : part) {
            QVERIFY2(c.isLetterOrNumber() || c == '_', qPrintable(part));
            QVERIFY(c.unicode() < 128);
        }
    }
    const QString title =
        QString::fromUtf8(identity::title.data(), static_cast<qsizetype>(identity::title.size()));
    QVERIFY(id.endsWith("." + title.toLower()));
}

QTEST_GUILESS_MAIN(TestIdentity)
#include "test_identity.moc"
