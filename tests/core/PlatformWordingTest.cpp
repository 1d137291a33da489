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
