#include "grammar/IssueList.h"

#include "Printers.h"
#include "TestText.h"

#include <gtest/gtest.h>

using namespace quillcraft;
using quillcraft::test::u;
using Kind = Suggestion::Kind;

namespace {

TextIssue issue(qint64 location, const char* problem, Suggestion fix, const char* kind = "Grammar")
{
    return TextIssue { location, u(problem).size(), u(kind), u("msg"), u(problem), { fix } };
}

} // namespace

TEST(IssueList, VisibleIssuesHideDismissedAndDictionaryWords)
{
    const Suggestion fix { Kind::replace, u("x") };
    const QList<TextIssue> issues = { issue(0, "Quillcraft", fix, "Spelling"), issue(11, "teh", fix, "Typo"),
        issue(15, "Quillcraft", fix), issue(26, "bad", fix), issue(30, "bad", fix) };
    // Dictionary words hide only spelling findings; a dismissal hides the same finding anywhere.
    EXPECT_EQ(visibleIssues(issues, { issues[3].dismissKey() }, { u("quillcraft") }),
        (QList<TextIssue> { issues[1], issues[2] }));
}

TEST(IssueList, AcceptAllEditsRunRightToLeftWithoutOverlaps)
{
    const QString text = u("I has a apple and an banana.");
    const QList<TextEdit> edits = acceptAllEdits(
        { issue(8, "apple", { Kind::insertAfter, u(" pie") }), issue(2, "has", { Kind::replace, u("have") }),
            issue(18, "an", { Kind::replace, u("a") }),
            issue(18, "an banana", { Kind::replace, u("a banana") }), // same start, overlaps the one taken
            issue(6, "a", { Kind::replace, u("an") }), issue(9, "XX", { Kind::remove, {} }), // no longer matches
            issue(13, " and", { Kind::remove, {} }), // starts where the insertion goes: both stay
            TextIssue { 0, 1, u("Grammar"), {}, u("I"), {} } },
        text);
    EXPECT_EQ(edits,
        (QList<TextEdit> {
            { 18, 2, u("a") }, { 13, 4, {} }, { 13, 0, u(" pie") }, { 6, 1, u("an") }, { 2, 3, u("have") } }));
    QString result = text;
    for (const TextEdit& edit : edits)
        result = edit.apply(result).value();
    EXPECT_EQ(result, u("I have an apple pie a banana."));
    // The left one of two overlapping edits goes, also when only its insertion point overlaps.
    EXPECT_EQ(
        acceptAllEdits({ issue(0, "abcde", { Kind::remove, {} }), issue(3, "defg", { Kind::replace, u("X") }),
                           issue(1, "bcd", { Kind::insertAfter, u("!") }), issue(7, "hij", { Kind::remove, {} }) },
            u("abcdefgh")),
        (QList<TextEdit> { { 3, 4, u("X") } }));
}
