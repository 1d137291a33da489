#include "X11FloatingWindows.h"

#include "platform/linux/X11Display.h"
#include "platform/linux/X11ErrorScope.h"

#include <QByteArray>
#include <QList>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace quillcraft {

namespace {

// Every desktop, as _NET_WM_DESKTOP spells it.
constexpr unsigned long allDesktops = 0xFFFFFFFFUL;
// A pager or other tool acting for the user: window managers honour it without
// the focus-stealing checks they apply to applications (source 1).
constexpr long sourcePager = 2;

// The atoms of a window's property; Xlib hands 32-bit values over as longs.
QList<Atom> atomList(Display* display, Window window, Atom property)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    QList<Atom> atoms;
    if (XGetWindowProperty(display, window, property, 0, 64, False, XA_ATOM, &type, &format, &count, &remaining, &data)
            == Success
        && data && type == XA_ATOM && format == 32) {
        const auto* values = reinterpret_cast<const Atom*>(data);
        atoms = QList<Atom>(values, values + count);
    }
    if (data)
        XFree(data);
    return atoms;
}

} // namespace

X11FloatingWindows::X11FloatingWindows()
    : m_display(qtX11Display())
{
    if (!m_display)
        return;
    m_root = DefaultRootWindow(m_display);
    m_atoms.wmState = XInternAtom(m_display, "_NET_WM_STATE", False);
    m_atoms.skipTaskbar = XInternAtom(m_display, "_NET_WM_STATE_SKIP_TASKBAR", False);
    m_atoms.skipPager = XInternAtom(m_display, "_NET_WM_STATE_SKIP_PAGER", False);
    m_atoms.wmDesktop = XInternAtom(m_display, "_NET_WM_DESKTOP", False);
    m_atoms.activeWindow = XInternAtom(m_display, "_NET_ACTIVE_WINDOW", False);
    const QByteArray selection = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(m_display));
    m_atoms.compositingSelection = XInternAtom(m_display, selection.constData(), False);
}

bool X11FloatingWindows::isAvailable() const
{
    return m_display != nullptr;
}

void X11FloatingWindows::prepare(quintptr window)
{
    if (!m_display || !window)
        return;
    X11ErrorScope errors(m_display);
    // Appended to what is there: Qt merges its own states (ABOVE) into this list when it maps.
    QList<Atom> states = atomList(m_display, window, m_atoms.wmState);
    for (const Atom wanted : { Atom(m_atoms.skipTaskbar), Atom(m_atoms.skipPager) }) {
        if (!states.contains(wanted))
            states.append(wanted);
    }
    XChangeProperty(m_display, window, m_atoms.wmState, XA_ATOM, 32, PropModeReplace,
        reinterpret_cast<const unsigned char*>(states.constData()), int(states.size()));
    const unsigned long desktop = allDesktops;
    XChangeProperty(m_display, window, m_atoms.wmDesktop, XA_CARDINAL, 32, PropModeReplace,
        reinterpret_cast<const unsigned char*>(&desktop), 1);
}

bool X11FloatingWindows::compositing() const
{
    return m_display && XGetSelectionOwner(m_display, m_atoms.compositingSelection) != None;
}

void X11FloatingWindows::flush()
{
    if (m_display)
        XFlush(m_display);
}

quintptr X11FloatingWindows::activeWindow() const
{
    if (!m_display)
        return 0;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    Window active = None;
    if (XGetWindowProperty(
            m_display, m_root, m_atoms.activeWindow, 0, 1, False, XA_WINDOW, &type, &format, &count, &remaining, &data)
            == Success
        && data && format == 32 && count == 1)
        active = *reinterpret_cast<const Window*>(data);
    if (data)
        XFree(data);
    if (active != None)
        return active;
    // No window manager: the server's own focus is the answer.
    Window focus = None;
    int revert = 0;
    XGetInputFocus(m_display, &focus, &revert);
    return focus == PointerRoot ? 0 : focus;
}

bool X11FloatingWindows::activate(quintptr window)
{
    if (!m_display || !window)
        return false;
    X11ErrorScope errors(m_display);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(m_display, window, &attributes) || errors.failed())
        return false;
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = m_atoms.activeWindow;
    event.xclient.format = 32;
    event.xclient.data.l[0] = sourcePager;
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(m_display, m_root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    if (attributes.map_state == IsViewable)
        XSetInputFocus(m_display, window, RevertToParent, CurrentTime);
    return !errors.failed();
}

} // namespace quillcraft
