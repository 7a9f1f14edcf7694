#include <QTest>
class TestOdds : public QObject {
    Q_OBJECT
};
QTEST_APPLESS_MAIN(TestOdds)
#include "test_odds.moc"
