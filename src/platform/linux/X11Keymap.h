#pragma once

#include <span>
#include <vector>

typedef struct _XDisplay Display; // NOLINT: Xlib's own spelling, so no Xlib header here

namespace quillcraft {

// The keyboard mapping as the X server has it at the moment of reading. Xlib's
// own lookups (XKeysymToKeycode, XkbKeycodeToKeysym) answer from a map cached
// at first use, which goes stale after a layout switch: Qt, not Xlib, reads the
// notifications, so Xlib never learns of it.
// Codes and symbols are Xlib's KeyCode and KeySym, spelt out: its header's
// macros break Qt's headers.
class X11Keymap final {
public:
    // An empty map when the server does not answer.
    static X11Keymap read(Display* display);

    // XKeysymToKeycode's answer: the lowest key code in the lowest column that
    // holds `keysym`, or 0 when no key does.
    unsigned char keycodeOf(unsigned long keysym) const;
    // The key a shortcut on `keysym` uses: the key that holds it in any group,
    // else, for a Latin letter, the key at the letter's place on a US keyboard,
    // where users of layouts without Latin letters (Russian, Greek, Hebrew, ...)
    // press their shortcuts. 0 when neither exists.
    unsigned char shortcutKeycodeOf(unsigned long keysym) const;
    // The key's first, unshifted symbol; NoSymbol (0) when it has none.
    unsigned long keysymOf(unsigned char keycode) const;
    // All of the key's symbols, one a column; empty outside the map.
    std::span<const unsigned long> symbolsOf(unsigned char keycode) const;
    // The range of key codes the map covers; last is below first when empty.
    int firstKeycode() const { return m_first; }
    int lastKeycode() const;

private:
    int m_first = 0;
    int m_perCode = 0;
    std::vector<unsigned long> m_symbols; // m_perCode columns per key code from m_first on
};

} // namespace quillcraft
