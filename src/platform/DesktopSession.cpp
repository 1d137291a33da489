#include "DesktopSession.h"

namespace quillcraft::DesktopSession {

bool isWayland(const QProcessEnvironment& environment)
{
    return !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty()
        || environment.value(QStringLiteral("XDG_SESSION_TYPE")).compare(QLatin1String("wayland"), Qt::CaseInsensitive)
        == 0;
}

QString waylandNotice()
{
    return QStringLiteral("This is a Wayland session: Quillcraft works in X11 applications only, and cannot place "
                          "its windows, grab its shortcut or type for you in Wayland ones.");
}

} // namespace quillcraft::DesktopSession
