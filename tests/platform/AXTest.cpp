#include "FakeAccessibility.h"

#include <gtest/gtest.h>

using namespace quillcraft;
using quillcraft::test::FakeElement;
using quillcraft::test::FakeScreens;

namespace {

ScreenGeometry screen(QRectF frame)
{
    return { frame, frame };
}

} // namespace

TEST(AXTest, CocoaRectFlipsAgainstThePrimaryScreen)
{
    // The second screen sits above the primary one; only the primary's height counts.
    const QList<ScreenGeometry> screens { screen({ 0, 1080, 1280, 1024 }), screen({ 0, 0, 1920, 1080 }) };
    EXPECT_EQ(AX::cocoaRect(QRectF(10, 20, 300, 40), screens), QRectF(10, 1020, 300, 40));
    // Zero height maps to H - y; the flip is its own inverse.
    EXPECT_EQ(AX::cocoaRect(QRectF(5, 100, 0, 0), screens), QRectF(5, 980, 0, 0));
    const QRectF r(7, -30, 11, 13);
    EXPECT_EQ(AX::cocoaRect(AX::cocoaRect(r, screens), screens), r);
}

TEST(AXTest, CocoaRectWithoutAScreenAtTheOriginUsesZero)
{
    const QList<ScreenGeometry> screens { screen({ 1920, 0, 1280, 1024 }) };
    EXPECT_EQ(AX::cocoaRect(QRectF(10, 20, 300, 40), screens), QRectF(10, -60, 300, 40));
    EXPECT_EQ(AX::cocoaRect(QRectF(10, 20, 300, 40), QList<ScreenGeometry> {}), QRectF(10, -60, 300, 40));
}

TEST(AXTest, ReadersReturnAbsentForMissingOrMistypedValues)
{
    auto element = FakeElement::make();
    element->attributes.insert(AX::value, 42.0);
    element->attributes.insert(AX::enabled, QStringLiteral("true"));
    element->attributes.insert(AX::selectedTextRange, QStringLiteral("1,2"));
    element->attributes.insert(AX::parent, QStringLiteral("parent"));
    EXPECT_EQ(AX::string(*element, AX::value), std::nullopt);
    EXPECT_EQ(AX::boolean(*element, AX::enabled), std::nullopt);
    EXPECT_EQ(AX::range(*element, AX::selectedTextRange), std::nullopt);
    EXPECT_EQ(AX::element(*element, AX::parent), nullptr);
    EXPECT_EQ(AX::string(*element, AX::role), std::nullopt);

    element->attributes.insert(AX::value, QString());
    element->attributes.insert(AX::enabled, false);
    EXPECT_EQ(AX::string(*element, AX::value), QString()); // empty, not absent
    EXPECT_EQ(AX::boolean(*element, AX::enabled), false);
}

TEST(AXTest, FrameNeedsPositionAndSizeAndIsConverted)
{
    FakeScreens screens;
    screens.list = { screen({ 0, 0, 1000, 800 }) };
    auto element = FakeElement::make();
    element->attributes.insert(AX::position, QPointF(100, 50));
    EXPECT_EQ(AX::frame(*element, screens), std::nullopt);
    element->attributes.insert(AX::size, QPointF(3, 4)); // wrong type
    EXPECT_EQ(AX::frame(*element, screens), std::nullopt);
    element->attributes.insert(AX::size, QSizeF(200, 30));
    EXPECT_EQ(AX::frame(*element, screens), QRectF(100, 720, 200, 30));

    element->boundsForRange = [](TextRange r) { return QRectF(r.location, 10, r.length, 20); };
    EXPECT_EQ(AX::rect(*element, AX::boundsForRange, TextRange { 3, 4 }, screens), QRectF(3, 770, 4, 20));
    EXPECT_EQ(AX::rect(*element, AX::boundsForRange, QStringLiteral("no range"), screens), std::nullopt);
}
