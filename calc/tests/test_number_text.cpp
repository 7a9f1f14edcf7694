#include <QtTest>

class Testnumber_text : public QObject {
    Q_OBJECT
private slots:
    void placeholder() { QVERIFY(true); }
};

QTEST_APPLESS_MAIN(Testnumber_text)
#include "test_number_text.moc"
