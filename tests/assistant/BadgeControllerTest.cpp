#include "assistant/BadgeController.h"

#include "FakeDesktopInput.h"
#include "FakeFieldScene.h"
#include "platform/Hotkey.h"
#include "settings/AppPolicy.h"
#include "settings/DefaultsStore.h"
#include "surfaces/BadgeControl.h"
#include "surfaces/FloatingPanel.h"

#include <QCoreApplication>
#include <QMenu>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quillcraft;
using namespace quillcraft::test;

namespace {

const QString app = QStringLiteral("org.example.Editor");
const KeyCombination escape { Qt::Key_Escape, Qt::NoModifier };

// The scene's short field (300 x 30 at bottom-left (120, 864)) with a badge beside it.
class BadgeControllerTest : public ::testing::Test {
protected:
    BadgeControllerTest()
    {
        badge.onDragStarted = [this] { ++dragStarts; };
        badge.onPolicyChanged = [this] { ++policyChanges; };
        badge.onNotice = [this](const QString& notice) { notices.append(notice); };
        badge.freshField = [this] { return fresh; };
    }

    FocusedField field()
    {
        FieldSources sources;
        sources.accessibility = &scene.accessibility;
        sources.screens = &scene.screens;
        sources.apps = &scene.apps;
        sources.ownPid = 1;
        return *FocusedField::current(sources);
    }

    // Press at the badge's centre, then drag by (dx, dy) in bottom-left points.
    QPointF startDrag(qreal dx, qreal dy)
    {
        const QPointF start = badge.frame().center();
        badge.control().onDragStarted(start);
        const QPointF end = start + QPointF(dx, dy);
        badge.control().onDragMoved(end);
        return end;
    }

