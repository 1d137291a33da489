#include "platform/linux/XInputPointerMonitor.h"

#include <gtest/gtest.h>

// Readable points in failure messages (found by argument-dependent lookup, so global).
inline void PrintTo(const QPointF& point, std::ostream* out)
{
    *out << "(" << point.x() << ", " << point.y() << ")";
}

using namespace quillcraft;

namespace {

ScreenGeometry screen(QRectF frame)
{
    return { frame, frame };
}

// Points DISPLAY somewhere for the life of the object, whatever the test's outcome.
class DisplayVariable final {
public:
    explicit DisplayVariable(const QByteArray& value)
        : m_had(qEnvironmentVariableIsSet("DISPLAY"))
        , m_previous(qgetenv("DISPLAY"))
    {
        qputenv("DISPLAY", value);
    }
    ~DisplayVariable()
    {
        if (m_had)
            qputenv("DISPLAY", m_previous);
        else
            qunsetenv("DISPLAY");
    }
    DisplayVariable(const DisplayVariable&) = delete;
    DisplayVariable& operator=(const DisplayVariable&) = delete;

private:
    bool m_had;
    QByteArray m_previous;
};

} // namespace

TEST(XInputPointerMonitorTest, DevicePointsFlipAgainstThePrimaryScreen)
{
    const QList<ScreenGeometry> one { screen({ 0, 0, 1280, 1024 }) };
    EXPECT_EQ(XInputPointerMonitor::toProgram({ 300, 200 }, 1, one), QPointF(300, 824));
    // The top row is the screen's height, the bottom row one above zero.
    EXPECT_EQ(XInputPointerMonitor::toProgram({ 0, 0 }, 1, one), QPointF(0, 1024));
    EXPECT_EQ(XInputPointerMonitor::toProgram({ 1279, 1023 }, 1, one), QPointF(1279, 1));

    // A second screen above the primary one (negative X y) and one to its left:
    // only the primary's height counts, so points beyond it keep going.
    const QList<ScreenGeometry> three { screen({ 0, 1024, 1920, 1080 }), screen({ -1024, 0, 1024, 768 }),
        screen({ 0, 0, 1280, 1024 }) };
    EXPECT_EQ(XInputPointerMonitor::toProgram({ 100, -100 }, 1, three), QPointF(100, 1124));
    EXPECT_EQ(XInputPointerMonitor::toProgram({ -500, 10 }, 1, three), QPointF(-500, 1014));
}

TEST(XInputPointerMonitorTest, DevicePixelsBecomeLogicalOnesBeforeTheFlip)
{
    // At scale 2 the 2560x2048 device screen is 1280x1024 logical pixels.
    const QList<ScreenGeometry> logical { screen({ 0, 0, 1280, 1024 }) };
    EXPECT_EQ(XInputPointerMonitor::toProgram({ 600, 400 }, 2, logical), QPointF(300, 824));
    EXPECT_EQ(XInputPointerMonitor::toProgram({ 2559, 2047 }, 2, logical), QPointF(1279.5, 0.5));
    // Fractional scales give fractional points rather than a rounded guess.
    const QList<ScreenGeometry> odd { screen({ 0, 0, 1000, 800 }) };
    EXPECT_EQ(XInputPointerMonitor::toProgram({ 3, 3 }, 1.5, odd), QPointF(2, 798));
}

TEST(XInputPointerMonitorTest, WithoutADisplayNothingStartsAndNothingIsKnown)
{
    const DisplayVariable nowhere(":4242");
    XInputPointerMonitor monitor;
    int reports = 0;
    for (const auto signal : { &PointerMonitor::moved, &PointerMonitor::leftPressed, &PointerMonitor::scrolled })
        QObject::connect(&monitor, signal, [&reports] { ++reports; });
    EXPECT_FALSE(monitor.isAvailable());
    EXPECT_FALSE(monitor.start());
    EXPECT_FALSE(monitor.start()) << "a failed start is not remembered as done";
    EXPECT_EQ(monitor.position(), std::nullopt);
    EXPECT_EQ(reports, 0);
}
