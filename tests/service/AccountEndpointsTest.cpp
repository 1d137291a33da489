#include "service/AccountEndpoints.h"
#include "LoopbackHttpServer.h"
#include "Printers.h"
#include "Wait.h"

#include "service/PersistentCookieJar.h"
#include "service/ServiceNetwork.h"
#include "settings/DefaultsStore.h"
#include "settings/PreferenceKeys.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "TestText.h"

#include <gtest/gtest.h>

using namespace quillcraft;
using quillcraft::test::u;
using test::LoopbackHttpServer;
using test::ScriptedReply;
using Outcome = AccountTask::Outcome;

namespace quillcraft {
inline void PrintTo(const Account& account, std::ostream* out)
{
    *out << "Account(\"" << account.email.toStdString() << "\", \"" << account.name.toStdString() << "\")";
}
} // namespace quillcraft

namespace {

const QString sharedKey = PreferenceKeys::sessionSharedWithBrowser.name;

ScriptedReply json(int status, const QByteArray& body)
{
    return ScriptedReply(status).header("Content-Type", "application/json").send(body);
}

ScriptedReply session(const QByteArray& user)
{
    return json(200, R"({"session":{"id":"s1"},"user":)" + user + "}");
}

Outcome accountOutcome(const char* email, const char* name)
{
    return std::optional<Account>(Account { u(email), u(name) });
}

Outcome failure(const RewriteFailure& failure)
{
    return failure;
}

const Outcome nobody = std::optional<Account>();

class AccountEndpointsTest : public testing::Test {
protected:
    AccountEndpointsTest()
        : m_defaults(m_dir.filePath(QStringLiteral("defaults.json")))
    {
    }

    AccountEndpoints endpoints(std::optional<QUrl> origin = std::nullopt)
    {
        return AccountEndpoints(m_network.manager(), origin.value_or(m_server.origin()), &m_defaults);
    }

    // Runs one call to its end and gives what it delivered.
    template <typename Start> Outcome run(Start start)
    {
        std::optional<Outcome> outcome;
        int completions = 0;
        const std::unique_ptr<AccountTask> task = start([&](const Outcome& o) {
            outcome = o;
            ++completions;
        });
        EXPECT_EQ(completions, 0) << "completed before the caller had its task";
        EXPECT_TRUE(test::waitUntil([&] { return completions > 0; }));
        test::spin(20);
        EXPECT_EQ(completions, 1);
        return outcome.value_or(failure({ RewriteFailure::Kind::server, u("no outcome") }));
    }

    QJsonObject requestBody(int index) const
    {
        return QJsonDocument::fromJson(m_server.requests().at(index).body).object();
    }

    void addCookie(const char* name, const char* domain)
    {
        QNetworkCookie cookie(name, "v");
        cookie.setPath(QStringLiteral("/"));
        cookie.setDomain(u(domain));
        m_network.cookieJar()->insertCookie(cookie);
    }

    QStringList cookieNames(const QUrl& url) const
    {
        QStringList names;
        for (const QNetworkCookie& cookie : m_network.cookieJar()->cookiesForUrl(url))
            names << QString::fromUtf8(cookie.name());
        names.sort();
        return names;
    }

    QTemporaryDir m_dir;
    DefaultsStore m_defaults;
    LoopbackHttpServer m_server;
    ServiceNetwork m_network { QString() };
};

} // namespace

TEST_F(AccountEndpointsTest, EmailSignInSendsTheFieldsAndReadsTheAccountWithTheNewCookie)
{
    m_defaults.setValue(sharedKey, true);
    m_server.enqueue(json(200, R"({"redirect":false,"token":"t"})")
                         .header("Set-Cookie", "better-auth.session_token=abc; Path=/; HttpOnly; SameSite=Lax"));
    m_server.enqueue(session(R"({"email":"ada@example.com","name":"Ada"})"));

    const Outcome outcome
        = run([&](auto done) { return endpoints().signIn(u("ada@example.com"), u(" pass word "), done); });

    EXPECT_EQ(outcome, accountOutcome("ada@example.com", "Ada"));
    ASSERT_EQ(m_server.requests().size(), 2);
    const test::RecordedRequest& signIn = m_server.requests().at(0);
    EXPECT_EQ(signIn.method, "POST");
    EXPECT_EQ(signIn.path, "/api/auth/sign-in/email");
    EXPECT_EQ(signIn.header("Origin"), m_server.origin().toEncoded());
    EXPECT_EQ(signIn.header("Content-Type"), "application/json");
    EXPECT_EQ(requestBody(0),
        (QJsonObject {
            { u("email"), u("ada@example.com") }, { u("password"), u(" pass word ") }, { u("rememberMe"), true } }));
    const test::RecordedRequest& read = m_server.requests().at(1);
    EXPECT_EQ(read.method, "GET");
    EXPECT_EQ(read.path, "/api/auth/get-session");
    EXPECT_FALSE(read.hasHeader("Content-Type"));
    EXPECT_TRUE(read.body.isEmpty());
    EXPECT_EQ(read.header("Cookie"), "better-auth.session_token=abc");
    EXPECT_FALSE(m_defaults.contains(sharedKey));
}

