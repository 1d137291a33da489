#include "BlankedKey.h"

#include "platform/linux/X11Keymap.h"

#include <X11/Xlib.h>

#include <span>
#include <vector>

namespace quillcraft::e2e {

struct BlankedKey::Impl {
    Display* display = nullptr;
    KeyCode keycode = 0;
    std::vector<KeySym> original;
};

BlankedKey::BlankedKey(unsigned char keycode)
    : m_impl(std::make_unique<Impl>())
{
    m_impl->display = XOpenDisplay(nullptr);
    if (!m_impl->display)
        return;
    const X11Keymap keymap = X11Keymap::read(m_impl->display);
    const std::span<const KeySym> original = keymap.symbolsOf(keycode);
    if (original.empty())
        return;
    m_impl->keycode = keycode;
    m_impl->original.assign(original.begin(), original.end());
    std::vector<KeySym> blank(original.size(), NoSymbol);
    XChangeKeyboardMapping(m_impl->display, keycode, int(blank.size()), blank.data(), 1);
    XSync(m_impl->display, False);
}

BlankedKey::~BlankedKey()
{
    if (!m_impl->display)
        return;
    if (isBlanked()) {
        XChangeKeyboardMapping(
            m_impl->display, m_impl->keycode, int(m_impl->original.size()), m_impl->original.data(), 1);
        XSync(m_impl->display, False);
    }
    XCloseDisplay(m_impl->display);
}

bool BlankedKey::isBlanked() const
{
    return m_impl->keycode != 0;
}

} // namespace quillcraft::e2e
