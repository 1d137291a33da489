#include "grammar/TextIssue.h"

#include "GrammarPrinters.h"

#include <gtest/gtest.h>

using namespace quillcraft;
using Kind = Suggestion::Kind;

namespace {

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

QList<TextIssue> decode(const char* json, const char* text)
{
    return TextIssue::decodeHarper(u(json), u(text));
}

TextIssue issueAt(qint64 location, const char* problem, QList<Suggestion> suggestions = {{Kind::replace, u("x")}},
                  const char* kind = "Spelling")
{
    return TextIssue{location, QString::fromUtf8(problem).size(), u(kind), u("msg"), u(problem), suggestions};
}

} // namespace

TEST(TextIssueDecode, ReadsAFindingWithOffsetsRelativeToTheCheckedText)
{
    const auto issues = decode(R"([{"start":4,"end":7,"kind":"Spelling","message":"Did you mean `the`?",
                                   "suggestions":[{"kind":"replace","replacementText":"the"}],"extra":1}])",
                               "Fix teh text");
    ASSERT_EQ(issues.size(), 1);
    EXPECT_EQ(issues[0], (TextIssue{4, 3, u("Spelling"), u("Did you mean “the”?"), u("teh"),
                                    {Suggestion{Kind::replace, u("the")}}}));
}

TEST(TextIssueDecode, MalformedDocumentsGiveNothing)
{
    for (const char* json : {"", "not json", "{}", R"({"start":0})", "[1]", R"([{"start":0,"end":1}, 2])",
                             R"([{"start":0,"end":1,"suggestions":[{"kind":"remove"}]},)", "null"}) {
        EXPECT_TRUE(decode(json, "abc").isEmpty()) << json;
    }
    EXPECT_TRUE(decode("[]", "abc").isEmpty());
}

TEST(TextIssueDecode, SpansOutsideTheTextOrEmptyAreDropped)
{
    const char* fix = R"("suggestions":[{"kind":"remove"}])";
    const auto finding = [&](const char* span) { return QStringLiteral("{%1,%2}").arg(u(span), u(fix)); };
    const QString json = QLatin1Char('[')
        + QStringList{finding(R"("start":1,"end":1)"),    finding(R"("start":-1,"end":2)"),
                      finding(R"("start":3,"end":6)"),    finding(R"("start":"0","end":2)"),
                      finding(R"("start":0.5,"end":2)"),  finding(R"("start":0)"),
                      finding(R"("start":2,"end":1)"),    finding(R"("start":1e300,"end":2e300)"),
                      finding(R"("start":2,"end":5)")}
              .join(QLatin1Char(','))
        + QLatin1Char(']');
    const auto issues = TextIssue::decodeHarper(json, u("hello"));
    ASSERT_EQ(issues.size(), 1); // only the span ending exactly at the text's end
    EXPECT_EQ(issues[0].range(), (TextRange{2, 3}));
    EXPECT_EQ(issues[0].problemText, u("llo"));
}

TEST(TextIssueDecode, SuggestionsAreFilteredAndDeduplicated)
{
    const auto issues = decode(R"([{"start":0,"end":3,"suggestions":[
        {"kind":"replace","replacementText":"the"},
        {"kind":"replace","replacementText":" the\t"},
        {"kind":"replace","replacementText":"the\n"},
        {"kind":"insert-after","replacementText":"the"},
        {"kind":"insertAfter","replacementText":"x"},
        {"kind":"Replace","replacementText":"x"},
        {"kind":7,"replacementText":"x"},
        {"replacementText":"x"},
        "remove",
        {"kind":"remove","replacementText":12},
        {"kind":"remove"}]}])",
                               "teh cat");
    ASSERT_EQ(issues.size(), 1);
    EXPECT_EQ(issues[0].suggestions, (QList<Suggestion>{{Kind::replace, u("the")},
                                                        {Kind::replace, u("the\n")},
                                                        {Kind::insertAfter, u("the")},
                                                        {Kind::remove, QString()}}));
    // A non-breaking space is a blank too, and the kept text is the first one, untrimmed.
    const auto nbsp = decode(R"([{"start":0,"end":1,"suggestions":[{"kind":"replace","replacementText":"\u00a0a "},
                                                                  {"kind":"replace","replacementText":"a"}]}])",
                             "x");
    ASSERT_EQ(nbsp.size(), 1);
    EXPECT_EQ(nbsp[0].suggestions, (QList<Suggestion>{{Kind::replace, u("\u00a0a ")}}));
}

