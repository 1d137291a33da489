#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>

class QPainter;

namespace quillcraft::DrawnShadow {

// A soft shadow of a rounded rectangle, painted by the view itself: floating
// surfaces are transparent windows without a window-manager shadow. `radius` is
// the blur radius in logical pixels (about two standard deviations of the blur).
struct Shape {
    QRectF rect;
    qreal cornerRadius = 0;
    qreal radius = 0;
    QColor color;
    QPointF offset;
};

// The shadow as an image covering shadowRect(shape), at `ratio` device pixels per
// logical pixel.
QImage render(const Shape& shape, qreal ratio);
// Where render() paints, in logical pixels.
QRectF shadowRect(const Shape& shape);
// Renders and draws in one step, at the painter's device pixel ratio.
void paint(QPainter& painter, const Shape& shape);

} // namespace quillcraft::DrawnShadow
