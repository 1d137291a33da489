// The portable hot key over a fake grabber: re-registering, two keys side by
// side, refusals, and that actions run from the event loop.

#include "FakeDesktopInput.h"
#include "Wait.h"

#include "platform/Hotkey.h"

#include <QCoreApplication>

#include <memory>

#include <gtest/gtest.h>

using namespace quillcraft;
using namespace quillcraft::test;

namespace {

const KeyCombination escape { Qt::Key_Escape, {} };

void runQueued()
{
    QCoreApplication::processEvents();
}

} // namespace

TEST(HotkeyTest, RegisteringTwiceReplacesTheFirstAndRunsTheActionOncePerPress)
{
    FakeGrabber grabber;
    int runs = 0;
    Hotkey hotkey(grabber, Hotkey::rewriteId, [&] { ++runs; });
    ASSERT_TRUE(hotkey.registerShortcut());
    ASSERT_TRUE(hotkey.registerShortcut());
    EXPECT_EQ(grabber.grabs.size(), 1);

    grabber.press(Hotkey::defaultCombination());
    EXPECT_EQ(runs, 0) << "the action runs from the event loop, not inside the key event";
    runQueued();
    EXPECT_EQ(runs, 1);
}

TEST(HotkeyTest, TwoHotkeysReactOnlyToTheirOwnPress)
{
    FakeGrabber grabber;
    int rewrites = 0, escapes = 0;
    Hotkey rewrite(grabber, Hotkey::rewriteId, [&] { ++rewrites; });
    Hotkey cancel(grabber, Hotkey::escapeId, [&] { ++escapes; });
    ASSERT_TRUE(rewrite.registerShortcut());
    ASSERT_TRUE(cancel.registerShortcut(escape));

    grabber.press(escape);
    runQueued();
    EXPECT_EQ(rewrites, 0);
    EXPECT_EQ(escapes, 1);
    grabber.press(Hotkey::defaultCombination());
    runQueued();
    EXPECT_EQ(rewrites, 1);
    EXPECT_EQ(escapes, 1);
}

TEST(HotkeyTest, UnregisteredOrDestroyedHotkeyDoesNothing)
{
    FakeGrabber grabber;
    int runs = 0;
    {
        Hotkey hotkey(grabber, Hotkey::rewriteId, [&] { ++runs; });
        hotkey.unregister(); // nothing registered yet: harmless
        ASSERT_TRUE(hotkey.registerShortcut());
        grabber.press(Hotkey::defaultCombination());
        hotkey.unregister(); // a press already queued must not run either
        EXPECT_FALSE(hotkey.isRegistered());
        EXPECT_TRUE(grabber.grabs.isEmpty());
        runQueued();
        EXPECT_EQ(runs, 0);
        ASSERT_TRUE(hotkey.registerShortcut());
    }
    EXPECT_TRUE(grabber.grabs.isEmpty()) << "destroying unregisters";
    grabber.press(Hotkey::defaultCombination());
    runQueued();
    EXPECT_EQ(runs, 0);
}

TEST(HotkeyTest, ActionMayDestroyItsOwnHotkey)
{
    // Escape during a badge drag ends the drag, and the drag's hot key with it.
    FakeGrabber grabber;
    const QString note = QStringLiteral("drag cancelled");
    QString seen;
    std::unique_ptr<Hotkey> hotkey;
    hotkey = std::make_unique<Hotkey>(grabber, Hotkey::escapeId, [&hotkey, &seen, note] {
        hotkey.reset();
        seen = note; // the action's own state, still in use after its hot key is gone
    });
    ASSERT_TRUE(hotkey->registerShortcut(escape));
    grabber.press(escape);
    runQueued();
    EXPECT_FALSE(hotkey);
    EXPECT_EQ(seen, note);
    EXPECT_TRUE(grabber.grabs.isEmpty());
}

TEST(HotkeyTest, ShortcutHeldElsewhereIsRefusedAndLeavesNothingBehind)
{
    FakeGrabber grabber;
    grabber.takenElsewhere << Hotkey::defaultCombination();
    int runs = 0;
    Hotkey hotkey(grabber, Hotkey::rewriteId, [&] { ++runs; });
    EXPECT_FALSE(hotkey.registerShortcut());
    EXPECT_FALSE(hotkey.isRegistered());

    // Our own second key on the same combination is refused the same way.
    grabber.takenElsewhere.clear();
    ASSERT_TRUE(hotkey.registerShortcut());
    Hotkey twin(grabber, Hotkey::escapeId, [&] { runs += 100; });
    EXPECT_FALSE(twin.registerShortcut(Hotkey::defaultCombination()));
    grabber.press(Hotkey::defaultCombination());
    runQueued();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(Hotkey::display(), QStringLiteral("Ctrl+Alt+R"));
}

TEST(HotkeyTest, RefusalSaysWhyInOneSentence)
{
    FakeGrabber grabber;
    Hotkey hotkey(grabber, Hotkey::rewriteId, [] {});
    EXPECT_TRUE(hotkey.refusal().isEmpty()) << "nothing failed yet";

    grabber.takenElsewhere << Hotkey::defaultCombination();
    EXPECT_FALSE(hotkey.registerShortcut());
    EXPECT_EQ(hotkey.lastResult(), GrabResult::heldElsewhere);
    EXPECT_EQ(hotkey.refusal(), QStringLiteral("Another app uses Ctrl+Alt+R."));

    // A layout without the letter is not another program's doing.
    grabber.withoutKey << Hotkey::defaultCombination();
    EXPECT_FALSE(hotkey.registerShortcut());
    EXPECT_EQ(hotkey.lastResult(), GrabResult::noKey);
    EXPECT_EQ(hotkey.refusal(),
        QStringLiteral("No key on the current keyboard layout types R, so Ctrl+Alt+R cannot be used."));

    ASSERT_TRUE(hotkey.registerShortcut(escape));
    EXPECT_TRUE(hotkey.refusal().isEmpty()) << "a registration that worked leaves no refusal behind";
    EXPECT_EQ(Hotkey::display(escape), QStringLiteral("Esc"));
    EXPECT_EQ(Hotkey::display({ Qt::Key_F5, Qt::ShiftModifier | Qt::MetaModifier }), QStringLiteral("Shift+Super+F5"));
}
