#include "system/TextActions.h"

#include "../grammar/GrammarPrinters.h"

#include <gtest/gtest.h>

#include <random>

using namespace quillcraft;
namespace TA = quillcraft::TextActions;
using Kind = Suggestion::Kind;

namespace {

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

TextIssue issue(qint64 location, const QString& problem, Suggestion fix, const char* kind = "Grammar")
{
    return TextIssue{location, problem.size(), u(kind), u("msg"), problem, {fix}};
}

QString applyAll(QString text, const QList<TextEdit>& edits)
{
    for (const TextEdit& edit : edits)
        text = edit.apply(text).value();
    return text;
}

// "w0 w1 w2 ...": distinct words, so every word of one list differs from the other's.
QString numberedWords(int count, const char* prefix)
{
    QStringList words;
    for (int i = 0; i < count; ++i)
        words << u(prefix) + QString::number(i);
    return words.join(QLatin1Char(' '));
}

QStringList marked(const QString& oldText, const QString& newText)
{
    QStringList result;
    for (const TextRange& range : TA::changedWordRanges(oldText, newText))
        result << newText.mid(range.location, range.length);
    return result;
}

} // namespace

TEST(TextActionsWords, WordCountCountsRunsBetweenAnyWhitespace)
{
    EXPECT_EQ(TA::wordCount(QString()), 0);
    EXPECT_EQ(TA::wordCount(u(" \t\n ")), 0);
    EXPECT_EQ(TA::wordCount(u("  one, two\tthree\nfour\r\nfive ")), 5);
    EXPECT_EQ(TA::wordCount(u("no\u00a0break\u2028line\u2029para\u0085next")), 5);
    EXPECT_EQ(TA::wordCount(u("😀😀 — !")), 3);
}

TEST(TextActionsWords, ShowsIconNeedsTwoCharactersAndAWord)
{
    EXPECT_TRUE(TA::showsIcon(u("ok")));
    EXPECT_TRUE(TA::showsIcon(u("  a!\n")));
    EXPECT_TRUE(TA::showsIcon(u("字字")));
    EXPECT_FALSE(TA::showsIcon(u("a")));
    EXPECT_FALSE(TA::showsIcon(u("  a \n")));
    EXPECT_FALSE(TA::showsIcon(u(" \t\n ")));
    EXPECT_FALSE(TA::showsIcon(QString()));
    EXPECT_FALSE(TA::showsIcon(u("?!")));
    EXPECT_FALSE(TA::showsIcon(u("😀😀")));
    // Characters are grapheme clusters, not units or code points.
    EXPECT_FALSE(TA::showsIcon(u("e\u0301")));
    EXPECT_FALSE(TA::showsIcon(u("👍🏽")));
}

TEST(TextActionsLintWindow, WholeTextWhenItFits)
{
    const QString text = u("short text");
    EXPECT_EQ(TA::lintWindow(text, 3, 100), (TextRange{0, 10}));
    EXPECT_EQ(TA::lintWindow(text, -50, 10), (TextRange{0, 10}));
    EXPECT_EQ(TA::lintWindow(text, 500, 10), (TextRange{0, 10}));
    EXPECT_EQ(TA::lintWindow(QString(), 0, 0), (TextRange{0, 0}));
}

TEST(TextActionsLintWindow, SnapsToLinesThatKeepTheCaretInside)
{
    const QString text = u("aaaa\nbbbb\ncccc"); // line feeds at 4 and 9
    // Near the end: ends at the end, starts at the line start before the caret.
    EXPECT_EQ(TA::lintWindow(text, 13, 8), (TextRange{10, 4}));
    EXPECT_EQ(TA::lintWindow(text, 10, 8), (TextRange{10, 4}));
    // Caret at the end of the middle line: the line start after it is not taken, the line end is.
    EXPECT_EQ(TA::lintWindow(text, 9, 8), (TextRange{5, 4}));
    // Caret at a line start: the window may begin right there.
    EXPECT_EQ(TA::lintWindow(text, 5, 8), (TextRange{5, 4}));
    // Out-of-range carets are clamped.
    EXPECT_EQ(TA::lintWindow(text, 99, 8), (TextRange{10, 4}));
    EXPECT_EQ(TA::lintWindow(text, -7, 8), (TextRange{0, 4}));
    // A line break right at the start of the window never collapses it.
    EXPECT_EQ(TA::lintWindow(u("\nabcdefgh"), 0, 4), (TextRange{0, 4}));
    // No line breaks: a plain window centred on the caret.
    EXPECT_EQ(TA::lintWindow(u("abcdefghij"), 5, 4), (TextRange{3, 4}));
}

TEST(TextActionsLintWindow, NeverSplitsASurrogatePair)
{
    const QString text = u("ab😀cd"); // the emoji is units 2 and 3
    EXPECT_EQ(TA::lintWindow(text, 4, 2), (TextRange{4, 1}));
    EXPECT_EQ(TA::lintWindow(text, 2, 2), (TextRange{1, 1}));
    EXPECT_EQ(TA::lintWindow(text, 3, 3), (TextRange{2, 3}));
}

