// Signing in against the stand-in service lifts the guest limit on rewrites,
// and signing out brings it back.
#include "ManualClock.h"
#include "StandInService.h"
#include "Wait.h"

#include "service/AccountStore.h"
#include "service/QuillcraftClient.h"
#include "service/ServiceNetwork.h"
#include "settings/DefaultsStore.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quillcraft;
using test::waitUntil;

namespace {

constexpr int guestLimit = 10; // the service's default

// The service without its pacing delay and with its default limits.
QProcessEnvironment serviceEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLCRAFT_DEV_DELAY_MS"), QStringLiteral("0"));
    env.remove(QStringLiteral("QUILLCRAFT_DEV_GUEST_LIMIT"));
    env.remove(QStringLiteral("QUILLCRAFT_DEV_ACCOUNT_LIMIT"));
    return env;
}

class AccountE2eTest : public testing::Test {
protected:
    AccountE2eTest()
        : m_defaults(m_dir.filePath(QStringLiteral("defaults.json")))
        , m_client(m_network.manager(), m_service.origin())
        , m_store(AccountEndpoints(m_client, &m_defaults), m_clock, [](const QUrl&) { return false; })
    {
    }

    // Creates an account through the service's own sign-up, on a network of its
    // own so that this program's cookies stay a guest's.
    bool createAccount(const QString& email, const QString& password)
    {
        QNetworkAccessManager other;
        QNetworkRequest request(m_service.origin().resolved(QUrl(QStringLiteral("/api/auth/sign-up/email"))));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        request.setRawHeader("Origin", m_service.origin().toEncoded());
        const QJsonObject body { { QStringLiteral("name"), QStringLiteral("Ada") }, { QStringLiteral("email"), email },
            { QStringLiteral("password"), password } };
        std::unique_ptr<QNetworkReply> reply(other.post(request, QJsonDocument(body).toJson(QJsonDocument::Compact)));
        waitUntil([&] { return reply->isFinished(); }, 20000);
        return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 200;
    }

    // One rewrite to its end: none when it gave a text, else the failure's kind
    // (a transport error or no end at all count as offline).
    std::optional<RewriteFailure::Kind> rewriteFailure()
    {
        std::optional<RewriteTask::Outcome> outcome;
        const std::unique_ptr<RewriteTask> task = m_client.rewrite(
            QStringLiteral("I has wrote a note."), RewriteAction::grammar(), QStringLiteral("en"),
            [](const QString&) {}, [&](const RewriteTask::Outcome& o) { outcome = o; });
        waitUntil([&] { return outcome.has_value(); }, 30000);
        if (outcome && std::holds_alternative<QString>(*outcome))
            return std::nullopt;
        if (const auto* failure = outcome ? std::get_if<RewriteFailure>(&*outcome) : nullptr)
            return failure->kind;
        return RewriteFailure::Kind::offline;
    }

    e2e::StandInService m_service { serviceEnvironment() };
    QTemporaryDir m_dir;
    DefaultsStore m_defaults;
    ServiceNetwork m_network { QString() };
    QuillcraftClient m_client;
    test::ManualClock m_clock;
    AccountStore m_store;
};

} // namespace

TEST_F(AccountE2eTest, SigningInLiftsTheGuestLimitAndSigningOutBringsItBack)
{
    ASSERT_TRUE(m_service.origin().isValid()) << m_service.output().toStdString();
    const QString email = QStringLiteral("ada@example.com");
    const QString password = QStringLiteral("correct horse battery");
    ASSERT_TRUE(createAccount(email, password));

    m_store.refresh();
    test::spin(300);
    EXPECT_EQ(m_store.account(), std::nullopt) << "the sign-up did not sign this program in";

    for (int i = 0; i < guestLimit; ++i)
        ASSERT_EQ(rewriteFailure(), std::nullopt) << "guest rewrite " << i + 1;
    EXPECT_EQ(rewriteFailure(), RewriteFailure::Kind::signInForMore);

    // As typed in the form: the store trims the address, not the password.
    m_store.signIn(QStringLiteral("  ") + email + QStringLiteral("\t"), password);
    ASSERT_TRUE(waitUntil([&] { return !m_store.working(); }, 20000));
    ASSERT_EQ(m_store.error(), std::nullopt) << m_store.error()->toStdString();
    ASSERT_TRUE(m_store.account().has_value());
    EXPECT_EQ(m_store.account()->email, email);
    EXPECT_EQ(m_store.account()->name, QStringLiteral("Ada"));
    EXPECT_EQ(rewriteFailure(), std::nullopt) << "the eleventh rewrite of the day, signed in";

    // A fresh store over the same cookies finds the session.
    AccountStore again(AccountEndpoints(m_client, &m_defaults), m_clock);
    again.refresh();
    EXPECT_TRUE(waitUntil([&] { return again.account().has_value(); }, 20000));

    m_store.signOut();
    ASSERT_TRUE(waitUntil([&] { return !m_store.account(); }, 20000));
    EXPECT_EQ(rewriteFailure(), RewriteFailure::Kind::signInForMore);
    again.refresh();
    EXPECT_TRUE(waitUntil([&] { return !again.account(); }, 20000));
}

TEST_F(AccountE2eTest, AWrongPasswordShowsTheServicesSentence)
{
    ASSERT_TRUE(m_service.origin().isValid()) << m_service.output().toStdString();
    ASSERT_TRUE(createAccount(QStringLiteral("bob@example.com"), QStringLiteral("a good password")));
    m_store.signIn(QStringLiteral("bob@example.com"), QStringLiteral("not the password"));
    ASSERT_TRUE(waitUntil([&] { return !m_store.working(); }, 20000));
    EXPECT_EQ(m_store.account(), std::nullopt);
    ASSERT_TRUE(m_store.error().has_value());
    EXPECT_TRUE(m_store.error()->endsWith(u'.')) << m_store.error()->toStdString();
}
