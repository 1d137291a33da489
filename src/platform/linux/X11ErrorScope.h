#pragma once

#include <memory>

typedef struct _XDisplay Display; // NOLINT: Xlib's own spelling, so no Xlib header here

namespace quillcraft {

// Catches the X errors of the Xlib requests made while it lives, on the GUI
// thread's display: syncs on entry (earlier errors are not ours) and on exit,
// then puts the previous handler back. Scopes nest.
class X11ErrorScope final {
public:
    explicit X11ErrorScope(Display* display);
    ~X11ErrorScope();
    X11ErrorScope(const X11ErrorScope&) = delete;
    X11ErrorScope& operator=(const X11ErrorScope&) = delete;

    // Waits for the server to answer everything sent so far and reports
    // whether any of it failed.
    bool failed();

    // The first error seen: its code (e.g. BadAccess) and the request's
    // major opcode (e.g. X_GrabKey); 0 when none.
    int errorCode() const;
    int requestCode() const;

    struct State; // opaque; public only so the Xlib handler can reach it

private:
    std::unique_ptr<State> m_state;
};

} // namespace quillcraft
