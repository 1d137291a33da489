#include "ScreenCoordinates.h"

#include "platform/AX.h"

namespace quillcraft::ScreenCoordinates {

QRect toQt(const QRectF& rect, const QList<ScreenGeometry>& screens)
{
    const QRectF flipped = AX::cocoaRect(rect, screens);
    return QRect(qRound(flipped.x()), qRound(flipped.y()), qRound(flipped.width()), qRound(flipped.height()));
}

QRectF fromQt(const QRect& rect, const QList<ScreenGeometry>& screens)
{
    return AX::cocoaRect(QRectF(rect), screens);
}

QPointF fromQt(const QPointF& point, const QList<ScreenGeometry>& screens)
{
    return QPointF(point.x(), AX::primaryHeight(screens) - point.y());
}

} // namespace quillcraft::ScreenCoordinates
