// The pointer monitor on the harness's X server, driven by xdotool (XTest):
// moves, drags, left presses and wheel turns arrive in bottom-left program
// coordinates, a fast burst of moves is reported as a few signals that end
// where the pointer rests, and a press in another program reaches us without
// taking its focus. Runs inside tests/e2e/session.sh.
//
// xdotool's absolute `mousemove` warps the pointer, which the server reports as
// no device motion at all (as any program's warp); the moves here end with a
// one-pixel relative move, which is device motion through XTest.

#include "E2eSupport.h"
#include "Wait.h"

#include "platform/linux/XInputPointerMonitor.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

// Last: Xlib's macros (None, Bool, ...) would break the headers above.
#include <X11/Xlib.h>

// Readable points in failure messages (found by argument-dependent lookup, so global).
inline void PrintTo(const QPointF& point, std::ostream* out)
{
    *out << "(" << point.x() << ", " << point.y() << ")";
}

using namespace quillcraft;
using namespace quillcraft::e2e;
using quillcraft::test::spin;
using quillcraft::test::waitUntil;

namespace {

// The harness's only screen, in device pixels.
constexpr int screenWidth = 1280;
constexpr int screenHeight = 1024;

// Ends at point by moving the XTest device its last pixel (too little for
// pointer acceleration to change it).
QStringList moveArguments(QPoint point)
{
    return { QStringLiteral("mousemove"), QString::number(point.x() - 1), QString::number(point.y()),
        QStringLiteral("mousemove_relative"), QStringLiteral("1"), QStringLiteral("0") };
}

// Holds the left button down for three small steps of the XTest device.
QStringList dragArguments(int dx, int dy)
{
    QStringList drag { QStringLiteral("mousedown"), QStringLiteral("1") };
    for (int step = 0; step < 3; ++step)
        drag << QStringLiteral("sleep") << QStringLiteral("0.05") << QStringLiteral("mousemove_relative")
             << QString::number(dx) << QString::number(dy);
    return drag << QStringLiteral("mouseup") << QStringLiteral("1");
}

// Plain xdotool (no --clearmodifiers), run while our event loop keeps turning so
// events are read as they come rather than all at once afterwards.
bool xdotoolWhileListening(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    if (!process.waitForStarted(5000))
        return false;
    if (!waitUntil([&process] { return process.state() == QProcess::NotRunning; }, 20000))
        return false;
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// Swaps the first and third buttons of the core pointer, as a left-handed
// user's xmodmap does, for the life of the object.
class LeftHandedPointer final {
public:
    LeftHandedPointer()
        : m_display(XOpenDisplay(nullptr))
    {
        if (!m_display)
            return;
        m_count = XGetPointerMapping(m_display, m_saved, sizeof(m_saved));
        unsigned char swapped[sizeof(m_saved)];
        std::copy(std::begin(m_saved), std::end(m_saved), std::begin(swapped));
        std::swap(swapped[0], swapped[2]);
        m_swapped = m_count >= 3 && XSetPointerMapping(m_display, swapped, m_count) == MappingSuccess;
        XSync(m_display, False);
    }
    ~LeftHandedPointer()
    {
        if (!m_display)
            return;
        if (m_swapped)
            XSetPointerMapping(m_display, m_saved, m_count);
        XCloseDisplay(m_display);
    }
    LeftHandedPointer(const LeftHandedPointer&) = delete;
    LeftHandedPointer& operator=(const LeftHandedPointer&) = delete;

    bool isSwapped() const { return m_swapped; }

private:
    Display* m_display;
    unsigned char m_saved[255] = {};
    int m_count = 0;
    bool m_swapped = false;
};

class PointerMonitorE2eTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(monitor.isAvailable());
        ASSERT_TRUE(monitor.start());
        // Start each case from a known spot, then forget what that cost.
        ASSERT_TRUE(xdotoolWhileListening(moveArguments({ 5, 5 })));
        waitUntil([this] { return !moves.isEmpty() && moves.last() == expected({ 5, 5 }); }, 2000);
        spin(3 * XInputPointerMonitor::settleMs);
        moves.clear();
        presses.clear();
        scrolls.clear();
    }

    // Where the program should see a device point: logical pixels, y up from the bottom.
    static QPointF expected(QPoint device)
    {
        const qreal scale = QGuiApplication::primaryScreen()->devicePixelRatio();
        return QPointF(device.x() / scale, (screenHeight - device.y()) / scale);
    }

    bool movedTo(QPoint device)
    {
        return waitUntil([&] { return !moves.isEmpty() && moves.last() == expected(device); }, 3000);
    }

