#include "grammar/TextIssue.h"

#include "Printers.h"

#include "TestText.h"

#include <gtest/gtest.h>

using namespace quillcraft;
using quillcraft::test::u;
using Kind = Suggestion::Kind;

namespace {

QList<TextIssue> decode(const char* json, const char* text)
{
    return TextIssue::decodeHarper(u(json), u(text));
}

TextIssue issueAt(qint64 location, const char* problem, const char* kind = "Spelling")
{
    return TextIssue { location, u(problem).size(), u(kind), u("msg"), u(problem), { { Kind::remove, {} } } };
}

} // namespace

TEST(TextIssueDecode, ReadsFindingsWithFallbacksForKindAndMessage)
{
    const auto issues = decode(R"([{"start":4,"end":7,"kind":"Spelling","message":"Did you mean `the`? `x",
                                   "suggestions":[{"kind":"replace","replacementText":"the"}],"extra":1},
                                  {"start":0,"end":3,"kind":3,"message":["m"],"suggestions":[{"kind":"remove"}]}])",
        "Fix teh text");
    ASSERT_EQ(issues.size(), 2);
    EXPECT_EQ(issues[0],
        (TextIssue {
            4, 3, u("Spelling"), u("Did you mean “the”? “x"), u("teh"), { Suggestion { Kind::replace, u("the") } } }));
    EXPECT_EQ(issues[1], (TextIssue { 0, 3, u("Miscellaneous"), {}, u("Fix"), { Suggestion { Kind::remove, {} } } }));
}

TEST(TextIssueDecode, UnsoundInputGivesNothingAndNeverCrashes)
{
    for (const char* json :
        { "", "not json", "{}", "null", "[1]", R"([{"start":0,"end":1,"suggestions":[{"kind":"remove"}]}, 2])",
            R"([{"start":0,"end":1,"suggestions":[{"kind":"remove"}]},)" })
        EXPECT_TRUE(decode(json, "abc").isEmpty()) << json;
    // Each span carries a fix; only the one ending exactly at the text's end is sound.
    QStringList findings;
    for (const char* span : { R"("start":1,"end":1)", R"("start":-1,"end":2)", R"("start":3,"end":6)",
             R"("start":"0","end":2)", R"("start":0.5,"end":2)", R"("start":2,"end":1)", R"("end":2)",
             R"("start":1e300,"end":2e300)", R"("start":2,"end":5)" })
        findings << u(R"({%1,"suggestions":[{"kind":"remove"}]})").arg(u(span));
    const auto fixed = TextIssue::decodeHarper(u("[") + findings.join(u(",")) + u("]"), u("hello"));
    ASSERT_EQ(fixed.size(), 1);
    EXPECT_EQ(fixed[0].range(), (TextRange { 2, 3 }));
}

TEST(TextIssueDecode, SuggestionsAreFilteredAndDeduplicatedBeforeSpansAreClaimed)
{
    const auto issues
        = decode(R"([{"start":0,"end":3,"kind":"Style","suggestions":[{"kind":"rewrite","replacementText":"x"}]},
        {"start":0,"end":3,"kind":"Grammar","suggestions":[
            {"kind":"replace","replacementText":"the"}, {"kind":"replace","replacementText":" the\t"},
            {"kind":"replace","replacementText":"\u00a0the"}, {"kind":"replace","replacementText":"the\n"},
            {"kind":"insert-after","replacementText":"the"}, {"kind":"insertAfter"}, {"kind":"Replace"}, {"kind":7},
            "remove", {"kind":"remove","replacementText":12}, {"kind":"remove"}]},
        {"start":0,"end":3,"kind":"Spelling","suggestions":[{"kind":"remove"}]}])",
            "teh cat");
    // The first finding has no usable fix, so the second claims the span and the third loses it.
    ASSERT_EQ(issues.size(), 1);
    EXPECT_EQ(issues[0].kind, u("Grammar"));
    EXPECT_EQ(issues[0].suggestions,
        (QList<Suggestion> { { Kind::replace, u("the") }, { Kind::replace, u("the\n") },
            { Kind::insertAfter, u("the") }, { Kind::remove, {} } }));
}

TEST(TextIssueDecode, OffsetsCountUtf16UnitsAndNeverSplitAPair)
{
    // The emoji before the typo takes two units; spans cutting it in half are dropped.
    const auto issues = decode(R"([{"start":3,"end":6,"suggestions":[{"kind":"remove"}]},
                                   {"start":0,"end":1,"suggestions":[{"kind":"remove"}]},
                                   {"start":1,"end":3,"suggestions":[{"kind":"remove"}]},
                                   {"start":0,"end":2,"suggestions":[{"kind":"remove"}]}])",
        "😀 teh");
    ASSERT_EQ(issues.size(), 2);
    EXPECT_EQ(issues[0].problemText, u("teh"));
    EXPECT_EQ(issues[1].problemText, u("😀"));
}

TEST(TextIssueDecode, SpansCuttingADecomposedWordAreDropped)
{
    // The engine splits decomposed words at their combining marks: it flags "nai" and "ve"
    // of "naïve" and offers "there" for "the re" of "résumé". Applied, each would leave an
    // accent on the wrong letter. Whole words next to accented ones are still findings.
    const QString text = u("nai\u0308ve the re\u0301sume\u0301 cafe\u0301 teh");
    QStringList findings;
    for (const auto& [start, end] : { std::pair { 0, 3 }, { 4, 6 }, { 7, 13 }, { 14, 18 }, { 20, 25 }, { 26, 29 } })
        findings << u(R"({"start":%1,"end":%2,"suggestions":[{"kind":"remove"}]})").arg(start).arg(end);
    QStringList kept;
    for (const TextIssue& issue : TextIssue::decodeHarper(u("[") + findings.join(u(",")) + u("]"), text))
        kept << issue.problemText;
    EXPECT_EQ(kept, (QStringList { u("cafe\u0301"), u("teh") }));
}

TEST(TextIssueDecode, FindingsNextToAnAccentedWordAreKeptInEitherForm)
{
    // The double space after "résumé" is a finding whether the accents are
    // composed or decomposed; spans through an accented character are not.
    const auto kept = [](const QString& text, const QList<std::pair<int, int>>& spans) {
        QStringList findings;
        for (const auto& [start, end] : spans)
            findings << u(R"({"start":%1,"end":%2,"suggestions":[{"kind":"remove"}]})").arg(start).arg(end);
        QStringList problems;
        for (const TextIssue& issue : TextIssue::decodeHarper(u("[") + findings.join(u(",")) + u("]"), text))
            problems << issue.problemText;
        return problems;
    };
    const QStringList doubleSpace { u("  ") };
    EXPECT_EQ(kept(u("The r\u00e9sum\u00e9  was"), { { 10, 12 } }), doubleSpace);
    // Decomposed: "re" before the first accent, a span from that accent on,
    // "sume" after it, then the double space.
    EXPECT_EQ(kept(u("The re\u0301sume\u0301  was"), { { 4, 6 }, { 6, 10 }, { 7, 11 }, { 12, 14 } }), doubleSpace);
}

TEST(TextIssue, IdentityKindsAndShifting)
{
    const TextIssue issue = issueAt(12, "hello");
    EXPECT_EQ(issue.id(), u("12:5"));
    EXPECT_EQ(issue.shifted(-10).id(), u("2:5"));
    EXPECT_EQ(issue.shifted(-10).dismissKey(), u("Spelling|hello|msg"));
    EXPECT_EQ(issue.shifted(-10).shifted(10), issue);

    EXPECT_TRUE(issueAt(0, "a", "Typo").isSpelling());
    EXPECT_FALSE(issueAt(0, "a", "spelling").isSpelling());
    for (const char* kind : { "READABILITY", "Word Choice", "word-choice", "Capitalization", "Style2" })
        EXPECT_TRUE(issueAt(0, "a", kind).isStyleSuggestion()) << kind;
    for (const char* kind : { "Spelling", "Typo", "Miscellaneous", "Grammar", "Punctuation", "", "Styles" })
        EXPECT_FALSE(issueAt(0, "a", kind).isStyleSuggestion()) << kind;
}

TEST(TextIssue, AlignmentFollowsEditsAroundTheRange)
{
    const TextIssue has = issueAt(2, "has");
    EXPECT_TRUE(has.isAligned(u("I has a cat!"))); // edited after the range
    EXPECT_FALSE(has.isAligned(u("I hat a dog."))); // inside it
    EXPECT_FALSE(has.isAligned(u("We has a dog."))); // before it
    EXPECT_FALSE(has.isAligned(u("I h")));
    EXPECT_FALSE(issueAt(-1, "has").isAligned(u("has")));
    // Canonically equivalent text of the same length still matches (Angstrom sign, ring-A).
    EXPECT_TRUE(issueAt(0, "\u212b").isAligned(u("\u00c5 x")));
    EXPECT_FALSE(issueAt(0, "\u212b").isAligned(u("A x")));
}

TEST(TextIssue, EditsAndLabels)
{
    const TextIssue issue { 4, 3, u("Grammar"), {}, u("teh"), {} };
    EXPECT_EQ(issue.edit({ Kind::remove, {} }), (TextEdit { 4, 3, QString() }));
    EXPECT_EQ(issue.edit({ Kind::insertAfter, u(",") }), (TextEdit { 7, 0, u(",") }));
    EXPECT_EQ(issue.label({ Kind::remove, {} }), u("Remove “teh”"));
    EXPECT_EQ(issue.label({ Kind::insertAfter, u(",") }), u("Add “,”"));
}

TEST(TextEdit, AppliesOnlyInsideTheText)
{
    EXPECT_EQ((TextEdit { 5, 0, u("!") }.apply(u("hello"))), u("hello!"));
    EXPECT_EQ((TextEdit { 5, 0, u("!") }.apply(u("hell"))), std::nullopt);
    EXPECT_EQ((TextEdit { 3, 2, u("😃") }.apply(u("hi 😀!"))), u("hi 😃!"));
    for (const TextEdit& outside : { TextEdit { -1, 1, {} }, TextEdit { 1, -1, {} }, TextEdit { 4, 2, {} },
             TextEdit { 1, std::numeric_limits<qint64>::max(), {} } })
        EXPECT_EQ(outside.apply(u("hello")), std::nullopt);
}