TEST(TextActionsIssues, VisibleIssuesHideDismissedAndDictionaryWords)
{
    const Suggestion fix{Kind::replace, u("x")};
    const QList<TextIssue> issues = {
        issue(0, u("Quillcraft"), fix, "Spelling"), issue(11, u("teh"), fix, "Typo"),
        issue(15, u("Quillcraft"), fix, "Grammar"), issue(26, u("bad"), fix, "Style"),
        issue(30, u("bad"), fix, "Style")};
    const QSet<QString> dictionary{u("quillcraft")};
    const QSet<QString> dismissed{issues[3].dismissKey()};

    const QList<TextIssue> visible = TA::visibleIssues(issues, dismissed, dictionary);
    // Dictionary words hide only spelling findings; a dismissal hides the same finding anywhere.
    EXPECT_EQ(visible, (QList<TextIssue>{issues[1], issues[2]}));
    EXPECT_EQ(TA::visibleIssues(issues, {}, {}), issues);
}

TEST(TextActionsIssues, AcceptAllEditsRunRightToLeftWithoutOverlaps)
{
    const QString text = u("I has a apple and an banana.");
    const QList<TextIssue> issues = {
        issue(8, u("apple"), {Kind::insertAfter, u(" pie")}),
        issue(2, u("has"), {Kind::replace, u("have")}),
        issue(18, u("an"), {Kind::replace, u("a")}),
        issue(18, u("an banana"), {Kind::replace, u("a banana")}), // same start, overlaps: dropped
        issue(6, u("a"), {Kind::replace, u("an")}),
        issue(5, u("XX"), {Kind::remove, {}}), // no longer matches the text
        TextIssue{0, 1, u("Grammar"), u("msg"), u("I"), {}}, // no suggestion
    };
    const QList<TextEdit> edits = TA::acceptAllEdits(issues, text);
    EXPECT_EQ(edits, (QList<TextEdit>{{18, 2, u("a")}, {13, 0, u(" pie")}, {6, 1, u("an")}, {2, 3, u("have")}}));
    EXPECT_EQ(applyAll(text, edits), u("I have an apple pie and a banana."));
}

TEST(TextActionsIssues, AcceptAllEditsDropTheLeftOfTwoOverlaps)
{
    const QString text = u("abcdefgh");
    const QList<TextEdit> edits = TA::acceptAllEdits(
        {issue(0, u("abcde"), {Kind::remove, {}}), issue(3, u("defg"), {Kind::replace, u("X")}),
         // Its insertion point lies inside the edit on its right.
         issue(1, u("bcd"), {Kind::insertAfter, u("!")}),
         // Out of the text altogether.
         issue(7, u("hij"), {Kind::remove, {}})},
        text);
    EXPECT_EQ(edits, (QList<TextEdit>{{3, 4, u("X")}}));
    // Touching edits both stay.
    EXPECT_EQ(TA::acceptAllEdits({issue(0, u("ab"), {Kind::insertAfter, u("!")}),
                                  issue(2, u("cd"), {Kind::remove, {}})},
                                 text),
              (QList<TextEdit>{{2, 2, {}}, {2, 0, u("!")}}));
}

TEST(TextActionsRewrite, KeepingEdgesWrapsTheTrimmedTextInTheSelectionsWhitespace)
{
    EXPECT_EQ(TA::keepingEdges(u("  hello\n"), u("Hi there ")), u("  Hi there\n"));
    EXPECT_EQ(TA::keepingEdges(u("hello"), u("\n Hi \t")), u("Hi"));
    EXPECT_EQ(TA::keepingEdges(u(" \t"), u("x")), u(" \tx \t"));
    EXPECT_EQ(TA::keepingEdges(QString(), u(" x ")), u("x"));
    EXPECT_EQ(TA::keepingEdges(u("\u00a0a\u2029"), u("b")), u("\u00a0b\u2029"));
}

TEST(TextActionsRewrite, MinimalEditExamples)
{
    EXPECT_EQ(TA::minimalEdit(u("abc"), u("abc")), std::nullopt);
    EXPECT_EQ(TA::minimalEdit(u("abc"), u("abXc")), (TextEdit{2, 0, u("X")}));
    EXPECT_EQ(TA::minimalEdit(u("aaa"), u("aa")), (TextEdit{2, 1, QString()}));
    EXPECT_EQ(TA::minimalEdit(u("aa"), u("aaa")), (TextEdit{2, 0, u("a")}));
    EXPECT_EQ(TA::minimalEdit(QString(), u("new")), (TextEdit{0, 0, u("new")}));
    EXPECT_EQ(TA::minimalEdit(u("old"), QString()), (TextEdit{0, 3, QString()}));
}

