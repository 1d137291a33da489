#pragma once

#include <QPointF>

#include <cmath>

namespace quillcraft {

// Where the user dragged the badge: its centre as fractions of the field's editor
// frame, in bottom-left coordinates (x 0 = left edge, 1 = right edge; y 0 = bottom
// edge, 1 = top edge). Values outside 0..1 are legal: a badge dragged past the field.
struct BadgePosition final {
    double x = 0;
    double y = 0;

    bool operator==(const BadgePosition&) const = default;

    // Only finite positions are ever stored.
    bool isFinite() const { return std::isfinite(x) && std::isfinite(y); }

    QPointF toPoint() const { return { x, y }; }
    static BadgePosition fromPoint(const QPointF& point) { return { point.x(), point.y() }; }
};

} // namespace quillcraft
