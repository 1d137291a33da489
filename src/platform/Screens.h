#pragma once

#include <QList>
#include <QRectF>

namespace quillcraft {

// One display in the program's bottom-left coordinates (origin at the
// bottom-left corner of the primary display, y growing upwards).
struct ScreenGeometry final {
    QRectF frame;
    // The frame without panels and docks.
    QRectF visibleFrame;

    bool operator==(const ScreenGeometry&) const = default;
};

// The displays, in the platform's order.
class Screens {
public:
    virtual ~Screens() = default;
    virtual QList<ScreenGeometry> screens() const = 0;

protected:
    Screens() = default;
};

} // namespace quillcraft
