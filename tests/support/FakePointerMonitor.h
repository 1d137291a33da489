#pragma once

#include "platform/PointerMonitor.h"

namespace quillcraft::test {

// A pointer moved by hand: tests set where it is and emit its events through
// the helpers, which also keep `position()` in step.
class FakePointerMonitor final : public PointerMonitor {
    Q_OBJECT
public:
    using PointerMonitor::PointerMonitor;

    bool isAvailable() const override { return available; }
    bool start() override;
    std::optional<QPointF> position() const override { return pointer; }

    // Puts the pointer at point and reports the move (while started).
    void moveTo(QPointF point);
    // A left press, or a wheel turn, where the pointer is now (nothing when it
    // is nowhere or the monitor is not started).
    void pressLeft();
    void scroll();

    bool available = true;
    bool started = false;
    int starts = 0;
    std::optional<QPointF> pointer;
};

} // namespace quillcraft::test
