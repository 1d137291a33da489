// The window-manager and session parts of the Linux backends: the frontmost
// application, its names, activation, screens and the accessibility trust check.

#include "E2eSupport.h"
#include "Wait.h"
#include "platform/FrontmostApp.h"
#include "platform/Screens.h"
#include "platform/TrustCheck.h"
#include "platform/linux/LinuxSystem.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>

#include <gtest/gtest.h>

using namespace quillcraft;
using namespace quillcraft::e2e;
using quillcraft::test::waitUntil;

namespace {

bool setAccessibilityEnabled(bool enabled)
{
    QDBusMessage set = QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"));
    set << QStringLiteral("org.a11y.Status") << QStringLiteral("IsEnabled")
        << QVariant::fromValue(QDBusVariant(enabled));
    return QDBusConnection::sessionBus().call(set).type() == QDBusMessage::ReplyMessage;
}

} // namespace

TEST(LinuxSystemE2eTest, FrontmostApplicationFollowsActivation)
{
    TargetApp qt(Toolkit::qt);
    TargetApp gtk(Toolkit::gtk);
    ASSERT_TRUE(qt.start());
    ASSERT_TRUE(gtk.start());
    const auto system = createLinuxSystem();
    FrontmostApp& apps = system->frontmostApp();
    ASSERT_TRUE(apps.isAvailable());

    ASSERT_TRUE(qt.focus(lineField));
    EXPECT_TRUE(waitUntil([&] { return apps.frontmostPid() == qt.pid(); }));
    ASSERT_TRUE(apps.activate(gtk.pid()));
    EXPECT_TRUE(waitUntil([&] { return apps.frontmostPid() == gtk.pid(); }));

    // Without desktop entries the window class names the program.
    const auto gtkApp = apps.application(gtk.pid());
    ASSERT_TRUE(gtkApp);
    EXPECT_EQ(gtkApp->bundleID, QStringLiteral("Quillcraft_gtk_target"));
    EXPECT_EQ(gtkApp->name, QStringLiteral("quillcraft_gtk_target"));
    const auto qtApp = apps.application(qt.pid());
    ASSERT_TRUE(qtApp);
    EXPECT_FALSE(qtApp->bundleID.isEmpty());
    EXPECT_EQ(qtApp->name, QStringLiteral("quillcraft-qt-target"));

    EXPECT_FALSE(apps.application(0));
    EXPECT_FALSE(apps.activate(0));
}

TEST(LinuxSystemE2eTest, ScreensAreFlippedAroundThePrimaryScreen)
{
    const auto system = createLinuxSystem();
    const QList<ScreenGeometry> screens = system->screens().screens();
    ASSERT_EQ(screens.size(), 1);
    EXPECT_EQ(screens.first().frame, QRectF(0, 0, 1280, 1024));
    EXPECT_TRUE(screens.first().frame.contains(screens.first().visibleFrame));
}

TEST(LinuxSystemE2eTest, TrustFollowsTheAccessibilitySwitch)
{
    const auto system = createLinuxSystem();
    TrustCheck& trust = system->trustCheck();
    EXPECT_TRUE(trust.isTrusted());
    ASSERT_TRUE(setAccessibilityEnabled(false));
    EXPECT_FALSE(trust.isTrusted());
    trust.requestAccess();
    EXPECT_TRUE(waitUntil([&] { return trust.isTrusted(); }));
    setAccessibilityEnabled(true);
}
