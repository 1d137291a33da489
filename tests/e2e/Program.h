#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

namespace quillcraft::e2e {

// The program under test (its development build) with its own preferences, past
// onboarding, and a state file, running for the life of this object.
class Program final {
public:
    // environment: "NAME=value" entries added to this process's; appsOn: applications
    // switched on although the program leaves them off at first.
    Program(const QString& binary, const QString& origin, const QStringList& environment = {},
        const QStringList& appsOn = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    QString statePath() const;
    qint64 pid() const;
    bool isRunning() const;
    // Everything it printed so far.
    QByteArray output();

    // The last state it wrote; empty when there is none yet.
    QJsonObject state() const;
    // Waits for a state the condition accepts and returns it (empty on time-out).
    QJsonObject waitFor(const std::function<bool(const QJsonObject&)>& condition, int timeoutMs = 20000) const;

private:
    QTemporaryDir m_home;
    QProcess m_process;
    QByteArray m_output;
};

} // namespace quillcraft::e2e
