#include "App.h"

#include "assistant/AssistantServices.h"
#include "assistant/WritingAssistant.h"
#include "cli/CommandLine.h"
#include "core/DevelopmentHooks.h"
#include "core/Logging.h"
#include "core/ResourceFolder.h"
#include "core/SystemClock.h"
#include "grammar/HarperChecker.h"
#include "platform/DesktopSession.h"
#include "platform/linux/LinuxSystem.h"
#include "platform/linux/X11Display.h"
#include "platform/linux/XdgAutostartLoginItem.h"
#include "service/AccountEndpoints.h"
#include "service/AccountStore.h"
#include "service/PersistentCookieJar.h"
#include "service/QuillcraftClient.h"
#include "service/ServiceNetwork.h"
#include "service/Updater.h"
#include "settings/AppPolicy.h"
#include "settings/LoginItemStore.h"
#include "shell/HandoffMessage.h"
#include "shell/QuillcraftApp.h"
#include "shell/SingleInstance.h"
#include "views/Appearance.h"
#include "views/Theme.h"

#include <QApplication>
#include <QDesktopServices>
#include <QSocketNotifier>

#include <csignal>
#include <optional>
#include <sys/signalfd.h>
#include <unistd.h>

namespace quillcraft::App {

namespace {

// Ctrl+C and a polite kill end the event loop, so the clipboard and the windows
// are put back in order; read through a signalfd, with no handler state.
class QuitSignals final {
public:
    QuitSignals()
    {
        sigemptyset(&m_signals);
        sigaddset(&m_signals, SIGINT);
        sigaddset(&m_signals, SIGTERM);
        sigaddset(&m_signals, SIGHUP);
        // Before any thread starts, so every thread inherits the mask.
        pthread_sigmask(SIG_BLOCK, &m_signals, nullptr);
        m_fd = signalfd(-1, &m_signals, SFD_CLOEXEC | SFD_NONBLOCK);
    }
    ~QuitSignals()
    {
        m_notifier.reset();
        if (m_fd >= 0)
            close(m_fd);
        pthread_sigmask(SIG_UNBLOCK, &m_signals, nullptr);
    }
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

    void watch()
    {
        if (m_fd < 0)
            return;
        m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] {
            signalfd_siginfo info {};
            while (read(m_fd, &info, sizeof info) == sizeof info) { }
            QCoreApplication::quit();
        });
    }

private:
    sigset_t m_signals {};
    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

// Becomes the one instance of this user's program, or asks the running one to
// come forward. Returns an exit status when this process should stop here.
std::optional<int> claimInstance(SingleInstance& instance)
{
    switch (instance.start(HandoffMessage::bringForward())) {
    case SingleInstance::Outcome::Listening:
        return std::nullopt;
    case SingleInstance::Outcome::Delivered:
        return CommandLine::printOut(QStringLiteral("Quillcraft is already running; it was asked to come forward.\n"))
            ? CommandLine::exitOk
            : 1;
    case SingleInstance::Outcome::Refused:
    case SingleInstance::Outcome::NoAnswer:
        CommandLine::printError(QStringLiteral("Quillcraft is already running but does not answer."));
        return 1;
    case SingleInstance::Outcome::NotRunning:
    case SingleInstance::Outcome::Failed:
        break;
    }
    // A second copy is a nuisance, not a reason to refuse to run.
    qCWarning(lcShell, "Running without the single-instance check.");
    return std::nullopt;
}

// QUILLCRAFT_PREVIEW names a window to open right after launch: "settings",
// "settings-apps", "settings-dictionary", "settings-account" or "account", or an
// onboarding page ("welcome", "access", "practice"), each maybe ending in "-light"
// or "-dark" to force that appearance. Other names are left to `quillcraft preview`.
void showLaunchPreview(QuillcraftApp& controller, QString name)
{
    std::optional<Appearance> appearance;
    for (const auto& [suffix, look] : { std::pair { QLatin1String("-light"), Appearance::light },
             std::pair { QLatin1String("light"), Appearance::light },
             std::pair { QLatin1String("-dark"), Appearance::dark } }) {
        if (name.endsWith(suffix)) {
            name.chop(suffix.size());
            appearance = look;
            break;
        }
    }
    const auto show = [&appearance](const std::function<void()>& open) {
        if (appearance)
            AppearanceChoice::apply(*appearance);
        open();
    };
    using Tab = QuillcraftApp::SettingsTab;
    const std::pair<const char*, Tab> tabs[] = { { "settings", Tab::general }, { "settings-apps", Tab::apps },
        { "settings-dictionary", Tab::dictionary }, { "settings-account", Tab::account }, { "account", Tab::account } };
    for (const auto& [preview, tab] : tabs) {
        if (name == QLatin1String(preview))
            return show([&controller, tab] { controller.openSettings(tab); });
    }
    using Step = OnboardingView::Step;
    const std::pair<const char*, Step> steps[]
        = { { "welcome", Step::welcome }, { "access", Step::access }, { "practice", Step::practice } };
    for (const auto& [preview, step] : steps) {
        if (name == QLatin1String(preview))
            return show([&controller, step] { controller.openOnboarding(step); });
    }
}

} // namespace

