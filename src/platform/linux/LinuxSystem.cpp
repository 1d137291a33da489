#include "LinuxSystem.h"

#include "platform/linux/AtspiAccessibility.h"
#include "platform/linux/AtspiScaling.h"
#include "platform/linux/DBusTrustCheck.h"
#include "platform/linux/DesktopAppDirectory.h"
#include "platform/linux/DesktopEntries.h"
#include "platform/linux/QtScreens.h"
#include "platform/linux/X11Clipboard.h"
#include "platform/linux/X11FloatingWindows.h"
#include "platform/linux/X11FrontmostApp.h"
#include "platform/linux/X11HotkeyGrabber.h"
#include "platform/linux/X11Windows.h"
#include "platform/linux/XInputPointerMonitor.h"
#include "platform/linux/XTestKeySynthesizer.h"

#include <QCoreApplication>

namespace quillcraft {

LinuxSystem::LinuxSystem()
    : m_windows(std::make_unique<X11Windows>())
    , m_scaling(std::make_unique<AtspiScaling>(*m_windows, QCoreApplication::applicationPid()))
    , m_desktopEntries(std::make_unique<DesktopEntries>())
    , m_screens(std::make_unique<QtScreens>())
    , m_trustCheck(std::make_unique<DBusTrustCheck>())
{
    const X11Windows& windows = *m_windows;
    m_accessibility = std::make_unique<AtspiAccessibility>(
        [&windows] { return windows.activeWindowPid(); }, QCoreApplication::applicationPid());
    const AtspiAccessibility& accessibility = *m_accessibility;
    m_frontmostApp = std::make_unique<X11FrontmostApp>(
        windows, *m_desktopEntries, [&accessibility](qint64 pid) { return accessibility.applicationName(pid); });
    m_clipboard = std::make_unique<X11Clipboard>();
    m_keySynthesizer = std::make_unique<XTestKeySynthesizer>();
    m_hotkeyGrabber = std::make_unique<X11HotkeyGrabber>();
    m_floatingWindows = std::make_unique<X11FloatingWindows>();
    m_pointerMonitor = std::make_unique<XInputPointerMonitor>();
    m_installedApps = std::make_unique<DesktopAppDirectory>(*m_desktopEntries);
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

Clipboard& LinuxSystem::clipboard()
{
    return *m_clipboard;
}

KeySynthesizer& LinuxSystem::keySynthesizer()
{
    return *m_keySynthesizer;
}

HotkeyGrabber& LinuxSystem::hotkeyGrabber()
{
    return *m_hotkeyGrabber;
}

FloatingWindows& LinuxSystem::floatingWindows()
{
    return *m_floatingWindows;
}

PointerMonitor& LinuxSystem::pointerMonitor()
{
    return *m_pointerMonitor;
}

const InstalledApps& LinuxSystem::installedApps() const
{
    return *m_installedApps;
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
