#include "views/Theme.h"

#include <gtest/gtest.h>

using namespace quillcraft;

namespace {

TEST(Theme, KindHexIgnoresCaseAndNonLetters)
{
    EXPECT_EQ(Theme::kindHex(QStringLiteral("Spelling")), 0xF43F5Eu);
    EXPECT_EQ(Theme::kindHex(QStringLiteral("Word Choice")), 0x2563EBu);
    EXPECT_EQ(Theme::kindHex(QStringLiteral("word-order")), 0x4F46E5u);
    EXPECT_EQ(Theme::kindHex(QStringLiteral("BOUNDARY_ERROR")), 0x6366F1u);
}

TEST(Theme, UnknownOrEmptyKindGetsMiscellaneous)
{
    EXPECT_EQ(Theme::kindHex(QString()), 0x0EA5E9u);
    EXPECT_EQ(Theme::kindHex(QStringLiteral("Sarcasm")), 0x0EA5E9u);
    EXPECT_EQ(Theme::kindHex(QStringLiteral("12 34")), 0x0EA5E9u);
}

TEST(Theme, KindColorSplitsTheChannels)
{
    const QColor amber = Theme::kindColor(QStringLiteral("Capitalization"));
    EXPECT_EQ(amber.red(), 0xEA);
    EXPECT_EQ(amber.green(), 0xB3);
    EXPECT_EQ(amber.blue(), 0x08);
    EXPECT_EQ(amber.alpha(), 255);
}

} // namespace