TEST_F(AccountEndpointsTest, EmailSignInFailures)
{
    const auto signIn = [&](const ScriptedReply& reply, std::optional<ScriptedReply> then = std::nullopt) {
        m_server.enqueue(reply);
        if (then)
            m_server.enqueue(*then);
        return run([&](auto done) { return endpoints().signIn(u("a@b.c"), u("pw"), done); });
    };
    const RewriteFailure rejected = AccountEndpoints::signInRejected();
    EXPECT_EQ(signIn(json(401, R"({"code":"INVALID_EMAIL_OR_PASSWORD","message":"That email is unknown."})")),
        failure({ RewriteFailure::Kind::server, u("That email is unknown.") }));
    EXPECT_EQ(signIn(ScriptedReply(401).send("Unauthorized")), failure(rejected));
    EXPECT_EQ(signIn(json(400, R"({"message":42})")), failure(rejected));
    EXPECT_EQ(signIn(json(400, R"({"message":"  "})")), failure(rejected));

    // Accepted, but no account can be read afterwards.
    const Outcome retry = failure({ RewriteFailure::Kind::server, u("Sign in failed. Try again.") });
    EXPECT_EQ(signIn(json(200, "{}"), json(200, "null")), retry);
    EXPECT_EQ(signIn(json(200, "{}"), session(R"({"name":"No Address"})")), retry);

    // The HTTP layer's failures come back as they are, for the store to word.
    EXPECT_EQ(
        run([&](auto done) { return endpoints(LoopbackHttpServer::closedOrigin()).signIn(u("a@b.c"), u("pw"), done); }),
        Outcome(AccountTask::TransportError { QNetworkReply::ConnectionRefusedError }));
    // Qt sends a request again once when the connection closes before the head.
    EXPECT_TRUE(std::holds_alternative<AccountTask::TransportError>(
        signIn(ScriptedReply::dropBeforeHead(), ScriptedReply::dropBeforeHead())));
}

TEST_F(AccountEndpointsTest, CurrentAccountReadsOnlyAUserWithAnEmail)
{
    const auto current = [&](const ScriptedReply& reply) {
        m_server.enqueue(reply);
        return run([&](auto done) { return endpoints().currentAccount(done); });
    };
    EXPECT_EQ(
        current(session(R"({"email":"ada@example.com","name":"Ada"})")), accountOutcome("ada@example.com", "Ada"));
    EXPECT_EQ(current(session(R"({"email":"ada@example.com"})")), accountOutcome("ada@example.com", ""));
    // Nobody signed in, and every other shape, is simply nobody.
    for (const QByteArray& body : { QByteArray("null"), QByteArray("not json"), QByteArray(R"({"user":"ada"})"),
             QByteArray(R"({"user":{"email":7}})") })
        EXPECT_EQ(current(json(200, body)), nobody) << body.constData();
    EXPECT_EQ(current(json(401, R"({"user":{"email":"ada@example.com"}})")), nobody);
    // A body no account reply comes near is not held whole.
    const QByteArray huge
        = R"({"user":{"email":"ada@example.com","name":")" + QByteArray(AccountTask::maxBody, 'x') + "\"}}";
    EXPECT_EQ(current(json(200, huge)), nobody);

    EXPECT_TRUE(std::holds_alternative<AccountTask::TransportError>(
        run([&](auto done) { return endpoints(LoopbackHttpServer::closedOrigin()).currentAccount(done); })));
}

