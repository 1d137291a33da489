#pragma once

#include <memory>

namespace quillcraft::e2e {

// Moves a letter to a key code that had no symbols, as a layout switch can,
// leaving F20 on its old key, and puts the mapping back when it goes (the X
// server outlives the test). Works through a connection of its own. Key codes
// and symbols are Xlib's KeyCode and KeySym, spelt out: its header's macros
// break Qt's.
class MovedKey final {
public:
    // For example XK_v and XK_V.
    MovedKey(unsigned long lower, unsigned long upper);
    ~MovedKey();
    MovedKey(const MovedKey&) = delete;
    MovedKey& operator=(const MovedKey&) = delete;

    // False when the display cannot be reached, the letter has no key or no
    // key code is free.
    bool isMoved() const;
    unsigned char from() const;
    unsigned char to() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// Presses and releases Control+Alt with the key at `keycode` through XTest, as
// a hand on that physical key does whatever the layout puts on it.
bool pressControlAltWithKeycode(unsigned char keycode);

} // namespace quillcraft::e2e
