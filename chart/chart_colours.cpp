#include "chart/chart_colours.h"

#include "chart/readable_colour.h"

#include <QPalette>

namespace veltrane {

namespace {

// Okabe and Ito's blue and vermilion.
const QColor profitHue(0x00, 0x72, 0xb2);
const QColor lossHue(0xd5, 0x5e, 0x00);

ChartColours fromBaseAndText(const QColor& base, const QColor& text) {
    ChartColours colours;
    colours.background = base;
    colours.text = readableOn(text, base);
    // A quarter of the way from the background to the text: seen, but quieter than the data.
    const auto blend = [](int back, int ink) { return (3 * back + ink + 2) / 4; };
    colours.grid = QColor(blend(base.red(), text.red()), blend(base.green(), text.green()),
                          blend(base.blue(), text.blue()));
    colours.profit = readableOn(profitHue, base);
    colours.loss = readableOn(lossHue, base);
    return colours;
}

} // namespace

ChartColours ChartColours::forPalette(const QPalette& palette) {
    return fromBaseAndText(palette.color(QPalette::Base), palette.color(QPalette::Text));
}

ChartColours ChartColours::light() {
    return fromBaseAndText(Qt::white, Qt::black);
}

} // namespace veltrane
