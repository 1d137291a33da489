#pragma once

#include "Program.h"

#include <QJsonObject>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

namespace quillcraft::bench {

// The desktop program running as the writing assistant for the life of this
// object (the end-to-end tests' Program), with the state file's times, its CPU
// time and its memory.
class AssistantProcess final {
public:
    using WallClock = std::chrono::system_clock;

    // Starts the program; origin is the web service it would talk to.
    explicit AssistantProcess(const QString& origin);
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
    e2e::Program m_program;
};

} // namespace quillcraft::bench
