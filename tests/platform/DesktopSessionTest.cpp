#include "platform/DesktopSession.h"

#include <gtest/gtest.h>

using namespace quillcraft;

namespace {

QProcessEnvironment environment(std::initializer_list<std::pair<const char*, const char*>> variables)
{
    QProcessEnvironment result;
    for (const auto& [name, value] : variables)
        result.insert(QString::fromLatin1(name), QString::fromLatin1(value));
    return result;
}

} // namespace

TEST(DesktopSessionTest, TellsAWaylandSessionFromItsEnvironment)
{
    EXPECT_TRUE(DesktopSession::isWayland(environment({ { "WAYLAND_DISPLAY", "wayland-0" } })));
    // XWayland sets DISPLAY too; it is still a Wayland session.
    EXPECT_TRUE(DesktopSession::isWayland(environment({ { "WAYLAND_DISPLAY", "wayland-0" }, { "DISPLAY", ":0" } })));
    EXPECT_TRUE(DesktopSession::isWayland(environment({ { "XDG_SESSION_TYPE", "wayland" }, { "DISPLAY", ":0" } })));

    EXPECT_FALSE(DesktopSession::isWayland(environment({ { "XDG_SESSION_TYPE", "x11" }, { "DISPLAY", ":0" } })));
    EXPECT_FALSE(DesktopSession::isWayland(environment({ { "WAYLAND_DISPLAY", "" }, { "XDG_SESSION_TYPE", "tty" } })));
    EXPECT_FALSE(DesktopSession::isWayland(environment({})));
}

TEST(DesktopSessionTest, TheNoticeIsOneSentence)
{
    const QString notice = DesktopSession::waylandNotice();
    EXPECT_TRUE(notice.endsWith(QLatin1Char('.')));
    EXPECT_EQ(notice.count(QLatin1Char('.')), 1);
    EXPECT_TRUE(notice.contains(QLatin1String("Wayland")));
}
