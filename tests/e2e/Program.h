#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

namespace quillcraft::e2e {

// The program under test (its development build) with its own preferences, past
// onboarding, and a state file, running for the life of this object. Its output
// goes to a file, so nobody has to drain its pipes however long it runs.
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
    // Everything it printed on standard output and error so far.
    QByteArray output() const;

    // The last state it wrote; empty when there is none yet.
    QJsonObject state() const;
    // Waits for a state the condition accepts and returns it (empty on time-out, or
    // once the program has exited).
    QJsonObject waitFor(const std::function<bool(const QJsonObject&)>& condition, int timeoutMs = 20000) const;

private:
    QString outputPath() const;

    QTemporaryDir m_home;
    QProcess m_process;
};

} // namespace quillcraft::e2e
