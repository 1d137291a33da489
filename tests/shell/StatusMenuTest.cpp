#include "shell/StatusMenu.h"
#include "settings/AppPolicy.h"
#include "settings/DefaultsStore.h"
#include "shell/StatusLine.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QLocale>
#include <QMenu>
#include <QTemporaryDir>

#include "Printers.h"
#include "TestText.h"

#include <gtest/gtest.h>

using namespace quillcraft;
using quillcraft::test::u;
using namespace std::chrono_literals;

namespace {

const RunningApp notes { 42, u("org.gnome.Notes"), u("Notes") };

TEST(StatusLineTest, CountsFixesInWords)
{
    EXPECT_EQ(StatusLine::text(AssistantStatus::checking(u("Notes"), 3)), u("Checking Notes. 3 fixes."));
    EXPECT_EQ(StatusLine::text(AssistantStatus::checking(u("Notes"), 1)), u("Checking Notes. 1 fix."));
    EXPECT_EQ(StatusLine::text(AssistantStatus::checking(u("Notes"), 0)), u("Checking Notes. No fixes."));
    EXPECT_EQ(StatusLine::text(AssistantStatus::off(u("Terminal"))), u("Off in Terminal"));
    EXPECT_EQ(StatusLine::text(AssistantStatus::needsAccess()), u("Needs Accessibility access"));
    EXPECT_EQ(StatusLine::text(AssistantStatus::idle()), u("On. Click into a text field."));
}

TEST(StatusLineTest, APauseUntilResumedHasNoTime)
{
    EXPECT_EQ(StatusLine::text(AssistantStatus::paused()), u("Paused"));
    EXPECT_EQ(StatusLine::text(AssistantStatus::paused(), AppPolicy::distantFuture()), u("Paused"));
    const QDateTime end(QDate(2026, 12, 8), QTime(15, 30), Qt::LocalTime);
    EXPECT_EQ(StatusLine::text(AssistantStatus::paused(), end),
        u("Paused until ") + QLocale().toString(QTime(15, 30), QLocale::ShortFormat));
}

class StatusMenuTest : public testing::Test {
protected:
    QStringList titles(const QMenu& menu) const
    {
        QStringList result;
        for (const QAction* action : menu.actions())
            result << (action->isSeparator() ? u("-") : action->text());
        return result;
    }
    QAction* row(const QString& title) const
    {
        for (QAction* action : m_menu.menu().actions())
            if (action->text() == title)
                return action;
        return nullptr;
    }
    void open() { m_menu.rebuild(); }

