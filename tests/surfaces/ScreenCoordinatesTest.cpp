#include "surfaces/ScreenCoordinates.h"

#include <gtest/gtest.h>

using namespace quillcraft;

namespace {

// A 1920x1080 primary screen with a 1280x1024 one to its right, top edges aligned,
// in bottom-left coordinates (the second screen reaches 56 below the primary's bottom).
const QList<ScreenGeometry> twoScreens {
    { QRectF(0, 0, 1920, 1080), QRectF(0, 0, 1920, 1050) },
    { QRectF(1920, -56, 1280, 1024), QRectF(1920, -56, 1280, 1024) },
};

TEST(ScreenCoordinates, FlipsAboutThePrimaryScreenBothWays)
{
    const QRectF field(100, 200, 300, 40); // bottom-left
    const QRect window = ScreenCoordinates::toQt(field, twoScreens);
    EXPECT_EQ(window, QRect(100, 1080 - 200 - 40, 300, 40));
    EXPECT_EQ(ScreenCoordinates::fromQt(window, twoScreens), field);

    // On the second screen: its top-left corner is Qt's (1920, 0).
    EXPECT_EQ(ScreenCoordinates::toQt(QRectF(1920, 1080 - 10, 50, 10), twoScreens), QRect(1920, 0, 50, 10));
    EXPECT_EQ(ScreenCoordinates::fromQt(QPointF(2000, 1000), twoScreens), QPointF(2000, 80));
}

TEST(ScreenCoordinates, RoundsToWholeLogicalPixels)
{
    EXPECT_EQ(ScreenCoordinates::toQt(QRectF(10.4, 1080 - 20.6 - 10, 99.6, 10), twoScreens), QRect(10, 21, 100, 10));
}

} // namespace
