// The mapping from twips to pixels that both windows are laid out with.

#include "forms/twips_scale.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QtTest>

using veltrane::TwipsScale;

class TestTwipsScale : public QObject {
    Q_OBJECT

private slots:
    void pixels_data();
    void pixels();
    void designScaleKeepsTheDrawnPixels();
    void controlsThatMeetInTwipsMeetInPixels();
    void scaleFollowsTheFontsLetterWidth();
    void defaultFontFitsTheWidestLabel();
};

void TestTwipsScale::pixels_data() {
    QTest::addColumn<int>("twipsPerPixel");
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("pixels");
    QTest::newRow("15: whole pixel") << 15 << 2160 << 144;
    QTest::newRow("15: zero") << 15 << 0 << 0;
    QTest::newRow("12: whole pixel") << 12 << 2160 << 180;
    QTest::newRow("12: half a pixel goes up") << 12 << 8010 << 668;
    QTest::newRow("12: a quarter goes down") << 12 << 1095 << 91;
    QTest::newRow("12: three quarters go up") << 12 << 5775 << 481;
    QTest::newRow("12: negative half goes up") << 12 << -6 << 0;
}

void TestTwipsScale::pixels() {
    QFETCH(int, twipsPerPixel);
    QFETCH(int, twips);
    QFETCH(int, pixels);
    QCOMPARE(TwipsScale(twipsPerPixel).pixels(twips), pixels);
}

void TestTwipsScale::designScaleKeepsTheDrawnPixels() {
    const TwipsScale design(TwipsScale::designTwipsPerPixel);
    // The About dialog's client area and screen position at 15 twips per pixel.
    QCOMPARE(design.rect(2340, 1935, 5730, 3555), QRect(156, 129, 382, 237));
    QCOMPARE(design.fromDesignPixels(QRect(144, 48, 73, 25)), QRect(144, 48, 73, 25));
    QCOMPARE(TwipsScale(12).fromDesignPixels(QRect(144, 48, 73, 25)), QRect(180, 60, 91, 31));
}

void TestTwipsScale::controlsThatMeetInTwipsMeetInPixels() {
    const TwipsScale scale(12);
    // The strike price's "$" sign runs from 1320 to 1815 twips, the next starts at 1800: the
    // overlap of 15 twips stays an overlap, never a gap.
    const QRect upper = scale.rect(1920, 1320, 255, 495);
    const QRect lower = scale.rect(1920, 1800, 255, 495);
    QVERIFY(upper.bottom() + 1 >= lower.top());
    // A box at 2160 and a sign reaching to 2175 overlap by one pixel or so, never leave a gap.
    QVERIFY(scale.rect(1920, 720, 255, 495).right() + 1 >= scale.rect(2160, 720, 1095, 375).left());
}

void TestTwipsScale::scaleFollowsTheFontsLetterWidth() {
    QFont narrow = QGuiApplication::font();
    narrow.setPixelSize(6);
    QFont wide = QGuiApplication::font();
    wide.setPixelSize(24);
    const int narrowScale = TwipsScale::forFont(narrow).twipsPerPixel();
    const int wideScale = TwipsScale::forFont(wide).twipsPerPixel();
    // Never finer than the drawn scale; a wider font gets fewer twips per pixel.
    QCOMPARE(narrowScale, TwipsScale::designTwipsPerPixel);
    QVERIFY(wideScale < TwipsScale::forFont(QGuiApplication::font()).twipsPerPixel());
    QVERIFY(wideScale >= 1);
    // The letters of the font, six design pixels each, fit in their twips.
    const QFontMetricsF metrics(wide);
    const double letter = metrics.horizontalAdvance(QStringLiteral(
                              "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                          52.0;
    QVERIFY(letter * wideScale <= 90.0);
    QVERIFY(letter * (wideScale + 1) > 90.0);
}

void TestTwipsScale::defaultFontFitsTheWidestLabel() {
    const QFont font = QGuiApplication::font();
    const TwipsScale scale = TwipsScale::forFont(font);
    qInfo("default font %s: %d twips per pixel", qPrintable(font.toString()),
          scale.twipsPerPixel());
    QVERIFY(QFontMetrics(font).boundingRect(QStringLiteral("Received from Options")).width() <=
            scale.pixels(1695));
}

QTEST_MAIN(TestTwipsScale)
#include "test_twips_scale.moc"
