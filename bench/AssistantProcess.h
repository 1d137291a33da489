#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <optional>

namespace quillcraft::bench {

// The desktop program running as the writing assistant for the life of this
// object, with fresh preferences, a state file, and its output in files so
// that nobody has to drain its pipes. Also reads its CPU time and memory.
class AssistantProcess final {
public:
    using WallClock = std::chrono::system_clock;

    // Starts the program; origin is the web service it would talk to.
    explicit AssistantProcess(const QString& origin);
    ~AssistantProcess();
    AssistantProcess(const AssistantProcess&) = delete;
    AssistantProcess& operator=(const AssistantProcess&) = delete;

    qint64 pid() const;
    bool isRunning() const;

    // What it printed on standard output and error so far.
    QString output() const;

    // The last state the program wrote (empty when there is none yet).
    QJsonObject state() const;
    // The state together with when the program wrote it; absent when the file
    // changed while it was read.
    std::optional<std::pair<QJsonObject, WallClock::time_point>> stampedState() const;
    // When the state file was last written.
    std::optional<WallClock::time_point> stateWrittenAt() const;
    // Polls the state until the condition accepts it; the accepted state, or empty on time-out.
    QJsonObject waitFor(const std::function<bool(const QJsonObject&)>& condition, int timeoutMs) const;

    // User plus system CPU time of all its threads so far, in milliseconds.
    std::optional<double> cpuMs() const;
    // Resident memory (VmRSS), in MiB.
    std::optional<double> residentMiB() const;

private:
    QString statePath() const;

    QTemporaryDir m_home;
    QProcess m_process;
};

} // namespace quillcraft::bench
