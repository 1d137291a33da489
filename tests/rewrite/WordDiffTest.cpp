#include "rewrite/WordDiff.h"

#include <QTextCharFormat>

#include <gtest/gtest.h>

using namespace quillcraft;

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
    EXPECT_EQ(parts, (QStringList{QStringLiteral("shall"), QStringLiteral("at last"), QStringLiteral("tomorrow")}));
    EXPECT_TRUE(WordDiff::highlighted(newText, QString()).formats.isEmpty());
}