TEST(TextActionsRewrite, MinimalEditNeverSplitsASurrogatePair)
{
    // Same high surrogate: the shared prefix stops before it.
    EXPECT_EQ(TA::minimalEdit(u("a😀b"), u("a😃b")), (TextEdit{1, 2, u("😃")}));
    // Same low surrogate: the shared suffix stops after it.
    const QString oldText = QString(QChar(0xD83D)) + QChar(0xDE00) + u("!");
    const QString newText = QString(QChar(0xD83C)) + QChar(0xDE00) + u("!");
    EXPECT_EQ(TA::minimalEdit(oldText, newText), (TextEdit{0, 2, newText.left(2)}));

    // Any pair of texts: the edit reproduces the new text and cuts only between characters.
    std::mt19937 random(7);
    const QStringList pieces = {u("a"), u("b"), u("😀"), u("😃"), u("🙂"), u(" ")};
    const auto randomText = [&] {
        QString text;
        for (int i = std::uniform_int_distribution(0, 6)(random); i > 0; --i)
            text += pieces[std::uniform_int_distribution(0, int(pieces.size()) - 1)(random)];
        return text;
    };
    const auto splits = [](const QString& text, qint64 at) {
        return at > 0 && at < text.size() && text.at(at).isLowSurrogate();
    };
    for (int round = 0; round < 2000; ++round) {
        const QString before = randomText();
        const QString after = randomText();
        const std::optional<TextEdit> edit = TA::minimalEdit(before, after);
        if (before == after) {
            EXPECT_FALSE(edit);
            continue;
        }
        ASSERT_TRUE(edit);
        EXPECT_EQ(edit->apply(before), after) << before.toStdString() << " -> " << after.toStdString();
        EXPECT_FALSE(splits(before, edit->location));
        EXPECT_FALSE(splits(before, edit->location + edit->length));
        EXPECT_FALSE(edit->replacement.startsWith(QChar(0xDE00)) || edit->replacement.startsWith(QChar(0xDE03))
                     || edit->replacement.startsWith(QChar(0xDE42)));
    }
}

TEST(TextActionsDiff, MarksOnlyChangedWords)
{
    EXPECT_EQ(marked(u("I like cats"), u("I love cats")), QStringList{u("love")});
    EXPECT_EQ(marked(u("The cat sat."), u("The big fat cat sat.")), QStringList{u("big fat")});
    EXPECT_EQ(marked(u("a b c"), u("x b y")), (QStringList{u("x"), u("y")}));
    // Punctuation breaks a run; whitespace of any kind does not.
    EXPECT_EQ(marked(u("one two"), u("red, blue")), (QStringList{u("red"), u("blue")}));
    EXPECT_EQ(marked(u("z"), u("red\n\tblue\u00a0green")), QStringList{u("red\n\tblue\u00a0green")});
    // Apostrophes stay inside words.
    EXPECT_EQ(marked(u("do not go"), u("don't go")), QStringList{u("don't")});
}

TEST(TextActionsDiff, CaseAndPunctuationAloneMarkNothing)
{
    EXPECT_TRUE(marked(u("Hello World"), u("hello WORLD")).isEmpty());
    EXPECT_TRUE(marked(u("Hello, world."), u("Hello world")).isEmpty());
    EXPECT_TRUE(marked(u("Hello world"), u("— Hello; world! 😀")).isEmpty());
    // Full lower-casing: İ becomes i with a combining dot, not a bare i.
    EXPECT_TRUE(marked(u("İSTANBUL"), u("i\u0307stanbul")).isEmpty());
    EXPECT_EQ(marked(u("İSTANBUL"), u("istanbul")), QStringList{u("istanbul")});
    // A final sigma is the same letter as a sigma.
    EXPECT_TRUE(marked(u("ΟΔΟΣ"), u("οδος")).isEmpty());
}

TEST(TextActionsDiff, EmptySidesAndRangesInUtf16Units)
{
    EXPECT_TRUE(marked(u("some words"), QString()).isEmpty());
    EXPECT_TRUE(marked(u("some words"), u(" ... ")).isEmpty());
    EXPECT_EQ(TA::changedWordRanges(QString(), u("  Hello brave\nworld!  ")), (QList<TextRange>{{2, 17}}));
    EXPECT_EQ(TA::changedWordRanges(u("hi"), u("😀 hi there")), (QList<TextRange>{{6, 5}}));
}

TEST(TextActionsDiff, TiesRemoveOldWordsBeforeMarkingNewOnes)
{
    // "b a" keeps either word; removing first keeps b and marks a.
    EXPECT_EQ(TA::changedWordRanges(u("a b"), u("b a")), (QList<TextRange>{{2, 1}}));
    EXPECT_EQ(marked(u("x y z"), u("z y x")), QStringList{u("y x")});
}

TEST(TextActionsDiff, SizeGuardAtExactlyFourHundredThousandPairs)
{
    const auto markedCount = [](int oldWords, int newWords) {
        return TA::changedWordRanges(numberedWords(oldWords, "old"), numberedWords(newWords, "new")).size();
    };
    // Distinct words separated by spaces merge into one range when diffed.
    EXPECT_EQ(markedCount(625, 640), 1);
    EXPECT_EQ(markedCount(625, 641), 0);
    EXPECT_EQ(markedCount(8, 50'000), 1);
    EXPECT_EQ(markedCount(7, 57'143), 0); // 400,001
    // No old words means no table at all.
    EXPECT_EQ(markedCount(0, 60'000), 1);
}
