#pragma once

#include <QProcessEnvironment>
#include <QString>

// What kind of graphical session this process runs in, told from its environment.
namespace quillcraft::DesktopSession {

// A Wayland session: WAYLAND_DISPLAY is set, or XDG_SESSION_TYPE says "wayland".
bool isWayland(const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

// The one sentence that tells the user what does not work in a Wayland session.
QString waylandNotice();

} // namespace quillcraft::DesktopSession
