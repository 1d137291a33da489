#pragma once

#include "assistant/AssistantStatus.h"
#include "shell/OnboardingView.h"
#include "shell/SettingsView.h"
#include "shell/StatusMenu.h"

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QSystemTrayIcon;

namespace quillcraft {

class AccountStore;
class AppPolicy;
class Clock;
class FloatingWindows;
class FrontmostApp;
class Hotkey;
class HotkeyGrabber;
class InstalledApps;
class LoginItemStore;
class OnboardingWindow;
class Screens;
class SettingsWindow;
class Toaster;
class TrustCheck;
class Updater;
class WritingAssistant;

// The desktop program around the writing assistant: the status-area icon and its
// menu, toasts, the rewrite shortcut and the windows opened from the menu. The
// long-lived objects are built by the entry point and handed over; this wires them.
class QuillcraftApp final : public QObject {
    Q_OBJECT

public:
    using SettingsTab = SettingsView::Tab;

    // Everything outlives the controller.
    struct Parts final {
        AppPolicy& policy;
        WritingAssistant& assistant;
        AccountStore& account;
        Updater& updater;
        HotkeyGrabber& hotkeys;
        FrontmostApp& apps;
        TrustCheck& trust;
        const Screens& screens;
        Clock& clock;
        // Null offscreen: no window-manager hints for the toast.
        FloatingWindows* windows = nullptr;
        qint64 ownPid = 0;
        // Prints one line for the person who started the program from a terminal.
        std::function<void(const QString&)> say = {};
        // For the settings window and onboarding's startup choice.
        LoginItemStore& loginItem;
        const InstalledApps& installedApps;
    };

    // The rows run 0.15 s after the menu closes, so the menu is gone before the
    // assistant reads the focused field.
    static constexpr int menuActionDelayMs = 150;

    explicit QuillcraftApp(Parts parts, QObject* parent = nullptr);
    ~QuillcraftApp() override;

    // Creates the tray icon, wires and starts the assistant, takes the rewrite
    // shortcut, refreshes the account and starts the updater. Once.
    void launch();

    // Opens the settings window on `tab`, or brings it forward there; one window, reused.
    void openSettings(SettingsTab tab);
    void showToast(const QString& text);

    // Shows the first-run window at `step` (the welcome page unless a preview asks for
    // another), or brings it forward when open.
    void openOnboarding(OnboardingView::Step step = OnboardingView::Step::welcome);
    // Null until onboarding was first opened.
    QWidget* onboardingWindow() const;

    const AssistantStatus& status() const { return m_status; }
    StatusMenu& menu() const { return *m_menu; }
    Toaster& toaster() const { return *m_toaster; }
    // The settings window; null before it was first opened.
    SettingsWindow* settingsWindow() const;
    // The rows' snapshot of the frontmost application, assistant, account and updater.
    StatusMenu::Snapshot snapshot() const;

    // The toast when another program holds the rewrite shortcut.
    static QString shortcutTakenMessage();
    // Said once when the desktop has no status area to hold the icon.
    static QString noTrayMessage();

private:
    void createTrayIcon();
    void showWithoutTray();
    void ensureSettingsWindow();
    void onStatus(const AssistantStatus& status);
    void requestAccess();
    void practiceChanged(bool onScreen);
    void finishOnboarding();
    void onboardingClosing();
    void afterMenu(std::function<void()> action);
    StatusMenu::Actions menuActions();

    Parts m_parts;
    AssistantStatus m_status = AssistantStatus::idle();
    std::unique_ptr<StatusMenu> m_menu;
    std::unique_ptr<Toaster> m_toaster;
    std::unique_ptr<Hotkey> m_rewriteKey;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    std::unique_ptr<SettingsWindow> m_settingsWindow;
    std::unique_ptr<OnboardingWindow> m_onboardingWindow;
    QIcon m_icon;
    QIcon m_dimmedIcon;
    bool m_launched = false;
};

} // namespace quillcraft
