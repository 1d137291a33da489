#include "core/PlatformWording.h"

#include <gtest/gtest.h>

using namespace quillcraft;

namespace {

TEST(PlatformWording, ReplacesKeysAndPlacesInSentences)
{
    EXPECT_EQ(
        PlatformWording::apply(QStringLiteral("Press ⌘V to paste it.")), QStringLiteral("Press Ctrl+V to paste it."));
    EXPECT_EQ(PlatformWording::apply(QStringLiteral("Rewrite, fix, or shorten the highlighted text (⌃⌥R)")),
        QStringLiteral("Rewrite, fix, or shorten the highlighted text (Ctrl+Alt+R)"));
    EXPECT_EQ(
        PlatformWording::apply(QStringLiteral("Checked on this Mac.")), QStringLiteral("Checked on this computer."));
    EXPECT_EQ(PlatformWording::apply(QStringLiteral("for Mac")), QStringLiteral("for Linux"));
    EXPECT_EQ(PlatformWording::apply(QStringLiteral("Control Option R")), QStringLiteral("Control Alt R"));
}

TEST(PlatformWording, LeavesOtherTextAlone)
{
    const QString text = QStringLiteral("Macintosh Command line ⌘ and Mac");
    EXPECT_EQ(PlatformWording::apply(text), text);
}

} // namespace

namespace {

TEST(PlatformWording, OnboardingSpeaksOfThisDesktopsAccessibilityAndStartup)
{
    // The access step's button and the step that names it change together.
    EXPECT_EQ(PlatformWording::apply(QStringLiteral("1. Click Open System Settings.")),
        QStringLiteral("1. Click Turn On Accessibility."));
    // "System Settings" inside the longer phrase is not replaced on its own first.
    EXPECT_EQ(PlatformWording::apply(QStringLiteral("Open System Settings")), QStringLiteral("Turn On Accessibility"));
    EXPECT_EQ(PlatformWording::apply(QStringLiteral("Try again or change it in System Settings.")),
        QStringLiteral("Try again or change it in the desktop's settings."));
    EXPECT_EQ(PlatformWording::apply(QStringLiteral("It stays in your menu bar, ready to help.")),
        QStringLiteral("It stays in your status area, ready to help."));
    EXPECT_FALSE(PlatformWording::apply(QStringLiteral("macOS calls this Accessibility. Quillcraft uses it."))
                     .contains(QStringLiteral("macOS")));
}

} // namespace
