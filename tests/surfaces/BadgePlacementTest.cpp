#include "surfaces/BadgePlacement.h"

#include <gtest/gtest.h>

#include <limits>

using namespace quillcraft;
using namespace quillcraft::BadgePlacement;

namespace {

// Bottom-left coordinates throughout: QRectF(x, y, w, h) has its bottom edge at y.
const QRectF screen(0, 0, 1920, 1050);
const QSizeF badge(36, 34);

TEST(BadgePlacement, CornerFrames)
{
    // A 30-point field: beside it and vertically centred, inside its edge at the screen's edge.
    EXPECT_EQ(frameAtCorner(BadgeCorner::topRight, QRectF(100, 500, 300, 30), badge, screen), QRectF(402, 498, 36, 34));
    EXPECT_EQ(
        frameAtCorner(BadgeCorner::topRight, QRectF(1600, 500, 300, 30), badge, screen), QRectF(1862, 498, 36, 34));
    EXPECT_EQ(frameAtCorner(BadgeCorner::bottomLeft, QRectF(10, 500, 300, 30), badge, screen), QRectF(12, 498, 36, 34));
    // A 200-point field: 2 points inside the corner.
    EXPECT_EQ(
        frameAtCorner(BadgeCorner::bottomLeft, QRectF(100, 200, 400, 200), badge, screen), QRectF(102, 202, 36, 34));
    // A badge larger than the screen is pinned to its minimum x and y.
    const QRectF tiny(1920, -56, 30, 20);
    EXPECT_EQ(
        frameAtCorner(BadgeCorner::topRight, QRectF(1900, -60, 100, 100), badge, tiny), QRectF(1920, -56, 36, 34));
    EXPECT_EQ(frameAtPosition({ 0.9, 0.9 }, QRectF(1900, -60, 100, 100), badge, tiny), QRectF(1920, -56, 36, 34));
}

TEST(BadgePlacement, ScreenForPicksTheLargestOverlap)
{
    const QList<QRectF> screens { QRectF(0, 0, 1000, 800), QRectF(1000, 0, 1000, 800) };
    EXPECT_EQ(screenFor(QRectF(900, 100, 200, 50), screens), screens[0]); // an equal split
    EXPECT_EQ(screenFor(QRectF(950, 100, 200, 50), screens), screens[1]);
    // No area to compare (a zero-size field, a field below the screens): the nearest screen.
    EXPECT_EQ(screenFor(QRectF(1500, 300, 0, 0), screens), screens[1]);
    EXPECT_EQ(screenFor(QRectF(1500, -200, 100, 20), screens), screens[1]);
}

TEST(BadgePlacement, SavedPositionsRoundTripAndStayNearTheField)
{
    const QRectF field(100, 100, 400, 200);
    EXPECT_EQ(frameAtPosition({ 0.5, 0.5 }, field, badge, screen), QRectF(282, 183, 36, 34));
    // At most one badge size beyond the field, and never off the screen.
    EXPECT_EQ(frameAtPosition({ 5, 5 }, field, badge, screen), QRectF(500, 300, 36, 34));
    EXPECT_EQ(frameAtPosition({ 5, 5 }, QRectF(1800, 950, 120, 100), badge, screen), QRectF(1884, 1016, 36, 34));
    // A field off the screen leaves the whole screen as the allowed area.
    EXPECT_EQ(clamped(QRectF(2990, 2990, 36, 34), QRectF(3000, 3000, 100, 100), screen), QRectF(1884, 1016, 36, 34));

    const QRectF dropped(400, 250, 36, 34);
    const std::optional<BadgePosition> position = positionOf(dropped, field);
    ASSERT_TRUE(position);
    EXPECT_DOUBLE_EQ(position->x, 0.795);
    EXPECT_DOUBLE_EQ(position->y, 0.835);
    EXPECT_EQ(frameAtPosition(*position, field, badge, screen), dropped);
}

TEST(BadgePlacement, ZeroSizeFieldsNeverYieldAPositionToStore)
{
    EXPECT_FALSE(positionOf(QRectF(300, 300, 36, 34), QRectF(100, 100, 0, 200)));
    EXPECT_FALSE(positionOf(QRectF(100, 100, 36, 34), QRectF(100, 100, 0, 0)));

    const QRectF point(600, 400, 0, 0);
    EXPECT_EQ(frameAtCorner(BadgeCorner::bottomRight, point, badge, screen), QRectF(602, 383, 36, 34));
    EXPECT_EQ(frameAtPosition({ 0.3, 0.7 }, point, badge, screen), QRectF(582, 383, 36, 34));
    // A non-finite position (never stored, but guarded) counts as the centre.
    const qreal nan = std::numeric_limits<qreal>::quiet_NaN();
    EXPECT_EQ(
        frameAtPosition({ nan, std::numeric_limits<qreal>::infinity() }, QRectF(100, 100, 400, 200), badge, screen),
        QRectF(282, 183, 36, 34));
}

TEST(BadgePlacement, CornerMenuEntries)
{
    using Entries = QList<CornerMenuEntry>;
    const QRectF shortField(0, 0, 300, 30);
    EXPECT_EQ(cornerMenuEntries(shortField, BadgeCorner::topLeft, false),
        (Entries { { QStringLiteral("Left"), BadgeCorner::bottomLeft, true },
            { QStringLiteral("Right"), BadgeCorner::bottomRight, false } }));

    // No field of that app: all four corners, the stored one checked.
    const Entries all = cornerMenuEntries(std::nullopt, BadgeCorner::topRight, false);
    ASSERT_EQ(all.size(), 4);
    EXPECT_EQ(all[1], (CornerMenuEntry { QStringLiteral("Top right"), BadgeCorner::topRight, true }));
    EXPECT_FALSE(all[0].checked || all[2].checked || all[3].checked);

    // A dragged position leaves every entry unchecked.
    for (const Entries& entries : { cornerMenuEntries(shortField, BadgeCorner::bottomRight, true),
             cornerMenuEntries(QRectF(0, 0, 300, 200), BadgeCorner::topRight, true) }) {
        for (const CornerMenuEntry& entry : entries)
            EXPECT_FALSE(entry.checked) << entry.title.toStdString();
    }
}

} // namespace
