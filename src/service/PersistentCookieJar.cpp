#include "PersistentCookieJar.h"

#include "core/Logging.h"
#include "core/PrivateFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkCookie>
#include <QStandardPaths>
#include <QTimeZone>

namespace quillcraft {

namespace {

constexpr int formatVersion = 1;
// Far more than any real jar; a larger file is not ours.
constexpr qint64 maxFileSize = 4 * 1024 * 1024;

QString sameSiteName(QNetworkCookie::SameSite policy)
{
    switch (policy) {
    case QNetworkCookie::SameSite::Lax:
        return QStringLiteral("Lax");
    case QNetworkCookie::SameSite::Strict:
        return QStringLiteral("Strict");
    case QNetworkCookie::SameSite::None:
        return QStringLiteral("None");
    case QNetworkCookie::SameSite::Default:
        break;
    }
    return QString();
}

std::optional<QNetworkCookie::SameSite> sameSiteFromName(const QString& name)
{
    if (name.isEmpty())
        return QNetworkCookie::SameSite::Default;
    if (name == QLatin1String("Lax"))
        return QNetworkCookie::SameSite::Lax;
    if (name == QLatin1String("Strict"))
        return QNetworkCookie::SameSite::Strict;
    if (name == QLatin1String("None"))
        return QNetworkCookie::SameSite::None;
    return std::nullopt;
}

// The file spells expiry dates in UTC, which goes up to the year 9999. A later date (an
// offset in an edited file can reach one) is kept as the last moment of that year, or
// the next save would write a file that cannot be read.
QDateTime writableExpiry(const QDateTime& date)
{
    const QDateTime last(QDate(9999, 12, 31), QTime(23, 59, 59, 999), QTimeZone::utc());
    return date.toUTC() > last ? last : date.toUTC();
}

bool keeps(const QNetworkCookie& cookie, const QDateTime& now)
{
    return !cookie.isSessionCookie() && cookie.expirationDate() > now;
}

// Names and values are bytes; base64 keeps them intact in JSON.
QJsonObject toJson(const QNetworkCookie& cookie)
{
    return QJsonObject {
        { QStringLiteral("name"), QString::fromLatin1(cookie.name().toBase64()) },
        { QStringLiteral("value"), QString::fromLatin1(cookie.value().toBase64()) },
        { QStringLiteral("domain"), cookie.domain() },
        { QStringLiteral("path"), cookie.path() },
        { QStringLiteral("expires"), writableExpiry(cookie.expirationDate()).toString(Qt::ISODateWithMs) },
        { QStringLiteral("secure"), cookie.isSecure() },
        { QStringLiteral("httpOnly"), cookie.isHttpOnly() },
        { QStringLiteral("sameSite"), sameSiteName(cookie.sameSitePolicy()) },
    };
}

std::optional<QNetworkCookie> fromJson(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    for (const char* key : { "name", "value", "domain", "path", "expires", "sameSite" }) {
        if (!object.value(QLatin1String(key)).isString())
            return std::nullopt;
    }
    for (const char* key : { "secure", "httpOnly" }) {
        if (!object.value(QLatin1String(key)).isBool())
            return std::nullopt;
    }
    auto bytes = [&object](const char* key) -> std::optional<QByteArray> {
        auto decoded = QByteArray::fromBase64Encoding(
            object.value(QLatin1String(key)).toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return std::nullopt;
        return *decoded;
    };
    const std::optional<QByteArray> name = bytes("name");
    const std::optional<QByteArray> cookieValue = bytes("value");
    const QDateTime expires
        = QDateTime::fromString(object.value(QLatin1String("expires")).toString(), Qt::ISODateWithMs);
    const auto sameSite = sameSiteFromName(object.value(QLatin1String("sameSite")).toString());
    if (!name || name->isEmpty() || !cookieValue || !expires.isValid() || !sameSite)
        return std::nullopt;
    QNetworkCookie cookie(*name, *cookieValue);
    cookie.setDomain(object.value(QLatin1String("domain")).toString());
    cookie.setPath(object.value(QLatin1String("path")).toString());
    cookie.setExpirationDate(writableExpiry(expires));
    cookie.setSecure(object.value(QLatin1String("secure")).toBool());
    cookie.setHttpOnly(object.value(QLatin1String("httpOnly")).toBool());
    cookie.setSameSitePolicy(*sameSite);
    return cookie;
}

} // namespace

class PersistentCookieJar::Batch final {
public:
    explicit Batch(PersistentCookieJar& jar)
        : m_jar(jar)
    {
        ++m_jar.m_depth;
    }
    ~Batch()
    {
        if (--m_jar.m_depth == 0)
            m_jar.saveIfChanged();
    }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

private:
    PersistentCookieJar& m_jar;
};

PersistentCookieJar::PersistentCookieJar(QString filePath, QObject* parent)
    : QNetworkCookieJar(parent)
    , m_filePath(std::move(filePath))
{
    if (!m_filePath.isEmpty())
        load();
}

QString PersistentCookieJar::defaultFilePath()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        return QString();
    return data + QStringLiteral("/quillcraft/cookies.json");
}

bool PersistentCookieJar::setCookiesFromUrl(const QList<QNetworkCookie>& cookies, const QUrl& url)
{
    const Batch batch(*this);
    return QNetworkCookieJar::setCookiesFromUrl(cookies, url);
}

bool PersistentCookieJar::insertCookie(const QNetworkCookie& cookie)
{
    const Batch batch(*this);
    return QNetworkCookieJar::insertCookie(cookie);
}

bool PersistentCookieJar::updateCookie(const QNetworkCookie& cookie)
{
    const Batch batch(*this);
    return QNetworkCookieJar::updateCookie(cookie);
}

bool PersistentCookieJar::deleteCookie(const QNetworkCookie& cookie)
{
    const Batch batch(*this);
    return QNetworkCookieJar::deleteCookie(cookie);
}

void PersistentCookieJar::load()
{
    QFile file(m_filePath);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        // Overwriting a file we cannot read could destroy a good sign-in.
        m_writable = false;
        qCWarning(lcService).noquote() << QStringLiteral("Cannot read the saved cookies in %1; this run will not "
                                                         "keep them.")
                                              .arg(m_filePath);
        return;
    }
    if (file.size() > maxFileSize) {
        file.close();
        moveAside(QStringLiteral("it is too large"));
        return;
    }
    QString why;
    const std::optional<QList<QNetworkCookie>> cookies = parse(file.readAll(), QDateTime::currentDateTimeUtc(), why);
    file.close();
    if (!cookies) {
        moveAside(why);
        return;
    }
    setAllCookies(*cookies);
    m_saved = serialize();
}

