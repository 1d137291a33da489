#include "AssistantProcess.h"

#include "E2eSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

namespace quillcraft::bench {

namespace {

// Polling the state file this often costs the shared machine next to nothing.
constexpr int pollMs = 20;

QJsonObject readState(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

} // namespace

AssistantProcess::AssistantProcess(const QString& origin)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLCRAFT_STATE_FILE"), statePath());
    env.insert(QStringLiteral("QUILLCRAFT_ORIGIN"), origin);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
    m_process.setProcessEnvironment(env);
    // A person who has been through onboarding: its window would take the focus.
    e2e::presetFinishedOnboarding(m_home.filePath(QStringLiteral("config")));
    m_process.setStandardOutputFile(m_home.filePath(QStringLiteral("output.log")));
    m_process.setStandardErrorFile(m_home.filePath(QStringLiteral("output.log")), QIODevice::Append);
    m_process.start(QStringLiteral(QUILLCRAFT_BINARY), {});
    m_process.waitForStarted(10000);
}

AssistantProcess::~AssistantProcess()
{
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished(5000);
}

qint64 AssistantProcess::pid() const
{
    return m_process.processId();
}

bool AssistantProcess::isRunning() const
{
    return m_process.state() == QProcess::Running;
}

QString AssistantProcess::statePath() const
{
    return m_home.filePath(QStringLiteral("state.json"));
}

QString AssistantProcess::output() const
{
    QFile file(m_home.filePath(QStringLiteral("output.log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QJsonObject AssistantProcess::state() const
{
    return readState(statePath());
}

std::optional<AssistantProcess::WallClock::time_point> AssistantProcess::stateWrittenAt() const
{
    struct stat info { };
    if (::stat(QFile::encodeName(statePath()).constData(), &info) != 0)
        return std::nullopt;
    const auto sinceEpoch = std::chrono::seconds(info.st_mtim.tv_sec) + std::chrono::nanoseconds(info.st_mtim.tv_nsec);
    return WallClock::time_point(std::chrono::duration_cast<WallClock::duration>(sinceEpoch));
}

std::optional<std::pair<QJsonObject, AssistantProcess::WallClock::time_point>> AssistantProcess::stampedState() const
{
    // The file is replaced whole by a rename: the same time before and after means
    // the content read is the one written then.
    const auto before = stateWrittenAt();
    const QJsonObject content = state();
    const auto after = stateWrittenAt();
    if (!before || before != after || content.isEmpty())
        return std::nullopt;
    return std::make_pair(content, *before);
}

QJsonObject AssistantProcess::waitFor(const std::function<bool(const QJsonObject&)>& condition, int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        const QJsonObject current = state();
        if (!current.isEmpty() && condition(current))
            return current;
        if (deadline.hasExpired() || !isRunning())
            return {};
        QCoreApplication::processEvents();
        QThread::msleep(pollMs);
    }
}

std::optional<double> AssistantProcess::cpuMs() const
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid()));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray line = file.readAll();
    // The command name may hold spaces; the fields after it do not.
    const qsizetype nameEnd = line.lastIndexOf(')');
    if (nameEnd < 0)
        return std::nullopt;
    const QList<QByteArray> fields = line.mid(nameEnd + 2).split(' ');
    // utime and stime are fields 14 and 15 of the line; the state (field 3) comes first here.
    if (fields.size() < 13)
        return std::nullopt;
    const double ticks = fields.at(11).toDouble() + fields.at(12).toDouble();
    return ticks * 1000.0 / double(::sysconf(_SC_CLK_TCK));
}

std::optional<double> AssistantProcess::residentMiB() const
{
    QFile file(QStringLiteral("/proc/%1/status").arg(pid()));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Files in /proc have no size: atEnd() holds before the first read.
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (line.startsWith("VmRSS:")) {
            const QList<QByteArray> parts = line.mid(6).simplified().split(' ');
            return parts.value(0).toDouble() / 1024.0;
        }
    }
    return std::nullopt;
}

} // namespace quillcraft::bench
