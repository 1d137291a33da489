// Control+Alt+R grabbed on the real X server: delivered while another program
// has the focus (sent through XTest), with Num Lock on too, and refused when
// another X client holds it, leaving no partial grab behind; followed to
// another key code or layout, including a Russian one without Latin letters,
// and refused in its own words when no key types R at all.

#include "BlankedKey.h"
#include "E2eSupport.h"
#include "MovedKey.h"
#include "SwitchedLayout.h"
#include "Wait.h"

#include "platform/Hotkey.h"
#include "platform/linux/X11HotkeyGrabber.h"

#include <gtest/gtest.h>

// Last: Xlib's macros (None, Bool, ...) would break the headers above.
#include <X11/Xlib.h>
#include <X11/keysym.h>

using namespace quillcraft;
using namespace quillcraft::e2e;
using quillcraft::test::spin;
using quillcraft::test::waitUntil;

namespace {

bool xdotoolKey(const QString& keys)
{
    return xdotool({ QStringLiteral("key"), keys });
}

// Another X client, with a connection of its own.
class OtherClient final {
public:
    OtherClient()
        : m_display(XOpenDisplay(nullptr))
    {
    }
    ~OtherClient()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }
    OtherClient(const OtherClient&) = delete;
    OtherClient& operator=(const OtherClient&) = delete;

    // Grabs Control+Alt+R with these extra lock modifiers; false when refused.
    bool grab(unsigned int lockModifiers) { return grabKeycode(XKeysymToKeycode(m_display, XK_r), lockModifiers); }
    // The same on this key code.
    bool grabKeycode(KeyCode keycode, unsigned int lockModifiers)
    {
        m_failed = false;
        XErrorHandler previous = XSetErrorHandler(&OtherClient::onError);
        XGrabKey(m_display, keycode, ControlMask | Mod1Mask | lockModifiers, DefaultRootWindow(m_display), False,
            GrabModeAsync, GrabModeAsync);
        XSync(m_display, False);
        XSetErrorHandler(previous);
        return !m_failed;
    }
    void ungrabKeycode(KeyCode keycode)
    {
        XUngrabKey(m_display, keycode, ControlMask | Mod1Mask, DefaultRootWindow(m_display));
        XSync(m_display, False);
    }
    bool isOpen() const { return m_display != nullptr; }

private:
    static int onError(Display*, XErrorEvent*)
    {
        m_failed = true;
        return 0;
    }
    static inline bool m_failed = false; // Xlib's handler takes no user data; this test is single-threaded

    Display* m_display;
};

// xdotool presses the key code the key sits on now; until the mapping change
// has reached the grabber that press goes to nobody, so it is pressed again.
bool pressUntilDelivered(const QString& keys, const int& presses)
{
    return waitUntil(
        [&] {
            xdotoolKey(keys);
            spin(100);
            return presses > 0;
        },
        5000);
}

} // namespace

TEST(X11HotkeyGrabberE2eTest, ShortcutReachesUsWhileATargetHasTheFocus)
{
    TargetApp target(Toolkit::qt, { QStringLiteral("--line"), QStringLiteral("Hello") });
    ASSERT_TRUE(target.start());
    ASSERT_TRUE(target.focus(lineField));

    X11HotkeyGrabber grabber;
    ASSERT_TRUE(grabber.isAvailable());
    int presses = 0;
    Hotkey hotkey(grabber, Hotkey::rewriteId, [&] { ++presses; });
    ASSERT_TRUE(hotkey.registerShortcut());

    ASSERT_TRUE(xdotoolKey(QStringLiteral("ctrl+alt+r")));
    EXPECT_TRUE(waitUntil([&] { return presses == 1; }));
    EXPECT_TRUE(target.isFocused(lineField)) << "a grab does not take the focus";

    // With Num Lock on the state carries Mod2: still the same shortcut.
    ASSERT_TRUE(xdotoolKey(QStringLiteral("Num_Lock")));
    ASSERT_TRUE(xdotoolKey(QStringLiteral("ctrl+alt+r")));
    EXPECT_TRUE(waitUntil([&] { return presses == 2; }));
    ASSERT_TRUE(xdotoolKey(QStringLiteral("Num_Lock")));

    // Neither press reached the field; plain typing still does.
    ASSERT_TRUE(typeText(QStringLiteral("r")));
    EXPECT_TRUE(waitUntil([&] { return target.text(lineField).value_or(QString()).contains(QLatin1Char('r')); }));
    EXPECT_EQ(target.text(lineField).value_or(QString()).count(QLatin1Char('r')), 1);

    hotkey.unregister();
    ASSERT_TRUE(xdotoolKey(QStringLiteral("ctrl+alt+r")));
    spin(300);
    EXPECT_EQ(presses, 2) << "an unregistered shortcut does nothing";
}

