// Where a rewrite lands in a field whose text may have moved on while the card
// was open: only the changed middle is written, at full-text offsets, and the
// clipboard is used whenever the rewritten text cannot be found for certain.

#include "Printers.h"
#include "TestText.h"

#include "assistant/writeback/RewritePlacement.h"

#include <gtest/gtest.h>

using namespace quillcraft;
using quillcraft::test::u;
using Outcome = RewritePlacement::Outcome;

namespace {

const QString copiedNotice = u("Copied. The text changed while the card was open, so paste it with Ctrl+V.");

} // namespace

TEST(RewritePlacement, WritesOnlyTheChangedMiddleAndKeepsTheSourceEdges)
{
    const QString text = u("Dear Sam,\nThis are bad.\nBye");
    const TextRange range { 10, 14 }; // "This are bad.\n"
    ASSERT_EQ(text.mid(range.location, range.length), u("This are bad.\n"));

    const RewritePlacement placed = placeRewrite(text, range, u("This are bad.\n"), u("  This is bad. "));
    EXPECT_EQ(placed.outcome, Outcome::edit);
    EXPECT_EQ(placed.edit, (TextEdit { 15, 3, u("is") }));
    EXPECT_EQ(placed.edit.apply(text), u("Dear Sam,\nThis is bad.\nBye")) << "the trailing newline stays";

    // A rewrite that is the source once trimmed writes nothing.
    for (const char* same : { "This are bad.", "This are bad.\n", "\n This are bad. \t" }) {
        const RewritePlacement unchanged = placeRewrite(text, range, u("This are bad.\n"), u(same));
        EXPECT_EQ(unchanged.outcome, Outcome::nothing) << same;
        EXPECT_TRUE(unchanged.notice.isEmpty());
    }

    // Offsets are UTF-16 units: an emoji before the source counts twice.
    const QString emoji = u("😀 Their going.");
    const RewritePlacement afterEmoji = placeRewrite(emoji, { 3, 12 }, u("Their going."), u("They're going."));
    EXPECT_EQ(afterEmoji.edit.apply(emoji), u("😀 They're going."));
}

TEST(RewritePlacement, FindsASourceThatMovedOnlyWhenItOccursOnce)
{
    const QString source = u("Its a test.");
    // The user typed before the source while the card was open.
    const QString moved = u("Hello. Its a test. Bye.");
    const RewritePlacement found = placeRewrite(moved, { 0, 11 }, source, u("It's a test."));
    EXPECT_EQ(found.outcome, Outcome::edit);
    EXPECT_EQ(found.edit.apply(moved), u("Hello. It's a test. Bye."));

    // The range now runs past the end of a shortened text.
    const QString shortened = u("Its a test.");
    EXPECT_EQ(placeRewrite(shortened, { 4, 11 }, source, u("It's a test.")).edit.apply(shortened), u("It's a test."));

    // Duplicated, gone, or overlapping itself: never guessed, always copied.
    const struct {
        const char* text;
        const char* source;
    } uncertain[] {
        { "Its a test. Its a test.", "Its a test." }, { "Something else entirely.", "Its a test." },
        { "xaaa", "aa" }, // "aa" occurs at 1 and at 2
    };
    for (const auto& c : uncertain) {
        const RewritePlacement copied = placeRewrite(u(c.text), { 40, 2 }, u(c.source), u("Rewritten."));
        EXPECT_EQ(copied.outcome, Outcome::copy) << c.text;
        EXPECT_EQ(copied.notice, copiedNotice);
    }

    // Still at its range, a duplicate elsewhere does not matter.
    const QString twice = u("Its a test. Its a test.");
    const RewritePlacement atRange = placeRewrite(twice, { 12, 11 }, source, u("It's a test."));
    EXPECT_EQ(atRange.edit.apply(twice), u("Its a test. It's a test."));
}
