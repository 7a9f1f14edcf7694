#pragma once

#include <QRect>

class QFont;

namespace veltrane {

// Turns the windows' twips (1/1440 inch) into pixels with one whole number of twips per pixel.
// The windows were drawn for a font whose average letter is 6 pixels wide at 15 twips per pixel:
// 90 twips. A wider default font gets fewer twips per pixel, so every control grows with the text
// and nothing is clipped, while the window keeps its proportions.
class TwipsScale {
public:
    // The classic mapping at 96 dots per inch, for which the windows were drawn.
    static constexpr int designTwipsPerPixel = 15;

    explicit TwipsScale(int twipsPerPixel);

    // The scale for a font, from the average width of its 52 letters.
    static TwipsScale forFont(const QFont& font);

    int twipsPerPixel() const { return twipsPerPixel_; }

    // Nearest pixel; half a pixel goes up.
    int pixels(int twips) const;

    // Each edge to its nearest pixel, so controls that meet in twips meet on the screen.
    QRect rect(int left, int top, int width, int height) const;

    // A rectangle drawn in whole pixels at the design scale, in pixels at this scale.
    QRect fromDesignPixels(const QRect& design) const;

private:
    int twipsPerPixel_;
};

} // namespace veltrane
