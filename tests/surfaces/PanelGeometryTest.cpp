#include "surfaces/PanelGeometry.h"
#include "surfaces/SelectionButtonPlacement.h"

#include <gtest/gtest.h>

using namespace quillcraft;

namespace {

// A 1920x1080 main screen with a 40-point panel along its bottom, and a second
// 1280x1024 screen to its right, in bottom-left coordinates.
const QList<ScreenGeometry> screens {
    { QRectF(0, 0, 1920, 1080), QRectF(0, 40, 1920, 1040) },
    { QRectF(1920, 0, 1280, 1024), QRectF(1920, 0, 1280, 1024) },
};
const QSizeF card(336, 236); // 300x200 visible plus the shadow margin

TEST(PanelGeometry, PlacesTheVisibleCardBelowTheRectangleOnItsScreen)
{
    const QRectF word(500, 600, 80, 18);
    const QPointF origin = PanelGeometry::placedBelow(word, 6, card, screens);
    // The card's left edge lines up with the word, its top 6 below the word's bottom.
    EXPECT_EQ(origin, QPointF(500 - 18, 600 - 6 - 236 + 18));
    const QRectF visible = PanelGeometry::cardFrame(QRectF(origin, card));
    EXPECT_EQ(visible.left(), word.left());
    EXPECT_EQ(visible.bottom(), word.top() - 6); // bottom() is maxY here

    // On the second screen the second screen's edges clamp.
    const QPointF right = PanelGeometry::placedBelow(QRectF(3150, 700, 40, 18), 6, card, screens);
    EXPECT_EQ(right.x(), 3200 - 336);
}

TEST(PanelGeometry, GoesAboveWhenThereIsNoRoomBelowAndStaysInsideTheVisibleFrame)
{
    const QRectF nearBottom(700, 120, 80, 18);
    const QPointF origin = PanelGeometry::placedBelow(nearBottom, 6, card, screens);
    EXPECT_EQ(origin.y(), 120 + 18 + 6 - 18);
    EXPECT_EQ(origin.x(), 700 - 18);

    // Near the top as well: no room either way, so clamped under the top edge.
    const QPointF cramped = PanelGeometry::placedBelow(QRectF(-50, 60, 80, 1000), 6, card, screens);
    EXPECT_EQ(cramped, QPointF(0, 1080 - 236));
}

TEST(PanelGeometry, RectangleOnNoScreenUsesTheMainScreen)
{
    const QPointF origin = PanelGeometry::placedBelow(QRectF(5000, -3000, 20, 20), 6, card, screens);
    EXPECT_EQ(origin, QPointF(1920 - 336, 40));
    // A caret-thin rectangle still belongs to the screen it touches.
    EXPECT_EQ(PanelGeometry::screenFor(QRectF(2000, 500, 0, 18), screens)->frame, screens[1].frame);
    // Without screens nothing is clamped.
    EXPECT_EQ(PanelGeometry::placedBelow(QRectF(10, 10, 5, 5), 6, card, {}), QPointF(-8, 10 - 6 - 236 + 18));
}

TEST(PanelGeometry, FittingKeepsTheTopEdgeUnlessTheBottomWouldLeaveTheVisibleFrame)
{
    const QRectF frame(100, 600, 336, 136);
    const QRectF grown = PanelGeometry::fitted(frame, card, screens);
    EXPECT_EQ(grown, QRectF(100, 600 + 136 - 236, 336, 236));
    EXPECT_EQ(grown.bottom(), frame.bottom());

    // Near the bottom panel: pushed up rather than under it.
    const QRectF low = PanelGeometry::fitted(QRectF(100, 60, 336, 136), card, screens);
    EXPECT_EQ(low.top(), 40);
    EXPECT_EQ(low.size(), card);

    // A panel off every screen keeps only its top edge.
    EXPECT_EQ(PanelGeometry::fitted(QRectF(-900, -900, 336, 136), card, screens).top(), -900 + 136 - 236);
}

TEST(PanelGeometry, CardFrameIsTheFrameWithoutTheShadowMargin)
{
    EXPECT_EQ(PanelGeometry::cardFrame(QRectF(10, 20, 336, 236)), QRectF(28, 38, 300, 200));
}

TEST(SelectionButtonPlacement, SitsUnderTheSelectionsEndOrAboveItNearTheFieldsBottom)
{
    const QSizeF button(90, 30);
    const QRectF field(100, 300, 600, 200);
    // A selection in the middle of the field: under it, its right end 12 from the button's.
    const QRectF selection(200, 400, 150, 18);
    EXPECT_EQ(SelectionButtonPlacement::origin(selection, field, button), QPointF(350 - 12, 400 - 30 + 4));

    // A selection on the field's last line, where the button would hang below
    // the field by more than its height: above the selection instead.
    const QRectF lastLine(200, 260, 150, 18);
    EXPECT_EQ(SelectionButtonPlacement::origin(lastLine, field, button).y(), 260 + 18 - 4);

    // A selection running to the field's right edge: the button stays within 8 of it.
    const QRectF wide(600, 400, 100, 18);
    EXPECT_EQ(SelectionButtonPlacement::origin(wide, field, button).x(), 700 - 90 + 8);
}

} // namespace
