#include "grammar/TextActions.h"

#include "GrammarPrinters.h"

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

TextIssue issue(qint64 location, const char* problem, Suggestion fix, const char* kind = "Grammar")
{
    return TextIssue{location, u(problem).size(), u(kind), u("msg"), u(problem), {fix}};
}

QStringList marked(const QString& oldText, const QString& newText)
{
    QStringList result;
    for (const TextRange& range : TA::changedWordRanges(oldText, newText))
        result << newText.mid(range.location, range.length);
    return result;
}

} // namespace

TEST(TextActionsWords, WordCountAndSelectionButton)
{
    EXPECT_EQ(TA::wordCount(u(" \t\n ")), 0);
    EXPECT_EQ(TA::wordCount(u(" one, two\tthree\r\nfour\u00a0five\u2028six 😀 ")), 7);
    for (const char* yes : {"ok", "  a!\n", "字字", "〇〇"})
        EXPECT_TRUE(TA::showsIcon(u(yes))) << yes;
    // Characters are grapheme clusters, and punctuation or emoji alone hold no word.
    for (const char* no : {"", "a", "  a \n", " \t ", "?!", "😀😀", "e\u0301", "👍🏽"})
        EXPECT_FALSE(TA::showsIcon(u(no))) << no;
}

TEST(TextActionsLintWindow, SnapsToLinesThatKeepTheCaretInside)
{
    EXPECT_EQ(TA::lintWindow(u("short"), -50, 5), (TextRange{0, 5})); // fits, whatever the caret
    const QString text = u("aaaa\nbbbb\ncccc"); // line feeds at 4 and 9
    EXPECT_EQ(TA::lintWindow(text, 13, 8), (TextRange{10, 4})); // ends at the end, starts at a line
    EXPECT_EQ(TA::lintWindow(text, 99, 8), (TextRange{10, 4}));
    EXPECT_EQ(TA::lintWindow(text, 9, 8), (TextRange{5, 4})); // the line start after the caret is not taken
    EXPECT_EQ(TA::lintWindow(text, 5, 8), (TextRange{5, 4})); // a line start at the caret is
    EXPECT_EQ(TA::lintWindow(u("\nabcdefgh"), 0, 4), (TextRange{0, 4})); // never collapses to nothing
    EXPECT_EQ(TA::lintWindow(u("abcdefghij"), 5, 5), (TextRange{3, 5}));
    // Half a character never goes to the checker.
    const QString emoji = u("ab😀cd"); // units 2 and 3
    EXPECT_EQ(TA::lintWindow(emoji, 4, 2), (TextRange{4, 1}));
    EXPECT_EQ(TA::lintWindow(emoji, 2, 2), (TextRange{1, 1}));
    EXPECT_EQ(TA::lintWindow(emoji, 3, 3), (TextRange{2, 3}));
}

TEST(TextActionsIssues, VisibleIssuesHideDismissedAndDictionaryWords)
{
    const Suggestion fix{Kind::replace, u("x")};
    const QList<TextIssue> issues = {issue(0, "Quillcraft", fix, "Spelling"), issue(11, "teh", fix, "Typo"),
                                     issue(15, "Quillcraft", fix), issue(26, "bad", fix), issue(30, "bad", fix)};
    // Dictionary words hide only spelling findings; a dismissal hides the same finding anywhere.
    EXPECT_EQ(TA::visibleIssues(issues, {issues[3].dismissKey()}, {u("quillcraft")}),
              (QList<TextIssue>{issues[1], issues[2]}));
}

TEST(TextActionsIssues, AcceptAllEditsRunRightToLeftWithoutOverlaps)
{
    const QString text = u("I has a apple and an banana.");
    const QList<TextEdit> edits = TA::acceptAllEdits(
        {issue(8, "apple", {Kind::insertAfter, u(" pie")}), issue(2, "has", {Kind::replace, u("have")}),
         issue(18, "an", {Kind::replace, u("a")}),
         issue(18, "an banana", {Kind::replace, u("a banana")}), // same start, overlaps the one taken
         issue(6, "a", {Kind::replace, u("an")}), issue(9, "XX", {Kind::remove, {}}), // no longer matches
         issue(13, " and", {Kind::remove, {}}), // starts where the insertion goes: both stay
         TextIssue{0, 1, u("Grammar"), {}, u("I"), {}}},
        text);
    EXPECT_EQ(edits, (QList<TextEdit>{{18, 2, u("a")}, {13, 4, {}}, {13, 0, u(" pie")}, {6, 1, u("an")},
                                      {2, 3, u("have")}}));
    QString result = text;
    for (const TextEdit& edit : edits)
        result = edit.apply(result).value();
    EXPECT_EQ(result, u("I have an apple pie a banana."));
    // The left one of two overlapping edits goes, also when only its insertion point overlaps.
    EXPECT_EQ(TA::acceptAllEdits({issue(0, "abcde", {Kind::remove, {}}), issue(3, "defg", {Kind::replace, u("X")}),
                                  issue(1, "bcd", {Kind::insertAfter, u("!")}), issue(7, "hij", {Kind::remove, {}})},
                                 u("abcdefgh")),
              (QList<TextEdit>{{3, 4, u("X")}}));
}

