#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QUrl>

namespace quillcraft::e2e {

// The stand-in web service (devservice/) on a free loopback port with a data folder
// of its own, for the life of this object.
class StandInService final {
public:
    // `environment` is what the service runs with (its delays and limits are read from it).
    explicit StandInService(QProcessEnvironment environment = QProcessEnvironment::systemEnvironment());
    ~StandInService();
    StandInService(const StandInService&) = delete;
    StandInService& operator=(const StandInService&) = delete;

    // Scheme, host and port; invalid when the service did not start.
    QUrl origin() const { return m_origin; }
    // The same as text, without a trailing slash.
    QString originText() const;
    // Everything it printed so far.
    QByteArray output();

private:
    QTemporaryDir m_data;
    QProcess m_process;
    QByteArray m_output;
    QUrl m_origin;
};

} // namespace quillcraft::e2e
