#include "rewrite/WordDiff.h"

#include <QTextCharFormat>

#include <gtest/gtest.h>

using namespace quillcraft;

namespace {

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

// The marked stretches of the text, in order.
QStringList markedParts(const WordDiff::Highlighted& styled)
{
    QStringList parts;
    for (const QTextLayout::FormatRange& range : styled.formats)
        parts << styled.text.mid(range.start, range.length);
    return parts;
}

} // namespace

TEST(WordDiff, MarksChangedWordsWithTheNoteColours)
{
    const WordDiff::Highlighted styled = WordDiff::highlighted(u("We will meet today."), u("We shall meet tomorrow."));
    EXPECT_EQ(styled.text, u("We shall meet tomorrow."));
    EXPECT_EQ(markedParts(styled), (QStringList{u("shall"), u("tomorrow")}));
    for (const QTextLayout::FormatRange& range : styled.formats) {
        EXPECT_EQ(range.format.background().color(), QColor(0xDC, 0xE8, 0xFF));
        EXPECT_EQ(range.format.foreground().color(), QColor(0x11, 0x11, 0x11));
        EXPECT_EQ(range.format.foreground().color().rgb() & 0xFFFFFF, 1118481u);
        EXPECT_EQ(range.format.foreground().color().alpha(), 255);
        // Only the colours: the card's body font stays in charge of everything else.
        EXPECT_EQ(range.format.properties().size(), 2);
    }
}

TEST(WordDiff, RunsAndBreaks)
{
    const auto parts = [](const char* oldText, const char* newText) {
        return markedParts(WordDiff::highlighted(u(oldText), u(newText)));
    };
    EXPECT_EQ(parts("The cat sat.", "The big fat cat sat."), QStringList{u("big fat")});
    EXPECT_EQ(parts("one two three", "uno two tres"), (QStringList{u("uno"), u("tres")}));
    EXPECT_EQ(parts("first second", "alpha, beta"), (QStringList{u("alpha"), u("beta")}));
    EXPECT_EQ(parts("", "  Brand new\ttext.  "), QStringList{u("Brand new\ttext")});
    EXPECT_TRUE(parts("Same words here", "same, WORDS here!").isEmpty());
    EXPECT_TRUE(parts("anything", "").isEmpty());
}

TEST(WordDiff, StreamingPrefixesOnlyMarkWhatDiffers)
{
    // Each streamed update re-diffs the whole text so far.
    const QString source = u("Thanks for the quick reply.");
    EXPECT_TRUE(markedParts(WordDiff::highlighted(source, u("Thanks for"))).isEmpty());
    EXPECT_EQ(markedParts(WordDiff::highlighted(source, u("Thanks so much for"))), QStringList{u("so much")});
}

TEST(WordDiff, NothingMarkedPastTheGuard)
{
    QStringList oldWords;
    QStringList newWords;
    for (int i = 0; i < 700; ++i) {
        oldWords << QStringLiteral("a%1").arg(i);
        newWords << QStringLiteral("b%1").arg(i);
    }
    const WordDiff::Highlighted styled
        = WordDiff::highlighted(oldWords.join(QLatin1Char(' ')), newWords.join(QLatin1Char(' ')));
    EXPECT_TRUE(styled.formats.isEmpty());
    EXPECT_EQ(styled.text, newWords.join(QLatin1Char(' ')));
}
