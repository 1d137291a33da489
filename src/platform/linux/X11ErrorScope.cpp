#include "X11ErrorScope.h"

#include <X11/Xlib.h>

namespace quillcraft {

struct X11ErrorScope::State {
    Display* display = nullptr;
    XErrorHandler previous = nullptr;
    State* outer = nullptr;
    int errorCode = 0;
    int requestCode = 0;
};

namespace {

// Xlib's handler takes no user data, so the innermost scope of this thread is
// found here. It is set only while a scope lives.
thread_local X11ErrorScope::State* t_innermost = nullptr;

int recordError(Display* display, XErrorEvent* event)
{
    for (auto* scope = t_innermost; scope; scope = scope->outer) {
        if (scope->display != display)
            continue;
        if (scope->errorCode == 0) {
            scope->errorCode = event->error_code;
            scope->requestCode = event->request_code;
        }
        return 0;
    }
    // Another display's error while a scope lives: ignored, because handing it
    // to Xlib's default handler would end the process over a stale window.
    return 0;
}

} // namespace

X11ErrorScope::X11ErrorScope(Display* display)
    : m_state(std::make_unique<State>())
{
    m_state->display = display;
    if (display)
        XSync(display, False);
    m_state->outer = t_innermost;
    t_innermost = m_state.get();
    m_state->previous = XSetErrorHandler(recordError);
}

X11ErrorScope::~X11ErrorScope()
{
    if (m_state->display)
        XSync(m_state->display, False);
    XSetErrorHandler(m_state->previous);
    t_innermost = m_state->outer;
}

bool X11ErrorScope::failed()
{
    if (m_state->display)
        XSync(m_state->display, False);
    return m_state->errorCode != 0;
}

int X11ErrorScope::errorCode() const
{
    return m_state->errorCode;
}

int X11ErrorScope::requestCode() const
{
    return m_state->requestCode;
}

} // namespace quillcraft
