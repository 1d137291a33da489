#include "MovedKey.h"

#include "platform/linux/X11Keymap.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <span>
#include <vector>

namespace quillcraft::e2e {

struct MovedKey::Impl {
    Display* display = nullptr;
    KeyCode from = 0;
    KeyCode to = 0;
    int perCode = 0;
    std::vector<KeySym> original;
};

MovedKey::MovedKey(unsigned long lower, unsigned long upper)
    : m_impl(std::make_unique<Impl>())
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return;
    m_impl->display = display;
    const X11Keymap keymap = X11Keymap::read(display);
    for (int code = keymap.firstKeycode(); code <= keymap.lastKeycode() && m_impl->from == 0; ++code) {
        if (keymap.keysymOf(KeyCode(code)) == lower)
            m_impl->from = KeyCode(code);
    }
    for (int code = keymap.lastKeycode(); code >= keymap.firstKeycode() && m_impl->to == 0; --code) {
        const std::span<const KeySym> symbols = keymap.symbolsOf(KeyCode(code));
        if (std::all_of(symbols.begin(), symbols.end(), [](KeySym symbol) { return symbol == NoSymbol; }))
            m_impl->to = KeyCode(code);
    }
    if (m_impl->from == 0 || m_impl->to == 0) {
        m_impl->to = 0;
        return;
    }
    const std::span<const KeySym> original = keymap.symbolsOf(m_impl->from);
    const int perCode = int(original.size());
    m_impl->perCode = perCode;
    m_impl->original.assign(original.begin(), original.end());
    std::vector<KeySym> moved(size_t(perCode), NoSymbol);
    moved[0] = lower;
    moved[1] = upper;
    std::vector<KeySym> left(size_t(perCode), NoSymbol);
    left[0] = XK_F20;
    XChangeKeyboardMapping(display, m_impl->to, perCode, moved.data(), 1);
    XChangeKeyboardMapping(display, m_impl->from, perCode, left.data(), 1);
    XSync(display, False);
}

MovedKey::~MovedKey()
{
    if (!m_impl->display)
        return;
    if (isMoved()) {
        std::vector<KeySym> empty(size_t(m_impl->perCode), NoSymbol);
        XChangeKeyboardMapping(m_impl->display, m_impl->from, m_impl->perCode, m_impl->original.data(), 1);
        XChangeKeyboardMapping(m_impl->display, m_impl->to, m_impl->perCode, empty.data(), 1);
        XSync(m_impl->display, False);
    }
    XCloseDisplay(m_impl->display);
}

bool MovedKey::isMoved() const
{
    return m_impl->to != 0;
}

unsigned char MovedKey::from() const
{
    return m_impl->from;
}

unsigned char MovedKey::to() const
{
    return m_impl->to;
}

bool pressControlAltWithKeycode(unsigned char keycode)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    const X11Keymap keymap = X11Keymap::read(display);
    const KeyCode control = keymap.keycodeOf(XK_Control_L);
    const KeyCode alt = keymap.keycodeOf(XK_Alt_L);
    bool ok = control != 0 && alt != 0;
    if (ok) {
        for (KeyCode code : { control, alt, KeyCode(keycode) })
            ok = XTestFakeKeyEvent(display, code, True, CurrentTime) != 0 && ok;
        for (KeyCode code : { KeyCode(keycode), alt, control })
            ok = XTestFakeKeyEvent(display, code, False, CurrentTime) != 0 && ok;
    }
    XSync(display, False);
    XCloseDisplay(display);
    return ok;
}

} // namespace quillcraft::e2e
