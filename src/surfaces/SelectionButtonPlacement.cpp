#include "SelectionButtonPlacement.h"

#include <algorithm>

namespace quillcraft::SelectionButtonPlacement {

QPointF origin(const QRectF& anchor, const QRectF& field, const QSizeF& size)
{
    const qreal w = size.width();
    const qreal h = size.height();
    // In bottom-left coordinates top() is minY and bottom() is maxY.
    qreal y = anchor.top() - h + 4;
    if (y < field.top() - h)
        y = anchor.bottom() - 4;
    const qreal x = std::min(field.right() - w + 8, anchor.right() - 12);
    return QPointF(x, y);
}

} // namespace quillcraft::SelectionButtonPlacement