int handOff(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QByteArray message = HandoffMessage::openUrl(QString::fromLocal8Bit(argv[1]));
    if (HandoffMessage::parse(message).kind != HandoffMessage::Kind::OpenUrl) {
        CommandLine::printError(QStringLiteral("That link is not a Quillcraft sign-in link."));
        return CommandLine::exitUsage;
    }
    const std::optional<QString> socketPath = SingleInstance::privateSocketPath();
    switch (socketPath ? SingleInstance::deliver(*socketPath, message) : SingleInstance::Outcome::Failed) {
    case SingleInstance::Outcome::Delivered:
        return CommandLine::printOut(QStringLiteral("The sign-in link was handed to Quillcraft.\n"))
            ? CommandLine::exitOk
            : 1;
    case SingleInstance::Outcome::Refused:
        CommandLine::printError(QStringLiteral("Quillcraft turned the sign-in link down."));
        return 1;
    case SingleInstance::Outcome::NoAnswer:
        CommandLine::printError(QStringLiteral("Quillcraft is running but did not take the sign-in link."));
        return 1;
    case SingleInstance::Outcome::Listening:
    case SingleInstance::Outcome::NotRunning:
    case SingleInstance::Outcome::Failed:
        break;
    }
    CommandLine::printError(QStringLiteral("Quillcraft is not running, so there is no sign-in to finish."));
    return 1;
}

int run(int argc, char** argv)
{
    if (!displayAnswers()) {
        CommandLine::printError(
            QStringLiteral("The X11 display %1 cannot be reached.").arg(qEnvironmentVariable("DISPLAY")));
        return 1;
    }
    // Windows are placed at screen coordinates, which only X11 allows.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QuitSignals quitSignals;
    prepareLinuxProcess();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillcraft"));
    QApplication::setQuitOnLastWindowClosed(false);
    quitSignals.watch();

    const std::optional<QString> socketPath = SingleInstance::privateSocketPath();
    SingleInstance instance(socketPath.value_or(QString()));
    if (!socketPath)
        qCWarning(lcShell, "No private folder for the single-instance socket.");
    else if (const std::optional<int> status = claimInstance(instance))
        return *status;
    Theme::registerFont();

    // Said once, at start-up: the program keeps serving X11 and XWayland applications.
    if (DesktopSession::isWayland())
        CommandLine::printError(DesktopSession::waylandNotice());

    const std::unique_ptr<LinuxSystem> system = createLinuxSystem();
    SystemClock clock;
    AppPolicy& policy = AppPolicy::shared();
    ServiceNetwork network(PersistentCookieJar::defaultFilePath());
    const QUrl origin = DevelopmentHooks::origin();
    const QuillcraftClient client(network.manager(), origin);
    HarperChecker checker(ResourceFolder::path());

    const AssistantServices services { system->accessibility(), system->screens(), system->frontmostApp(),
        system->trustCheck(), system->clipboard(), system->keySynthesizer(), system->hotkeyGrabber(), clock,
        &system->floatingWindows(), &system->pointerMonitor(), QCoreApplication::applicationPid() };
    WritingAssistant assistant(services, policy, checker, client);
    if (const std::optional<QString> stateFile = DevelopmentHooks::stateFile())
        assistant.setStateFile(*stateFile);
    assistant.setForcePaste(DevelopmentHooks::forcePaste());

    AccountStore account(AccountEndpoints(client, &policy.defaults()), clock);
    Updater updater(QUrl(QStringLiteral(QUILLCRAFT_UPDATE_FEED)), QStringLiteral(QUILLCRAFT_VERSION), policy.defaults(),
        clock, [](const QUrl& page) { QDesktopServices::openUrl(page); });

    // Opening at login, as settings and onboarding offer it.
    XdgAutostartLoginItem autostart;
    LoginItemStore loginItem(autostart);

    // A closed terminal loses only the line.
    const auto say = [](const QString& line) { (void)CommandLine::printOut(line + u'\n'); };
    QuillcraftApp controller(QuillcraftApp::Parts { policy, assistant, account, updater, system->hotkeyGrabber(),
        system->frontmostApp(), system->trustCheck(), system->screens(), clock, &system->floatingWindows(),
        QCoreApplication::applicationPid(), say, loginItem, system->installedApps() });
    controller.launch();
    if (const std::optional<QString> preview = DevelopmentHooks::preview())
        showLaunchPreview(controller, *preview);

    // Another start of the program: the user looks for it, or the browser brings a sign-in back.
    QObject::connect(&instance, &SingleInstance::raiseRequested, &controller, [&controller] {
        qCInfo(lcShell, "Another start asked Quillcraft to come forward.");
        controller.openSettings(QuillcraftApp::SettingsTab::general);
    });
    QObject::connect(&instance, &SingleInstance::urlReceived, &account, [&account](const QUrl& url) {
        // The store compares the link's state with the sign-in it opened; the token is never logged.
        if (!account.handleCallback(url.toString(QUrl::FullyEncoded)))
            qCInfo(lcShell, "A sign-in link that no open sign-in asked for was ignored.");
    });
    say(QStringLiteral("Quillcraft is running; press Ctrl+C here to quit."));
    return QApplication::exec();
}

} // namespace quillcraft::App
