#pragma once

#include <QSet>
#include <QString>

#include <optional>

namespace quillcraft {

// Tells the user, once per process, that the application in front keeps its
// windows' contents from accessibility and how to start it so it does not. A
// program still starting up gets a moment before it is told about.
class HiddenContentHint final {
public:
    static constexpr qint64 graceMs = 1500;

    // What the frontmost application answered at `nowMs`; the sentence to show the
    // first time it has kept its windows hidden for the grace period.
    std::optional<QString> seen(qint64 pid, bool hidden, qint64 nowMs, const QString& appName);

    static QString message(const QString& appName);

private:
    qint64 m_pid = 0;
    std::optional<qint64> m_hiddenSince;
    QSet<qint64> m_told;
};

} // namespace quillcraft
