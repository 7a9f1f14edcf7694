#include <QtTest>

class Testcurrency : public QObject {
    Q_OBJECT
private slots:
    void placeholder() { QVERIFY(true); }
};

QTEST_APPLESS_MAIN(Testcurrency)
#include "test_currency.moc"
