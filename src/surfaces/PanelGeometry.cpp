#include "PanelGeometry.h"

#include <algorithm>

namespace quillcraft::PanelGeometry {

std::optional<ScreenGeometry> screenFor(const QRectF& rect, const QList<ScreenGeometry>& screens)
{
    for (const ScreenGeometry& screen : screens) {
        // A caret-thin rectangle meets nothing by area, so its corner decides.
        if (screen.frame.intersects(rect) || (rect.isEmpty() && screen.frame.contains(rect.topLeft())))
            return screen;
    }
    if (screens.isEmpty())
        return std::nullopt;
    return screens.first();
}

std::optional<ScreenGeometry> screenOf(const QRectF& frame, const QList<ScreenGeometry>& screens)
{
    std::optional<ScreenGeometry> best;
    qreal bestArea = 0;
    for (const ScreenGeometry& screen : screens) {
        const QRectF common = screen.frame.intersected(frame);
        const qreal area = common.width() * common.height();
        if (area > bestArea) {
            bestArea = area;
            best = screen;
        }
    }
    return best;
}

QPointF placedBelow(const QRectF& rect, qreal gap, const QSizeF& size, const QList<ScreenGeometry>& screens)
{
    const qreal w = size.width();
    const qreal h = size.height();
    qreal x = rect.left() - shadowInset;
    qreal y = rect.top() - gap - h + shadowInset; // rect.top() is minY here
    const std::optional<ScreenGeometry> screen = screenFor(rect, screens);
    if (!screen)
        return QPointF(x, y);
    const QRectF visible = screen->visibleFrame;
    if (y < visible.top())
        y = rect.bottom() + gap - shadowInset;
    x = std::min(std::max(x, visible.left()), visible.right() - w);
    y = std::min(std::max(y, visible.top()), visible.bottom() - h);
    return QPointF(x, y);
}

QRectF fitted(const QRectF& frame, const QSizeF& size, const QList<ScreenGeometry>& screens)
{
    qreal y = frame.bottom() - size.height(); // old maxY - new height
    if (const std::optional<ScreenGeometry> screen = screenOf(frame, screens))
        y = std::max(y, screen->visibleFrame.top());
    return QRectF(QPointF(frame.left(), y), size);
}

QRectF cardFrame(const QRectF& frame)
{
    return frame.adjusted(shadowInset, shadowInset, -shadowInset, -shadowInset);
}

} // namespace quillcraft::PanelGeometry
