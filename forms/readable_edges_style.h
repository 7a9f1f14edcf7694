#pragma once

#include <QProxyStyle>

class QWidget;

namespace veltrane {

// The application's style, with the edges of check boxes and input boxes drawn so that they can
// be told from the window behind them on a dark palette: a 1-pixel edge of the palette's mid
// colour, made readable on the window's colour at 3:1, the ratio interface parts need. A light
// palette is drawn exactly as the style draws it.
class ReadableEdgesStyle : public QProxyStyle {
    Q_OBJECT

public:
    // The ratio an edge reaches against the window's colour.
    static constexpr double edgeContrast = 3.0;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

    // Every check box and line edit in `window` drawn with one such style, owned by `window`.
    static void applyTo(QWidget& window);
};

} // namespace veltrane
