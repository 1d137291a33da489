#pragma once

#include <memory>

namespace quillcraft {

class Accessibility;
class Clipboard;
class HotkeyGrabber;
class InstalledApps;
class KeySynthesizer;
class AtspiAccessibility;
class AtspiScaling;
class DBusTrustCheck;
class DesktopAppDirectory;
class DesktopEntries;
class FloatingWindows;
class FrontmostApp;
class QtScreens;
class Screens;
class TrustCheck;
class X11Clipboard;
class X11FloatingWindows;
class X11HotkeyGrabber;
class X11FrontmostApp;
class X11Windows;
class XTestKeySynthesizer;
class PointerMonitor;
class XInputPointerMonitor;

// The Linux backends of the platform interfaces, created together and wired to
// each other. Created after the QGuiApplication (the window parts use its X11
// connection) and on the GUI thread. Each backend adds its accessor and member.
class LinuxSystem final {
public:
    LinuxSystem();
    ~LinuxSystem();
    LinuxSystem(const LinuxSystem&) = delete;
    LinuxSystem& operator=(const LinuxSystem&) = delete;

    Accessibility& accessibility();
    const Screens& screens() const;
    FrontmostApp& frontmostApp();
    TrustCheck& trustCheck();
    Clipboard& clipboard();
    KeySynthesizer& keySynthesizer();
    HotkeyGrabber& hotkeyGrabber();
    FloatingWindows& floatingWindows();
    PointerMonitor& pointerMonitor();
    const InstalledApps& installedApps() const;

private:
    // In dependency order: later members use earlier ones.
    std::unique_ptr<X11Windows> m_windows;
    std::unique_ptr<AtspiScaling> m_scaling;
    std::unique_ptr<DesktopEntries> m_desktopEntries;
    std::unique_ptr<QtScreens> m_screens;
    std::unique_ptr<DBusTrustCheck> m_trustCheck;
    std::unique_ptr<AtspiAccessibility> m_accessibility;
    std::unique_ptr<X11FrontmostApp> m_frontmostApp;
    std::unique_ptr<X11Clipboard> m_clipboard;
    std::unique_ptr<XTestKeySynthesizer> m_keySynthesizer;
    std::unique_ptr<X11HotkeyGrabber> m_hotkeyGrabber;
    std::unique_ptr<X11FloatingWindows> m_floatingWindows;
    std::unique_ptr<XInputPointerMonitor> m_pointerMonitor;
    std::unique_ptr<DesktopAppDirectory> m_installedApps;
};

std::unique_ptr<LinuxSystem> createLinuxSystem();

// Run before the application object exists: Qt exposes this process's own
// widgets on the accessibility bus only when told so at start-up.
void prepareLinuxProcess();

} // namespace quillcraft
