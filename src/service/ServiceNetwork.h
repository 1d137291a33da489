#pragma once

#include <QObject>
#include <QString>

class QNetworkAccessManager;

namespace quillcraft {

class PersistentCookieJar;

// The one network access manager of the process and its persistent cookie
// jar. Created once by the entry point and handed to every service client, so
// rewrites and account calls share the signed-in state.
class ServiceNetwork final : public QObject {
    Q_OBJECT

public:
    // `cookieFile` empty keeps cookies in memory only (tests, no data folder).
    explicit ServiceNetwork(const QString& cookieFile, QObject* parent = nullptr);
    ~ServiceNetwork() override;

    QNetworkAccessManager* manager() const { return m_manager; }
    PersistentCookieJar* cookieJar() const { return m_cookieJar; }

private:
    QNetworkAccessManager* m_manager; // child
    PersistentCookieJar* m_cookieJar; // owned by m_manager
};

} // namespace quillcraft
