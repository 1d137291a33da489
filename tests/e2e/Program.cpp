#include "Program.h"

#include "E2eSupport.h"
#include "Wait.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcessEnvironment>

namespace quillcraft::e2e {

Program::Program(
    const QString& binary, const QString& origin, const QStringList& environment, const QStringList& appsOn)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLCRAFT_STATE_FILE"), statePath());
    env.insert(QStringLiteral("QUILLCRAFT_ORIGIN"), origin);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
    // The first-run window would sit over the target.
    presetFinishedOnboarding(m_home.filePath(QStringLiteral("config")), appsOn);
    for (const QString& entry : environment)
        env.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
    m_process.setProcessEnvironment(env);
    m_process.setStandardOutputFile(outputPath());
    m_process.setStandardErrorFile(outputPath(), QIODevice::Append);
    m_process.start(binary, {});
    m_process.waitForStarted(10000);
}

Program::~Program()
{
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished(5000);
}

QString Program::statePath() const
{
    return m_home.filePath(QStringLiteral("state.json"));
}

qint64 Program::pid() const
{
    return m_process.processId();
}

bool Program::isRunning() const
{
    return m_process.state() == QProcess::Running;
}

QString Program::outputPath() const
{
    return m_home.filePath(QStringLiteral("output.log"));
}

QByteArray Program::output() const
{
    QFile file(outputPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QJsonObject Program::state() const
{
    QFile file(statePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

QJsonObject Program::waitFor(const std::function<bool(const QJsonObject&)>& condition, int timeoutMs) const
{
    QJsonObject last;
    test::waitUntil(
        [&] {
            last = state();
            return (!last.isEmpty() && condition(last)) || !isRunning();
        },
        timeoutMs);
    return !last.isEmpty() && condition(last) ? last : QJsonObject();
}

} // namespace quillcraft::e2e