    QTemporaryDir dir;
    DefaultsStore store { dir.filePath(QStringLiteral("defaults.json")) };
    AppPolicy policy { store };
    FakeFieldScene scene;
    FakeGrabber grabber;
    BadgeController badge { scene.screens, nullptr, grabber, policy };
    std::optional<FocusedField> fresh;
    int dragStarts = 0;
    int policyChanges = 0;
    QStringList notices;
};

TEST_F(BadgeControllerTest, ShowsBesideTheShortFieldAndFollowsTheStoredCorner)
{
    const FocusedField f = field();
    badge.show(f, FieldBadge::Checking {});
    ASSERT_TRUE(badge.isVisible());
    const QRectF frame = badge.frame();
    // Right of the field, vertically centred (bottomRight by default).
    EXPECT_EQ(frame.x(), f.visibleFrame().x() + f.visibleFrame().width() + 2);
    EXPECT_NEAR(frame.center().y(), f.visibleFrame().center().y(), 0.5);

    policy.setBadgeCorner(BadgeCorner::bottomLeft, app);
    badge.show(f, FieldBadge::Clean {});
    EXPECT_EQ(badge.frame().x() + badge.frame().width(), f.visibleFrame().x() - 2);
    EXPECT_EQ(badge.state(), FieldBadge::State(FieldBadge::Clean {}));
}

TEST_F(BadgeControllerTest, ADragStoresItsPositionWhenTheFieldStayedPut)
{
    const FocusedField f = field();
    badge.show(f, FieldBadge::Checking {});
    const QRectF before = badge.frame();
    const QPointF end = startDrag(-100, 0);
    EXPECT_EQ(dragStarts, 1);
    EXPECT_TRUE(grabber.grabs.contains(Hotkey::escapeId)) << "Escape is taken during the drag";
    EXPECT_EQ(badge.frame().x(), before.x() - 100);

    fresh = f;
    badge.control().onDragEnded(end);
    EXPECT_FALSE(grabber.grabs.contains(Hotkey::escapeId));
    const std::optional<BadgePosition> stored = policy.badgePosition(app);
    ASSERT_TRUE(stored.has_value());
    // The badge's centre as fractions of the editor frame.
    const QRectF editor = f.editorFrame();
    EXPECT_NEAR(stored->x, (badge.frame().center().x() - editor.x()) / editor.width(), 1e-9);
    // And it stays where it was dropped on the next render.
    const QRectF dropped = badge.frame();
    badge.show(f, FieldBadge::Clean {});
    EXPECT_EQ(badge.frame(), dropped);
}

TEST_F(BadgeControllerTest, DragsThatCannotBeTrustedStoreNothing)
{
    const FocusedField f = field();
    badge.show(f, FieldBadge::Checking {});
    const QRectF home = badge.frame();

    // The field cannot be read again (focus moved, access lost).
    badge.control().onDragEnded(startDrag(-60, 10));
    EXPECT_FALSE(policy.badgePosition(app).has_value());
    EXPECT_EQ(badge.frame(), home) << "an unstored drag snaps back";

    // The field moved while the badge was dragged.
    scene.field->setFrame({ 120, 300, 300, 30 });
    fresh = field();
    badge.control().onDragEnded(startDrag(-60, 10));
    EXPECT_FALSE(policy.badgePosition(app).has_value());

    // Grammar checking was switched off meanwhile.
    scene.field->setFrame({ 120, 130, 300, 30 });
    fresh = field();
    policy.setGrammarOn(false);
    badge.control().onDragEnded(startDrag(-60, 10));
    EXPECT_FALSE(policy.badgePosition(app).has_value());
}

TEST_F(BadgeControllerTest, EscapeDuringADragPutsTheBadgeBack)
{
    const FocusedField f = field();
    badge.show(f, FieldBadge::Checking {});
    const QRectF home = badge.frame();
    const QPointF end = startDrag(-80, 20);
    ASSERT_NE(badge.frame(), home);

    grabber.press(escape);
    // The hot key's action runs from the event loop.
    QCoreApplication::processEvents();
    EXPECT_EQ(badge.frame(), home);
    EXPECT_FALSE(badge.drag().has_value());
    EXPECT_FALSE(grabber.grabs.contains(Hotkey::escapeId));
    // The release that follows belongs to no drag.
    fresh = f;
    badge.control().onDragEnded(end);
    EXPECT_FALSE(policy.badgePosition(app).has_value());
}

TEST_F(BadgeControllerTest, AnUnavailableEscapeIsSaidAndTheDragGoesOn)
{
    grabber.takenElsewhere.append(escape);
    const FocusedField f = field();
    badge.show(f, FieldBadge::Checking {});
    const QPointF end = startDrag(-50, 0);
    EXPECT_EQ(notices, QStringList { QStringLiteral("Escape is unavailable. Release the badge to finish moving it.") });
    fresh = f;
    badge.control().onDragEnded(end);
    EXPECT_TRUE(policy.badgePosition(app).has_value());
}

TEST_F(BadgeControllerTest, TheMenuActsOnTheStoredPolicy)
{
    EXPECT_EQ(badge.contextMenu(), nullptr) << "no field, no menu";
    badge.show(field(), FieldBadge::Checking {});
    QMenu* menu = badge.contextMenu();
    ASSERT_NE(menu, nullptr);
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("Position"));
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), QStringLiteral("Hide badge in this app"));
    EXPECT_EQ(actions[3]->text(), QStringLiteral("Reset position"));

    // A short field offers Left and Right; the default corner is checked.
    const QList<QAction*> corners = actions[0]->menu()->actions();
    ASSERT_EQ(corners.size(), 2);
    EXPECT_EQ(corners[0]->text(), QStringLiteral("Left"));
    EXPECT_EQ(corners[1]->text(), QStringLiteral("Right"));
    EXPECT_FALSE(corners[0]->isChecked());
    EXPECT_TRUE(corners[1]->isChecked());

    policy.setBadgePosition({ 0.5, 0.5 }, app);
    corners[0]->trigger();
    EXPECT_EQ(policy.badgeCorner(app), BadgeCorner::bottomLeft);
    EXPECT_FALSE(policy.badgePosition(app).has_value()) << "a chosen corner forgets the dragged position";

    policy.setBadgePosition({ 0.5, 0.5 }, app);
    actions[3]->trigger();
    EXPECT_FALSE(policy.badgePosition(app).has_value());
    actions[2]->trigger();
    EXPECT_TRUE(policy.badgeHidden(app));
    EXPECT_EQ(policyChanges, 3);
}

} // namespace
