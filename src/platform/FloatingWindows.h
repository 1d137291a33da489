#pragma once

#include <QtGlobal>

namespace quillcraft {

// What the window system needs to hear about the program's floating surfaces
// (panels and the underline overlay) beyond what the toolkit says on its own.
// Windows are native ids (Qt's WId). GUI thread only.
class FloatingWindows {
public:
    virtual ~FloatingWindows() = default;

    // Keeps a window off the taskbar and pager and on every desktop. Called
    // before every show: window managers drop these states when it hides.
    virtual void prepare(quintptr window) = 0;
    // Whether a compositing manager runs; without one, translucent pixels show black.
    virtual bool compositing() const = 0;
    // Sends queued stacking requests now (a raise made from a timer can wait for the next event).
    virtual void flush() = 0;
    // The window that has the user's focus; 0 when unknown.
    virtual quintptr activeWindow() const = 0;
    // Gives focus to a window (one saved with activeWindow()); false when it is gone.
    virtual bool activate(quintptr window) = 0;

protected:
    FloatingWindows() = default;
};

} // namespace quillcraft