TEST_F(AccountEndpointsTest, BrowserSignInVerifiesTheTokenAndMarksTheSessionShared)
{
    m_server.enqueue(json(200, R"({"session":{},"user":{}})")
                         .header("Set-Cookie", "better-auth.session_token=fromlink; Path=/; HttpOnly"));
    m_server.enqueue(session(R"({"email":"ada@example.com","name":"Ada"})"));
    EXPECT_EQ(run([&](auto done) { return endpoints().connect(u("tok&en"), done); }),
        accountOutcome("ada@example.com", "Ada"));
    ASSERT_EQ(m_server.requests().size(), 2);
    EXPECT_EQ(m_server.requests().at(0).path, "/api/auth/one-time-token/verify");
    EXPECT_EQ(m_server.requests().at(0).header("Origin"), m_server.origin().toEncoded());
    EXPECT_EQ(requestBody(0), (QJsonObject { { u("token"), u("tok&en") } }));
    EXPECT_EQ(m_server.requests().at(1).header("Cookie"), "better-auth.session_token=fromlink");
    EXPECT_EQ(m_defaults.boolValue(sharedKey), true);
}

TEST_F(AccountEndpointsTest, ARefusedOrUnreadableBrowserSignIn)
{
    const Outcome expired = failure({ RewriteFailure::Kind::server, u("That sign-in link expired. Try again.") });
    // The service's own words are not used: the link is what failed.
    m_server.enqueue(json(400, R"({"message":"Invalid token."})"));
    EXPECT_EQ(run([&](auto done) { return endpoints().connect(u("old"), done); }), expired);
    EXPECT_FALSE(m_defaults.contains(sharedKey));

    m_server.enqueue(json(200, "{}"));
    m_server.enqueue(json(200, "null"));
    EXPECT_EQ(run([&](auto done) { return endpoints().connect(u("t"), done); }),
        failure({ RewriteFailure::Kind::server, u("Sign in failed. Try again.") }));
}

TEST(AccountConnectToken, AcceptsOnlyTheExactCallback)
{
    const QString state = u("Ab-_0123456789abcdefghijklmnopqrstuvwxyzABC");
    const auto token = [&](const QString& url) { return AccountEndpoints::connectToken(url, state); };
    const QString s = u("state=") + state;
    EXPECT_EQ(token(u("quillcraft://connected?") + s + u("&token=T1")), u("T1"));
    EXPECT_EQ(token(u("quillcraft://connected/?token=T%2B2&x=1&") + s), u("T+2"));
    EXPECT_EQ(token(u("quillcraft://connected?") + s + u("&token=first&token=second")), u("first"));

    for (const QString& refused : {
             u("quillcraft://connected?") + s + u("&token="),
             u("quillcraft://connected?") + s,
             u("quillcraft://connected?state=") + state.toLower() + u("&token=T"),
             u("quillcraft://connected?state=wrong&") + s + u("&token=T"),
             u("quillcraft://connected?token=T"),
             u("quillcraft://elsewhere?") + s + u("&token=T"),
             u("quillcraft://connected.example?") + s + u("&token=T"),
             u("quillcraft://connected:80?") + s + u("&token=T"),
             u("quillcraft://connected/other?") + s + u("&token=T"),
             u("quillcraft://connected?") + s + u("&token=T#frag"),
             u("QUILLCRAFT://connected?") + s + u("&token=T"),
             u("quillcraft:connected?") + s + u("&token=T"),
             u("quillcraft://connected?") + s + u("&token=T T"),
             u("quillcraft://connected?") + s + u("&token=é"),
             u("quillcraft://connected?") + s + u("&token=%zz"),
             u("quillcraft://connected?") + s + u("&token=") + QString(4096, QLatin1Char('t')),
         })
        EXPECT_EQ(token(refused), std::nullopt) << refused.left(120).toStdString();

    // An empty expected state matches nothing, not even an empty one.
    EXPECT_EQ(AccountEndpoints::connectToken(u("quillcraft://connected?state=&token=T"), QString()), std::nullopt);
}

TEST(AccountConnectState, IsFreshBase64UrlAndTravelsInTheConnectUrl)
{
    const QString first = AccountEndpoints::newConnectState();
    const QString second = AccountEndpoints::newConnectState();
    const QRegularExpression base64url(u("^[A-Za-z0-9_-]{43}$"));
    EXPECT_TRUE(base64url.match(first).hasMatch()) << first.toStdString();
    EXPECT_TRUE(base64url.match(second).hasMatch()) << second.toStdString();
    EXPECT_NE(first, second);

    const AccountEndpoints endpoints(nullptr, QUrl(u("https://service.example")), nullptr);
    EXPECT_EQ(endpoints.connectURL(first).toString(), u("https://service.example/desktop/connect?state=") + first);
    EXPECT_EQ(endpoints.connectURL(u("a+b/c=&d")).toEncoded(),
        QByteArray("https://service.example/desktop/connect?state=a%2Bb%2Fc%3D%26d"));
    // What the browser brings back with that state is accepted.
    EXPECT_EQ(
        AccountEndpoints::connectToken(u("quillcraft://connected?state=") + first + u("&token=x"), first), u("x"));
}

