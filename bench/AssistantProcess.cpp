#include "AssistantProcess.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace quillcraft::bench {

AssistantProcess::AssistantProcess(const QString& origin)
    : m_program(QStringLiteral(QUILLCRAFT_BINARY), origin)
{
}

qint64 AssistantProcess::pid() const
{
    return m_program.pid();
}

bool AssistantProcess::isRunning() const
{
    return m_program.isRunning();
}

QString AssistantProcess::output() const
{
    return QString::fromUtf8(m_program.output());
}

QJsonObject AssistantProcess::state() const
{
    return m_program.state();
}

QJsonObject AssistantProcess::waitFor(const std::function<bool(const QJsonObject&)>& condition, int timeoutMs) const
{
    return m_program.waitFor(condition, timeoutMs);
}

std::optional<AssistantProcess::WallClock::time_point> AssistantProcess::stateWrittenAt() const
{
    struct stat info { };
    if (::stat(QFile::encodeName(m_program.statePath()).constData(), &info) != 0)
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
