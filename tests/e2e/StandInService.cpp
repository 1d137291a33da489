#include "StandInService.h"

#include "Wait.h"

#include <QRegularExpression>

namespace quillcraft::e2e {

StandInService::StandInService(QProcessEnvironment environment)
{
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(QStringLiteral("node"),
        { QStringLiteral(QUILLCRAFT_SOURCE_DIR "/devservice/server.js"), QStringLiteral("--port"), QStringLiteral("0"),
            QStringLiteral("--data"), m_data.path() });
    test::waitUntil(
        [this] {
            const QRegularExpressionMatch match
                = QRegularExpression(QStringLiteral("on (http://[^ /]+)")).match(QString::fromUtf8(output()));
            if (match.hasMatch())
                m_origin = QUrl(match.captured(1));
            return m_origin.isValid() || m_process.state() == QProcess::NotRunning;
        },
        30000);
}

StandInService::~StandInService()
{
    m_process.kill();
    m_process.waitForFinished(5000);
}

QString StandInService::originText() const
{
    return m_origin.toString(QUrl::StripTrailingSlash);
}

QByteArray StandInService::output()
{
    return m_output += m_process.readAll();
}

} // namespace quillcraft::e2e
