#include "rewrite/WordDiff.h"

#include "Printers.h"
#include "TestText.h"

#include <QTextCharFormat>

#include <gtest/gtest.h>

using namespace quillcraft;
using quillcraft::test::u;

namespace {

QStringList marked(const QString& oldText, const QString& newText)
{
    QStringList result;
    for (const TextRange& range : WordDiff::changedWordRanges(oldText, newText))
        result << newText.mid(range.location, range.length);
    return result;
}

} // namespace

TEST(WordDiff, WordCount)
{
    EXPECT_EQ(WordDiff::wordCount(u(" \t\n ")), 0);
    EXPECT_EQ(WordDiff::wordCount(u(" one, two\tthree\r\nfour\u00a0five\u2028six 😀 ")), 7);
}

TEST(WordDiff, MarksOnlyTheChangedWordsWithTheNoteColours)
{
    const QString newText = QString::fromUtf8("We shall, at last, meet 😀 tomorrow.");
    const WordDiff::Highlighted styled = WordDiff::highlighted(QStringLiteral("We will meet today."), newText);
    EXPECT_EQ(styled.text, newText);
    QStringList parts;
    for (const QTextLayout::FormatRange& range : styled.formats) {
        parts << newText.mid(range.start, range.length);
        EXPECT_EQ(range.format.background().color(), QColor(0xDC, 0xE8, 0xFF));
        EXPECT_EQ(range.format.foreground().color(), QColor::fromRgb(1118481));
        // Only the colours: the card's body font stays in charge of everything else.
        EXPECT_EQ(range.format.properties().size(), 2);
    }
    EXPECT_EQ(parts, (QStringList { QStringLiteral("shall"), QStringLiteral("at last"), QStringLiteral("tomorrow") }));
    EXPECT_TRUE(WordDiff::highlighted(newText, QString()).formats.isEmpty());
}

TEST(WordDiff, MarksChangedWordsAndMergesWhitespaceRuns)
{
    EXPECT_EQ(marked(u("I like cats"), u("I love cats")), QStringList { u("love") });
    EXPECT_EQ(marked(u("The cat sat."), u("The big fat cat sat.")), QStringList { u("big fat") });
    EXPECT_EQ(marked(u("a b c"), u("x b y")), (QStringList { u("x"), u("y") }));
    EXPECT_EQ(marked(u("one two"), u("red, blue")), (QStringList { u("red"), u("blue") }));
    EXPECT_EQ(marked(u("z"), u("red\n\tblue\u00a0green")), QStringList { u("red\n\tblue\u00a0green") });
    // Ties remove an old word before marking a new one.
    EXPECT_EQ(marked(u("x y z"), u("z y x")), QStringList { u("y x") });
    // Ranges are UTF-16 offsets into the new text; no old words marks all of it.
    EXPECT_EQ(WordDiff::changedWordRanges(u("hi"), u("😀 hi there")), (QList<TextRange> { { 6, 5 } }));
    EXPECT_EQ(WordDiff::changedWordRanges(QString(), u("  Hello brave\nworld!  ")), (QList<TextRange> { { 2, 17 } }));
    EXPECT_TRUE(marked(u("some words"), u(" ... ")).isEmpty());
}

TEST(WordDiff, CaseAndPunctuationAloneMarkNothing)
{
    EXPECT_TRUE(marked(u("Hello, World."), u("— hello WORLD! 😀")).isEmpty());
    // Full lower-casing: İ is i with a combining dot, not a bare i.
    EXPECT_TRUE(marked(u("İSTANBUL"), u("i\u0307stanbul")).isEmpty());
    EXPECT_EQ(marked(u("İSTANBUL"), u("istanbul")), QStringList { u("istanbul") });
    EXPECT_TRUE(marked(u("ΟΔΟΣ"), u("οδος")).isEmpty()); // final sigma
}

TEST(WordDiff, SizeGuardAtExactlyFourHundredThousandPairs)
{
    const auto words = [](int count, char prefix) {
        QStringList list;
        for (int i = 0; i < count; ++i)
            list << QLatin1Char(prefix) + QString::number(i);
        return list.join(QLatin1Char(' '));
    };
    const auto ranges = [&](int n, int m) { return WordDiff::changedWordRanges(words(n, 'a'), words(m, 'b')).size(); };
    EXPECT_EQ(ranges(625, 640), 1);
    EXPECT_EQ(ranges(625, 641), 0);
    EXPECT_EQ(ranges(7, 57'143), 0); // 400,001
}
