#pragma once

#include "platform/PointerMonitor.h"
#include "platform/Screens.h"

#include <QPoint>
#include <QTimer>

#include <memory>

class QSocketNotifier;

namespace quillcraft {

// The pointer everywhere, through XInput 2 raw motion and button events on the
// root window: no grab, so every application keeps its input. The events come
// on a private X connection of our own, read on the GUI thread through a socket
// notifier, so Qt's own XInput handling on its connection is left alone.
// Raw events carry no position: it is asked from the server, at most once per
// `settleMs` for moves however fast the device reports, and at once for presses.
// They carry physical buttons, mapped here through the core pointer's button map.
// A warp (XWarpPointer, xdotool's absolute mousemove) is no device motion and
// is not reported. GUI thread only.
class XInputPointerMonitor final : public PointerMonitor {
    Q_OBJECT
public:
    // Longest time a move waits before it is reported (about one frame).
    static constexpr int settleMs = 16;

    explicit XInputPointerMonitor(QObject* parent = nullptr);
    ~XInputPointerMonitor() override;

    bool isAvailable() const override;
    bool start() override;
    std::optional<QPointF> position() const override;

    // A point of the X root window (device pixels, top-left origin) in program
    // coordinates, for a program scaled by ownScale on these (bottom-left) screens.
    static QPointF toProgram(QPoint device, qreal ownScale, const QList<ScreenGeometry>& screens);

private:
    void readEvents();
    void onSettled();
    void onButton(int button);
    // Emits moved when the pointer is elsewhere than last reported.
    void reportMove(QPoint device);
    QPointF toProgram(QPoint device) const;

    struct Connection;
    std::unique_ptr<Connection> m_connection;
    // Declared after the connection: it watches that connection's socket.
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer m_settle;
    std::optional<QPoint> m_reported;
};

} // namespace quillcraft
