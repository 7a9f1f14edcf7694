#include <QtTest>

class Testcalculation : public QObject {
    Q_OBJECT
private slots:
    void placeholder() { QVERIFY(true); }
};

QTEST_APPLESS_MAIN(Testcalculation)
#include "test_calculation.moc"
