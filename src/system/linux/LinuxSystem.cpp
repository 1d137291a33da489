#include "LinuxSystem.h"

#include "AtspiAccessibility.h"
#include "DBusTrustCheck.h"
#include "DesktopEntries.h"
#include "QtScreens.h"
#include "X11FrontmostApp.h"
#include "X11Windows.h"

#include <QCoreApplication>

namespace quillcraft {

LinuxSystem::LinuxSystem()
    : m_windows(std::make_unique<X11Windows>())
    , m_desktopEntries(std::make_unique<DesktopEntries>())
    , m_screens(std::make_unique<QtScreens>())
    , m_trustCheck(std::make_unique<DBusTrustCheck>())
{
    const X11Windows& windows = *m_windows;
    m_accessibility = std::make_unique<AtspiAccessibility>([&windows] { return windows.activeWindowPid(); },
                                                           QCoreApplication::applicationPid());
    const AtspiAccessibility& accessibility = *m_accessibility;
    m_frontmostApp = std::make_unique<X11FrontmostApp>(
        windows, *m_desktopEntries, [&accessibility](qint64 pid) { return accessibility.applicationName(pid); });
}

LinuxSystem::~LinuxSystem() = default;

Accessibility& LinuxSystem::accessibility()
{
    return *m_accessibility;
}

const Screens& LinuxSystem::screens() const
{
    return *m_screens;
}

FrontmostApp& LinuxSystem::frontmostApp()
{
    return *m_frontmostApp;
}

TrustCheck& LinuxSystem::trustCheck()
{
    return *m_trustCheck;
}

std::unique_ptr<LinuxSystem> createLinuxSystem()
{
    return std::make_unique<LinuxSystem>();
}

void prepareLinuxProcess()
{
    qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
}

} // namespace quillcraft