    QTemporaryDir m_dir;
    DefaultsStore m_store { m_dir.filePath(u("defaults.json")) };
    QDateTime m_now { QDate(2026, 12, 8), QTime(10, 0), Qt::UTC };
    AppPolicy m_policy { m_store, [this] { return m_now; } };
    StatusMenu::Snapshot m_snapshot;
    int m_policyChanges = 0;
    QStringList m_positionMenusFor;
    QStringList m_resets;
    StatusMenu m_menu { m_policy, [this] { return m_snapshot; },
        StatusMenu::Actions {
            .policyChanged = [this] { ++m_policyChanges; },
            .fillBadgePositionMenu =
                [this](QMenu& menu, const QString& id) {
                    m_positionMenusFor << id;
                    menu.addAction(u("Top right"));
                },
            .resetBadgePosition = [this](const QString& id) { m_resets << id; },
        } };
};

TEST_F(StatusMenuTest, AnotherAppFrontmostGetsItsOwnRows)
{
    m_snapshot.status = AssistantStatus::checking(u("Notes"), 2);
    m_snapshot.frontmost = notes;
    open();
    EXPECT_EQ(titles(m_menu.menu()),
        QStringList({ u("Checking Notes. 2 fixes."), u("-"), u("Rewrite highlighted text"), u("Show suggestions"),
            u("-"), u("Turn off in Notes"), u("Hide badge in Notes"), u("Badge position in Notes"),
            u("Reset badge position in Notes"), u("Pause for 1 hour"), u("Pause until I resume"), u("-"),
            u("Sign in for 40 rewrites a day…"), u("Settings…"), u("Check for Updates…"), u("Quit Quillcraft") }));
    EXPECT_FALSE(row(u("Checking Notes. 2 fixes."))->isEnabled());
    EXPECT_FALSE(row(u("Show suggestions"))->isEnabled());
    EXPECT_FALSE(row(u("Check for Updates…"))->isEnabled());
    EXPECT_EQ(row(u("Rewrite highlighted text"))->shortcut().toString(), u("Ctrl+Alt+R"));
    EXPECT_EQ(row(u("Turn off in Notes"))->data().toString(), notes.bundleID);
    EXPECT_EQ(m_positionMenusFor, QStringList { notes.bundleID });
    EXPECT_EQ(titles(*row(u("Badge position in Notes"))->menu()), QStringList { u("Top right") });
}

TEST_F(StatusMenuTest, OwnWindowsOrNamelessAppsHaveNoPerAppRows)
{
    m_snapshot.frontmost = RunningApp { 7, u("quillcraft"), u("Quillcraft") };
    m_snapshot.frontmostIsOwn = true;
    open();
    EXPECT_EQ(row(u("Turn off in Quillcraft")), nullptr);
    EXPECT_EQ(row(u("Badge position in Quillcraft")), nullptr);

    m_snapshot.frontmost = RunningApp { 8, QString(), u("Mystery") };
    m_snapshot.frontmostIsOwn = false;
    open();
    EXPECT_EQ(row(u("Turn off in Mystery")), nullptr);

    m_snapshot.frontmost = RunningApp { 9, u("org.example.Bare"), QString() };
    open();
    EXPECT_NE(row(u("Turn off in this app")), nullptr);
}

TEST_F(StatusMenuTest, PerAppRowsSwitchThePolicyAndAreRebuiltFromIt)
{
    m_snapshot.frontmost = notes;
    open();
    row(u("Turn off in Notes"))->trigger();
    row(u("Hide badge in Notes"))->trigger();
    row(u("Reset badge position in Notes"))->trigger();
    EXPECT_FALSE(m_policy.isOn(notes.bundleID));
    EXPECT_TRUE(m_policy.badgeHidden(notes.bundleID));
    EXPECT_EQ(m_policyChanges, 2);
    EXPECT_EQ(m_resets, QStringList { notes.bundleID });

    open();
    EXPECT_NE(row(u("Turn on in Notes")), nullptr);
    EXPECT_NE(row(u("Show badge in Notes")), nullptr);
    // The old submenu does not pile up under the menu across openings.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(m_menu.menu().findChildren<QMenu*>(Qt::FindDirectChildrenOnly).size(), 1);
}

TEST_F(StatusMenuTest, PauseRowsFollowThePolicy)
{
    open();
    row(u("Pause for 1 hour"))->trigger();
    EXPECT_EQ(m_policy.pausedUntil(), m_now.addSecs(3600));
    m_snapshot.status = AssistantStatus::paused();
    open();
    EXPECT_TRUE(titles(m_menu.menu()).first().startsWith(u("Paused until ")));
    EXPECT_EQ(row(u("Pause for 1 hour")), nullptr);
    row(u("Resume checking"))->trigger();
    EXPECT_FALSE(m_policy.isPaused());

    open();
    row(u("Pause until I resume"))->trigger();
    open();
    EXPECT_EQ(titles(m_menu.menu()).first(), u("Paused"));
    EXPECT_EQ(m_policyChanges, 3);
}

TEST_F(StatusMenuTest, AccessAccountAndUpdateRowsFollowTheirState)
{
    m_snapshot.status = AssistantStatus::needsAccess();
    m_snapshot.accountEmail = u("ada@example.com");
    m_snapshot.canShowSuggestions = true;
    m_snapshot.updateAvailable = true;
    m_snapshot.canCheckForUpdates = true;
    open();
    ASSERT_NE(row(u("Allow Accessibility access…")), nullptr);
    EXPECT_TRUE(row(u("Show suggestions"))->isEnabled());
    EXPECT_FALSE(row(u("Signed in as ada@example.com"))->isEnabled());
    EXPECT_EQ(row(u("Sign in for 40 rewrites a day…")), nullptr);
    EXPECT_TRUE(row(u("Update Available…"))->isEnabled());

    m_snapshot.status = AssistantStatus::idle();
    m_snapshot.updateReady = true;
    open();
    EXPECT_EQ(row(u("Allow Accessibility access…")), nullptr);
    EXPECT_NE(row(u("Update Ready…")), nullptr);
}

} // namespace