TEST_F(AccountEndpointsTest, SignOutAfterABrowserSignInStaysLocal)
{
    m_defaults.setValue(sharedKey, true);
    addCookie("better-auth.session_token", "127.0.0.1");
    addCookie("__Secure-better-auth.session_data", "127.0.0.1");
    addCookie("theme", "127.0.0.1");
    addCookie("better-auth.session_token", "other.example");

    EXPECT_EQ(run([&](auto done) { return endpoints().signOut(done); }), nobody);

    EXPECT_TRUE(m_server.requests().isEmpty());
    EXPECT_FALSE(m_defaults.contains(sharedKey));
    EXPECT_EQ(cookieNames(m_server.origin()), QStringList { u("theme") });
    EXPECT_EQ(cookieNames(QUrl(u("http://other.example/"))), QStringList { u("better-auth.session_token") });
}

TEST_F(AccountEndpointsTest, SignOutTellsTheServiceFirstWithTheSessionCookie)
{
    addCookie("better-auth.session_token", "127.0.0.1");
    addCookie("theme", "127.0.0.1");
    m_server.enqueue(json(200, R"({"success":true})"));

    EXPECT_EQ(run([&](auto done) { return endpoints().signOut(done); }), nobody);

    ASSERT_EQ(m_server.requests().size(), 1);
    const test::RecordedRequest& request = m_server.requests().at(0);
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, "/api/auth/sign-out");
    EXPECT_EQ(request.body, "{}");
    EXPECT_EQ(request.header("Content-Type"), "application/json");
    EXPECT_TRUE(request.header("Cookie").contains("better-auth.session_token=v"));
    EXPECT_EQ(cookieNames(m_server.origin()), QStringList { u("theme") });
}

TEST_F(AccountEndpointsTest, SignOutCompletesLocallyWhateverTheServiceDoes)
{
    // No network at all.
    addCookie("better-auth.session_token", "127.0.0.1");
    EXPECT_EQ(run([&](auto done) { return endpoints(LoopbackHttpServer::closedOrigin()).signOut(done); }), nobody);
    EXPECT_TRUE(cookieNames(m_server.origin()).isEmpty());

    // A refusal.
    addCookie("better-auth.session_token", "127.0.0.1");
    m_server.enqueue(json(500, "oops"));
    EXPECT_EQ(run([&](auto done) { return endpoints().signOut(done); }), nobody);
    EXPECT_TRUE(cookieNames(m_server.origin()).isEmpty());

    // The caller gives up while the service hangs: still signed out here.
    addCookie("better-auth.session_token", "127.0.0.1");
    m_server.enqueue(ScriptedReply::silent());
    int completions = 0;
    auto task = endpoints().signOut([&](const Outcome&) { ++completions; });
    ASSERT_TRUE(test::waitUntil([&] { return m_server.requests().size() == 2; }));
    EXPECT_EQ(cookieNames(m_server.origin()), QStringList { u("better-auth.session_token") });
    task->cancel();
    EXPECT_TRUE(cookieNames(m_server.origin()).isEmpty());
    task.reset();
    test::spin(20);
    EXPECT_EQ(completions, 0);
}

TEST_F(AccountEndpointsTest, ACancelledCallDeliversNothing)
{
    m_server.enqueue(json(200, "{}").pause(100));
    m_server.enqueue(session(R"({"email":"ada@example.com"})"));
    int completions = 0;
    auto task = endpoints().signIn(u("a@b.c"), u("pw"), [&](const Outcome&) { ++completions; });
    ASSERT_TRUE(test::waitUntil([&] { return !m_server.requests().isEmpty(); }));
    task->cancel();
    EXPECT_TRUE(task->isCancelled());
    test::spin(300);
    EXPECT_EQ(completions, 0);
    EXPECT_EQ(m_server.requests().size(), 1);

    // Without a network manager the call fails like a network that is down.
    EXPECT_TRUE(std::holds_alternative<AccountTask::TransportError>(run(
        [&](auto done) { return AccountEndpoints(nullptr, m_server.origin(), &m_defaults).currentAccount(done); })));
}
