#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace quillcraft::SelectionButtonPlacement {

// Origin (bottom-left coordinates) of the selection button of this size: just
// under the selection's end, or above it when that would drop below the field;
// never further right than the field's edge allows. anchor is the selection's
// bounds, or the field's visible frame when those are unknown.
QPointF origin(const QRectF& anchor, const QRectF& field, const QSizeF& size);

} // namespace quillcraft::SelectionButtonPlacement
