#include "AccountEndpoints.h"

#include "service/QuillcraftClient.h"
#include "settings/DefaultsStore.h"
#include "settings/PreferenceKeys.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkRequest>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrlQuery>

#include <algorithm>
#include <array>

namespace quillcraft {

namespace {

using Reply = AccountTask::Reply;

std::optional<QJsonObject> jsonObject(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

// The signed-in account in a get-session reply. The service answers a plain
// null when nobody is signed in.
std::optional<Account> sessionAccount(const Reply& reply)
{
    if (reply.status != 200)
        return std::nullopt;
    const std::optional<QJsonObject> session = jsonObject(reply.body);
    if (!session)
        return std::nullopt;
    const QJsonValue user = session->value(QLatin1String("user"));
    if (!user.isObject())
        return std::nullopt;
    const QJsonValue email = user.toObject().value(QLatin1String("email"));
    // An account without an address could not be shown as anyone.
    if (!email.isString() || email.toString().isEmpty())
        return std::nullopt;
    const QJsonValue name = user.toObject().value(QLatin1String("name"));
    return Account { email.toString(), name.isString() ? name.toString() : QString() };
}

// Printable ASCII only: a callback URL is typed by nobody, and anything else in
// it is either an attack or a broken browser.
bool isPlainAscii(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() > 0x20 && c.unicode() < 0x7f; });
}

// The value of the first query item called `name`, decoded; none when there is
// no such item.
std::optional<QString> firstItem(const QList<QPair<QString, QString>>& items, QLatin1String name)
{
    for (const auto& [key, value] : items) {
        if (key == name)
            return value;
    }
    return std::nullopt;
}

} // namespace

RewriteFailure AccountEndpoints::signInRetry()
{
    return { RewriteFailure::Kind::server, QStringLiteral("Sign in failed. Try again.") };
}

RewriteFailure AccountEndpoints::signInRejected()
{
    return { RewriteFailure::Kind::server, QStringLiteral("Sign in failed. Check your email and password.") };
}

RewriteFailure AccountEndpoints::linkExpired()
{
    return { RewriteFailure::Kind::server, QStringLiteral("That sign-in link expired. Try again.") };
}

AccountEndpoints::AccountEndpoints(
    const QuillcraftClient& client, DefaultsStore* defaults, std::chrono::milliseconds timeout)
    : AccountEndpoints(client.network(), client.origin(), defaults, timeout)
{
}

AccountEndpoints::AccountEndpoints(
    QNetworkAccessManager* network, QUrl origin, DefaultsStore* defaults, std::chrono::milliseconds timeout)
    : m_network(network)
    , m_origin(std::move(origin))
    , m_defaults(defaults)
    , m_timeout(timeout)
{
}

QUrl AccountEndpoints::endpoint(const QString& path) const
{
    QUrl url = m_origin;
    QString base = url.path();
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    url.setPath(base + path);
    return url;
}

void AccountEndpoints::send(AccountTask& task, const QString& path, const QByteArray& method,
    const std::optional<QJsonObject>& body, AccountTask::ReplyHandler onReply) const
{
    if (!m_network) {
        // Reported like a network that is down, and never before the caller
        // has its task.
        QTimer::singleShot(0, &task, [pending = &task, onReply = std::move(onReply)] {
            if (!pending->isOver())
                onReply(Reply { 0, {}, AccountTask::TransportError { QNetworkReply::UnknownNetworkError } });
        });
        return;
    }
    QNetworkRequest request(endpoint(path));
    request.setTransferTimeout(int(m_timeout.count()));
    // The service only accepts account calls that say which site they come from.
    request.setRawHeader("Origin",
        m_origin.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::RemoveUserInfo)
            .toEncoded());
    QNetworkReply* reply = nullptr;
    if (body) {
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
        reply = m_network->sendCustomRequest(request, method, QJsonDocument(*body).toJson(QJsonDocument::Compact));
    } else {
        reply = m_network->sendCustomRequest(request, method);
    }
    task.await(reply, std::move(onReply));
}

void AccountEndpoints::finishWithAccount(AccountTask& task) const
{
    send(task, QStringLiteral("api/auth/get-session"), "GET", std::nullopt, [pending = &task](const Reply& reply) {
        if (reply.transportError) {
            pending->complete(*reply.transportError);
            return;
        }
        const std::optional<Account> account = sessionAccount(reply);
        if (account)
            pending->complete(account);
        else
            pending->complete(signInRetry());
    });
}

std::unique_ptr<AccountTask> AccountEndpoints::signIn(
    const QString& email, const QString& password, AccountTask::CompletionHandler onDone) const
{
    auto task = std::make_unique<AccountTask>(std::move(onDone));
    const QJsonObject body {
        { QStringLiteral("email"), email },
        { QStringLiteral("password"), password },
        { QStringLiteral("rememberMe"), true },
    };
    send(*task, QStringLiteral("api/auth/sign-in/email"), "POST", body,
        [self = *this, raw = task.get()](const Reply& reply) {
            if (reply.transportError) {
                raw->complete(*reply.transportError);
                return;
            }
            if (reply.status == 200) {
                // This session is the program's own: sign-out ends it at the service.
                self.setSessionShared(false);
                self.finishWithAccount(*raw);
                return;
            }
            const std::optional<QJsonObject> object = jsonObject(reply.body);
            const QJsonValue message = object ? object->value(QLatin1String("message")) : QJsonValue();
            // A failure is never shown without words.
            if (message.isString() && !message.toString().trimmed().isEmpty())
                raw->complete(RewriteFailure { RewriteFailure::Kind::server, message.toString() });
            else
                raw->complete(signInRejected());
        });
    return task;
}

