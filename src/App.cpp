#include "App.h"

#include "assistant/AssistantServices.h"
#include "assistant/WritingAssistant.h"
#include "cli/CommandLine.h"
#include "core/DevelopmentHooks.h"
#include "core/ResourceFolder.h"
#include "core/SystemClock.h"
#include "grammar/HarperChecker.h"
#include "platform/DesktopSession.h"
#include "platform/linux/LinuxSystem.h"
#include "platform/linux/X11Display.h"
#include "service/AccountEndpoints.h"
#include "service/AccountStore.h"
#include "service/PersistentCookieJar.h"
#include "service/QuillcraftClient.h"
#include "service/ServiceNetwork.h"
#include "service/Updater.h"
#include "settings/AppPolicy.h"
#include "shell/QuillcraftApp.h"
#include "views/Theme.h"

#include <QApplication>
#include <QDesktopServices>
#include <QSocketNotifier>

#include <csignal>
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

} // namespace

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

    // A closed terminal loses only the line.
    const auto say = [](const QString& line) { (void)CommandLine::printOut(line + u'\n'); };
    QuillcraftApp controller(QuillcraftApp::Parts { policy, assistant, account, updater, system->hotkeyGrabber(),
        system->frontmostApp(), system->trustCheck(), system->screens(), clock, &system->floatingWindows(),
        QCoreApplication::applicationPid(), say });
    controller.launch();
    say(QStringLiteral("Quillcraft is running; press Ctrl+C here to quit."));
    return QApplication::exec();
}

} // namespace quillcraft::App
