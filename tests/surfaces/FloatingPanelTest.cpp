#include "surfaces/FloatingPanel.h"
#include "SurfaceFakes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QWindow>

#include <gtest/gtest.h>

using namespace quillcraft;
using quillcraft::test::FixedScreens;
using quillcraft::test::RecordingFloatingWindows;

namespace {

const FixedScreens screens({ { QRectF(0, 0, 1280, 1024), QRectF(0, 30, 1280, 994) } });

// Content of a fixed size hint.
class Box final : public QWidget {
public:
    explicit Box(QSize size)
        : m_size(size)
    {
    }
    QSize sizeHint() const override { return m_size; }

private:
    QSize m_size;
};

TEST(FloatingPanel, SizesToItsContentAndFitsKeepingTheTopEdge)
{
    FloatingPanel panel(FloatingPanel::Level::card, screens, nullptr);
    panel.show(new Box(QSize(336, 136)));
    EXPECT_FALSE(panel.isVisible()); // callers place and order it
    panel.setOrigin(QPointF(100, 600));
    EXPECT_EQ(panel.frame(), QRectF(100, 600, 336, 136));
    EXPECT_EQ(panel.cardFrame(), QRectF(118, 618, 300, 100));

    // Grown content: the top edge stays where it was.
    panel.update(new Box(QSize(336, 236)));
    EXPECT_EQ(panel.frame(), QRectF(100, 500, 336, 236));
    EXPECT_EQ(panel.content()->size(), QSize(336, 236));

    // Near the screen's panel the bottom may not sink under it.
    panel.setOrigin(QPointF(100, 40));
    panel.update(new Box(QSize(336, 400)));
    EXPECT_EQ(panel.frame(), QRectF(100, 30, 336, 400));
}

TEST(FloatingPanel, ReplacedContentIsDeletedAndTheSameContentIsKept)
{
    FloatingPanel panel(FloatingPanel::Level::badge, screens, nullptr);
    auto* first = new Box(QSize(36, 34));
    panel.update(first); // no content yet: the same as show()
    EXPECT_EQ(panel.frame().size(), QSizeF(36, 34));
    QPointer<QWidget> old(first);
    panel.update(first);
    EXPECT_EQ(panel.content(), first);
    panel.update(new Box(QSize(50, 34)));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(old.isNull());
}

TEST(FloatingPanel, PlacesItselfBelowARectangle)
{
    FloatingPanel panel(FloatingPanel::Level::card, screens, nullptr);
    panel.show(new Box(QSize(336, 236)));
    panel.place(QRectF(400, 500, 60, 18));
    EXPECT_EQ(panel.cardFrame().left(), 400);
    EXPECT_EQ(panel.cardFrame().bottom(), 500 - 6);
    // The Qt geometry is the same frame seen from the top-left.
    EXPECT_EQ(panel.geometry(), QRect(382, 1024 - 500 + 6 - 18, 336, 236));
}

// The offscreen platform activates every window it shows, so whether the
// window system keeps focus away is checked by SurfacesE2eTest; here, that the
// window asks for it.
TEST(FloatingPanel, OnlyAPanelThatTakesTheKeyboardAsksForFocus)
{
    RecordingFloatingWindows windows;
    windows.active = 0x1234;
    FloatingPanel badge(FloatingPanel::Level::badge, screens, &windows);
    badge.show(new QLabel(QStringLiteral("3")));
    badge.orderFront();
    QCoreApplication::processEvents();
    EXPECT_TRUE(badge.isVisible());
    EXPECT_TRUE(badge.windowHandle()->flags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_FALSE(badge.returnFocus()); // it never took it

    FloatingPanel card(FloatingPanel::Level::card, screens, &windows);
    card.setTakesKeyboard(true);
    card.show(new QLabel(QStringLiteral("Rewrite")));
    card.orderFront();
    QCoreApplication::processEvents();
    EXPECT_FALSE(card.windowHandle()->flags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(card.windowHandle()->flags().testFlag(Qt::X11BypassWindowManagerHint));
    EXPECT_TRUE(card.isActiveWindow());
    EXPECT_TRUE(card.returnFocus());
    EXPECT_EQ(windows.activated, QList<quintptr> { 0x1234 });

    // The hints go out again before every show, because hiding drops them.
    card.orderOut();
    card.orderFront();
    EXPECT_EQ(windows.prepared.count(card.winId()), 2);
    EXPECT_EQ(windows.prepared.count(badge.winId()), 1);
}

TEST(FloatingPanel, EscapeCallsItsHandler)
{
    FloatingPanel panel(FloatingPanel::Level::card, screens, nullptr);
    int escapes = 0;
    panel.onEscape = [&] { ++escapes; };
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&panel, &escape);
    QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QCoreApplication::sendEvent(&panel, &other);
    EXPECT_EQ(escapes, 1);
}

} // namespace
