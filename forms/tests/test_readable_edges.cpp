// Check boxes and empty input boxes stand out from a dark window by 3:1 at their edges, and a
// light palette is drawn exactly as the style draws it.

#include "chart/readable_colour.h"
#include "forms/readable_edges_style.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPalette>
#include <QStyleOptionButton>
#include <QVBoxLayout>
#include <QtTest>
#include <memory>

namespace {

QPalette paletteOf(QColor window, QColor base, QColor text, QColor mid) {
    QPalette palette(window);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::Button, window);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, base);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Mid, mid);
    palette.setColor(QPalette::Dark, mid.darker(120));
    palette.setColor(QPalette::Light, window.lighter(120));
    return palette;
}

// The widget's pixels in `area` that differ most from the window: the edge a user can see.
double strongestContrast(const QImage& image, const QRect& area, const QColor& window) {
    double strongest = 1.0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const bool onEdge = x < area.left() + 2 || x > area.right() - 2 || y < area.top() + 2 ||
                                y > area.bottom() - 2;
            if (onEdge) {
                strongest =
                    std::max(strongest, veltrane::contrastRatio(image.pixelColor(x, y), window));
            }
        }
    }
    return strongest;
}

} // namespace

class TestReadableEdges : public QObject {
    Q_OBJECT

private slots:
    void edgesReachTheRatioOnDarkPalettes_data();
    void edgesReachTheRatioOnDarkPalettes();
    void lightPalettesAreDrawnAsBefore();
};

void TestReadableEdges::edgesReachTheRatioOnDarkPalettes_data() {
    QTest::addColumn<QPalette>("palette");
    QTest::addColumn<bool>("checkBox");
    // The GTK theme's Adwaita dark, as measured on the analysis window, and Qt's usual dark one.
    const QPalette adwaita = paletteOf(QColor(0x31, 0x31, 0x31), QColor(0x2d, 0x2d, 0x2d),
                                       Qt::white, QColor(0x22, 0x22, 0x22));
    const QPalette fusion = paletteOf(QColor(0x35, 0x35, 0x35), QColor(0x19, 0x19, 0x19),
                                      QColor(0xee, 0xee, 0xee), QColor(0x24, 0x24, 0x24));
    QTest::newRow("Adwaita dark, check box") << adwaita << true;
    QTest::newRow("Adwaita dark, empty input box") << adwaita << false;
    QTest::newRow("Fusion dark, check box") << fusion << true;
    QTest::newRow("Fusion dark, empty input box") << fusion << false;
}

void TestReadableEdges::edgesReachTheRatioOnDarkPalettes() {
    QFETCH(QPalette, palette);
    QFETCH(bool, checkBox);
    QWidget window;
    window.setPalette(palette);
    auto* layout = new QVBoxLayout(&window);
    auto* box = new QCheckBox(QStringLiteral("&Expiry date"), &window);
    auto* input = new QLineEdit(&window);
    layout->addWidget(box);
    layout->addWidget(input);
    veltrane::ReadableEdgesStyle::applyTo(window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const QColor background = palette.color(QPalette::Window);
    QRect area;
    QImage image;
    if (checkBox) {
        QStyleOptionButton option;
        option.initFrom(box);
        area = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
        image = box->grab().toImage();
    } else {
        // Away from the focus, as an input the user has not reached yet.
        box->setFocus();
        area = input->rect();
        image = input->grab().toImage();
    }
    const double ratio = strongestContrast(image, area, background);
    QVERIFY2(ratio >= veltrane::ReadableEdgesStyle::edgeContrast - 0.05,
             qPrintable(QStringLiteral("edge contrast %1").arg(ratio)));
}

// On a light palette the edges are the style's own, pixel for pixel.
void TestReadableEdges::lightPalettesAreDrawnAsBefore() {
    const auto render = [](bool edged) {
        QWidget window;
        window.setPalette(QApplication::style()->standardPalette());
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(new QCheckBox(QStringLiteral("&Expiry date"), &window));
        layout->addWidget(new QLineEdit(&window));
        if (edged) {
            veltrane::ReadableEdgesStyle::applyTo(window);
        }
        window.resize(200, 80);
        return window.grab().toImage();
    };
    QCOMPARE(render(true), render(false));
}

QTEST_MAIN(TestReadableEdges)
#include "test_readable_edges.moc"
