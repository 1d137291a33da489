#include "grammar/LintWindow.h"

#include "Printers.h"
#include "TestText.h"

#include <gtest/gtest.h>

using namespace quillcraft;
using quillcraft::test::u;

TEST(LintWindow, SnapsToLinesThatKeepTheCaretInside)
{
    EXPECT_EQ(lintWindow(u("short"), -50, 5), (TextRange { 0, 5 })); // fits, whatever the caret
    const QString text = u("aaaa\nbbbb\ncccc"); // line feeds at 4 and 9
    EXPECT_EQ(lintWindow(text, 13, 8), (TextRange { 10, 4 })); // ends at the end, starts at a line
    EXPECT_EQ(lintWindow(text, 99, 8), (TextRange { 10, 4 }));
    EXPECT_EQ(lintWindow(text, 9, 8), (TextRange { 5, 4 })); // the line start after the caret is not taken
    EXPECT_EQ(lintWindow(text, 5, 8), (TextRange { 5, 4 })); // a line start at the caret is
    EXPECT_EQ(lintWindow(u("\nabcdefgh"), 0, 4), (TextRange { 0, 4 })); // never collapses to nothing
    EXPECT_EQ(lintWindow(u("abcdefghij"), 5, 5), (TextRange { 3, 5 }));
    // Half a character never goes to the checker.
    const QString emoji = u("ab😀cd"); // units 2 and 3
    EXPECT_EQ(lintWindow(emoji, 4, 2), (TextRange { 4, 1 }));
    EXPECT_EQ(lintWindow(emoji, 2, 2), (TextRange { 1, 1 }));
    EXPECT_EQ(lintWindow(emoji, 3, 3), (TextRange { 2, 3 }));
}
