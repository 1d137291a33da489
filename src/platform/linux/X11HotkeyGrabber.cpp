#include "X11HotkeyGrabber.h"

#include "core/Logging.h"
#include "platform/linux/X11Display.h"
#include "platform/linux/X11ErrorScope.h"
#include "platform/linux/X11Keymap.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace quillcraft {

namespace {

KeySym keysymFor(Qt::Key key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return XK_a + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return XK_0 + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return XK_F1 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Escape:
        return XK_Escape;
    case Qt::Key_Space:
        return XK_space;
    default:
        return NoSymbol;
    }
}

// The modifier bit (Mod1..Mod5) that a modifier key sits on, or fallback.
unsigned int modifierMaskOf(Display* display, const X11Keymap& keymap, KeySym keysym, unsigned int fallback)
{
    const KeyCode keycode = keymap.keycodeOf(keysym);
    XModifierKeymap* map = XGetModifierMapping(display);
    if (!map || keycode == 0) {
        if (map)
            XFreeModifiermap(map);
        return fallback;
    }
    unsigned int mask = 0;
    for (int modifier = 0; modifier < 8 && mask == 0; ++modifier) {
        for (int i = 0; i < map->max_keypermod; ++i) {
            if (map->modifiermap[modifier * map->max_keypermod + i] == keycode) {
                mask = 1u << modifier;
                break;
            }
        }
    }
    XFreeModifiermap(map);
    return mask ? mask : fallback;
}

struct Grab {
    quint32 id;
    KeyCombination combination;
    // Derived from the combination with the keyboard mapping of the time;
    // keycode 0 while the mapping has no key for it.
    unsigned int keycode = 0;
    unsigned int modifiers = 0;
};

} // namespace

struct X11HotkeyGrabber::Private final : QAbstractNativeEventFilter {
    X11HotkeyGrabber* q = nullptr;
    Display* display = nullptr;
    Window root = 0;
    unsigned int altMask = Mod1Mask;
    unsigned int superMask = Mod4Mask;
    std::array<unsigned int, 4> lockVariants {};
    std::vector<Grab> grabs;
    bool remapScheduled = false;
    // The first event number of the keyboard extension, -1 without it.
    int xkbEventBase = -1;

    void readModifierMapping()
    {
        const X11Keymap keymap = X11Keymap::read(display);
        altMask = modifierMaskOf(display, keymap, XK_Alt_L, Mod1Mask);
        superMask = modifierMaskOf(display, keymap, XK_Super_L, Mod4Mask);
        const unsigned int numLock = modifierMaskOf(display, keymap, XK_Num_Lock, Mod2Mask);
        lockVariants = { 0u, static_cast<unsigned int>(LockMask), numLock, LockMask | numLock };
    }

    unsigned int keycodeOf(Qt::Key key) const { return X11Keymap::read(display).shortcutKeycodeOf(keysymFor(key)); }

    unsigned int modifierBits(Qt::KeyboardModifiers modifiers) const
    {
        unsigned int bits = 0;
        if (modifiers & Qt::ShiftModifier)
            bits |= ShiftMask;
        if (modifiers & Qt::ControlModifier)
            bits |= ControlMask;
        if (modifiers & Qt::AltModifier)
            bits |= altMask;
        if (modifiers & Qt::MetaModifier)
            bits |= superMask;
        return bits;
    }

    void ungrabAllVariants(const Grab& grab)
    {
        if (grab.keycode == 0)
            return;
        X11ErrorScope scope(display);
        for (unsigned int lock : lockVariants)
            XUngrabKey(display, static_cast<int>(grab.keycode), grab.modifiers | lock, root);
    }

    // Grabs every lock variant or none. Without all of them the shortcut dies
    // as soon as Num Lock or Caps Lock is on.
    GrabResult grabAllVariants(const Grab& grab)
    {
        GrabResult result = GrabResult::grabbed;
        {
            X11ErrorScope scope(display);
            for (unsigned int lock : lockVariants)
                XGrabKey(display, static_cast<int>(grab.keycode), grab.modifiers | lock, root, False, GrabModeAsync,
                    GrabModeAsync);
            if (scope.failed()) {
                if (scope.errorCode() == BadAccess && scope.requestCode() == X_GrabKey) {
                    result = GrabResult::heldElsewhere;
                    qCInfo(lcPlatform) << "Another program holds the shortcut (BadAccess on X_GrabKey)";
                } else {
                    result = GrabResult::failed;
                    qCWarning(lcPlatform) << "Grabbing the shortcut failed with X error" << scope.errorCode()
                                          << "on request" << scope.requestCode();
                }
            }
        }
        // Some variants may have been granted before one was refused.
        if (result != GrabResult::grabbed)
            ungrabAllVariants(grab);
        return result;
    }

