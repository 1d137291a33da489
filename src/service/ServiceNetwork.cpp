#include "ServiceNetwork.h"

#include "service/PersistentCookieJar.h"

#include <QNetworkAccessManager>

namespace quillcraft {

ServiceNetwork::ServiceNetwork(const QString& cookieFile, QObject* parent)
    : QObject(parent)
    , m_manager(new QNetworkAccessManager(this))
    , m_cookieJar(new PersistentCookieJar(cookieFile))
{
    // The manager takes the jar as its child.
    m_manager->setCookieJar(m_cookieJar);
}

ServiceNetwork::~ServiceNetwork() = default;

} // namespace quillcraft
