#pragma once

#include <QByteArray>
#include <QHash>
#include <QRectF>

#include <optional>

typedef struct _AtspiAccessible AtspiAccessible; // NOLINT: libatspi's own spelling, no libatspi header here

namespace quillcraft {

class X11Windows;

// Converts AT-SPI screen geometry from each application's own pixels into this
// program's logical pixels (Qt's), still top-left based. Qt applications report
// their own scaled pixels, GTK 3 device pixels (its scaled ones under
// GDK_SCALE); an application's scale is measured once, from its top-level
// window's extents against the same window's X11 geometry, and kept per process.
// GTK 4 reports every position relative to its window (it has no screen
// coordinates on X11): such a process is told by its window claiming (0, 0)
// while the window system has it elsewhere, and its rectangles are moved by
// where that window's content is on the screen now.
// The AT-SPI elements convert through the one instance that LinuxSystem installs
// while it lives; without it nothing is converted. GUI thread only.
class AtspiScaling final {
public:
    // ownPid's elements share our scale and are never asked: a synchronous call
    // into our own GUI thread would wait for itself.
    AtspiScaling(const X11Windows& windows, qint64 ownPid);
    ~AtspiScaling();
    AtspiScaling(const AtspiScaling&) = delete;
    AtspiScaling& operator=(const AtspiScaling&) = delete;

    // A rectangle the accessible's application reported, in our logical pixels.
    static QRectF toProgram(AtspiAccessible* accessible, const QRectF& rect);
    // The accessible's screen extents as its application reports them (its own pixels).
    static std::optional<QRectF> screenExtents(AtspiAccessible* accessible);

    // Whether the accessible's application reports positions relative to its window.
    static bool isWindowRelative(AtspiAccessible* accessible);
    // The process behind the accessible's application; 0 when it cannot be told.
    // Known once per bus connection (a unique bus name is never given out twice), where
    // libatspi would ask the bus again on every call.
    static qint64 processId(AtspiAccessible* accessible);

    // Device pixels per logical pixel of this program (QT_SCALE_FACTOR, Xft.dpi).
    static qreal ownScale();
    // Device pixels per pixel the application reports in; 1 when it cannot be told.
    qreal applicationScale(AtspiAccessible* accessible) const;

private:
    struct Geometry {
        qreal scale = 1;
        bool windowRelative = false;
        // Where a window-relative report's origin is inside the window, in device pixels.
        QPointF inset;
    };
    Geometry geometryOf(AtspiAccessible* accessible) const;
    std::optional<Geometry> measure(AtspiAccessible* accessible, qint64 pid) const;
    // Top-left corner of the content of the accessible's window, in device pixels.
    std::optional<QPointF> windowOrigin(AtspiAccessible* accessible, qint64 pid, const Geometry& geometry) const;

    const X11Windows& m_windows;
    qint64 m_ownPid;
    mutable QHash<qint64, Geometry> m_geometries;
    mutable QHash<QByteArray, qint64> m_processIds;
};

} // namespace quillcraft
