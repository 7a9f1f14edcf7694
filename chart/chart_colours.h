#pragma once

#include <QColor>

class QPalette;

namespace veltrane {

// The payoff chart's colours. Profit and loss are blue and vermilion, a pair that readers with
// any common colour blindness tell apart, each moved to the lightness that reaches WCAG's 4.5 to
// 1 on the background, so the chart reads on a dark palette as on a light one.
struct ChartColours {
    QColor background;
    QColor text;
    QColor grid;
    QColor profit;
    QColor loss;

    // From a palette's base and text, as a field draws its contents.
    static ChartColours forPalette(const QPalette& palette);
    // Black on white, for a picture saved without a window.
    static ChartColours light();
};

} // namespace veltrane
