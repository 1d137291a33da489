#pragma once

#include "settings/BadgeCorner.h"
#include "settings/BadgePosition.h"

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>

// Where the badge goes relative to a field: at a chosen corner or at a position the
// user dragged it to, always on the field's screen. Pure geometry in the program's
// bottom-left coordinates: a QRectF's y() is its minimum (bottom) edge and
// y() + height() its maximum (top) edge; QRectF's own top()/bottom() read the other
// way round here, so they are never used.
namespace quillcraft::BadgePlacement {

// Fields lower than this are single-line: the badge goes beside them.
inline constexpr qreal shortFieldHeight = 34;
// Distance from the field's edges of a badge placed inside it.
inline constexpr qreal cornerInset = 2;

// Bottom and left and right corners for a short field, all four in case order otherwise.
QList<BadgeCorner> cornersFor(const QRectF& field);

// The screen overlapping rect the most (the first wins ties); rect itself when there
// are no screens. When rect overlaps no screen by any area (a zero-size field, a field
// between screens) the screen nearest to its centre.
QRectF screenFor(const QRectF& rect, const QList<QRectF>& screens);

// The badge frame of the given size at a corner of the field, kept on the screen.
QRectF frameAtCorner(BadgeCorner corner, const QRectF& field, const QSizeF& size, const QRectF& screen);

// The badge's centre as fractions of the field; absent when the field has no width or
// no height, since a fraction of nothing cannot be stored or placed again.
std::optional<BadgePosition> positionOf(const QRectF& badgeFrame, const QRectF& field);

// The badge frame of the given size centred at a saved position, kept near the field
// and on the screen. A non-finite coordinate counts as the field's centre.
QRectF frameAtPosition(const BadgePosition& position, const QRectF& field, const QSizeF& size, const QRectF& screen);

// rect moved (never resized) so that it leaves the field by at most its own size in
// any direction and stays on the screen.
QRectF clamped(const QRectF& rect, const QRectF& field, const QRectF& screen);

// One entry of the badge-position menu.
struct CornerMenuEntry final {
    QString title;
    BadgeCorner corner = BadgeCorner::bottomRight;
    bool checked = false;

    bool operator==(const CornerMenuEntry&) const = default;
};

// The badge-position menu for an app. field is the visible frame of the focused field
// when it belongs to that app (absent otherwise); a short field offers "Left" and
// "Right". The stored corner is checked unless the app has a dragged position.
QList<CornerMenuEntry> cornerMenuEntries(
    const std::optional<QRectF>& field, BadgeCorner storedCorner, bool hasDraggedPosition);

} // namespace quillcraft::BadgePlacement