    XInputPointerMonitor monitor;
    QList<QPointF> moves;
    QList<QPointF> presses;
    QList<QPointF> scrolls;

private:
    QMetaObject::Connection m_moved
        = QObject::connect(&monitor, &PointerMonitor::moved, [this](QPointF point) { moves.append(point); });
    QMetaObject::Connection m_pressed
        = QObject::connect(&monitor, &PointerMonitor::leftPressed, [this](QPointF point) { presses.append(point); });
    QMetaObject::Connection m_scrolled
        = QObject::connect(&monitor, &PointerMonitor::scrolled, [this](QPointF point) { scrolls.append(point); });
};

TEST_F(PointerMonitorE2eTest, MovesArriveInBottomLeftCoordinates)
{
    // The conversion flips against the whole screen's height, not a window's.
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_EQ(screen->geometry().height() * screen->devicePixelRatio(), screenHeight);

    EXPECT_TRUE(monitor.start()) << "a second start is harmless";
    for (const QPoint device : { QPoint(300, 200), QPoint(1, screenHeight - 1), QPoint(screenWidth - 1, 0) }) {
        ASSERT_TRUE(xdotoolWhileListening(moveArguments(device)));
        EXPECT_TRUE(movedTo(device)) << device.x() << "," << device.y();
        EXPECT_EQ(monitor.position(), expected(device));
    }
    EXPECT_EQ(moves.size(), 3) << "one move each, nothing repeated";
    EXPECT_TRUE(presses.isEmpty());
    EXPECT_TRUE(scrolls.isEmpty());
}

TEST_F(PointerMonitorE2eTest, DragsAreMovesToo)
{
    // Over the bare desktop: no window gets the press.
    ASSERT_TRUE(xdotoolWhileListening(moveArguments({ 900, 900 })));
    ASSERT_TRUE(movedTo({ 900, 900 }));
    ASSERT_TRUE(xdotoolWhileListening(dragArguments(2, 1)));

    ASSERT_TRUE(waitUntil([this] { return moves.size() >= 3; }, 3000)) << moves.size() << " moves";
    const std::optional<QPointF> rest = monitor.position();
    ASSERT_TRUE(rest);
    EXPECT_TRUE(waitUntil([&] { return moves.last() == *rest; }, 3000));
    EXPECT_GT(rest->x(), expected({ 900, 900 }).x());
    EXPECT_LT(rest->y(), expected({ 900, 900 }).y()) << "down on the screen is down in program coordinates";
    ASSERT_EQ(presses.size(), 1);
    EXPECT_EQ(presses.first(), expected({ 900, 900 }));
}

TEST_F(PointerMonitorE2eTest, OnlyTheLeftButtonIsAPressAndOnlyTheWheelScrolls)
{
    ASSERT_TRUE(xdotoolWhileListening(moveArguments({ 640, 700 })));
    ASSERT_TRUE(movedTo({ 640, 700 }));

    // Middle and right presses over the bare desktop would open openbox's menus.
    ASSERT_TRUE(xdotoolWhileListening({ QStringLiteral("click"), QStringLiteral("1") }));
    EXPECT_TRUE(waitUntil([this] { return presses.size() == 1; }, 3000));
    for (const char* button : { "4", "5", "6", "7" })
        ASSERT_TRUE(xdotoolWhileListening({ QStringLiteral("click"), QLatin1String(button) }));
    EXPECT_TRUE(waitUntil([this] { return scrolls.size() == 4; }, 3000)) << scrolls.size() << " scrolls";
    spin(100);

    ASSERT_EQ(presses.size(), 1);
    EXPECT_EQ(presses.first(), expected({ 640, 700 }));
    EXPECT_EQ(scrolls.size(), 4);
    for (const QPointF point : scrolls)
        EXPECT_EQ(point, expected({ 640, 700 }));
    EXPECT_EQ(moves.size(), 1) << "a click or a wheel turn is no move";
}

TEST_F(PointerMonitorE2eTest, ALeftHandedMapMakesTheThirdButtonTheLeftOne)
{
    // Over a window of ours: a right click on the bare desktop would open openbox's menu.
    QWidget window;
    window.setGeometry(200, 200, 300, 200);
    window.show();
    ASSERT_TRUE(waitUntil([&window] { return window.windowHandle()->isExposed(); }));
    const QPoint inside = (QPointF(window.geometry().center()) * window.devicePixelRatio()).toPoint();
    ASSERT_TRUE(xdotoolWhileListening(moveArguments(inside)));
    ASSERT_TRUE(movedTo(inside));
    {
        // Swapped after start: the monitor has to follow the change.
        const LeftHandedPointer leftHanded;
        ASSERT_TRUE(leftHanded.isSwapped());
        ASSERT_TRUE(xdotoolWhileListening({ QStringLiteral("click"), QStringLiteral("1") }));
        spin(200);
        EXPECT_TRUE(presses.isEmpty()) << "the physical first button is the right one now";
        ASSERT_TRUE(xdotoolWhileListening({ QStringLiteral("click"), QStringLiteral("3") }));
        EXPECT_TRUE(waitUntil([this] { return !presses.isEmpty(); }, 3000));
    }
    ASSERT_TRUE(xdotoolWhileListening({ QStringLiteral("click"), QStringLiteral("1") }));
    EXPECT_TRUE(waitUntil([this] { return presses.size() == 2; }, 3000)) << "the map is back to normal";
    spin(100);
    EXPECT_EQ(presses.size(), 2);
}

