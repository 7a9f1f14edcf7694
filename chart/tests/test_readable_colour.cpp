// Colours against the palette's background: WCAG's luminance and contrast, and the rule that keeps
// a colour where it is readable and otherwise moves its lightness until it is.

#include "chart/readable_colour.h"

#include <QtTest>

using veltrane::contrastRatio;
using veltrane::readableOn;

namespace {

const QColor darkGreen(0, 64, 0);

} // namespace

class TestReadableColour : public QObject {
    Q_OBJECT

private slots:
    void contrast_data();
    void contrast();
    void readable_data();
    void readable();
    void noLightnessReachesTheRatio();
};

void TestReadableColour::contrast_data() {
    QTest::addColumn<QColor>("a");
    QTest::addColumn<QColor>("b");
    QTest::addColumn<double>("ratio");
    QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white) << 21.0;
    QTest::newRow("the same colour") << QColor(0x24, 0x24, 0x24) << QColor(0x24, 0x24, 0x24) << 1.0;
    QTest::newRow("either order") << QColor(Qt::white) << QColor(Qt::black) << 21.0;
    // The dark green on a dark desktop's base: unreadable.
    QTest::newRow("dark green on #242424") << darkGreen << QColor(0x24, 0x24, 0x24) << 1.281;
    QTest::newRow("dark green on white") << darkGreen << QColor(Qt::white) << 12.11;
    QTest::newRow("mid grey on white") << QColor(0x77, 0x77, 0x77) << QColor(Qt::white) << 4.48;
}

void TestReadableColour::contrast() {
    QFETCH(QColor, a);
    QFETCH(QColor, b);
    QFETCH(double, ratio);
    QVERIFY2(std::abs(contrastRatio(a, b) - ratio) < 0.01,
             qPrintable(QString::number(contrastRatio(a, b))));
}

void TestReadableColour::readable_data() {
    QTest::addColumn<QColor>("wanted");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<bool>("kept");
    QTest::newRow("dark green on white") << darkGreen << QColor(Qt::white) << true;
    QTest::newRow("dark green on a light window grey")
        << darkGreen << QColor(0xef, 0xef, 0xef) << true;
    QTest::newRow("dark green on Adwaita dark's base")
        << darkGreen << QColor(0x24, 0x24, 0x24) << false;
    QTest::newRow("dark green on black") << darkGreen << QColor(Qt::black) << false;
    QTest::newRow("dark green on a dark blue") << darkGreen << QColor(0x10, 0x20, 0x40) << false;
    QTest::newRow("light green on white goes darker")
        << QColor(0x80, 0xff, 0x80) << QColor(Qt::white) << false;
    QTest::newRow("orange on white goes darker")
        << QColor(0xd5, 0x5e, 0x00) << QColor(Qt::white) << false;
}

void TestReadableColour::readable() {
    QFETCH(QColor, wanted);
    QFETCH(QColor, background);
    QFETCH(bool, kept);
    const QColor chosen = readableOn(wanted, background);
    const double ratio = contrastRatio(chosen, background);
    QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("%1 gives %2").arg(chosen.name()).arg(ratio)));
    QCOMPARE(chosen == wanted, kept);
    if (!kept) {
        // The same hue, lighter on a dark background and darker on a light one.
        QVERIFY(std::abs(chosen.hslHueF() - wanted.hslHueF()) < 0.01);
        const bool darkBackground = veltrane::isDark(background);
        QCOMPARE(chosen.lightnessF() > wanted.lightnessF(), darkBackground);
        // And no further than needed: one step back toward the wanted colour falls short.
        const float back = darkBackground ? -1.0F / 255.0F : 1.0F / 255.0F;
        const QColor nearer =
            QColor::fromHslF(chosen.hslHueF(), chosen.hslSaturationF(), chosen.lightnessF() + back);
        QVERIFY(contrastRatio(nearer, background) < 4.5);
    }
}

void TestReadableColour::noLightnessReachesTheRatio() {
    // Against mid grey no colour reaches 21 to 1; the rule gives the extreme it was heading for.
    const QColor grey(0x20, 0x20, 0x20);
    QCOMPARE(readableOn(darkGreen, grey, 21.0), QColor(Qt::white));
    QCOMPARE(readableOn(darkGreen, QColor(0xe0, 0xe0, 0xe0), 21.0), QColor(Qt::black));
}

QTEST_GUILESS_MAIN(TestReadableColour)
#include "test_readable_colour.moc"
