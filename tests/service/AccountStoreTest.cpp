#include "service/AccountStore.h"
#include "LoopbackHttpServer.h"
#include "ManualClock.h"
#include "Wait.h"

#include "service/ServiceNetwork.h"
#include "settings/DefaultsStore.h"
#include "settings/PreferenceKeys.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrlQuery>

#include "TestText.h"

#include <gtest/gtest.h>

using namespace quillcraft;
using quillcraft::test::u;
using test::LoopbackHttpServer;
using test::ScriptedReply;

namespace {

ScriptedReply json(int status, const QByteArray& body)
{
    return ScriptedReply(status).header("Content-Type", "application/json").send(body);
}

ScriptedReply session(const char* email)
{
    return json(200, QByteArray(R"({"session":{"id":"s1"},"user":{"email":")") + email + R"(","name":"Ada"}})");
}

const QString sharedKey = PreferenceKeys::sessionSharedWithBrowser.name;

class AccountStoreTest : public testing::Test {
protected:
    AccountStoreTest()
        : m_defaults(m_dir.filePath(QStringLiteral("defaults.json")))
    {
    }

    AccountStore& store(std::optional<QUrl> origin = std::nullopt)
    {
        if (!m_store) {
            m_store = std::make_unique<AccountStore>(
                AccountEndpoints(m_network.manager(), origin.value_or(m_server.origin()), &m_defaults), m_clock,
                [this](const QUrl& url) {
                    m_opened << url;
                    return m_browserOpens;
                });
        }
        return *m_store;
    }

    // Waits for every request the server has queued to be answered and the store to settle.
    void settle(int requests)
    {
        EXPECT_TRUE(test::waitUntil([&] { return m_server.requests().size() >= requests && !store().working(); }));
        test::spin(20);
    }

    // The state the last opened connect page carries.
    QString lastState() const
    {
        return m_opened.isEmpty() ? QString() : QUrlQuery(m_opened.last()).queryItemValue(QStringLiteral("state"));
    }

    static QString callback(const QString& state, const QString& token)
    {
        return u("quillcraft://connected?state=") + state + u("&token=") + token;
    }

    QTemporaryDir m_dir;
    DefaultsStore m_defaults;
    LoopbackHttpServer m_server;
    ServiceNetwork m_network { QString() };
    test::ManualClock m_clock;
    QList<QUrl> m_opened;
    bool m_browserOpens = true;
    std::unique_ptr<AccountStore> m_store;
};

} // namespace

TEST_F(AccountStoreTest, EmailSignInTrimsTheEmailOnlyAndPublishesTheAccount)
{
    QSignalSpy working(&store(), &AccountStore::workingChanged);
    m_server.enqueue(json(200, "{}"));
    m_server.enqueue(session("ada@example.com"));

    store().signIn(u(" \tada@example.com\t "), u("  secret  "));
    EXPECT_TRUE(store().working());
    settle(2);

    EXPECT_EQ(store().account(), (Account { u("ada@example.com"), u("Ada") }));
    EXPECT_EQ(store().error(), std::nullopt);
    EXPECT_EQ(working.size(), 2);
    const QJsonObject body = QJsonDocument::fromJson(m_server.requests().at(0).body).object();
    EXPECT_EQ(body.value(u("email")).toString(), u("ada@example.com"));
    EXPECT_EQ(body.value(u("password")).toString(), u("  secret  "));
}

TEST_F(AccountStoreTest, FailedEmailSignInsShowTheirMessageAndKeepTheAccount)
{
    store().showSample({ .account = Account { u("old@example.com"), {} } });
    m_server.enqueue(json(401, R"({"message":"That password is not right."})"));
    store().signIn(u("ada@example.com"), u("wrong"));
    settle(1);
    EXPECT_EQ(store().error(), u("That password is not right."));
    EXPECT_EQ(store().account(), (Account { u("old@example.com"), {} }));

    // Without a message of the service's own.
    m_server.enqueue(ScriptedReply(500).send("oops"));
    store().signIn(u("ada@example.com"), u("wrong"));
    EXPECT_EQ(store().error(), std::nullopt) << "a new attempt clears the old message";
    settle(2);
    EXPECT_EQ(store().error(), u("Sign in failed. Check your email and password."));
}

TEST_F(AccountStoreTest, WithTheServiceDownRefreshLeavesAGuestAndSignInSaysItIsUnreachable)
{
    AccountStore& offline = store(LoopbackHttpServer::closedOrigin());
    offline.showSample({ .account = Account { u("ada@example.com"), {} }, .error = u("Earlier.") });
    offline.refresh();
    EXPECT_TRUE(test::waitUntil([&] { return !offline.account(); }));
    EXPECT_EQ(offline.error(), u("Earlier.")) << "refresh leaves the message alone";

    offline.signIn(u("ada@example.com"), u("pw"));
    EXPECT_TRUE(test::waitUntil([&] { return !offline.working(); }));
    EXPECT_EQ(offline.error(), AccountStore::unreachableMessage());
}

TEST_F(AccountStoreTest, SignOutEndsSignedOutEvenWhenTheServiceCannotBeTold)
{
    AccountStore& offline = store(LoopbackHttpServer::closedOrigin());
    offline.showSample({ .account = Account { u("ada@example.com"), {} } });
    offline.signOut();
    EXPECT_TRUE(test::waitUntil([&] { return !offline.account(); }));
    EXPECT_FALSE(m_defaults.contains(sharedKey));
}

TEST_F(AccountStoreTest, BrowserSignInOpensTheConnectPageAndTakesOnlyItsOwnCallback)
{
    store().signInWithGoogle();
    ASSERT_EQ(m_opened.size(), 1);
    EXPECT_EQ(m_opened.at(0).path(), u("/desktop/connect"));
    const QString state = lastState();
    EXPECT_EQ(state.size(), 43);
    EXPECT_TRUE(store().working());
    EXPECT_TRUE(store().waitingForBrowser());

    // Someone else's link, a case-folded state, or one that is not ours at all: ignored, still waiting.
    EXPECT_FALSE(store().handleCallback(callback(u("another-state"), u("t"))));
    EXPECT_FALSE(
        store().handleCallback(callback(state.toUpper() == state ? state.toLower() : state.toUpper(), u("t"))));
    EXPECT_FALSE(store().handleCallback(u("https://example.com/?state=") + state + u("&token=t")));
    EXPECT_TRUE(store().waitingForBrowser());
    EXPECT_TRUE(m_server.requests().isEmpty());

    m_server.enqueue(json(200, "{}"));
    m_server.enqueue(session("ada@example.com"));
    EXPECT_TRUE(store().handleCallback(callback(state, u("tok"))));
    EXPECT_FALSE(store().waitingForBrowser());
    EXPECT_TRUE(store().working()) << "working until the token is verified";
    settle(2);
    EXPECT_EQ(store().account(), (Account { u("ada@example.com"), u("Ada") }));
    EXPECT_EQ(m_server.requests().at(0).path, "/api/auth/one-time-token/verify");
    EXPECT_EQ(m_defaults.boolValue(sharedKey), true);

    // Answered once: the same link again is not a second sign-in.
    EXPECT_FALSE(store().handleCallback(callback(state, u("tok"))));
}

TEST_F(AccountStoreTest, BrowserSignInEndsWithoutMessageWhenCancelledAndWithOneOtherwise)
{
    // Cancelled by the user.
    store().signInWithGoogle();
    store().cancelWebSignIn();
    EXPECT_FALSE(store().working());
    EXPECT_FALSE(store().waitingForBrowser());
    EXPECT_EQ(store().error(), std::nullopt);
    const QString cancelled = lastState();
    EXPECT_FALSE(store().handleCallback(callback(cancelled, u("late"))));

    // The page came back without a token.
    store().signInWithGoogle();
    EXPECT_TRUE(store().handleCallback(u("quillcraft://connected?state=") + lastState() + u("&token=")));
    EXPECT_FALSE(store().working());
    EXPECT_EQ(store().error(), AccountStore::didNotFinishMessage());

    // Nothing came back in ten minutes; the timer of the cancelled one did nothing.
    store().signInWithGoogle();
    EXPECT_EQ(store().error(), std::nullopt);
    m_clock.advance(AccountStore::webSignInTimeoutMs - 1);
    EXPECT_TRUE(store().waitingForBrowser());
    m_clock.advance(1);
    EXPECT_FALSE(store().waitingForBrowser());
    EXPECT_FALSE(store().working());
    EXPECT_EQ(store().error(), AccountStore::didNotFinishMessage());
    EXPECT_TRUE(m_server.requests().isEmpty());
}

TEST_F(AccountStoreTest, ABrowserThatCannotBeOpenedIsAFailureAtOnce)
{
    m_browserOpens = false;
    store().signInWithGoogle();
    EXPECT_FALSE(store().working());
    EXPECT_FALSE(store().waitingForBrowser());
    EXPECT_EQ(store().error(), AccountStore::browserNotOpenedMessage());
}

TEST_F(AccountStoreTest, EachBrowserPageHasItsOwnTenMinutes)
{
    store().signInWithGoogle();
    const QString first = lastState();
    m_clock.advance(60'000);
    store().signInWithGoogle();
    const QString second = lastState();
    ASSERT_NE(first, second);

    // The first page's time runs out first without ending the second.
    m_clock.advance(AccountStore::webSignInTimeoutMs - 60'000);
    EXPECT_TRUE(store().waitingForBrowser());
    EXPECT_FALSE(store().handleCallback(callback(first, u("late"))));

    m_server.enqueue(ScriptedReply(401).send("{}"));
    EXPECT_TRUE(store().handleCallback(callback(second, u("expired"))));
    settle(1);
    EXPECT_EQ(store().error(), u("That sign-in link expired. Try again."));
    EXPECT_FALSE(store().working());
}

TEST_F(AccountStoreTest, AnEarlierBrowserPageStillSignsInAfterASecondStart)
{
    store().signInWithGoogle();
    const QString first = lastState();
    store().signInWithGoogle();
    m_server.enqueue(json(200, "{}"));
    m_server.enqueue(session("ada@example.com"));
    EXPECT_TRUE(store().handleCallback(callback(first, u("tok"))));
    EXPECT_FALSE(store().waitingForBrowser()) << "one finished sign-in answers both pages";
    settle(2);
    EXPECT_EQ(store().account(), (Account { u("ada@example.com"), u("Ada") }));
}

TEST_F(AccountStoreTest, AGivenUpOlderPageLeavesTheNewerOneWaiting)
{
    store().signInWithGoogle();
    const QString first = lastState();
    store().signInWithGoogle();
    EXPECT_TRUE(store().handleCallback(u("quillcraft://connected?state=") + first + u("&error=closed")));
    EXPECT_TRUE(store().waitingForBrowser());
    EXPECT_EQ(store().error(), std::nullopt);
}

TEST_F(AccountStoreTest, AnEmailSignInGivesUpTheBrowserWait)
{
    store().signInWithGoogle();
    const QString state = lastState();
    m_server.enqueue(ScriptedReply(401).send("{}"));
    store().signIn(u("ada@example.com"), u("pw"));
    EXPECT_FALSE(store().waitingForBrowser());
    EXPECT_FALSE(store().handleCallback(callback(state, u("tok"))));
    settle(1);
}

TEST_F(AccountStoreTest, WebPagesAreOpenedOnTheServiceOrigin)
{
    EXPECT_TRUE(store().openWebPage(u("pricing")));
    ASSERT_EQ(m_opened.size(), 1);
    EXPECT_EQ(m_opened.at(0), m_server.origin().resolved(QUrl(u("/pricing"))));
}

TEST_F(AccountStoreTest, TasksStillRunningDieWithTheStore)
{
    m_server.enqueue(ScriptedReply::silent());
    store().signIn(u("ada@example.com"), u("pw"));
    EXPECT_TRUE(test::waitUntil([&] { return !m_server.requests().isEmpty(); }));
    m_store.reset();
    test::spin(50);
}
