#include "core/OffsetUnit.h"

#include <gtest/gtest.h>

using namespace quillcraft;
using namespace quillcraft::OffsetUnits;

namespace {

// "Hi 👋 there": the wave is one code point and two UTF-16 units.
const QString wave = QString::fromUtf8("Hi \xF0\x9F\x91\x8B there");

} // namespace

TEST(OffsetUnitTest, DetectsTheUnitFromTheCharacterCount)
{
    ASSERT_EQ(wave.size(), 11);
    EXPECT_EQ(codePointCount(wave), 10);
    EXPECT_EQ(detect(11, wave), OffsetUnit::utf16); // Qt
    EXPECT_EQ(detect(10, wave), OffsetUnit::codePoint); // GTK
    EXPECT_EQ(detect(12, wave), std::nullopt); // text changed in between
    EXPECT_EQ(detect(5, QStringLiteral("plain")), std::nullopt);
    EXPECT_EQ(detect(0, QString()), std::nullopt);

    // A long text is scanned four units at a time: the one pair may sit in any lane, or
    // in the tail that is not a whole group of four.
    for (const qint64 size : { qint64(20000), qint64(20003) }) {
        for (const qint64 at : { qint64(0), qint64(1), qint64(2), qint64(3), qint64(9001), size - 2 }) {
            QString text(size, u'a');
            text[at] = QChar(0xD83D);
            text[at + 1] = QChar(0xDC4B);
            EXPECT_EQ(detect(size, text), OffsetUnit::utf16) << size << " " << at;
            EXPECT_EQ(detect(size - 1, text), OffsetUnit::codePoint) << size << " " << at;
        }
    }
    // The units just outside the surrogates are ordinary characters.
    QString edges(4001, u'\uD7FF');
    for (qint64 i = 1; i < edges.size(); i += 2)
        edges[i] = QChar(0xE000);
    EXPECT_EQ(detect(edges.size(), edges), std::nullopt);
    EXPECT_EQ(detect(20000, QString(20000, u'a')), std::nullopt);
}

TEST(OffsetUnitTest, ConvertsCodePointOffsetsAroundSurrogatePairs)
{
    // Code point 4 is the space after the wave: UTF-16 offset 5.
    EXPECT_EQ(toUtf16(3, wave, OffsetUnit::codePoint), 3);
    EXPECT_EQ(toUtf16(4, wave, OffsetUnit::codePoint), 5);
    EXPECT_EQ(toUtf16(10, wave, OffsetUnit::codePoint), 11);
    EXPECT_EQ(toUtf16(99, wave, OffsetUnit::codePoint), 11);
    EXPECT_EQ(toUtf16(-1, wave, OffsetUnit::codePoint), 0);
    EXPECT_EQ(fromUtf16(5, wave, OffsetUnit::codePoint), 4);
    EXPECT_EQ(fromUtf16(11, wave, OffsetUnit::codePoint), 10);
    // Inside the pair: the pair's start.
    EXPECT_EQ(fromUtf16(4, wave, OffsetUnit::codePoint), 3);
    for (qint64 points = 0; points <= 10; ++points)
        EXPECT_EQ(fromUtf16(toUtf16(points, wave, OffsetUnit::codePoint), wave, OffsetUnit::codePoint), points);
}

TEST(OffsetUnitTest, Utf16OffsetsOnlyClamp)
{
    EXPECT_EQ(toUtf16(4, wave, OffsetUnit::utf16), 4);
    EXPECT_EQ(toUtf16(40, wave, OffsetUnit::utf16), 11);
    EXPECT_EQ(fromUtf16(-3, wave, OffsetUnit::utf16), 0);
    EXPECT_EQ(name(OffsetUnit::utf16), QStringLiteral("utf16"));
    EXPECT_EQ(name(OffsetUnit::codePoint), QStringLiteral("codepoint"));
}

TEST(OffsetUnitTest, LoneSurrogatesCountAsOneCodePoint)
{
    // Qt hands back half an emoji when a range splits one.
    const QString lone = QString(QChar(0xD83D)) + QStringLiteral("ab");
    EXPECT_EQ(codePointCount(lone), 3);
    EXPECT_EQ(toUtf16(2, lone, OffsetUnit::codePoint), 2);
}