TEST_F(PointerMonitorE2eTest, ABurstOfMovesComesAsAFewSignalsEndingAtRest)
{
    ASSERT_TRUE(xdotoolWhileListening(moveArguments({ 100, 300 })));
    ASSERT_TRUE(movedTo({ 100, 300 }));
    moves.clear();

    // Relative moves in one run of xdotool, about one a millisecond, like a fast mouse.
    QStringList burst;
    for (int i = 0; i < 200; ++i)
        burst << QStringLiteral("mousemove_relative") << QStringLiteral("3") << QStringLiteral("1")
              << QStringLiteral("sleep") << QStringLiteral("0.001");
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(xdotoolWhileListening(burst));
    spin(5 * XInputPointerMonitor::settleMs);
    const qint64 elapsedMs = clock.elapsed();

    // Acceleration decides where exactly it ends: ask Qt's own connection.
    const std::optional<QPointF> rest = monitor.position();
    ASSERT_TRUE(rest);
    EXPECT_GT(rest->x(), 100 + 200);
    ASSERT_TRUE(waitUntil([&] { return !moves.isEmpty() && moves.last() == *rest; }, 3000)) << moves.size() << " moves";
    // At most one a frame while it lasts (some 300 ms, so about 15 rather than
    // 200), however slow a busy machine makes it; and reported on the way too.
    EXPECT_LE(moves.size(), elapsedMs / (XInputPointerMonitor::settleMs - 1) + 2) << elapsedMs << " ms";
    EXPECT_GT(moves.size(), 1);
    spin(5 * XInputPointerMonitor::settleMs);
    EXPECT_EQ(moves.last(), *rest) << "nothing after the resting position";
}

TEST_F(PointerMonitorE2eTest, MovesOverOurOwnWindowsAreSeen)
{
    QWidget window;
    window.setGeometry(200, 200, 300, 200);
    window.show();
    ASSERT_TRUE(waitUntil([&window] { return window.isVisible() && window.windowHandle()->isExposed(); }));
    const qreal scale = window.devicePixelRatio();
    const QPoint inside = (QPointF(window.geometry().center()) * scale).toPoint();

    ASSERT_TRUE(xdotoolWhileListening(moveArguments(inside)));
    EXPECT_TRUE(movedTo(inside));
}

TEST_F(PointerMonitorE2eTest, APressInAnotherProgramIsSeenWithoutTakingItsFocus)
{
    // Unscaled whatever this test runs at, so its accessibility rectangles are device pixels.
    TargetApp target(Toolkit::qt, {}, { QStringLiteral("QT_SCALE_FACTOR=1") });
    ASSERT_TRUE(target.start());
    ASSERT_TRUE(target.focus(lineField));
    const std::optional<QRect> field = target.rect(lineField);
    ASSERT_TRUE(field);
    // Read the focusing click's events before counting.
    spin(100);
    presses.clear();

    const QPoint spot = field->center() + QPoint(field->width() / 4, 0);
    ASSERT_TRUE(xdotoolWhileListening({ QStringLiteral("mousemove"), QString::number(spot.x()),
        QString::number(spot.y()), QStringLiteral("click"), QStringLiteral("1") }));
    ASSERT_TRUE(waitUntil([this] { return presses.size() == 1; }, 3000));
    EXPECT_EQ(presses.first(), expected(spot));

    // No grab: the target got the click as well and still types.
    EXPECT_TRUE(target.isFocused(lineField));
    const QString before = target.text(lineField).value_or(QString());
    ASSERT_TRUE(typeText(QStringLiteral("xyz")));
    EXPECT_TRUE(waitUntil([&] { return target.text(lineField).value_or(QString()).size() == before.size() + 3; }))
        << "the typing went elsewhere";
    EXPECT_TRUE(target.isFocused(lineField));

    // A drag inside the field, where the target holds the pointer while the button is down.
    moves.clear();
    ASSERT_TRUE(xdotoolWhileListening(dragArguments(2, 0)));
    EXPECT_TRUE(waitUntil([this] { return moves.size() >= 3; }, 3000)) << moves.size() << " moves";
    EXPECT_EQ(presses.size(), 2);
}

} // namespace