TEST(TextActionsRewrite, EdgesAndMinimalEdits)
{
    EXPECT_EQ(TA::keepingEdges(u("  hello\n"), u("Hi there ")), u("  Hi there\n"));
    EXPECT_EQ(TA::keepingEdges(u(" \t"), u("\nx ")), u(" \tx \t"));
    EXPECT_EQ(TA::minimalEdit(u("abc"), u("abc")), std::nullopt);
    EXPECT_EQ(TA::minimalEdit(u("abc"), u("abXc")), (TextEdit{2, 0, u("X")}));
    EXPECT_EQ(TA::minimalEdit(u("aaa"), u("aa")), (TextEdit{2, 1, QString()}));
    EXPECT_EQ(TA::minimalEdit(u("a😀b"), u("a😃b")), (TextEdit{1, 2, u("😃")})); // shared high surrogate
    const QString oldPair = QString(QChar(0xD83D)) + QChar(0xDE00);
    const QString newPair = QString(QChar(0xD83C)) + QChar(0xDE00);
    EXPECT_EQ(TA::minimalEdit(oldPair, newPair), (TextEdit{0, 2, newPair})); // shared low surrogate

    // Any two texts: the edit reproduces the new one and cuts only between characters.
    std::mt19937 random(7);
    const QStringList pieces = {u("a"), u("b"), u(" "), u("😀"), u("😃"), u("🙂")};
    const auto randomText = [&] {
        QString text;
        for (int i = std::uniform_int_distribution(0, 6)(random); i > 0; --i)
            text += pieces[std::uniform_int_distribution(0, 5)(random)];
        return text;
    };
    const auto cutsPair = [](const QString& text, qint64 at) { return at < text.size() && text.at(at).isLowSurrogate(); };
    for (int round = 0; round < 2000; ++round) {
        const QString before = randomText();
        const QString after = randomText();
        const std::optional<TextEdit> edit = TA::minimalEdit(before, after);
        ASSERT_EQ(edit.has_value(), before != after);
        if (!edit)
            continue;
        EXPECT_EQ(edit->apply(before), after);
        EXPECT_FALSE(cutsPair(before, edit->location) || cutsPair(before, edit->location + edit->length)
                     || (!edit->replacement.isEmpty() && edit->replacement.front().isLowSurrogate()));
    }
}

TEST(TextActionsDiff, MarksChangedWordsAndMergesWhitespaceRuns)
{
    EXPECT_EQ(marked(u("I like cats"), u("I love cats")), QStringList{u("love")});
    EXPECT_EQ(marked(u("The cat sat."), u("The big fat cat sat.")), QStringList{u("big fat")});
    EXPECT_EQ(marked(u("a b c"), u("x b y")), (QStringList{u("x"), u("y")}));
    EXPECT_EQ(marked(u("one two"), u("red, blue")), (QStringList{u("red"), u("blue")}));
    EXPECT_EQ(marked(u("z"), u("red\n\tblue\u00a0green")), QStringList{u("red\n\tblue\u00a0green")});
    // Ties remove an old word before marking a new one.
    EXPECT_EQ(marked(u("x y z"), u("z y x")), QStringList{u("y x")});
    // Ranges are UTF-16 offsets into the new text; no old words marks all of it.
    EXPECT_EQ(TA::changedWordRanges(u("hi"), u("😀 hi there")), (QList<TextRange>{{6, 5}}));
    EXPECT_EQ(TA::changedWordRanges(QString(), u("  Hello brave\nworld!  ")), (QList<TextRange>{{2, 17}}));
    EXPECT_TRUE(marked(u("some words"), u(" ... ")).isEmpty());
}

TEST(TextActionsDiff, CaseAndPunctuationAloneMarkNothing)
{
    EXPECT_TRUE(marked(u("Hello, World."), u("— hello WORLD! 😀")).isEmpty());
    // Full lower-casing: İ is i with a combining dot, not a bare i.
    EXPECT_TRUE(marked(u("İSTANBUL"), u("i\u0307stanbul")).isEmpty());
    EXPECT_EQ(marked(u("İSTANBUL"), u("istanbul")), QStringList{u("istanbul")});
    EXPECT_TRUE(marked(u("ΟΔΟΣ"), u("οδος")).isEmpty()); // final sigma
}

TEST(TextActionsDiff, SizeGuardAtExactlyFourHundredThousandPairs)
{
    const auto words = [](int count, char prefix) {
        QStringList list;
        for (int i = 0; i < count; ++i)
            list << QLatin1Char(prefix) + QString::number(i);
        return list.join(QLatin1Char(' '));
    };
    const auto ranges = [&](int n, int m) { return TA::changedWordRanges(words(n, 'a'), words(m, 'b')).size(); };
    EXPECT_EQ(ranges(625, 640), 1);
    EXPECT_EQ(ranges(625, 641), 0);
    EXPECT_EQ(ranges(7, 57'143), 0); // 400,001
}
