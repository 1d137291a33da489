#include "X11FrontmostApp.h"

#include "platform/linux/DesktopEntries.h"
#include "platform/linux/X11Windows.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace quillcraft {

X11FrontmostApp::X11FrontmostApp(
    const X11Windows& windows, const DesktopEntries& entries, std::function<QString(qint64)> accessibleName)
    : m_windows(windows)
    , m_entries(entries)
    , m_accessibleName(std::move(accessibleName))
{
}

bool X11FrontmostApp::isAvailable() const
{
    return m_windows.isAvailable();
}

std::optional<qint64> X11FrontmostApp::frontmostPid() const
{
    return m_windows.activeWindowPid();
}

QString X11FrontmostApp::executableName(qint64 pid)
{
    QString exe = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
    // The kernel marks a file replaced since (a package upgrade) as deleted.
    const QLatin1String deleted(" (deleted)");
    if (exe.endsWith(deleted))
        exe.chop(deleted.size());
    if (!exe.isEmpty())
        return QFileInfo(exe).fileName();
    // Another user's process: the kernel's short name is still readable.
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (comm.open(QIODevice::ReadOnly))
        return QString::fromLocal8Bit(comm.readLine(64)).trimmed();
    return {};
}

std::optional<RunningApp> X11FrontmostApp::application(qint64 pid) const
{
    if (pid <= 0)
        return std::nullopt;
    // The folder's time is the process's start, which tells a reused process id apart.
    const QFileInfo process(QStringLiteral("/proc/%1").arg(pid));
    if (!process.exists())
        return std::nullopt;
    // Asked several times a second about the same application: the answer changes only
    // when its windows do (a starting program names itself once its first one maps).
    const QList<quint32> windows = m_windows.windowsOf(pid);
    const QDateTime started = process.lastModified();
    if (m_last && m_last->app.pid == pid && m_last->started == started && m_last->windows == windows)
        return m_last->app;
    const QString windowClass = m_windows.windowClass(windows);
    const QString executable = executableName(pid);
    RunningApp app { pid, {}, {} };
    if (const auto entry = m_entries.forProcess(pid, windowClass, executable)) {
        app.bundleID = entry->id;
        app.name = entry->name;
    } else {
        app.bundleID = windowClass.isEmpty() ? executable : windowClass;
    }
    if (app.name.isEmpty() && m_accessibleName)
        app.name = m_accessibleName(pid);
    m_last = Last { app, windows, started };
    return app;
}

bool X11FrontmostApp::activate(qint64 pid)
{
    return m_windows.activate(pid);
}

} // namespace quillcraft
