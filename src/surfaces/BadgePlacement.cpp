#include "BadgePlacement.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quillcraft::BadgePlacement {

namespace {

// Bottom-left reading of a QRectF: y grows upwards, so y() is the bottom edge.
qreal minX(const QRectF& r)
{
    return r.x();
}
qreal maxX(const QRectF& r)
{
    return r.x() + r.width();
}
qreal midX(const QRectF& r)
{
    return r.x() + r.width() * 0.5;
}
qreal minY(const QRectF& r)
{
    return r.y();
}
qreal maxY(const QRectF& r)
{
    return r.y() + r.height();
}
qreal midY(const QRectF& r)
{
    return r.y() + r.height() * 0.5;
}

bool isShort(const QRectF& field)
{
    return field.height() < shortFieldHeight;
}

// The overlap of two rectangles; its width or height is negative when they are apart.
QRectF overlap(const QRectF& a, const QRectF& b)
{
    const qreal left = std::max(minX(a), minX(b));
    const qreal bottom = std::max(minY(a), minY(b));
    return QRectF(left, bottom, std::min(maxX(a), maxX(b)) - left, std::min(maxY(a), maxY(b)) - bottom);
}

qreal overlapArea(const QRectF& a, const QRectF& b)
{
    const QRectF common = overlap(a, b);
    return std::max<qreal>(common.width(), 0) * std::max<qreal>(common.height(), 0);
}

qreal squaredDistance(const QPointF& point, const QRectF& rect)
{
    const qreal dx = std::max({ minX(rect) - point.x(), qreal(0), point.x() - maxX(rect) });
    const qreal dy = std::max({ minY(rect) - point.y(), qreal(0), point.y() - maxY(rect) });
    return dx * dx + dy * dy;
}

// A start edge of something `length` long, kept within [low, high]; pinned to low
// when it does not fit. A non-finite value would poison every later comparison.
qreal clampEdge(qreal value, qreal low, qreal high, qreal length)
{
    if (!std::isfinite(value))
        return low;
    return std::min(std::max(value, low), std::max(low, high - length));
}

QRectF clampedInto(const QRectF& rect, const QRectF& area)
{
    return QRectF(clampEdge(minX(rect), minX(area), maxX(area), rect.width()),
        clampEdge(minY(rect), minY(area), maxY(area), rect.height()), rect.width(), rect.height());
}

QString menuTitle(BadgeCorner corner, bool shortField)
{
    if (!shortField)
        return title(corner);
    return corner == BadgeCorner::bottomLeft ? QStringLiteral("Left") : QStringLiteral("Right");
}

} // namespace

QList<BadgeCorner> cornersFor(const QRectF& field)
{
    if (isShort(field))
        return { BadgeCorner::bottomLeft, BadgeCorner::bottomRight };
    return { allBadgeCorners.begin(), allBadgeCorners.end() };
}

QRectF screenFor(const QRectF& rect, const QList<QRectF>& screens)
{
    if (screens.isEmpty())
        return rect;
    const QRectF* best = &screens.first();
    qreal bestArea = 0;
    for (const QRectF& screen : screens) {
        const qreal area = overlapArea(rect, screen);
        if (area > bestArea) {
            best = &screen;
            bestArea = area;
        }
    }
    if (bestArea > 0)
        return *best;

    // No overlap by area: a field of zero size still lies on (or near) one screen, and
    // placing its badge on another would put it far from the field.
    const QPointF centre(midX(rect), midY(rect));
    qreal bestDistance = std::numeric_limits<qreal>::infinity();
    for (const QRectF& screen : screens) {
        const qreal distance = squaredDistance(centre, screen);
        if (distance < bestDistance) {
            best = &screen;
            bestDistance = distance;
        }
    }
    return *best;
}

QRectF frameAtCorner(BadgeCorner corner, const QRectF& field, const QSizeF& size, const QRectF& screen)
{
    const qreal w = size.width();
    const qreal h = size.height();
    const bool left = corner == BadgeCorner::topLeft || corner == BadgeCorner::bottomLeft;
    const bool top = corner == BadgeCorner::topLeft || corner == BadgeCorner::topRight;

    qreal x = left ? minX(field) + cornerInset : maxX(field) - w - cornerInset;
    qreal y = 0;
    if (isShort(field)) {
        // Beside a single-line field, unless that would cross the screen's edge.
        const qreal outside = left ? minX(field) - w - cornerInset : maxX(field) + cornerInset;
        if (outside >= minX(screen) && outside + w <= maxX(screen))
            x = outside;
        y = midY(field) - h * 0.5;
    } else {
        y = top ? maxY(field) - h - cornerInset : minY(field) + cornerInset;
    }
    return clampedInto(QRectF(x, y, w, h), screen);
}

std::optional<BadgePosition> positionOf(const QRectF& badgeFrame, const QRectF& field)
{
    if (!(field.width() > 0) || !(field.height() > 0))
        return std::nullopt;
    const BadgePosition position { (midX(badgeFrame) - minX(field)) / field.width(),
        (midY(badgeFrame) - minY(field)) / field.height() };
    if (!position.isFinite())
        return std::nullopt;
    return position;
}

QRectF frameAtPosition(const BadgePosition& position, const QRectF& field, const QSizeF& size, const QRectF& screen)
{
    const qreal fx = std::isfinite(position.x) ? position.x : 0.5;
    const qreal fy = std::isfinite(position.y) ? position.y : 0.5;
    const QPointF centre(minX(field) + fx * field.width(), minY(field) + fy * field.height());
    const QRectF rect(centre.x() - size.width() * 0.5, centre.y() - size.height() * 0.5, size.width(), size.height());
    return clamped(rect, field, screen);
}

QRectF clamped(const QRectF& rect, const QRectF& field, const QRectF& screen)
{
    const qreal w = rect.width();
    const qreal h = rect.height();
    const QRectF grown(minX(field) - w, minY(field) - h, field.width() + 2 * w, field.height() + 2 * h);
    QRectF area = overlap(grown, screen);
    if (area.width() <= 0 || area.height() <= 0 || area.width() < w || area.height() < h)
        area = screen;
    return clampedInto(rect, area);
}

QList<CornerMenuEntry> cornerMenuEntries(
    const std::optional<QRectF>& field, BadgeCorner storedCorner, bool hasDraggedPosition)
{
    const bool shortField = field && isShort(*field);
    BadgeCorner shown = storedCorner;
    if (shortField) {
        const bool left = storedCorner == BadgeCorner::topLeft || storedCorner == BadgeCorner::bottomLeft;
        shown = left ? BadgeCorner::bottomLeft : BadgeCorner::bottomRight;
    }
    const QList<BadgeCorner> corners
        = field ? cornersFor(*field) : QList<BadgeCorner>(allBadgeCorners.begin(), allBadgeCorners.end());

    QList<CornerMenuEntry> entries;
    entries.reserve(corners.size());
    for (BadgeCorner corner : corners)
        entries.append({ menuTitle(corner, shortField), corner, !hasDraggedPosition && corner == shown });
    return entries;
}

} // namespace quillcraft::BadgePlacement
