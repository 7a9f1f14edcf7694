// The chart as a PNG without a window or a display, as the command line writes it.

#include "chart/chart_colours.h"
#include "chart/payoff_chart_png.h"
#include "chart/tests/payoff_positions.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

using veltrane::PayoffChartModel;
using veltrane::writePayoffChartPng;

Q_DECLARE_METATYPE(PayoffChartModel)

namespace {

int pixelsNear(const QImage& image, const QColor& colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) < 8 &&
                std::abs(pixel.green() - colour.green()) < 8 &&
                std::abs(pixel.blue() - colour.blue()) < 8) {
                ++count;
            }
        }
    }
    return count;
}

} // namespace

class TestPayoffChartPng : public QObject {
    Q_OBJECT

private slots:
    void writesThePictureAtTheAskedSize_data();
    void writesThePictureAtTheAskedSize();
    void refusesWhatItCannotWrite();
    void replacesAnOldPictureWhole();
};

void TestPayoffChartPng::writesThePictureAtTheAskedSize_data() {
    QTest::addColumn<PayoffChartModel>("model");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("roomForRegions");
    QTest::addColumn<bool>("band");
    const PayoffChartModel worked = veltrane::testing::workedExample();
    const PayoffChartModel belowACent =
        veltrane::testing::analysed("0.0003", "0.0010", "0.0008", "100");
    const PayoffChartModel tensOfThousands =
        veltrane::testing::analysed("1250", "30000", "28500", "500");
    QTest::newRow("640 x 400") << worked << QSize(640, 400) << true << false;
    QTest::newRow("1200 x 800") << worked << QSize(1200, 800) << true << false;
    QTest::newRow("small: 200 x 120") << worked << QSize(200, 120) << false << false;
    QTest::newRow("below a cent, 960 x 600") << belowACent << QSize(960, 600) << true << false;
    QTest::newRow("below a cent, small: 200 x 120")
        << belowACent << QSize(200, 120) << false << false;
    QTest::newRow("tens of thousands, 960 x 600")
        << tensOfThousands << QSize(960, 600) << true << false;
    QTest::newRow("tens of thousands, 320 x 200")
        << tensOfThousands << QSize(320, 200) << false << false;
    QTest::newRow("the model's range, 640 x 400")
        << veltrane::testing::workedExampleWithOdds(25.07, 32.48) << QSize(640, 400) << true
        << true;
}

void TestPayoffChartPng::writesThePictureAtTheAskedSize() {
    QFETCH(PayoffChartModel, model);
    QFETCH(QSize, size);
    QFETCH(bool, roomForRegions);
    QFETCH(bool, band);
    // No Qt application runs here: the writer starts its own on the offscreen platform.
    QVERIFY(QCoreApplication::instance() == nullptr);
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("chart.png"));
    QVERIFY(writePayoffChartPng(model, {}, size, path));
    QVERIFY(QCoreApplication::instance() == nullptr);
    QImage image;
    QVERIFY(image.load(path, "PNG"));
    QCOMPARE(image.size(), size);
    // White paper, black ink, and both regions in their own colours.
    const veltrane::ChartColours colours = veltrane::ChartColours::light();
    QVERIFY(pixelsNear(image, Qt::white) > image.width() * image.height() / 4);
    QVERIFY(pixelsNear(image, Qt::black) > 0);
    if (roomForRegions) {
        QVERIFY(pixelsNear(image, colours.profit) > 0);
        QVERIFY(pixelsNear(image, colours.loss) > 0);
    }
    // The range a light grey wash, a twentieth of the picture at least where it is shown.
    QCOMPARE(pixelsNear(image, QColor(230, 230, 230)) > size.width() * size.height() / 20, band);
    // No ink within 8 pixels of the edge: every title and label keeps its margin.
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const bool edge = x < 8 || y < 8 || x >= image.width() - 8 || y >= image.height() - 8;
            QVERIFY2(!edge || image.pixelColor(x, y) == colours.background,
                     qPrintable(QStringLiteral("ink at %1,%2").arg(x).arg(y)));
        }
    }
}

void TestPayoffChartPng::refusesWhatItCannotWrite() {
    const QTemporaryDir folder;
    QVERIFY(!writePayoffChartPng(veltrane::testing::workedExample(), {}, QSize(0, 100),
                                 folder.filePath(QStringLiteral("empty.png"))));
    QString why;
    QVERIFY(!writePayoffChartPng(veltrane::testing::workedExample(), {}, QSize(100, 100),
                                 folder.filePath(QStringLiteral("no/such/folder/chart.png")),
                                 &why));
    QCOMPARE(why, QStringLiteral("No such file or directory"));
    QVERIFY(!QDir(folder.path()).exists(QStringLiteral("empty.png")));
}

// A chart written over an old file replaces it, and no temporary file is left beside it.
void TestPayoffChartPng::replacesAnOldPictureWhole() {
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("chart.png"));
    QFile old{path};
    QVERIFY(old.open(QIODevice::WriteOnly));
    QVERIFY(old.write(QByteArray(100'000, 'x')) == 100'000);
    old.close();
    QVERIFY(writePayoffChartPng(veltrane::testing::workedExample(), {}, QSize(320, 200), path));
    QImage image;
    QVERIFY(image.load(path, "PNG"));
    QCOMPARE(image.size(), QSize(320, 200));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("chart.png")});
}

// No application object: the chart writer must bring its own, as the command line's does.
int main(int argc, char* argv[]) {
    TestPayoffChartPng test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_payoff_chart_png.moc"