    // After a layout switch the shortcut's key may sit on another key code and
    // Alt, Super or Num Lock on other modifier bits: the old grabs would catch
    // the wrong key and miss the right one.
    void remap()
    {
        for (const Grab& grab : grabs)
            ungrabAllVariants(grab);
        readModifierMapping();
        for (Grab& grab : grabs) {
            grab.keycode = keycodeOf(grab.combination.key);
            grab.modifiers = modifierBits(grab.combination.modifiers);
            if (grab.keycode == 0 || grabAllVariants(grab) != GrabResult::grabbed) {
                // Retried at the next mapping change; until then the key does nothing.
                qCInfo(lcPlatform) << "A shortcut is inactive under the new keyboard mapping";
                grab.keycode = 0;
            }
        }
    }

    void mappingChanged()
    {
        // A layout switch sends several; one re-grab after the burst does.
        if (std::exchange(remapScheduled, true))
            return;
        QMetaObject::invokeMethod(
            q,
            [this] {
                remapScheduled = false;
                remap();
            },
            Qt::QueuedConnection);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        const int type = event->response_type & ~0x80;
        // Qt's connection uses the keyboard extension, so a layout switch made
        // through it (setxkbmap, desktop settings) comes as its events and
        // not as the core notification.
        if (type == xkbEventBase) {
            const uint8_t xkbType = static_cast<const uint8_t*>(message)[1];
            if (xkbType == XkbNewKeyboardNotify || xkbType == XkbMapNotify)
                mappingChanged();
            return false;
        }
        if (type == XCB_MAPPING_NOTIFY) {
            const auto* mapping = static_cast<const xcb_mapping_notify_event_t*>(message);
            if (mapping->request == XCB_MAPPING_KEYBOARD || mapping->request == XCB_MAPPING_MODIFIER)
                mappingChanged();
            return false; // Qt needs it too
        }
        if ((type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE) || grabs.empty())
            return false;
        const auto* key = static_cast<const xcb_key_press_event_t*>(message);
        if (key->event != root)
            return false;
        // Caps Lock, Num Lock and mouse buttons must not change which shortcut this is.
        const unsigned int state = key->state & (ShiftMask | ControlMask | altMask | superMask);
        for (const Grab& grab : grabs) {
            if (grab.keycode == key->detail && grab.modifiers == state) {
                if (type == XCB_KEY_PRESS)
                    Q_EMIT q->pressed(grab.id);
                return true;
            }
        }
        return false;
    }
};

X11HotkeyGrabber::X11HotkeyGrabber(QObject* parent)
    : HotkeyGrabber(parent)
    , d(std::make_unique<Private>())
{
    d->q = this;
    d->display = qtX11Display();
    if (!d->display)
        return;
    d->root = DefaultRootWindow(d->display);
    d->readModifierMapping();
    int opcode = 0;
    int errorBase = 0;
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    if (XkbQueryExtension(d->display, &opcode, &d->xkbEventBase, &errorBase, &major, &minor) == False)
        d->xkbEventBase = -1;
    QCoreApplication::instance()->installNativeEventFilter(d.get());
}

X11HotkeyGrabber::~X11HotkeyGrabber()
{
    // Qt closes its display with the application: nothing to give back after that.
    if (!d->display || !QCoreApplication::instance())
        return;
    for (const Grab& grab : d->grabs)
        d->ungrabAllVariants(grab);
    if (auto* app = QCoreApplication::instance())
        app->removeNativeEventFilter(d.get());
}

bool X11HotkeyGrabber::isAvailable() const
{
    return d->display != nullptr;
}

GrabResult X11HotkeyGrabber::grab(quint32 id, KeyCombination combination)
{
    ungrab(id);
    if (!d->display)
        return GrabResult::failed;
    const Grab wanted { id, combination, d->keycodeOf(combination.key), d->modifierBits(combination.modifiers) };
    if (wanted.keycode == 0) {
        qCWarning(lcPlatform) << "No key code for the shortcut's key" << combination.key;
        return GrabResult::noKey;
    }
    if (std::any_of(d->grabs.begin(), d->grabs.end(),
            [&](const Grab& g) { return g.keycode == wanted.keycode && g.modifiers == wanted.modifiers; })) {
        qCInfo(lcPlatform) << "Shortcut already held by another of our hot keys";
        return GrabResult::heldElsewhere;
    }
    const GrabResult result = d->grabAllVariants(wanted);
    if (result == GrabResult::grabbed)
        d->grabs.push_back(wanted);
    return result;
}

void X11HotkeyGrabber::ungrab(quint32 id)
{
    auto it = std::find_if(d->grabs.begin(), d->grabs.end(), [id](const Grab& g) { return g.id == id; });
    if (it == d->grabs.end())
        return;
    d->ungrabAllVariants(*it);
    d->grabs.erase(it);
}

} // namespace quillcraft
