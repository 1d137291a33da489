#pragma once

#include <QList>
#include <QMarginsF>
#include <QRectF>
#include <QString>

#include <optional>

namespace quillcraft {

// Reads the window manager's view of the top-level windows (EWMH properties on
// Qt's own xcb connection) and asks it to activate a window. Without an X11
// connection (Wayland, offscreen) every answer is absent or false. GUI thread only.
class X11Windows final {
public:
    X11Windows();

    bool isAvailable() const;
    // The process behind _NET_ACTIVE_WINDOW.
    std::optional<qint64> activeWindowPid() const;
    // The class half of WM_CLASS of the topmost window of a process; "" when none.
    QString windowClass(qint64 pid) const;
    // The same for windows given topmost first.
    QString windowClass(const QList<quint32>& windows) const;
    // The process's windows, topmost first.
    QList<quint32> windowsOf(qint64 pid) const;
    // Asks the window manager to activate the topmost window of a process.
    bool activate(qint64 pid) const;
    // The screen rectangles of a process's windows in device pixels, topmost
    // first: each client window, then the same with the window manager's frame.
    QList<QRectF> deviceRects(qint64 pid) const;
    // Where each window of a process draws its content, in device pixels, topmost
    // first: the client window less the margins a toolkit that draws its own
    // decorations keeps around it (_GTK_FRAME_EXTENTS), or the client window.
    QList<QRectF> contentRects(qint64 pid) const;

private:
    struct Atoms {
        quint32 activeWindow = 0;
        quint32 clientListStacking = 0;
        quint32 wmPid = 0;
        quint32 frameExtents = 0;
        quint32 gtkFrameExtents = 0;
    };
    // The client window's screen rectangle in device pixels.
    std::optional<QRectF> clientRect(quint32 window) const;
    // A window's left, right, top and bottom margins from a four-cardinal property.
    std::optional<QMarginsF> margins(quint32 window, quint32 atom) const;
    std::optional<qint64> pidOf(quint32 window) const;

    void* m_connection = nullptr; // xcb_connection_t, owned by Qt
    quint32 m_root = 0;
    Atoms m_atoms;
};

} // namespace quillcraft
