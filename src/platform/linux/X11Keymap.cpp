#include "X11Keymap.h"

#include <X11/Xlib.h>

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
