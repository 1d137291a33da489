// The badge beside a real target's field on the harness's X server: a click acts
// without taking the focus, a drag moves it and is stored, Escape during a drag
// puts it back, and a right-click opens its menu. Runs inside tests/e2e/session.sh.

#include "E2eSupport.h"
#include "FieldSourcesOf.h"
#include "Wait.h"
#include "assistant/BadgeController.h"
#include "assistant/FocusedField.h"
#include "platform/linux/LinuxSystem.h"
#include "settings/AppPolicy.h"
#include "settings/DefaultsStore.h"
#include "surfaces/FloatingPanel.h"
#include "surfaces/ScreenCoordinates.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMenu>
#include <QTemporaryDir>
#include <QWindow>

#include <gtest/gtest.h>

using namespace quillcraft;
using namespace quillcraft::e2e;
using quillcraft::test::waitUntil;

namespace {

class BadgeE2eTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(target.start()) << "the target did not come up";
        system = createLinuxSystem();
        ASSERT_TRUE(target.focus(lineField));
        ASSERT_TRUE(waitUntil([&] { return FocusedField::current(sources()).has_value(); }));
        field = FocusedField::current(sources());
        badge = std::make_unique<BadgeController>(
            system->screens(), &system->floatingWindows(), system->hotkeyGrabber(), policy);
        badge->onClick = [this] { ++clicks; };
        badge->freshField = [this] { return FocusedField::current(sources()); };
        badge->onNotice = [this](const QString& notice) { notices.append(notice); };
        badge->show(*field, FieldBadge::Issues { 3, false });
        // Mapped and placed by the window manager, not only shown by Qt.
        ASSERT_TRUE(
            waitUntil([&] { return badge->panel().windowHandle() && badge->panel().windowHandle()->isExposed(); }));
        home = badge->frame();
    }

    FieldSources sources() const { return fieldSourcesOf(*system); }

    // A point of the badge in X11 screen coordinates (logical pixels at scale 1).
    QPoint onScreen(const QPointF& bottomLeft) const
    {
        const QRect rect = ScreenCoordinates::toQt(QRectF(bottomLeft, QSizeF(0, 0)), system->screens().screens());
        return rect.topLeft();
    }

    bool pressAndMove(QPoint from, QPoint to)
    {
        if (!xdotool({ QStringLiteral("mousemove"), QString::number(from.x()), QString::number(from.y()) })
            || !xdotool({ QStringLiteral("mousedown"), QStringLiteral("1") }))
            return false;
        // In steps, as a hand moves: the first ones cross the drag threshold.
        for (int step = 1; step <= 5; ++step) {
            const QPoint p = from + (to - from) * step / 5;
            if (!xdotool({ QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y()) }))
                return false;
            QCoreApplication::processEvents();
        }
        return true;
    }

    QString app() const { return field->bundleID(); }

    TargetApp target { Toolkit::qt };
    std::unique_ptr<LinuxSystem> system;
    QTemporaryDir dir;
    DefaultsStore store { dir.filePath(QStringLiteral("defaults.json")) };
    AppPolicy policy { store };
    std::optional<FocusedField> field;
    std::unique_ptr<BadgeController> badge;
    QRectF home;
    int clicks = 0;
    QStringList notices;
};

TEST_F(BadgeE2eTest, AClickActsAndTypingStaysInTheField)
{
    ASSERT_TRUE(clickAt(onScreen(home.center())));
    ASSERT_TRUE(waitUntil([&] { return clicks == 1; })) << "the first click on the badge acts";
    EXPECT_FALSE(badge->panel().isActiveWindow());
    ASSERT_TRUE(typeText(QStringLiteral("still here")));
    EXPECT_TRUE(waitUntil([&] {
        return target.text(lineField).value_or(QString()).endsWith(QStringLiteral("still here"));
    })) << "typing went elsewhere after a badge click";
}

TEST_F(BadgeE2eTest, ADragMovesTheBadgeAndIsStoredForTheApp)
{
    const QPoint from = onScreen(home.center());
    ASSERT_TRUE(pressAndMove(from, from + QPoint(-120, 0)));
    ASSERT_TRUE(waitUntil([&] { return badge->frame().x() < home.x() - 100; })) << "the badge did not follow";
    ASSERT_TRUE(xdotool({ QStringLiteral("mouseup"), QStringLiteral("1") }));
    ASSERT_TRUE(waitUntil([&] { return policy.badgePosition(app()).has_value(); })) << "the drop was not stored";
    EXPECT_EQ(clicks, 0) << "a drag is not a click";

    // A new badge for the same app lands where this one was dropped.
    const QRectF dropped = badge->frame();
    badge->hide();
    badge->show(*field, FieldBadge::Clean {});
    EXPECT_EQ(badge->frame(), dropped);
}

TEST_F(BadgeE2eTest, EscapeDuringADragPutsItBack)
{
    const QPoint from = onScreen(home.center());
    ASSERT_TRUE(pressAndMove(from, from + QPoint(-120, -40)));
    ASSERT_TRUE(waitUntil([&] { return badge->drag().has_value(); }));
    ASSERT_EQ(notices, QStringList()) << "Escape could not be had";
    // Not pressKeys: its --clearmodifiers would release the held button first.
    ASSERT_TRUE(xdotool({ QStringLiteral("key"), QStringLiteral("Escape") }));
    EXPECT_TRUE(waitUntil([&] { return badge->frame() == home; })) << "Escape did not undo the move";
    ASSERT_TRUE(xdotool({ QStringLiteral("mouseup"), QStringLiteral("1") }));
    QCoreApplication::processEvents();
    EXPECT_FALSE(policy.badgePosition(app()).has_value());
    EXPECT_EQ(badge->frame(), home);
}

TEST_F(BadgeE2eTest, ARightClickOpensTheMenu)
{
    const QPoint centre = onScreen(home.center());
    ASSERT_TRUE(xdotool({ QStringLiteral("mousemove"), QString::number(centre.x()), QString::number(centre.y()) }));
    ASSERT_TRUE(xdotool({ QStringLiteral("click"), QStringLiteral("3") }));
    ASSERT_TRUE(waitUntil([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr; }));
    EXPECT_EQ(QApplication::activePopupWidget()->actions().value(2)->text(), QStringLiteral("Hide badge in this app"));
    ASSERT_TRUE(pressKeys(QStringLiteral("Escape")));
    EXPECT_TRUE(waitUntil([] { return QApplication::activePopupWidget() == nullptr; }));
}

} // namespace
