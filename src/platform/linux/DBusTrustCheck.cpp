#include "DBusTrustCheck.h"

#include "core/Logging.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>
#include <QStandardPaths>

namespace quillcraft {

namespace {

constexpr int callTimeoutMs = 500;

QDBusMessage propertyCall(const QString& method)
{
    return QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
        QStringLiteral("org.freedesktop.DBus.Properties"), method);
}

} // namespace

bool DBusTrustCheck::isTrusted() const
{
    QDBusMessage get = propertyCall(QStringLiteral("Get"));
    get << QStringLiteral("org.a11y.Status") << QStringLiteral("IsEnabled");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

void DBusTrustCheck::requestAccess()
{
    QDBusMessage set = propertyCall(QStringLiteral("Set"));
    set << QStringLiteral("org.a11y.Status") << QStringLiteral("IsEnabled") << QVariant::fromValue(QDBusVariant(true));
    if (!QDBusConnection::sessionBus().send(set))
        qCWarning(lcPlatform) << "Could not ask the accessibility bus to switch on.";
    // Desktops without GNOME's schema simply ignore this.
    const QString gsettings = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
    if (!gsettings.isEmpty()) {
        QProcess::startDetached(gsettings,
            { QStringLiteral("set"), QStringLiteral("org.gnome.desktop.interface"),
                QStringLiteral("toolkit-accessibility"), QStringLiteral("true") });
    }
}

} // namespace quillcraft
