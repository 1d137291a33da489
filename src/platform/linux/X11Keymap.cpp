#include "X11Keymap.h"

#include <X11/Xlib.h>

#include <X11/keysym.h>

#include <algorithm>
#include <string_view>
#include <type_traits>

namespace quillcraft {

static_assert(std::is_same_v<KeySym, unsigned long> && std::is_same_v<KeyCode, unsigned char>);

X11Keymap X11Keymap::read(Display* display)
{
    X11Keymap keymap;
    int first = 0;
    int last = 0;
    XDisplayKeycodes(display, &first, &last);
    int perCode = 0;
    KeySym* symbols = XGetKeyboardMapping(display, KeyCode(first), last - first + 1, &perCode);
    if (!symbols)
        return keymap;
    keymap.m_first = first;
    keymap.m_perCode = perCode;
    keymap.m_symbols.assign(symbols, symbols + size_t(last - first + 1) * size_t(perCode));
    XFree(symbols);
    return keymap;
}

KeyCode X11Keymap::keycodeOf(KeySym keysym) const
{
    if (keysym == NoSymbol || m_perCode <= 0)
        return 0;
    const auto codes = m_symbols.size() / size_t(m_perCode);
    for (size_t column = 0; column < size_t(m_perCode); ++column) {
        for (size_t code = 0; code < codes; ++code) {
            if (m_symbols[code * size_t(m_perCode) + column] == keysym)
                return KeyCode(size_t(m_first) + code);
        }
    }
    return 0;
}

namespace {

// Key codes of the letters on a US keyboard: the evdev code plus 8, fixed by
// the server's key code rules (evdev, and the older xfree86 for these keys).
KeyCode usKeycodeOf(KeySym keysym)
{
    struct Row {
        std::string_view letters;
        int firstEvdevCode;
    };
    static constexpr Row rows[] = { { "qwertyuiop", 16 }, { "asdfghjkl", 30 }, { "zxcvbnm", 44 } };
    if (keysym >= XK_A && keysym <= XK_Z)
        keysym += XK_a - XK_A;
    if (keysym < XK_a || keysym > XK_z)
        return 0;
    for (const Row& row : rows) {
        const size_t at = row.letters.find(char(keysym));
        if (at != std::string_view::npos)
            return KeyCode(row.firstEvdevCode + int(at) + 8);
    }
    return 0;
}

} // namespace

KeyCode X11Keymap::shortcutKeycodeOf(KeySym keysym) const
{
    if (const KeyCode keycode = keycodeOf(keysym))
        return keycode;
    const KeyCode us = usKeycodeOf(keysym);
    // Only a key the keyboard has: one with some symbol on it.
    const std::span<const KeySym> symbols = symbolsOf(us);
    if (us == 0 || std::all_of(symbols.begin(), symbols.end(), [](KeySym s) { return s == NoSymbol; }))
        return 0;
    return us;
}

KeySym X11Keymap::keysymOf(KeyCode keycode) const
{
    const std::span<const KeySym> symbols = symbolsOf(keycode);
    return symbols.empty() ? NoSymbol : symbols.front();
}

std::span<const KeySym> X11Keymap::symbolsOf(KeyCode keycode) const
{
    if (m_perCode <= 0 || keycode < m_first)
        return {};
    const size_t index = size_t(keycode - m_first) * size_t(m_perCode);
    if (index >= m_symbols.size())
        return {};
    return std::span<const KeySym>(m_symbols).subspan(index, size_t(m_perCode));
}

int X11Keymap::lastKeycode() const
{
    return m_perCode > 0 ? m_first + int(m_symbols.size() / size_t(m_perCode)) - 1 : m_first - 1;
}

} // namespace quillcraft