TEST(TextIssueDecode, FindingsWithoutAUsableFixAreDropped)
{
    EXPECT_TRUE(decode(R"([{"start":0,"end":3,"kind":"Readability","message":"Long."}])", "abc").isEmpty());
    EXPECT_TRUE(decode(R"([{"start":0,"end":3,"suggestions":[{"kind":"rewrite","replacementText":"x"}]}])", "abc")
                    .isEmpty());
    EXPECT_TRUE(decode(R"([{"start":0,"end":3,"suggestions":{"kind":"remove"}}])", "abc").isEmpty());
}

TEST(TextIssueDecode, FirstFindingWithAFixWinsItsSpan)
{
    const auto issues = decode(R"([
        {"start":0,"end":3,"kind":"Style"},
        {"start":0,"end":3,"kind":"Grammar","suggestions":[{"kind":"remove"}]},
        {"start":0,"end":3,"kind":"Spelling","suggestions":[{"kind":"replace","replacementText":"x"}]},
        {"start":0,"end":2,"kind":"Spelling","suggestions":[{"kind":"replace","replacementText":"x"}]}])",
                               "abc");
    ASSERT_EQ(issues.size(), 2);
    EXPECT_EQ(issues[0].kind, u("Grammar"));
    EXPECT_EQ(issues[1].range(), (TextRange{0, 2}));
}

TEST(TextIssueDecode, MissingOrMistypedKindAndMessageFallBack)
{
    const auto issues = decode(R"([{"start":0,"end":1,"suggestions":[{"kind":"remove"}]},
                                   {"start":1,"end":2,"kind":3,"message":["x"],"suggestions":[{"kind":"remove"}]}])",
                               "ab");
    ASSERT_EQ(issues.size(), 2);
    for (const TextIssue& issue : issues) {
        EXPECT_EQ(issue.kind, u("Miscellaneous"));
        EXPECT_EQ(issue.message, QString());
    }
}

TEST(TextIssueDecode, OffsetsCountUtf16UnitsAndNeverSplitAPair)
{
    // The emoji before the typo takes two units.
    const auto issues = decode(R"([{"start":3,"end":6,"suggestions":[{"kind":"replace","replacementText":"the"}]},
                                   {"start":0,"end":1,"suggestions":[{"kind":"remove"}]},
                                   {"start":1,"end":3,"suggestions":[{"kind":"remove"}]}])",
                               "😀 teh");
    ASSERT_EQ(issues.size(), 1);
    EXPECT_EQ(issues[0].range(), (TextRange{3, 3}));
    EXPECT_EQ(issues[0].problemText, u("teh"));
    // A pair inside the span is fine.
    EXPECT_EQ(decode(R"([{"start":0,"end":2,"suggestions":[{"kind":"remove"}]}])", "😀").size(), 1);
}

TEST(TextIssue, ReadableTurnsBackQuotesIntoTypographicPairs)
{
    EXPECT_EQ(TextIssue::readable(u("Use `an` here.")), u("Use “an” here."));
    EXPECT_EQ(TextIssue::readable(u("`a` or `b` or `c")), u("“a” or “b” or “c"));
    EXPECT_EQ(TextIssue::readable(QString()), QString());
}

TEST(TextIssue, IdentityAndDismissKey)
{
    const TextIssue issue = issueAt(12, "hello");
    EXPECT_EQ(issue.id(), u("12:5"));
    EXPECT_EQ(issue.dismissKey(), u("Spelling|hello|msg"));
    const TextIssue moved = issue.shifted(-10);
    EXPECT_EQ(moved.location, 2);
    EXPECT_EQ(moved.id(), u("2:5"));
    EXPECT_EQ(moved.dismissKey(), issue.dismissKey());
    EXPECT_EQ(moved.shifted(10), issue);
}

