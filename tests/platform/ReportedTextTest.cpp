#include "platform/ReportedText.h"

#include "TestText.h"

#include <gtest/gtest.h>

using namespace quillcraft;
using quillcraft::test::u;

namespace {

// "Teh cat 😀 sat on teh naïve mat." as Firefox hands it over: the grin padded
// with U+FEFF, so that its 32 code points match the field's 32 UTF-16 units.
const QString firefoxText = u("Teh cat \xF0\x9F\x98\x80\xEF\xBB\xBF sat on teh na\xC3\xAFve mat.");
const QString realText = u("Teh cat \xF0\x9F\x98\x80 sat on teh na\xC3\xAFve mat.");

} // namespace

TEST(ReportedTextTest, PaddingAfterAnEmojiIsNoPartOfTheText)
{
    EXPECT_EQ(ReportedText::withoutPadding(firefoxText), realText);
    EXPECT_EQ(ReportedText::withoutPadding(firefoxText).size(), 32);
    // Two emoji in a row, each padded, and one at the very end.
    EXPECT_EQ(ReportedText::withoutPadding(u("\xF0\x9F\x98\x80\xEF\xBB\xBF\xF0\x9F\x98\x80\xEF\xBB\xBF")),
        u("\xF0\x9F\x98\x80\xF0\x9F\x98\x80"));
    // A byte-order mark anywhere else is the user's own character.
    EXPECT_EQ(ReportedText::withoutPadding(u("\xEF\xBB\xBFHi \xEF\xBB\xBF")), u("\xEF\xBB\xBFHi \xEF\xBB\xBF"));
    EXPECT_EQ(ReportedText::withoutPadding(u("a\xC3\xA9\xEF\xBB\xBF")), u("a\xC3\xA9\xEF\xBB\xBF"));
    EXPECT_EQ(ReportedText::withoutPadding(QString()), QString());
}

TEST(ReportedTextTest, ASelectionThatMissesTheCaretIsMovedOntoIt)
{
    // Chromium: "naïve" is code points 21 to 26, reported as 20 to 25 with the caret at 21.
    EXPECT_EQ(ReportedText::alignedWithCaret({ 20, 25 }, 21, realText), (ReportedText::Span { 21, 26 }));
    // Selected forwards, the caret at the end.
    EXPECT_EQ(ReportedText::alignedWithCaret({ 20, 25 }, 26, realText), (ReportedText::Span { 21, 26 }));
    // Two emoji before it: two too low.
    const QString twoEmoji = u("\xF0\x9F\x98\x80\xF0\x9F\x98\x80 cat sat on teh na\xC3\xAFve mat.");
    EXPECT_EQ(ReportedText::alignedWithCaret({ 20, 25 }, 22, twoEmoji), (ReportedText::Span { 22, 27 }));
    // Across the emoji ("eh cat 😀 sat on te", code points 1 to 20): only the end after it is low.
    EXPECT_EQ(ReportedText::alignedWithCaret({ 1, 19 }, 20, realText), (ReportedText::Span { 1, 20 }));
    EXPECT_EQ(ReportedText::alignedWithCaret({ 2, 19 }, 2, realText), (ReportedText::Span { 2, 19 }));
}

TEST(ReportedTextTest, ASelectionIsKeptWhenItCannotBeMiscounted)
{
    // The caret on either end.
    EXPECT_EQ(ReportedText::alignedWithCaret({ 20, 25 }, 20, realText), (ReportedText::Span { 20, 25 }));
    EXPECT_EQ(ReportedText::alignedWithCaret({ 20, 25 }, 25, realText), (ReportedText::Span { 20, 25 }));
    // No emoji: nothing can be off, wherever the caret is.
    EXPECT_EQ(ReportedText::alignedWithCaret({ 20, 25 }, 21, u("Teh cat sat on teh na\xC3\xAFve mat.")),
        (ReportedText::Span { 20, 25 }));
    // Further off than the emoji could explain.
    EXPECT_EQ(ReportedText::alignedWithCaret({ 20, 25 }, 3, realText), (ReportedText::Span { 20, 25 }));
    // No caret, or no selection.
    EXPECT_EQ(ReportedText::alignedWithCaret({ 20, 25 }, -1, realText), (ReportedText::Span { 20, 25 }));
    EXPECT_EQ(ReportedText::alignedWithCaret({ 20, 20 }, 21, realText), (ReportedText::Span { 20, 20 }));
}

TEST(ReportedTextTest, CountsSurrogatePairs)
{
    EXPECT_EQ(ReportedText::surrogatePairs(realText), 1);
    EXPECT_EQ(ReportedText::surrogatePairs(u("plain")), 0);
    // A lone half is no pair.
    EXPECT_EQ(ReportedText::surrogatePairs(QString(QChar(0xD83D))), 0);
}

TEST(ReportedTextTest, AFlatBoxTakesTheHeightOfALine)
{
    // KWrite's box for "teh": at the top of its line, no height.
    EXPECT_EQ(ReportedText::withLineHeight(QRectF(461, 271, 31, 0), 17), QRectF(461, 271, 31, 17));
    EXPECT_EQ(ReportedText::withLineHeight(QRectF(461, 271, 31, 1.5), 17), QRectF(461, 271, 31, 17));
    // A box with a height of its own is the application's word, even a short one.
    EXPECT_EQ(ReportedText::withLineHeight(QRectF(10, 20, 30, 9), 17), QRectF(10, 20, 30, 9));
    // Without a usable line height nothing is invented.
    EXPECT_EQ(ReportedText::withLineHeight(QRectF(461, 271, 31, 0), 0), QRectF(461, 271, 31, 0));
}
