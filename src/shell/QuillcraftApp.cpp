#include "shell/QuillcraftApp.h"

#include "assistant/BadgeController.h"
#include "assistant/WritingAssistant.h"
#include "core/Clock.h"
#include "core/Logging.h"
#include "core/PlatformWording.h"
#include "platform/FrontmostApp.h"
#include "platform/Hotkey.h"
#include "platform/TrustCheck.h"
#include "service/AccountStore.h"
#include "service/Updater.h"
#include "settings/AppPolicy.h"
#include "shell/OnboardingWindow.h"
#include "shell/SettingsWindow.h"
#include "shell/Toaster.h"
#include "shell/WindowPresenter.h"
#include "views/BrandMark.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace quillcraft {

namespace {

// The brand mark at the sizes panels ask for; `opacity` below 1 is the look of a
// program that is not checking right now.
QIcon brandIcon(qreal opacity)
{
    QIcon icon;
    for (const int size : { 16, 18, 22, 24, 32, 48, 64 }) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(opacity);
        BrandMark::paint(painter, QRectF(0, 0, size, size));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

bool looksDisabled(AssistantStatus::Kind kind)
{
    using Kind = AssistantStatus::Kind;
    return kind == Kind::off || kind == Kind::needsAccess || kind == Kind::paused;
}

} // namespace

QuillcraftApp::QuillcraftApp(Parts parts, QObject* parent)
    : QObject(parent)
    , m_parts(std::move(parts))
{
    m_menu = std::make_unique<StatusMenu>(
        m_parts.policy, [this] { return snapshot(); }, menuActions());
    m_toaster = std::make_unique<Toaster>(m_parts.screens, m_parts.windows, m_parts.clock);
}

QuillcraftApp::~QuillcraftApp()
{
    // Its last hide reports to us: let that happen while we are whole.
    m_onboardingWindow.reset();
    // The assistant outlives us; its callbacks must not reach a dead controller.
    m_parts.assistant.onStatus = nullptr;
    m_parts.assistant.onSignIn = nullptr;
    m_parts.assistant.onNotice = nullptr;
    m_parts.assistant.onUpgrade = nullptr;
}

QString QuillcraftApp::shortcutTakenMessage()
{
    return QStringLiteral("Another app uses ") + PlatformWording::rewriteShortcut()
        + QStringLiteral(". Highlight text and click Rewrite instead.");
}

QString QuillcraftApp::noTrayMessage()
{
    return QStringLiteral("This desktop has no status area for the Quillcraft icon, so Quillcraft keeps "
                          "checking as you type without it and opens its settings window instead.");
}

void QuillcraftApp::launch()
{
    if (m_launched)
        return;
    m_launched = true;
    createTrayIcon();

    WritingAssistant& assistant = m_parts.assistant;
    assistant.onStatus = [this](const AssistantStatus& status) { onStatus(status); };
    assistant.onSignIn = [this] { openSettings(SettingsTab::account); };
    assistant.onNotice = [this](const QString& text) { showToast(text); };
    assistant.onUpgrade = [this] { m_parts.account.openWebPage(QStringLiteral("pricing")); };
    assistant.start();

    // Grabbed keys arrive through the GUI thread's event loop already.
    m_rewriteKey = std::make_unique<Hotkey>(
        m_parts.hotkeys, Hotkey::rewriteId, [this] { m_parts.assistant.openFromShortcut(); });
    if (!m_rewriteKey->registerShortcut())
        showToast(shortcutTakenMessage());

    m_parts.account.refresh();
    connect(&m_parts.updater, &Updater::message, this, &QuillcraftApp::showToast);

    const bool trusted = m_parts.trust.isTrusted();
    if (!trusted && m_parts.say)
        m_parts.say(QStringLiteral("Accessibility is switched off, so Quillcraft cannot read other applications' "
                                   "fields yet; turn on assistive technologies in your desktop's settings."));
    // The updater waits for onboarding: it starts when that window closes.
    if (m_parts.policy.finishedOnboarding() && trusted) {
        m_parts.updater.start();
        showWithoutTray();
    } else {
        openOnboarding();
    }
}

void QuillcraftApp::showWithoutTray()
{
    // With nowhere to put the icon, a window says the program runs and holds what the
    // menu would; it leaves the keyboard where the user may already be typing.
    if (QSystemTrayIcon::isSystemTrayAvailable())
        return;
    ensureSettingsWindow();
    m_settingsWindow->open(SettingsTab::general, WindowPresenter::Keyboard::leave);
}

void QuillcraftApp::createTrayIcon()
{
    m_icon = brandIcon(1.0);
    m_dimmedIcon = brandIcon(0.45);
    m_tray = std::make_unique<QSystemTrayIcon>(m_icon);
    m_tray->setToolTip(QStringLiteral("Quillcraft"));
    m_tray->setContextMenu(&m_menu->menu());
    // A left click opens the same menu: the icon has nothing else to do.
    connect(m_tray.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            m_menu->menu().popup(QCursor::pos());
    });
    // Shown even without a host: a panel started later still picks the icon up.
    m_tray->show();
    if (!QSystemTrayIcon::isSystemTrayAvailable() && m_parts.say)
        m_parts.say(noTrayMessage());
}

