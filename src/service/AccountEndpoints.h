#pragma once

#include "service/Account.h"
#include "service/AccountTask.h"
#include "service/RewriteFailure.h"

#include <QJsonObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <chrono>
#include <memory>
#include <optional>

class QNetworkAccessManager;

namespace quillcraft {

class DefaultsStore;
class QuillcraftClient;

// The service's account calls: email sign-in, who is signed in, the browser
// sign-in hand-off and sign-out. Being signed in is nothing but the service's
// session cookie in the network manager's jar, which the rewrite call shares;
// no token is kept here. Like the client it holds no mutable state, so copies
// may run any number of calls at once. GUI thread only (the defaults store is).
class AccountEndpoints final {
public:
    static constexpr std::chrono::milliseconds accountTimeout { 60'000 };
    // The longest callback URL looked at; a real one is well under 200 bytes.
    static constexpr qsizetype maxCallbackLength = 4096;
    // The scheme and host the browser hands the sign-in back on.
    static constexpr QLatin1String callbackScheme { "quillcraft" };
    static constexpr QLatin1String callbackHost { "connected" };

    // Talks to `client`'s origin through its network manager. `defaults` holds
    // "sessionSharedWithBrowser"; both must outlive the tasks started here.
    AccountEndpoints(
        const QuillcraftClient& client, DefaultsStore* defaults, std::chrono::milliseconds timeout = accountTimeout);
    AccountEndpoints(QNetworkAccessManager* network, QUrl origin, DefaultsStore* defaults,
        std::chrono::milliseconds timeout = accountTimeout);

    // Signs in with email and password (both sent as given) and then reads
    // the account; completes with the account, a failure to show, or a
    // transport error.
    std::unique_ptr<AccountTask> signIn(
        const QString& email, const QString& password, AccountTask::CompletionHandler onDone) const;
    // Who is signed in: an account, none, or a transport error. Refusals and
    // bodies of any other shape read as none.
    std::unique_ptr<AccountTask> currentAccount(AccountTask::CompletionHandler onDone) const;
    // Verifies the one-time token from the browser, which sets the session
    // cookie, and then reads the account.
    std::unique_ptr<AccountTask> connect(const QString& token, AccountTask::CompletionHandler onDone) const;
    // Signs out and always completes with no account, reachable service or
    // not. The local part (flag and cookies) is done even if the task is
    // cancelled or destroyed while the service is being told.
    std::unique_ptr<AccountTask> signOut(AccountTask::CompletionHandler onDone) const;

    // The service page that signs the user in in the browser and hands a
    // one-time token back with `state`.
    QUrl connectURL(const QString& state) const;
    // 43 characters of base64url over 32 random bytes from the system source.
    static QString newConnectState();
    // The token in a callback URL of the form quillcraft://connected?state=S&token=T
    // whose state is exactly `state`; none for anything else.
    static std::optional<QString> connectToken(const QString& callback, const QString& state);
    // The (non-empty) state of a URL that has the callback's exact form, with or without
    // a token; none for anything else.
    static std::optional<QString> callbackState(const QString& callback);

    static RewriteFailure signInRetry();
    static RewriteFailure signInRejected();
    static RewriteFailure linkExpired();

    const QUrl& origin() const { return m_origin; }

private:
    QUrl endpoint(const QString& path) const;
    // Sends one request for `task`; `body` none sends neither body nor type.
    void send(AccountTask& task, const QString& path, const QByteArray& method, const std::optional<QJsonObject>& body,
        AccountTask::ReplyHandler onReply) const;
    // Reads the account after a sign-in; none is `failure`.
    void finishWithAccount(AccountTask& task) const;
    bool sessionShared() const;
    void setSessionShared(bool shared) const;
    // Removes the flag and the service's authentication cookies for the origin.
    void forgetLocally() const;

    QPointer<QNetworkAccessManager> m_network;
    QUrl m_origin;
    QPointer<DefaultsStore> m_defaults;
    std::chrono::milliseconds m_timeout;
};

} // namespace quillcraft
