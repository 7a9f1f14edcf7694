#include "forms/readable_edges_style.h"

#include "chart/readable_colour.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOption>
#include <QWidget>

namespace veltrane {

void ReadableEdgesStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                       QPainter* painter, const QWidget* widget) const {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    const bool edged = element == PE_IndicatorCheckBox || element == PE_FrameLineEdit;
    const QColor window = option->palette.color(QPalette::Window);
    // A focused box keeps the style's own focus frame.
    if (!edged || !isDark(window) ||
        (element == PE_FrameLineEdit && (option->state & State_HasFocus))) {
        return;
    }
    const QColor edge = readableOn(option->palette.color(QPalette::Mid), window, edgeContrast);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(QPen(edge, 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
    painter->restore();
}

void ReadableEdgesStyle::applyTo(QWidget& window) {
    auto* style = new ReadableEdgesStyle;
    style->setParent(&window);
    for (QCheckBox* box : window.findChildren<QCheckBox*>()) {
        box->setStyle(style);
    }
    for (QLineEdit* box : window.findChildren<QLineEdit*>()) {
        box->setStyle(style);
    }
}

} // namespace veltrane