std::optional<QList<QNetworkCookie>> PersistentCookieJar::parse(
    const QByteArray& bytes, const QDateTime& now, QString& why)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    const QJsonObject root = document.object();
    if (error.error != QJsonParseError::NoError || !document.isObject()
        || root.value(QLatin1String("version")).toInt() != formatVersion
        || !root.value(QLatin1String("cookies")).isArray()) {
        why = QStringLiteral("it is not a cookie file of this version");
        return std::nullopt;
    }
    QList<QNetworkCookie> cookies;
    for (const QJsonValue& value : root.value(QLatin1String("cookies")).toArray()) {
        const std::optional<QNetworkCookie> cookie = fromJson(value);
        if (!cookie) {
            why = QStringLiteral("an entry is damaged");
            return std::nullopt;
        }
        if (keeps(*cookie, now))
            cookies.append(*cookie);
    }
    return cookies;
}

void PersistentCookieJar::moveAside(const QString& why)
{
    const QString aside = PrivateFile(m_filePath).setAside();
    if (!aside.isEmpty()) {
        qCWarning(lcService).noquote() << QStringLiteral("The saved cookies could not be read (%1); they were moved "
                                                         "to %2 and this run starts signed out.")
                                              .arg(why, aside);
    } else {
        m_writable = false;
        qCWarning(lcService).noquote() << QStringLiteral("The saved cookies in %1 could not be read (%2) nor moved "
                                                         "aside; this run will not keep cookies.")
                                              .arg(m_filePath, why);
    }
}

QByteArray PersistentCookieJar::serialize() const
{
    return serialize(allCookies(), QDateTime::currentDateTimeUtc());
}

QByteArray PersistentCookieJar::serialize(const QList<QNetworkCookie>& cookies, const QDateTime& now)
{
    QJsonArray kept;
    for (const QNetworkCookie& cookie : cookies) {
        if (keeps(cookie, now))
            kept.append(toJson(cookie));
    }
    const QJsonObject root { { QStringLiteral("version"), formatVersion }, { QStringLiteral("cookies"), kept } };
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

void PersistentCookieJar::saveIfChanged()
{
    if (m_filePath.isEmpty() || !m_writable)
        return;
    const QByteArray bytes = serialize();
    if (bytes == m_saved)
        return;
    if (!QDir().mkpath(QFileInfo(m_filePath).absolutePath())) {
        qCWarning(lcService).noquote() << QStringLiteral("Cannot create the folder for %1.").arg(m_filePath);
        return;
    }
    PrivateFile file(m_filePath);
    if (!file.write(bytes)) {
        qCWarning(lcService).noquote()
            << QStringLiteral("Cannot save the cookies to %1: %2.").arg(m_filePath, file.errorString());
        return;
    }
    m_saved = bytes;
}

} // namespace quillcraft
