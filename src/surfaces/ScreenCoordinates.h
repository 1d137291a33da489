#pragma once

#include "platform/Screens.h"

#include <QPointF>
#include <QRect>
#include <QRectF>

// The one crossing between the program's bottom-left geometry and Qt's top-left
// window geometry. Both use Qt's logical pixels and the primary screen's height
// as the flip line, the same as the accessibility conversion.
namespace quillcraft::ScreenCoordinates {

// A bottom-left rectangle as a Qt window geometry (rounded to whole logical pixels).
QRect toQt(const QRectF& rect, const QList<ScreenGeometry>& screens);
// A Qt window geometry as a bottom-left rectangle.
QRectF fromQt(const QRect& rect, const QList<ScreenGeometry>& screens);
// A Qt global point (QCursor::pos(), QMouseEvent::globalPosition()) in bottom-left coordinates.
QPointF fromQt(const QPointF& point, const QList<ScreenGeometry>& screens);

} // namespace quillcraft::ScreenCoordinates
