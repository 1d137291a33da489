#include "surfaces/BadgeControl.h"

#include "platform/Screens.h"

#include <QAccessible>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>

#include <gtest/gtest.h>

using namespace quillcraft;

namespace {

class OneScreen final : public Screens {
public:
    QList<ScreenGeometry> screens() const override
    {
        return { { QRectF(0, 0, 1920, 1080), QRectF(0, 0, 1920, 1050) } };
    }
};

// The control's top-left corner sits at Qt's global (500, 500) in every event below.
const QPointF origin(500, 500);

// A local Qt point as the program's bottom-left screen point.
QPointF screenPoint(QPointF local)
{
    return { origin.x() + local.x(), 1080 - (origin.y() + local.y()) };
}

class BadgeControlTest : public testing::Test {
protected:
    BadgeControlTest()
    {
        control.onClick = [this] { ++clicks; };
        control.onDragStarted = [this](QPointF p) { started.append(p); };
        control.onDragMoved = [this](QPointF p) { moved.append(p); };
        control.onDragEnded = [this](QPointF p) { ended.append(p); };
        control.onMenu = [this] { return &menu; };
        menu.addAction(QStringLiteral("Reset position"));
    }

    void send(QEvent::Type type, QPointF local, Qt::MouseButton button = Qt::LeftButton,
        Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(
            type, local, origin + local, type == QEvent::MouseMove ? Qt::NoButton : button, held, modifiers);
        // Straight to the widget: QApplication::notify rounds global positions to whole
        // pixels, and the threshold cases need fractions.
        static_cast<QObject&>(control).event(&event);
    }
    void press(QPointF p, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        send(QEvent::MouseButtonPress, p, Qt::LeftButton, modifiers);
    }
    void move(QPointF p) { send(QEvent::MouseMove, p); }
    void release(QPointF p) { send(QEvent::MouseButtonRelease, p); }

    bool nothingHappened() const { return clicks == 0 && started.isEmpty() && moved.isEmpty() && ended.isEmpty(); }

    OneScreen screens;
    BadgeControl control { screens };
    QMenu menu;
    int clicks = 0;
    QList<QPointF> started, moved, ended;
};

TEST_F(BadgeControlTest, FivePointsTellADragFromAClickInside)
{
    press({ 10, 10 });
    move({ 14.9, 10 });
    release({ 14.9, 10 });
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(started.isEmpty() && moved.isEmpty() && ended.isEmpty());

    press({ 10, 10 });
    move({ 13, 14 }); // 3-4-5
    EXPECT_EQ(control.cursor().shape(), Qt::ClosedHandCursor);
    EXPECT_EQ(started, QList<QPointF> { screenPoint({ 10, 10 }) });
    EXPECT_EQ(moved, QList<QPointF> { screenPoint({ 13, 14 }) });
    // Released far outside, as the pointer is while the panel catches up.
    release({ 210, -90 });
    EXPECT_EQ(ended, QList<QPointF> { screenPoint({ 210, -90 }) });
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(control.isTrackingMouse() || control.dragging());
    EXPECT_EQ(control.cursor().shape(), Qt::OpenHandCursor);

    // A small move released outside the control is neither.
    press({ 30, 30 });
    move({ 33, 30 });
    release({ 37, 30 });
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(started.size(), 1);
}

TEST_F(BadgeControlTest, ControlClickAndRightClickOpenTheMenuOnly)
{
    press({ 10, 10 }, Qt::ControlModifier);
    EXPECT_TRUE(menu.isVisible());
    move({ 30, 30 });
    release({ 10, 10 });
    menu.hide();
    send(QEvent::MouseButtonPress, { 10, 10 }, Qt::RightButton);
    EXPECT_TRUE(menu.isVisible());
    send(QEvent::MouseButtonRelease, { 10, 10 }, Qt::RightButton);
    menu.hide();
    EXPECT_TRUE(nothingHappened());
}

TEST_F(BadgeControlTest, CancelledDragIgnoresTheRestOfThePress)
{
    press({ 10, 10 });
    move({ 20, 10 });
    control.cancelTracking();
    EXPECT_FALSE(control.isTrackingMouse() || control.dragging());
    EXPECT_EQ(control.cursor().shape(), Qt::ArrowCursor);
    move({ 40, 10 });
    release({ 40, 10 });
    EXPECT_EQ(moved.size(), 1);
    EXPECT_TRUE(ended.isEmpty());
    EXPECT_EQ(clicks, 0);

    // An owner that cancels as the drag starts gets no move for that event.
    control.onDragStarted = [this](QPointF) { control.cancelTracking(); };
    press({ 10, 10 });
    EXPECT_EQ(control.cursor().shape(), Qt::OpenHandCursor);
    move({ 20, 10 });
    release({ 20, 10 });
    EXPECT_EQ(moved.size(), 1);
    EXPECT_TRUE(ended.isEmpty());
}

TEST_F(BadgeControlTest, IsOneAccessibleButtonWhosePressClicks)
{
    auto* content = new QLabel(QStringLiteral("3"));
    control.setContent(content);
    EXPECT_TRUE(content->testAttribute(Qt::WA_TransparentForMouseEvents));

    QAccessibleInterface* button = QAccessible::queryAccessibleInterface(&control);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->role(), QAccessible::Button);
    EXPECT_EQ(button->text(QAccessible::Name), QStringLiteral("Quillcraft fixes"));
    EXPECT_EQ(button->text(QAccessible::Help), QStringLiteral("Drag to move. Click for suggestions."));
    EXPECT_EQ(button->childCount(), 0);

    QAccessibleActionInterface* actions = button->actionInterface();
    ASSERT_NE(actions, nullptr);
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(menu.isVisible());
    actions->doAction(QAccessibleActionInterface::showMenuAction());
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.activeAction(), nullptr);
    menu.hide();
}

} // namespace