void QuillcraftApp::onStatus(const AssistantStatus& status)
{
    m_status = status;
    if (m_tray)
        m_tray->setIcon(looksDisabled(status.kind) ? m_dimmedIcon : m_icon);
}

StatusMenu::Snapshot QuillcraftApp::snapshot() const
{
    StatusMenu::Snapshot snapshot;
    snapshot.status = m_status;
    if (const std::optional<qint64> pid = m_parts.apps.frontmostPid()) {
        snapshot.frontmost = m_parts.apps.application(*pid);
        snapshot.frontmostIsOwn = *pid == m_parts.ownPid;
    }
    const std::optional<FocusedField>& field = m_parts.assistant.field();
    snapshot.canShowSuggestions = m_parts.assistant.canShowSuggestions() && field && snapshot.frontmost
        && field->bundleID() == snapshot.frontmost->bundleID;
    if (const std::optional<Account>& account = m_parts.account.account())
        snapshot.accountEmail = account->email;
    snapshot.updateReady = m_parts.updater.updateReady();
    snapshot.updateAvailable = m_parts.updater.updateAvailable();
    snapshot.canCheckForUpdates = m_parts.updater.canCheck();
    return snapshot;
}

StatusMenu::Actions QuillcraftApp::menuActions()
{
    WritingAssistant& assistant = m_parts.assistant;
    return StatusMenu::Actions {
        .rewrite = [this, &assistant] { afterMenu([&assistant] { assistant.openFromShortcut(); }); },
        .showSuggestions = [this, &assistant] { afterMenu([&assistant] { assistant.showSuggestions(); }); },
        .openOnboarding = [this] { openOnboarding(); },
        .policyChanged = [&assistant] { assistant.tick(); },
        .fillBadgePositionMenu
        = [&assistant](QMenu& menu, const QString& appId) { assistant.badge().fillPositionMenu(menu, appId); },
        .resetBadgePosition =
            [this, &assistant](const QString& appId) {
                m_parts.policy.resetBadgePosition(appId);
                assistant.tick();
            },
        .signIn = [this] { openSettings(SettingsTab::account); },
        .openSettings = [this] { openSettings(SettingsTab::general); },
        .checkForUpdates = [this] { m_parts.updater.checkForUpdates(); },
        .quit = [] { QCoreApplication::quit(); },
    };
}

void QuillcraftApp::afterMenu(std::function<void()> action)
{
    m_parts.clock.after(menuActionDelayMs, this, std::move(action));
}

void QuillcraftApp::requestAccess()
{
    m_parts.trust.requestAccess();
}

void QuillcraftApp::openOnboarding(OnboardingView::Step step)
{
    if (m_onboardingWindow && m_onboardingWindow->isVisible()) {
        WindowPresenter::present(*m_onboardingWindow);
        return;
    }
    // A window closed earlier starts over at the welcome page.
    m_onboardingWindow = std::make_unique<OnboardingWindow>(step, m_parts.loginItem, m_parts.trust, m_parts.clock,
        OnboardingView::Callbacks {
            .onRequestAccess = [this] { requestAccess(); },
            .onPracticeChange = [this](bool onScreen) { practiceChanged(onScreen); },
            .onFinish = [this] { finishOnboarding(); },
            .onOpenLoginSettings = {},
        });
    connect(m_onboardingWindow.get(), &OnboardingWindow::closing, this, &QuillcraftApp::onboardingClosing);
    WindowPresenter::present(*m_onboardingWindow);
}

QWidget* QuillcraftApp::onboardingWindow() const
{
    return m_onboardingWindow.get();
}

void QuillcraftApp::practiceChanged(bool onScreen)
{
    // The practice field is ours; the assistant serves it only while it shows.
    m_parts.policy.setAllowsOwnFields(onScreen);
    m_parts.assistant.tick();
}

void QuillcraftApp::finishOnboarding()
{
    m_parts.policy.setFinishedOnboarding(true);
    if (m_onboardingWindow)
        m_onboardingWindow->close();
}

void QuillcraftApp::onboardingClosing()
{
    m_parts.policy.setAllowsOwnFields(false);
    m_parts.updater.start();
    if (m_parts.policy.finishedOnboarding())
        showWithoutTray();
}

void QuillcraftApp::openSettings(SettingsTab tab)
{
    ensureSettingsWindow();
    m_settingsWindow->open(tab);
}

void QuillcraftApp::ensureSettingsWindow()
{
    if (!m_settingsWindow) {
        m_settingsWindow = std::make_unique<SettingsWindow>(SettingsView::Parts {
            m_parts.account, m_parts.policy, m_parts.loginItem, m_parts.updater, m_parts.installedApps });
    }
}

SettingsWindow* QuillcraftApp::settingsWindow() const
{
    return m_settingsWindow.get();
}

void QuillcraftApp::showToast(const QString& text)
{
    m_toaster->show(text);
}

} // namespace quillcraft
