#pragma once

#include "platform/FloatingWindows.h"

typedef struct _XDisplay Display; // NOLINT: Xlib's own spelling, so no Xlib header here

namespace quillcraft {

// EWMH hints and focus hand-back for the floating surfaces, on Qt's own Xlib
// display. Without an X11 display (Wayland, offscreen) every call does nothing.
class X11FloatingWindows final : public FloatingWindows {
public:
    X11FloatingWindows();

    bool isAvailable() const;

    void prepare(quintptr window) override;
    bool compositing() const override;
    void flush() override;
    quintptr activeWindow() const override;
    bool activate(quintptr window) override;

private:
    struct Atoms {
        unsigned long wmState = 0;
        unsigned long skipTaskbar = 0;
        unsigned long skipPager = 0;
        unsigned long wmDesktop = 0;
        unsigned long activeWindow = 0;
        unsigned long compositingSelection = 0;
    };

    Display* m_display = nullptr; // owned by Qt
    unsigned long m_root = 0;
    Atoms m_atoms;
};

} // namespace quillcraft
