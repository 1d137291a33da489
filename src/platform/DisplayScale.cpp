#include "DisplayScale.h"

#include <algorithm>
#include <cmath>

namespace quillcraft::DisplayScale {

namespace {

constexpr qreal step = 0.25;
constexpr qreal largest = 8;

// Device pixels a measurement may be off by: toolkits round their scaled
// origin, and a frame's border is divided with it.
qreal slack(qreal scale)
{
    return 2 + scale;
}

bool near(qreal deviceValue, qreal reportedValue, qreal scale)
{
    return std::abs(deviceValue - reportedValue * scale) <= slack(scale);
}

} // namespace

std::optional<RelativeFit> fitWindowRelative(const QRectF& reported, const QRectF& device)
{
    if (std::abs(reported.x()) > 1 || std::abs(reported.y()) > 1 || reported.width() <= 0 || reported.height() <= 0)
        return std::nullopt;
    // The scale that leaves the smallest margin.
    std::optional<RelativeFit> best;
    for (qreal scale = step; scale <= largest; scale += step) {
        const qreal extraWidth = device.width() - reported.width() * scale;
        const qreal extraHeight = device.height() - reported.height() * scale;
        if (extraWidth < -slack(scale) || extraHeight < -slack(scale) || extraWidth > 2 * maxMargin
            || extraHeight > 2 * maxMargin || std::abs(extraWidth - extraHeight) > slack(scale))
            continue;
        const QPointF inset(std::max<qreal>(0, extraWidth / 2), std::max<qreal>(0, extraHeight / 2));
        if (!best || inset.x() < best->inset.x())
            best = RelativeFit { scale, inset };
    }
    return best;
}

std::optional<qreal> fit(const QRectF& reported, const QList<QRectF>& device)
{
    if (reported.width() <= 0 || reported.height() <= 0)
        return std::nullopt;
    std::optional<qreal> best;
    qreal bestError = 0;
    for (const QRectF& candidate : device) {
        const qreal ratio = (candidate.width() + candidate.height()) / (reported.width() + reported.height());
        const qreal scale = std::round(ratio / step) * step;
        if (scale < step || scale > largest)
            continue;
        if (!near(candidate.width(), reported.width(), scale) || !near(candidate.height(), reported.height(), scale)
            || !near(candidate.x(), reported.x(), scale) || !near(candidate.y(), reported.y(), scale))
            continue;
        const qreal error = std::abs(candidate.width() - reported.width() * scale)
            + std::abs(candidate.height() - reported.height() * scale);
        if (!best || error < bestError) {
            best = scale;
            bestError = error;
        }
    }
    return best;
}

QRectF convert(const QRectF& rect, qreal appScale, qreal ownScale)
{
    if (appScale == ownScale || ownScale <= 0)
        return rect;
    const qreal factor = appScale / ownScale;
    return QRectF(rect.x() * factor, rect.y() * factor, rect.width() * factor, rect.height() * factor);
}

} // namespace quillcraft::DisplayScale
