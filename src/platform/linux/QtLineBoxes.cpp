#include "QtLineBoxes.h"

#include "platform/linux/AtspiSupport.h"

#include <cmath>

namespace quillcraft {

using namespace atspi;

namespace {

// Enough halvings to find an edge to the pixel in any box a line edit draws.
constexpr int maxProbes = 8;

std::optional<int> offsetAt(AtspiText* text, qreal x, qreal y)
{
    CallError error;
    const gint offset = atspi_text_get_offset_at_point(
        text, static_cast<gint>(std::floor(x)), static_cast<gint>(std::floor(y)), ATSPI_COORD_TYPE_SCREEN, error.out());
    if (error || offset < 0)
        return std::nullopt;
    return offset;
}

std::optional<QRectF> box(AtspiText* text, int offset)
{
    CallError error;
    const Owned<AtspiRect> rect(atspi_text_get_character_extents(text, offset, ATSPI_COORD_TYPE_SCREEN, error.out()));
    if (error || !rect || rect->width <= 0)
        return std::nullopt;
    return QRectF(rect->x, rect->y, rect->width, rect->height);
}

} // namespace

std::optional<int> QtLineBoxes::caret(AtspiText* text)
{
    CallError error;
    const gint offset = atspi_text_get_caret_offset(text, error.out());
    if (error)
        return std::nullopt;
    return offset;
}

std::optional<qreal> QtLineBoxes::shift(AtspiText* text, qint64 characterCount, const QRectF& field)
{
    if (characterCount <= 0 || field.width() <= 0)
        return std::nullopt;
    const qreal y = field.center().y();
    // A character near the middle when the line passes it; a short line is not
    // scrolled and its first character will do.
    qreal low = field.center().x();
    std::optional<int> probed = offsetAt(text, low, y);
    if (!probed)
        return std::nullopt;
    if (*probed >= characterCount) {
        low = field.left();
        probed = offsetAt(text, low, y);
        if (!probed || *probed >= characterCount)
            return std::nullopt;
    }
    const int offset = *probed;
    const std::optional<QRectF> reported = box(text, offset);
    if (!reported)
        return std::nullopt;

    // The answer moves past `offset` halfway across its character: find that edge.
    qreal high = low + reported->width();
    int probes = 0;
    for (;; high += reported->width()) {
        if (high > field.right() || ++probes > maxProbes)
            return std::nullopt;
        const std::optional<int> at = offsetAt(text, high, y);
        if (!at)
            return std::nullopt;
        if (*at > offset)
            break;
        low = high;
    }
    for (probes = 0; high - low > 1 && probes < maxProbes; ++probes) {
        const qreal middle = std::floor((low + high) / 2);
        const std::optional<int> at = offsetAt(text, middle, y);
        if (!at)
            return std::nullopt;
        (*at > offset ? high : low) = middle;
    }
    const qreal drawnLeft = high - reported->width() / 2;
    return drawnLeft - reported->left();
}

QRectF QtLineBoxes::placed(const QRectF& box, qreal shift, const QRectF& field)
{
    QRectF moved = box.translated(shift, 0);
    moved.moveTop(field.center().y() - box.height() / 2);
    return moved;
}

} // namespace quillcraft
