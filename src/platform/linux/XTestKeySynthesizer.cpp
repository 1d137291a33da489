#include "XTestKeySynthesizer.h"

#include "core/Logging.h"
#include "platform/linux/X11Display.h"
#include "platform/linux/X11ErrorScope.h"
#include "platform/linux/X11Keymap.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <array>
#include <optional>

namespace quillcraft {

namespace {

// A key pressed through XTest that is released again however the send ends,
// so a failure half-way never leaves Control stuck down for the user.
class PressedKey final {
public:
    PressedKey(Display* display, KeyCode keycode)
        : m_display(display)
        , m_keycode(keycode)
        , m_down(XTestFakeKeyEvent(display, keycode, True, CurrentTime) != 0)
    {
    }
    ~PressedKey() { release(); }
    PressedKey(const PressedKey&) = delete;
    PressedKey& operator=(const PressedKey&) = delete;

    bool isDown() const { return m_down; }
    bool release()
    {
        if (!m_down)
            return true;
        m_down = false;
        return XTestFakeKeyEvent(m_display, m_keycode, False, CurrentTime) != 0;
    }

private:
    Display* m_display;
    KeyCode m_keycode;
    bool m_down;
};

} // namespace

XTestKeySynthesizer::XTestKeySynthesizer(Display* display)
    : m_display(display ? display : qtX11Display())
{
    if (!m_display)
        return;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    m_available = XTestQueryExtension(m_display, &eventBase, &errorBase, &major, &minor) != 0;
    if (!m_available)
        qCWarning(lcPlatform) << "The X server has no XTest extension; pastes cannot be sent";
}

bool XTestKeySynthesizer::isAvailable() const
{
    return m_available;
}

bool XTestKeySynthesizer::modifiersHeld() const
{
    if (!m_display)
        return false;
    std::array<char, 32> keys {};
    XQueryKeymap(m_display, keys.data());
    XModifierKeymap* map = XGetModifierMapping(m_display);
    if (!map)
        return false;
    const X11Keymap keymap = X11Keymap::read(m_display);
    bool held = false;
    // Shift, Control and Mod1..Mod5; Lock is a toggle, not a held key.
    for (int modifier = 0; modifier < 8 && !held; ++modifier) {
        if (modifier == LockMapIndex)
            continue;
        for (int i = 0; i < map->max_keypermod; ++i) {
            const KeyCode code = map->modifiermap[modifier * map->max_keypermod + i];
            if (code != 0 && (keys[code / 8] & (1 << (code % 8)))) {
                // Num Lock sits on a modifier too, but only its toggle matters.
                if (keymap.keysymOf(code) == XK_Num_Lock)
                    continue;
                held = true;
                break;
            }
        }
    }
    XFreeModifiermap(map);
    return held;
}

KeySendResult XTestKeySynthesizer::send(SyntheticKey key)
{
    if (!m_available)
        return KeySendResult::failed;
    if (modifiersHeld())
        return KeySendResult::modifiersHeld;

    // Read now: after a layout switch V may sit on another key, or on none.
    const X11Keymap keymap = X11Keymap::read(m_display);
    KeyCode keycode = 0;
    KeyCode modifierKey = 0;
    if (key == SyntheticKey::deleteBackward) {
        keycode = keymap.keycodeOf(XK_BackSpace);
    } else if ((keycode = keymap.keycodeOf(XK_v)) != 0) {
        // V in any group: toolkits find Control+V there even while another group is active.
        modifierKey = keymap.keycodeOf(XK_Control_L);
    } else if ((keycode = keymap.keycodeOf(XK_Insert)) != 0) {
        // No group has Latin letters (Russian alone, say): Qt and GTK then take
        // Control on V's US key for Control plus a Cyrillic letter and ignore
        // it, but both paste on Shift+Insert, which every layout keeps.
        modifierKey = keymap.keycodeOf(XK_Shift_L);
    } else {
        keycode = keymap.shortcutKeycodeOf(XK_v);
        modifierKey = keymap.keycodeOf(XK_Control_L);
    }
    // Key code 0 means the keyboard map has no such key: sending it would type nothing.
    if (keycode == 0 || (key == SyntheticKey::paste && modifierKey == 0)) {
        qCWarning(lcPlatform) << "The keyboard map has no key for a synthesised keystroke";
        return KeySendResult::failed;
    }

    X11ErrorScope scope(m_display);
    bool ok = true;
    {
        std::optional<PressedKey> modifier;
        if (modifierKey != 0) {
            modifier.emplace(m_display, modifierKey);
            ok = modifier->isDown();
        }
        if (ok) {
            PressedKey pressed(m_display, keycode);
            ok = pressed.isDown() && pressed.release();
        }
        if (modifier)
            ok = modifier->release() && ok;
    }
    XFlush(m_display);
    if (scope.failed() || !ok) {
        qCWarning(lcPlatform) << "Synthesising a keystroke failed, X error" << scope.errorCode();
        return KeySendResult::failed;
    }
    return KeySendResult::sent;
}

} // namespace quillcraft
