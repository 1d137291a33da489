#include "MovedKey.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
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
    int first = 0;
    int last = 0;
    XDisplayKeycodes(display, &first, &last);
    int perCode = 0;
    KeySym* map = XGetKeyboardMapping(display, KeyCode(first), last - first + 1, &perCode);
    if (!map)
        return;
    const auto symbolsOf = [&](int code) { return map + (code - first) * perCode; };
    for (int code = first; code <= last && m_impl->from == 0; ++code) {
        if (symbolsOf(code)[0] == lower)
            m_impl->from = KeyCode(code);
    }
    for (int code = last; code >= first && m_impl->to == 0; --code) {
        const KeySym* symbols = symbolsOf(code);
        if (std::all_of(symbols, symbols + perCode, [](KeySym symbol) { return symbol == NoSymbol; }))
            m_impl->to = KeyCode(code);
    }
    if (m_impl->from != 0 && m_impl->to != 0) {
        m_impl->perCode = perCode;
        m_impl->original.assign(symbolsOf(m_impl->from), symbolsOf(m_impl->from) + perCode);
    }
    XFree(map);
    if (m_impl->perCode == 0) {
        m_impl->to = 0;
        return;
    }
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

} // namespace quillcraft::e2e
