#pragma once

#include <QColor>
#include <QPalette>

namespace veltrane {

// The contrast a reader needs between text and its background: WCAG's AA ratio for body text.
inline constexpr double readableContrast = 4.5;

// WCAG's relative luminance: 0 for black, 1 for white.
double relativeLuminance(const QColor& colour);

// WCAG's contrast ratio of two colours, from 1 (the same) to 21 (black on white).
double contrastRatio(const QColor& a, const QColor& b);

// True when the colour is nearer black than white in contrast: text on it should be light.
bool isDark(const QColor& background);

// `wanted` where it already reaches `minimum` against `background`; otherwise the colour of the
// same hue and saturation whose lightness is the nearest to it that does, moving away from the
// background (lighter on a dark background, darker on a light one). White or black when no
// lightness of that hue reaches the ratio.
QColor readableOn(const QColor& wanted, const QColor& background,
                  double minimum = readableContrast);

// A palette whose text is the refusals' red, readable on `window`'s background in every colour
// group, light or dark.
QPalette refusalPalette(const QPalette& window);

} // namespace veltrane
