#pragma once

#include <QColor>
#include <QRectF>

namespace quillcraft {

// One problem word to underline: its text bounds (bottom-left coordinates),
// the colour of its issue kind, and whether its suggestion card is open.
struct UnderlineMark final {
    QRectF rect;
    QColor color;
    bool highlighted = false;

    bool operator==(const UnderlineMark&) const = default;
};

} // namespace quillcraft
