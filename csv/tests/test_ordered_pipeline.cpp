#include "csv/ordered_pipeline.h"

#include <QTest>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

using veltrane::OrderedPipeline;

namespace {

struct Item {
    int number = -1;
    std::string text;
    std::thread::id computedOn;
};

// Work whose time varies from item to item, so that later items often finish first.
void slowSquare(Item& item) {
    if (item.number % 7 == 3) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    item.text = std::to_string(item.number * item.number);
    item.computedOn = std::this_thread::get_id();
}

} // namespace

class TestOrderedPipeline : public QObject {
    Q_OBJECT

private slots:
    void resultsComeInInputOrder_data();
    void resultsComeInInputOrder();
    void noThreadWithoutWorkers();
    void stopsAfterTheItemConsumerRefuses_data();
    void stopsAfterTheItemConsumerRefuses();
    void computationErrorReachesTheCaller_data();
    void computationErrorReachesTheCaller();
    void runsAgain();
};

void TestOrderedPipeline::resultsComeInInputOrder_data() {
    QTest::addColumn<unsigned>("workers");
    QTest::addColumn<int>("window");
    QTest::addColumn<int>("items");

    QTest::newRow("no worker") << 0u << 1 << 100;
    QTest::newRow("one worker, one slot") << 1u << 1 << 100;
    QTest::newRow("two workers, four slots") << 2u << 4 << 1000;
    QTest::newRow("eight workers, sixteen slots") << 8u << 16 << 1000;
    QTest::newRow("more workers than slots") << 8u << 3 << 300;
    QTest::newRow("no items") << 4u << 8 << 0;
    QTest::newRow("fewer items than workers") << 8u << 16 << 3;
}

// Results come back in order, each computed from its own item, and no more than `window` items
// exist between being produced and consumed: memory does not grow with the number of items.
void TestOrderedPipeline::resultsComeInInputOrder() {
    QFETCH(unsigned, workers);
    QFETCH(int, window);
    QFETCH(int, items);

    OrderedPipeline<Item> pipeline{workers, static_cast<std::size_t>(window), slowSquare};
    int produced = 0;
    int consumed = 0;
    int mostInFlight = 0;
    QStringList wrong;
    pipeline.run(
        [&](Item& item) {
            if (produced == items) {
                return false;
            }
            item.number = produced++;
            item.text = "not computed";
            mostInFlight = std::max(mostInFlight, produced - consumed);
            return true;
        },
        [&](Item& item) {
            if (item.number != consumed || item.text != std::to_string(consumed * consumed)) {
                wrong << QStringLiteral("%1: item %2 gave %3")
                             .arg(consumed)
                             .arg(item.number)
                             .arg(QString::fromStdString(item.text));
            }
            ++consumed;
            return true;
        });
    QCOMPARE(wrong, QStringList{});
    QCOMPARE(consumed, items);
    QVERIFY2(mostInFlight <= window, qPrintable(QString::number(mostInFlight)));
}

void TestOrderedPipeline::noThreadWithoutWorkers() {
    OrderedPipeline<Item> pipeline{0, 4, slowSquare};
    int produced = 0;
    bool elsewhere = false;
    pipeline.run([&](Item& item) { return (item.number = produced++) < 10; },
                 [&](Item& item) {
                     elsewhere = elsewhere || item.computedOn != std::this_thread::get_id();
                     return true;
                 });
    QVERIFY(!elsewhere);
    QCOMPARE(produced, 11);
}

void TestOrderedPipeline::stopsAfterTheItemConsumerRefuses_data() {
    QTest::addColumn<unsigned>("workers");
    QTest::newRow("no worker") << 0u;
    QTest::newRow("one worker") << 1u;
    QTest::newRow("four workers") << 4u;
}

// As one thread would: items up to the refused one are consumed, none after it, and no more is
// produced than the window holds beyond it. The input need not end for the run to end.
void TestOrderedPipeline::stopsAfterTheItemConsumerRefuses() {
    QFETCH(unsigned, workers);
    constexpr int window = 6;
    constexpr int refused = 40;
    OrderedPipeline<Item> pipeline{workers, window, slowSquare};
    int produced = 0;
    QList<int> seen;
    pipeline.run(
        [&](Item& item) {
            item.number = produced++;
            return true;
        },
        [&](Item& item) {
            seen << item.number;
            return item.number != refused;
        });
    QCOMPARE(seen.size(), refused + 1);
    QCOMPARE(seen.last(), refused);
    QVERIFY2(produced <= refused + window, qPrintable(QString::number(produced)));
}

void TestOrderedPipeline::computationErrorReachesTheCaller_data() {
    stopsAfterTheItemConsumerRefuses_data();
}

// An exception in a worker (memory running out, say) is not lost nor fatal: the caller gets it
// in order, after the items before it.
void TestOrderedPipeline::computationErrorReachesTheCaller() {
    QFETCH(unsigned, workers);
    OrderedPipeline<Item> pipeline{workers, 4, [](Item& item) {
                                       if (item.number == 25) {
                                           throw std::runtime_error{"item 25"};
                                       }
                                       slowSquare(item);
                                   }};
    int produced = 0;
    int consumed = 0;
    QString caught;
    try {
        pipeline.run(
            [&](Item& item) {
                item.number = produced++;
                return produced <= 1000;
            },
            [&](Item&) {
                ++consumed;
                return true;
            });
    } catch (const std::runtime_error& error) {
        caught = QString::fromUtf8(error.what());
    }
    QCOMPARE(caught, QStringLiteral("item 25"));
    QCOMPARE(consumed, 25);
}

// A pipeline can run more than once, as a program reading several inputs would run it.
void TestOrderedPipeline::runsAgain() {
    OrderedPipeline<Item> pipeline{3, 5, slowSquare};
    for (int round = 0; round < 3; ++round) {
        int produced = 0;
        int consumed = 0;
        pipeline.run(
            [&](Item& item) {
                item.number = produced;
                return produced++ < 50;
            },
            [&](Item& item) { return item.number == consumed++; });
        QCOMPARE(consumed, 50);
    }
}

QTEST_GUILESS_MAIN(TestOrderedPipeline)
#include "test_ordered_pipeline.moc"
