#include "settings/BadgeCorner.h"
#include "settings/BadgePosition.h"

#include "TestText.h"

#include <gtest/gtest.h>

#include <limits>

using namespace quillcraft;
using quillcraft::test::u;

namespace {

TEST(BadgeCorner, RawValuesTitlesAndOrder)
{
    const std::pair<const char*, const char*> expected[] = { { "topLeft", "Top left" }, { "topRight", "Top right" },
        { "bottomLeft", "Bottom left" }, { "bottomRight", "Bottom right" } };
    ASSERT_EQ(allBadgeCorners.size(), std::size(expected));
    for (std::size_t i = 0; i < allBadgeCorners.size(); ++i) {
        const BadgeCorner corner = allBadgeCorners[i];
        EXPECT_EQ(rawValue(corner), u(expected[i].first));
        EXPECT_EQ(title(corner), u(expected[i].second));
        EXPECT_EQ(badgeCornerFromRawValue(rawValue(corner)), corner);
    }
    for (const char* raw : { "TopLeft", "bottomright", "BOTTOMRIGHT", "", " topLeft", "middle", "Top left" })
        EXPECT_EQ(badgeCornerFromRawValue(u(raw)), std::nullopt) << raw;
}

TEST(BadgePosition, EqualOnlyWhenBothCoordinatesAre)
{
    EXPECT_EQ((BadgePosition { 0.25, 0.75 }), (BadgePosition { 0.25, 0.75 }));
    EXPECT_NE((BadgePosition { 0.25, 0.75 }), (BadgePosition { 0.25, 0.5 }));
    EXPECT_NE((BadgePosition { 0.25, 0.75 }), (BadgePosition { 0.5, 0.75 }));
    EXPECT_EQ(BadgePosition::fromPoint(QPointF(-3, 5)), (BadgePosition { -3, 5 }));

    const double infinity = std::numeric_limits<double>::infinity();
    EXPECT_TRUE((BadgePosition { -3, 5 }).isFinite()); // outside the field is still a position
    EXPECT_FALSE((BadgePosition { infinity, 0 }).isFinite());
    EXPECT_FALSE((BadgePosition { 0, -infinity }).isFinite());
    EXPECT_FALSE((BadgePosition { 0, std::numeric_limits<double>::quiet_NaN() }).isFinite());
}

} // namespace
