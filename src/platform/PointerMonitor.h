#pragma once

#include <QObject>
#include <QPointF>

#include <optional>

namespace quillcraft {

// Listens to the pointer everywhere on the desktop, whatever application is
// under it, without grabbing it: other applications get every event as before.
// Points are in the program's bottom-left coordinates (Qt logical pixels, y
// growing upwards from the primary screen's bottom edge).
class PointerMonitor : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Whether the display can report pointer events to a program that does not grab.
    virtual bool isAvailable() const = 0;

    // Starts delivering the signals; calling it again changes nothing. False
    // when the display cannot do it.
    virtual bool start() = 0;

    // Where the pointer is now; absent when that cannot be told.
    virtual std::optional<QPointF> position() const = 0;

Q_SIGNALS:
    // The pointer moved, buttons held or not (so drags too). Rapid moves may
    // arrive as fewer signals, but the last one always has where it came to rest.
    void moved(QPointF point);
    // The left button went down, in any application, this one's own windows
    // included: a listener that means "a click elsewhere" checks its own frames.
    void leftPressed(QPointF point);
    // A scroll wheel (or its emulation) turned.
    void scrolled(QPointF point);
};

} // namespace quillcraft