std::unique_ptr<AccountTask> AccountEndpoints::currentAccount(AccountTask::CompletionHandler onDone) const
{
    auto task = std::make_unique<AccountTask>(std::move(onDone));
    send(*task, QStringLiteral("api/auth/get-session"), "GET", std::nullopt, [raw = task.get()](const Reply& reply) {
        if (reply.transportError)
            raw->complete(*reply.transportError);
        else
            raw->complete(sessionAccount(reply));
    });
    return task;
}

std::unique_ptr<AccountTask> AccountEndpoints::connect(
    const QString& token, AccountTask::CompletionHandler onDone) const
{
    auto task = std::make_unique<AccountTask>(std::move(onDone));
    const QJsonObject body { { QStringLiteral("token"), token } };
    send(*task, QStringLiteral("api/auth/one-time-token/verify"), "POST", body,
        [self = *this, raw = task.get()](const Reply& reply) {
            if (reply.transportError) {
                raw->complete(*reply.transportError);
                return;
            }
            if (reply.status != 200) {
                raw->complete(linkExpired());
                return;
            }
            // The browser keeps this session; sign-out leaves it alone there.
            self.setSessionShared(true);
            self.finishWithAccount(*raw);
        });
    return task;
}

std::unique_ptr<AccountTask> AccountEndpoints::signOut(AccountTask::CompletionHandler onDone) const
{
    auto task = std::make_unique<AccountTask>(std::move(onDone));
    AccountTask* raw = task.get();
    if (sessionShared()) {
        forgetLocally();
        QTimer::singleShot(0, raw, [raw] { raw->complete(std::optional<Account>()); });
        return task;
    }
    // Being signed out here must not depend on anyone waiting for the answer.
    raw->setOnAbandon([self = *this] { self.forgetLocally(); });
    send(*raw, QStringLiteral("api/auth/sign-out"), "POST", QJsonObject(), [self = *this, raw](const Reply&) {
        // The service's answer changes nothing: the cookies go either way.
        self.forgetLocally();
        raw->complete(std::optional<Account>());
    });
    return task;
}

bool AccountEndpoints::sessionShared() const
{
    return m_defaults && m_defaults->boolValue(PreferenceKeys::sessionSharedWithBrowser.name) == true;
}

void AccountEndpoints::setSessionShared(bool shared) const
{
    if (!m_defaults)
        return;
    if (shared)
        m_defaults->setValue(PreferenceKeys::sessionSharedWithBrowser.name, true);
    else
        m_defaults->remove(PreferenceKeys::sessionSharedWithBrowser.name);
}

void AccountEndpoints::forgetLocally() const
{
    setSessionShared(false);
    QNetworkCookieJar* jar = m_network ? m_network->cookieJar() : nullptr;
    if (!jar)
        return;
    // The cookies the service would be sent, at the root and under its
    // authentication path, which is where it scopes them.
    QList<QNetworkCookie> found;
    for (const QString& path : { QString(), QStringLiteral("api/auth/") }) {
        for (const QNetworkCookie& cookie : jar->cookiesForUrl(endpoint(path))) {
            const bool seen = std::any_of(
                found.cbegin(), found.cend(), [&](const QNetworkCookie& c) { return c.hasSameIdentifier(cookie); });
            if (!seen && cookie.name().contains("better-auth"))
                found.append(cookie);
        }
    }
    for (const QNetworkCookie& cookie : found)
        jar->deleteCookie(cookie);
}

QUrl AccountEndpoints::connectURL(const QString& state) const
{
    QUrl url = endpoint(QStringLiteral("desktop/connect"));
    url.setQuery(QLatin1String("state=") + QString::fromLatin1(QUrl::toPercentEncoding(state)), QUrl::StrictMode);
    return url;
}

QString AccountEndpoints::newConnectState()
{
    std::array<quint32, 8> words {};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    const QByteArray bytes(reinterpret_cast<const char*>(words.data()), qsizetype(sizeof(words)));
    return QString::fromLatin1(bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

std::optional<QString> AccountEndpoints::callbackState(const QString& callback)
{
    // Checked on the raw text first: QUrl would fold the scheme's and host's case.
    const QString prefix = callbackScheme + QLatin1String("://") + callbackHost;
    if (callback.size() > maxCallbackLength || !callback.startsWith(prefix) || !isPlainAscii(callback))
        return std::nullopt;
    const QString rest = callback.mid(prefix.size());
    if (!rest.isEmpty() && !rest.startsWith(QLatin1Char('?')) && !rest.startsWith(QLatin1Char('/')))
        return std::nullopt; // a port, another host ("connected.example"), user info …
    const QUrl url(callback, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != callbackScheme || url.host() != callbackHost || url.port() != -1
        || !url.userInfo().isEmpty() || url.hasFragment())
        return std::nullopt;
    if (!url.path().isEmpty() && url.path() != QLatin1String("/"))
        return std::nullopt;
    const std::optional<QString> state
        = firstItem(QUrlQuery(url).queryItems(QUrl::FullyDecoded), QLatin1String("state"));
    if (!state || state->isEmpty())
        return std::nullopt;
    return state;
}

std::optional<QString> AccountEndpoints::connectToken(const QString& callback, const QString& state)
{
    if (state.isEmpty() || callbackState(callback) != state)
        return std::nullopt;
    const QUrl url(callback, QUrl::StrictMode);
    const std::optional<QString> token
        = firstItem(QUrlQuery(url).queryItems(QUrl::FullyDecoded), QLatin1String("token"));
    if (!token || token->isEmpty())
        return std::nullopt;
    return token;
}

} // namespace quillcraft