TEST(TextIssue, KindClassification)
{
    const auto kinded = [](const char* kind) { return issueAt(0, "a", {{Kind::remove, {}}}, kind); };
    for (const char* kind : {"Spelling", "Typo"})
        EXPECT_TRUE(kinded(kind).isSpelling()) << kind;
    for (const char* kind : {"spelling", "TYPO", "Spelling ", "Grammar"})
        EXPECT_FALSE(kinded(kind).isSpelling()) << kind;

    for (const char* kind : {"Readability", "READABILITY", "WordChoice", "Word Choice", "word-choice", "Capitalization",
                             "Style", "Redundancy", "Regionalism", "Formatting", "Enhancement", "Style2"})
        EXPECT_TRUE(kinded(kind).isStyleSuggestion()) << kind;
    for (const char* kind : {"Spelling", "Typo", "Miscellaneous", "Grammar", "Punctuation", "", "Styles", "Word Order"})
        EXPECT_FALSE(kinded(kind).isStyleSuggestion()) << kind;
}

TEST(TextIssue, AlignmentFollowsEditsAroundTheRange)
{
    const QString text = u("I has a dog.");
    const TextIssue issue = issueAt(2, "has");
    EXPECT_TRUE(issue.isAligned(text));
    EXPECT_TRUE(issue.isAligned(u("I has a cat!"))); // edits after the range
    EXPECT_FALSE(issue.isAligned(u("I hat a dog."))); // inside it
    EXPECT_FALSE(issue.isAligned(u("We has a dog."))); // before it: the range now covers other text
    EXPECT_FALSE(issue.isAligned(u("I h")));
    EXPECT_FALSE(issueAt(-1, "has").isAligned(text));
    EXPECT_FALSE((TextIssue{2, -1, u("Spelling"), {}, {}, {}}).isAligned(text));
}

TEST(TextIssue, AlignmentAcceptsCanonicallyEquivalentText)
{
    // The Angstrom sign and a precomposed ring-A are equivalent and both one unit long.
    EXPECT_TRUE(issueAt(0, "\u212b").isAligned(u("\u00c5 x")));
    EXPECT_TRUE(issueAt(2, "\u00c5").isAligned(u("x \u212b")));
    EXPECT_FALSE(issueAt(0, "\u212b").isAligned(u("A x")));
    // Equivalent forms of different lengths cannot match: the range covers other units.
    EXPECT_FALSE(issueAt(0, "caf\u00e9").isAligned(u("cafe\u0301")));
}

TEST(TextIssue, EditsAndLabelsPerSuggestionKind)
{
    const TextIssue issue{4, 3, u("Grammar"), {}, u("teh"), {}};
    EXPECT_EQ(issue.edit({Kind::replace, u("the")}), (TextEdit{4, 3, u("the")}));
    EXPECT_EQ(issue.edit({Kind::remove, {}}), (TextEdit{4, 3, QString()}));
    EXPECT_EQ(issue.edit({Kind::insertAfter, u(",")}), (TextEdit{7, 0, u(",")}));

    EXPECT_EQ(issue.label({Kind::replace, u(" the ")}), u(" the "));
    EXPECT_EQ(issue.label({Kind::remove, {}}), u("Remove “teh”"));
    EXPECT_EQ(issue.label({Kind::insertAfter, u(",")}), u("Add “,”"));
}

TEST(TextEdit, AppliesOnlyInsideTheText)
{
    EXPECT_EQ((TextEdit{5, 0, u("!")}.apply(u("hello"))), u("hello!"));
    EXPECT_EQ((TextEdit{5, 0, u("!")}.apply(u("hell"))), std::nullopt);
    EXPECT_EQ((TextEdit{0, 5, {}}.apply(u("hello"))), QString());
    EXPECT_EQ((TextEdit{1, 3, u("ipp")}.apply(u("hello"))), u("hippo"));
    EXPECT_EQ((TextEdit{-1, 1, {}}.apply(u("hello"))), std::nullopt);
    EXPECT_EQ((TextEdit{1, -1, {}}.apply(u("hello"))), std::nullopt);
    EXPECT_EQ((TextEdit{4, 2, {}}.apply(u("hello"))), std::nullopt);
    // Offsets are UTF-16 units: the emoji is two of them.
    EXPECT_EQ((TextEdit{3, 2, u("😃")}.apply(u("hi 😀!"))), u("hi 😃!"));
    // Ranges near the top of the integer range must not wrap around.
    EXPECT_EQ((TextEdit{1, std::numeric_limits<qint64>::max(), {}}.apply(u("hello"))), std::nullopt);
}
