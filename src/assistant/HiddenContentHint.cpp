#include "HiddenContentHint.h"

namespace quillcraft {

std::optional<QString> HiddenContentHint::seen(qint64 pid, bool hidden, qint64 nowMs, const QString& appName)
{
    if (pid != m_pid || !hidden) {
        m_pid = pid;
        m_hiddenSince = hidden ? std::optional<qint64>(nowMs) : std::nullopt;
        return std::nullopt;
    }
    if (!m_hiddenSince)
        m_hiddenSince = nowMs;
    if (nowMs - *m_hiddenSince < graceMs || m_told.contains(pid))
        return std::nullopt;
    m_told.insert(pid);
    return message(appName);
}

QString HiddenContentHint::message(const QString& appName)
{
    const QString name = appName.trimmed().isEmpty() ? QStringLiteral("This application") : appName.trimmed();
    return QStringLiteral("%1 shows its windows to Quillcraft only when it is started with "
                          "--force-renderer-accessibility.")
        .arg(name);
}

} // namespace quillcraft
