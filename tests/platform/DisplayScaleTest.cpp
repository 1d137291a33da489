#include "platform/DisplayScale.h"

#include <gtest/gtest.h>

using namespace quillcraft;

// Numbers measured under Xvfb with openbox: xwininfo's client window, and the
// window manager's frame around it (1, 1, 20, 5 device pixels).
TEST(DisplayScaleTest, FitsTheFactorBetweenReportedAndDevicePixels)
{
    const QRectF client(120, 99, 1040, 840);
    const QRectF framed(119, 79, 1042, 865);
    // Qt at scale 2 reports its client area in its own pixels.
    EXPECT_EQ(DisplayScale::fit({ 60, 50, 520, 420 }, { client, framed }), 2.0);
    // GTK under GDK_SCALE=2 reports the framed window, the border divided and rounded.
    EXPECT_EQ(DisplayScale::fit({ 59, 39, 522, 433 }, { client, framed }), 2.0);
    // GTK at scale 1 (also under Xft.dpi 192) reports device pixels.
    EXPECT_EQ(DisplayScale::fit({ 379, 289, 522, 445 }, { { 380, 309, 520, 420 }, { 379, 289, 522, 445 } }), 1.0);
    // Fractional scales come in quarters.
    EXPECT_EQ(DisplayScale::fit({ 100, 100, 400, 300 }, { { 150, 150, 600, 450 } }), 1.5);
    EXPECT_EQ(DisplayScale::fit({ 100, 100, 400, 300 }, { { 125, 125, 500, 375 } }), 1.25);
}

TEST(DisplayScaleTest, NoFitForAnotherWindowOrAnEmptyOne)
{
    // Right size, wrong place: another window of the same application.
    EXPECT_EQ(DisplayScale::fit({ 60, 50, 520, 420 }, { { 600, 99, 1040, 840 } }), std::nullopt);
    // Width and height disagree.
    EXPECT_EQ(DisplayScale::fit({ 0, 0, 500, 400 }, { { 0, 0, 1000, 400 } }), std::nullopt);
    EXPECT_EQ(DisplayScale::fit({ 0, 0, 0, 0 }, { { 0, 0, 0, 0 } }), std::nullopt);
    EXPECT_EQ(DisplayScale::fit({ 0, 0, 500, 400 }, {}), std::nullopt);
}

TEST(DisplayScaleTest, ConvertsFromTheApplicationsPixelsToOurs)
{
    const QRectF rect(71, 61, 498, 22);
    // Qt target at 2, we at 1: device pixels.
    EXPECT_EQ(DisplayScale::convert(rect, 2, 1), QRectF(142, 122, 996, 44));
    // GTK target at 1, we at 2: half.
    EXPECT_EQ(DisplayScale::convert(rect, 1, 2), QRectF(35.5, 30.5, 249, 11));
    // Same scale on both sides: untouched.
    EXPECT_EQ(DisplayScale::convert(rect, 2, 2), rect);
    EXPECT_EQ(DisplayScale::convert(rect, 1.5, 1.5), rect);
}

// GTK 4.8 on X11 reports its window at (0, 0) wherever it is: only the size can
// match, and its window keeps an even margin of 5 device pixels it does not report.
TEST(DisplayScaleTest, WindowRelativeReportsMatchBySizeWithAnEvenMargin)
{
    const QRectF client(290, 252, 700, 520);
    const auto fit = DisplayScale::fitWindowRelative({ 0, 0, 690, 510 }, client);
    ASSERT_TRUE(fit);
    EXPECT_EQ(fit->scale, 1.0);
    EXPECT_EQ(fit->inset, QPointF(5, 5));
    EXPECT_EQ(DisplayScale::fitWindowRelative({ 0, 0, 700, 520 }, client)->inset, QPointF(0, 0));
    EXPECT_EQ(DisplayScale::fitWindowRelative({ 0, 0, 345, 255 }, client)->scale, 2.0);
    // A report that does not start at the origin is in screen coordinates.
    EXPECT_EQ(DisplayScale::fitWindowRelative({ 290, 252, 690, 510 }, client), std::nullopt);
    // Uneven, or more than a border's worth: another window.
    EXPECT_EQ(DisplayScale::fitWindowRelative({ 0, 0, 400, 510 }, client), std::nullopt);
    EXPECT_EQ(DisplayScale::fitWindowRelative({ 0, 0, 600, 420 }, client), std::nullopt);
    // A window that really is at the origin is no relative one.
    EXPECT_EQ(DisplayScale::fit({ 0, 0, 690, 510 }, { { 0, 0, 690, 510 } }), 1.0);
}