TEST(X11HotkeyGrabberE2eTest, ShortcutHeldByAnotherClientIsRefusedWithoutPartialGrabs)
{
    X11HotkeyGrabber grabber;
    Hotkey hotkey(grabber, Hotkey::rewriteId, [] {});
    {
        OtherClient other;
        ASSERT_TRUE(other.isOpen());
        // Only the Num Lock variant is taken: the plain one would be granted first.
        ASSERT_TRUE(other.grab(Mod2Mask));
        EXPECT_FALSE(hotkey.registerShortcut());
        EXPECT_FALSE(hotkey.isRegistered());
        EXPECT_EQ(hotkey.refusal(), QStringLiteral("Another app uses Ctrl+Alt+R."));

        OtherClient third;
        EXPECT_TRUE(third.grab(0)) << "the variants granted before the refusal were given back";
    }
    // Both other clients are gone, and their grabs with them.
    EXPECT_TRUE(waitUntil([&] { return hotkey.registerShortcut(); }, 3000));

    // A second registration while we hold it: another client is refused.
    OtherClient late;
    EXPECT_FALSE(late.grab(0));
}

TEST(X11HotkeyGrabberE2eTest, ShortcutFollowsItsKeyToAnotherKeyCode)
{
    X11HotkeyGrabber grabber;
    int presses = 0;
    Hotkey hotkey(grabber, Hotkey::rewriteId, [&] { ++presses; });
    ASSERT_TRUE(hotkey.registerShortcut());

    OtherClient other;
    ASSERT_TRUE(other.isOpen());
    MovedKey moved(XK_r, XK_R);
    ASSERT_TRUE(moved.isMoved()) << "the keyboard mapping has no free key code";

    EXPECT_TRUE(pressUntilDelivered(QStringLiteral("ctrl+alt+r"), presses));
    // The old key code, another key now, is no longer held.
    EXPECT_TRUE(other.grabKeycode(moved.from(), 0));
    other.ungrabKeycode(moved.from());
}

// A layout switch the way desktops make one: Q moves to where A was.
TEST(X11HotkeyGrabberE2eTest, ShortcutFollowsALayoutSwitch)
{
    X11HotkeyGrabber grabber;
    int presses = 0;
    QObject::connect(&grabber, &HotkeyGrabber::pressed, [&](quint32 id) { presses += id == 7 ? 1 : 0; });
    ASSERT_EQ(
        grabber.grab(7, KeyCombination { Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier }), GrabResult::grabbed);
    ASSERT_TRUE(setLayout(QStringLiteral("fr")));
    struct Restore {
        ~Restore() { setLayout(QStringLiteral("us")); }
    } restore;
    EXPECT_TRUE(pressUntilDelivered(QStringLiteral("ctrl+alt+q"), presses));
}

// A Russian layout alone has no Latin letters: the shortcut goes to the key R
// has on a US keyboard, where the user's hand finds it (key code 27: evdev's
// KEY_R plus 8).
TEST(X11HotkeyGrabberE2eTest, ShortcutOnALayoutWithoutLatinLettersSitsOnTheUsKey)
{
    constexpr unsigned char physicalR = 27;
    SwitchedLayout russian(QStringLiteral("ru"));
    ASSERT_TRUE(russian.isSwitched());
    X11HotkeyGrabber grabber;
    int presses = 0;
    Hotkey hotkey(grabber, Hotkey::rewriteId, [&] { ++presses; });
    ASSERT_TRUE(hotkey.registerShortcut()) << hotkey.refusal().toStdString();

    EXPECT_TRUE(waitUntil(
        [&] {
            pressControlAltWithKeycode(physicalR);
            spin(100);
            return presses > 0;
        },
        5000));
}

// Registered with the US layout, then the user switches to Russian alone: the
// re-grab after the mapping change must not lose the shortcut.
TEST(X11HotkeyGrabberE2eTest, ShortcutSurvivesASwitchToALayoutWithoutLatinLetters)
{
    constexpr unsigned char physicalR = 27;
    X11HotkeyGrabber grabber;
    int presses = 0;
    Hotkey hotkey(grabber, Hotkey::rewriteId, [&] { ++presses; });
    ASSERT_TRUE(hotkey.registerShortcut());
    SwitchedLayout russian(QStringLiteral("ru"));
    ASSERT_TRUE(russian.isSwitched());
    // Let the mapping change reach the grabber and its re-grab happen.
    spin(500);
    EXPECT_TRUE(waitUntil(
        [&] {
            pressControlAltWithKeycode(physicalR);
            spin(100);
            return presses > 0;
        },
        5000));
}

// Without the key at R's US place either, no key types R: the refusal says
// so rather than blame another program.
TEST(X11HotkeyGrabberE2eTest, ShortcutWithoutAnyKeyIsRefusedForThatReason)
{
    constexpr unsigned char physicalR = 27;
    SwitchedLayout russian(QStringLiteral("ru"));
    ASSERT_TRUE(russian.isSwitched());
    BlankedKey missing(physicalR);
    ASSERT_TRUE(missing.isBlanked());
    X11HotkeyGrabber grabber;
    Hotkey hotkey(grabber, Hotkey::rewriteId, [] {});
    EXPECT_FALSE(hotkey.registerShortcut());
    EXPECT_EQ(hotkey.lastResult(), GrabResult::noKey);
    EXPECT_EQ(hotkey.refusal(),
        QStringLiteral("No key on the current keyboard layout types R, so Ctrl+Alt+R cannot be used."));
}
