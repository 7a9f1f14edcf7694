#include "chart/readable_colour.h"

#include <algorithm>
#include <cmath>

namespace veltrane {

namespace {

double linear(float channel) {
    const auto c = static_cast<double>(channel);
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// The lightness steps an 8-bit colour can tell apart.
constexpr int lightnessSteps = 255;

} // namespace

double relativeLuminance(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) +
           0.0722 * linear(rgb.blueF());
}

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool isDark(const QColor& background) {
    return contrastRatio(background, Qt::white) > contrastRatio(background, Qt::black);
}

QColor readableOn(const QColor& wanted, const QColor& background, double minimum) {
    if (contrastRatio(wanted, background) >= minimum) {
        return wanted;
    }
    const QColor hsl = wanted.toHsl();
    const bool lighter = isDark(background);
    const int from = static_cast<int>(std::lround(hsl.lightnessF() * lightnessSteps));
    for (int step = from; step >= 0 && step <= lightnessSteps; step += lighter ? 1 : -1) {
        const QColor candidate = QColor::fromHslF(
            hsl.hslHueF(), hsl.hslSaturationF(),
            static_cast<float>(step) / static_cast<float>(lightnessSteps), hsl.alphaF());
        if (contrastRatio(candidate, background) >= minimum) {
            return candidate.toRgb();
        }
    }
    return lighter ? QColor(Qt::white) : QColor(Qt::black);
}

QPalette refusalPalette(const QPalette& window) {
    static const QColor refusalHue(0xb0, 0x00, 0x00);
    QPalette own;
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        own.setColor(group, QPalette::WindowText,
                     readableOn(refusalHue, window.color(group, QPalette::Window)));
    }
    return own;
}

} // namespace veltrane
