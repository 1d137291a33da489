#include "QtScreens.h"

#include "platform/AX.h"

#include <QGuiApplication>
#include <QScreen>

namespace quillcraft {

QList<ScreenGeometry> QtScreens::screens() const
{
    QList<ScreenGeometry> topLeft;
    if (!qGuiApp)
        return topLeft;
    for (const QScreen* screen : QGuiApplication::screens())
        topLeft.append({ QRectF(screen->geometry()), QRectF(screen->availableGeometry()) });
    // The top-left screen at (0, 0) is also the bottom-left one at (0, 0), so the
    // same flip that converts accessibility rectangles converts these.
    QList<ScreenGeometry> result;
    for (const ScreenGeometry& screen : topLeft)
        result.append({ AX::cocoaRect(screen.frame, topLeft), AX::cocoaRect(screen.visibleFrame, topLeft) });
    return result;
}

} // namespace quillcraft
