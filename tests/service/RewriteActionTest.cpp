#include "service/RewriteAction.h"
#include "service/RewriterOptions.h"

#include <gtest/gtest.h>

using namespace quillcraft;
using Mode = RewriteAction::Mode;

TEST(RewriteAction, ModesAreMadeFromTheirTitlesNotFromWireWords)
{
    EXPECT_EQ(RewriteAction::modeFromRawValue(QStringLiteral("Fix grammar")), Mode::grammar);
    EXPECT_EQ(RewriteAction::modeFromRawValue(QStringLiteral("grammar")), std::nullopt);
    EXPECT_EQ(RewriteAction::modeFromRawValue(QStringLiteral("rewrite")), std::nullopt);
    for (Mode mode : RewriteAction::allModes)
        EXPECT_EQ(RewriteAction::modeFromRawValue(RewriteAction::rawValue(mode)), mode);
    EXPECT_EQ(RewriteAction::sourceFromRawValue(QStringLiteral("custom")), RewriteAction::Source::custom);
    EXPECT_EQ(RewriteAction::sourceFromRawValue(QStringLiteral("Custom")), std::nullopt);
}

TEST(RewriteAction, EqualityCountsToneOrder)
{
    const RewriteAction a { Mode::rewrite, { QStringLiteral("Casual"), QStringLiteral("Direct") } };
    const RewriteAction b { Mode::rewrite, { QStringLiteral("Direct"), QStringLiteral("Casual") } };
    EXPECT_NE(a, b);
    EXPECT_EQ(a, (RewriteAction { Mode::rewrite, { QStringLiteral("Casual"), QStringLiteral("Direct") } }));
}

TEST(RewriteAction, ConstantsDifferOnlyInModeAndTitle)
{
    for (const auto& [action, title] :
        { std::pair { RewriteAction::rewrite(), "Rewrite" }, std::pair { RewriteAction::grammar(), "Fix grammar" },
            std::pair { RewriteAction::shorten(), "Shorten" } }) {
        EXPECT_EQ(action.title(), QString::fromUtf8(title));
        EXPECT_TRUE(action.tones.isEmpty());
        EXPECT_EQ(action.source, RewriteAction::Source::preset);
        EXPECT_EQ(action.role, QStringLiteral("Standard"));
    }
}

TEST(RewriterOptions, VocabulariesAndLimits)
{
    EXPECT_EQ(RewriterOptions::presets().size(), 15);
    EXPECT_EQ(RewriterOptions::roles().size(), 30);
    EXPECT_EQ(RewriterOptions::roles().first(), QStringLiteral("Standard"));
    EXPECT_EQ(RewriterOptions::roles().last(), QStringLiteral("10 yo"));

    EXPECT_TRUE(
        RewriterOptions::fitsNameLimit(QStringLiteral(" \n") + QString(90, QLatin1Char('x')) + QStringLiteral("\t")));
    EXPECT_FALSE(RewriterOptions::fitsNameLimit(QString(91, QLatin1Char('x'))));
    // Limits count UTF-16 units: 45 emoji are 90 units.
    EXPECT_TRUE(RewriterOptions::fitsNameLimit(QString::fromUtf8("😀").repeated(45)));
    EXPECT_FALSE(RewriterOptions::fitsNameLimit(QString::fromUtf8("😀").repeated(46)));

    EXPECT_TRUE(RewriterOptions::canAddCustomTone(14));
    EXPECT_FALSE(RewriterOptions::canAddCustomTone(15));
}
