#include "shell/Toaster.h"
#include "surfaces/FloatingPanel.h"

#include "FakeAccessibility.h"
#include "ManualClock.h"
#include "Printers.h"
#include "TestText.h"

#include <gtest/gtest.h>

using namespace quillcraft;
using quillcraft::test::u;

namespace {

class ToasterTest : public testing::Test {
protected:
    ToasterTest()
    {
        // A 1000x800 main screen with a 30-point panel along its top, and a second screen.
        m_screens.list = { ScreenGeometry { QRectF(0, 0, 1000, 800), QRectF(0, 0, 1000, 770) },
            ScreenGeometry { QRectF(1000, 0, 800, 600), QRectF(1000, 0, 800, 600) } };
    }

    test::FakeScreens m_screens;
    test::ManualClock m_clock;
    Toaster m_toaster { m_screens, nullptr, m_clock };
};

TEST_F(ToasterTest, SitsCentredBelowTheTopOfTheMainScreen)
{
    m_toaster.show(u("Quillcraft lost the text field."));
    const QRectF frame = m_toaster.panel().frame();
    EXPECT_NEAR(frame.center().x(), 500, 1);
    EXPECT_NEAR(frame.y() + frame.height(), 770 - Toaster::topGap, 1);
    EXPECT_GT(frame.width(), frame.height());
}

TEST_F(ToasterTest, HidesAfterItsTimeUnlessANewerToastReplacedIt)
{
    m_toaster.show(u("First."));
    EXPECT_TRUE(m_toaster.isShowing());
    m_clock.advance(Toaster::visibleMs - 1);
    EXPECT_EQ(m_toaster.text(), u("First."));

    m_toaster.show(u("Second."));
    // The first toast's time runs out; the second stays.
    m_clock.advance(1);
    EXPECT_EQ(m_toaster.text(), u("Second."));
    m_clock.advance(Toaster::visibleMs - 2);
    EXPECT_TRUE(m_toaster.isShowing());
    m_clock.advance(1);
    EXPECT_FALSE(m_toaster.isShowing());

    // The reused panel shows the next toast again.
    m_toaster.show(u("Third."));
    EXPECT_EQ(m_toaster.text(), u("Third."));
}

TEST_F(ToasterTest, NoScreenStillShowsAndHides)
{
    m_screens.list.clear();
    m_toaster.show(u("Alone."));
    m_clock.advance(Toaster::visibleMs);
    EXPECT_FALSE(m_toaster.isShowing());
}

} // namespace
