#include "forms/twips_scale.h"

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <algorithm>
#include <cmath>

namespace veltrane {

namespace {

// The width of one average letter of the font the windows were drawn for, in twips.
constexpr double designLetterTwips = 6.0 * TwipsScale::designTwipsPerPixel;

} // namespace

TwipsScale::TwipsScale(int twipsPerPixel)
    : twipsPerPixel_{std::max(1, twipsPerPixel)} {}

TwipsScale TwipsScale::forFont(const QFont& font) {
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const double letter = QFontMetricsF(font).horizontalAdvance(letters) / 52.0;
    if (!(letter > 0.0)) {
        return TwipsScale{designTwipsPerPixel};
    }
    // Never finer than the design: a narrow font keeps the windows at their drawn size.
    const auto twips = static_cast<int>(std::floor(designLetterTwips / letter));
    return TwipsScale{std::clamp(twips, 1, designTwipsPerPixel)};
}

int TwipsScale::pixels(int twips) const {
    return static_cast<int>(std::floor((twips + twipsPerPixel_ / 2.0) / twipsPerPixel_));
}

QRect TwipsScale::rect(int left, int top, int width, int height) const {
    const int x = pixels(left);
    const int y = pixels(top);
    return {x, y, pixels(left + width) - x, pixels(top + height) - y};
}

QRect TwipsScale::fromDesignPixels(const QRect& design) const {
    return rect(design.x() * designTwipsPerPixel, design.y() * designTwipsPerPixel,
                design.width() * designTwipsPerPixel, design.height() * designTwipsPerPixel);
}

} // namespace veltrane
