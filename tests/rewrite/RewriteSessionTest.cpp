#include "rewrite/RewriteSession.h"
#include "LoopbackHttpServer.h"
#include "Wait.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QPointer>

#include "TestText.h"

#include <gtest/gtest.h>

using namespace quillcraft;
using quillcraft::test::u;
using test::LoopbackHttpServer;
using test::ScriptedReply;
using Phase = RewriteSession::Phase;
using Mode = RewriteAction::Mode;
using Source = RewriteAction::Source;

namespace quillcraft {
inline void PrintTo(const RewriteSession::Phase& phase, std::ostream* os)
{
    *os << "Phase(" << int(phase.kind) << ", \"" << phase.text.toStdString() << "\""
        << (phase.failure ? ", " + phase.failure->message.toStdString() : std::string()) << ")";
}
} // namespace quillcraft

namespace {

QByteArray delta(const char* text)
{
    return "data: {\"type\":\"text-delta\",\"delta\":\"" + QByteArray(text) + "\"}\n";
}

const QByteArray finishStop = "data: {\"type\":\"finish\",\"finishReason\":\"stop\"}\n";

class SessionTest : public testing::Test {
protected:
    std::unique_ptr<RewriteSession> makeSession(const QUrl& origin = {})
    {
        const QuillcraftClient client(&m_network, origin.isEmpty() ? m_server.origin() : origin);
        auto session = std::make_unique<RewriteSession>(u("Their going home."), client, u("French"));
        QObject::connect(session.get(), &RewriteSession::phaseChanged, session.get(),
            [this, s = session.get()] { m_phases << s->phase(); });
        return session;
    }

    LoopbackHttpServer m_server;
    QNetworkAccessManager m_network;
    QList<Phase> m_phases; // every phase observers were told of
};

} // namespace

TEST_F(SessionTest, RunStreamsIntoTheRunningPhaseThenFinishes)
{
    auto session = makeSession();
    std::optional<QString> resultWhileRunning;
    m_server.enqueue(ScriptedReply(200)
                         .send(delta("Their"))
                         .waitFor([&] { return session->phase() == Phase::running(u("Their")); })
                         .send(delta(" going."))
                         .waitFor([&] {
                             resultWhileRunning = session->result();
                             return session->phase() == Phase::running(u("Their going."));
                         })
                         .send(finishStop));
    const RewriteAction action { Mode::shorten, { u("Direct") }, Source::preset, u("Writer") };
    // Observers see the value already changed.
    QObject::connect(
        session.get(), &RewriteSession::modeChanged, session.get(), [&] { EXPECT_EQ(session->mode(), Mode::shorten); });

    session->run(action);
    EXPECT_EQ(session->mode(), Mode::shorten);
    EXPECT_EQ(session->lastAction(), action);
    EXPECT_EQ(session->phase(), Phase::running());
    ASSERT_TRUE(test::waitUntil([&] { return session->phase().kind == Phase::Kind::done; }));

    EXPECT_EQ(m_phases,
        (QList<Phase> { Phase::running(), Phase::running(u("Their")), Phase::running(u("Their going.")),
            Phase::done(u("Their going.")) }));
    EXPECT_EQ(resultWhileRunning, std::nullopt);
    EXPECT_EQ(session->result(), u("Their going."));
    const QJsonObject body = QJsonDocument::fromJson(m_server.requests().at(0).body).object();
    EXPECT_EQ(body[u("language")], u("French"));
    EXPECT_EQ(body[u("prompt")], u("Their going home."));
}

TEST_F(SessionTest, AnAbandonedRequestStaysSilentEvenWhenItsReplyIsAlreadyHere)
{
    auto session = makeSession();
    // The whole first reply arrives at once; the second run starts while its
    // first piece is being shown, with the rest already buffered.
    m_server.enqueue(ScriptedReply(200).send(delta("Old") + delta(" late") + finishStop));
    m_server.enqueue(ScriptedReply(200).pause(50).send(delta("New") + finishStop));
    QObject::connect(session.get(), &RewriteSession::phaseChanged, session.get(), [&] {
        if (session->phase() == Phase::running(u("Old")))
            session->run(RewriteAction::grammar());
    });
    session->run(RewriteAction::rewrite());
    ASSERT_TRUE(test::waitUntil([&] { return session->phase().kind == Phase::Kind::done; }));
    test::spin(50);
    EXPECT_EQ(m_phases,
        (QList<Phase> { Phase::running(), Phase::running(u("Old")), Phase::running(), Phase::running(u("New")),
            Phase::done(u("New")) }));
    EXPECT_EQ(session->lastAction(), RewriteAction::grammar());
}

TEST_F(SessionTest, CancelEditAndToggleAbandonTheRequest)
{
    auto session = makeSession();
    EXPECT_EQ(session->draft(), RewriteAction::rewrite());
    m_server.enqueue(ScriptedReply(200).send(delta("Half")).hang());
    session->run(RewriteAction::shorten());
    ASSERT_TRUE(test::waitUntil([&] { return session->phase() == Phase::running(u("Half")); }));
    session->cancel();
    // The card is closing: the partial text stays.
    EXPECT_EQ(session->phase(), Phase::running(u("Half")));
    EXPECT_TRUE(test::waitUntil([&] { return m_server.closedByClient() == 1; }));

    session->setPresets({ u("Direct") });
    // The rest is held back until the toggle, so the running phase is seen
    // however late this process gets to read the first piece.
    bool toggled = false;
    m_server.enqueue(
        ScriptedReply(200).send(delta("More")).waitFor([&] { return toggled; }).send(delta(" text") + finishStop));
    session->run(session->draft());
    ASSERT_TRUE(test::waitUntil([&] { return session->phase() == Phase::running(u("More")); }));
    session->toggle(u("Casual"));
    toggled = true;
    EXPECT_EQ(session->phase(), Phase::choosing());
    EXPECT_EQ(session->lastAction(), std::nullopt);
    EXPECT_EQ(session->mode(), Mode::shorten); // the choices stay
    EXPECT_EQ(session->presets(), (QStringList { u("Direct"), u("Casual") }));
    test::spin(100);
    EXPECT_EQ(session->phase(), Phase::choosing());

    session->toggle(u("Casual"));
    EXPECT_EQ(session->presets(), QStringList { u("Direct") });
    session->setToneSource(Source::custom);
    session->toggle(u("Pirate"));
    EXPECT_EQ(session->draft(), (RewriteAction { Mode::shorten, { u("Pirate") }, Source::custom, u("Standard") }));
    session->setToneSource(Source::preset);
    EXPECT_EQ(session->selected(), QStringList { u("Direct") });
}

TEST_F(SessionTest, FailuresBecomeTheFailedPhase)
{
    auto session = makeSession();
    m_server.enqueue(ScriptedReply(200).chunked().send(delta("Half")).pause(20).drop());
    session->run(RewriteAction::rewrite());
    ASSERT_TRUE(test::waitUntil([&] { return session->phase().kind == Phase::Kind::failed; }));
    EXPECT_EQ(session->phase(), Phase::failed({ RewriteFailure::Kind::server, u("The rewrite failed. Try again.") }));

    m_server.enqueue(ScriptedReply(429).send(R"({"error":"daily_limit_exceeded"})"));
    session->run(RewriteAction::rewrite());
    ASSERT_TRUE(test::waitUntil([&] { return session->phase().kind == Phase::Kind::failed; }));
    EXPECT_EQ(session->phase().failure->kind, RewriteFailure::Kind::upgradeForMore);

    auto offline = makeSession(LoopbackHttpServer::closedOrigin());
    offline->run(RewriteAction::rewrite());
    ASSERT_TRUE(test::waitUntil([&] { return offline->phase().kind == Phase::Kind::failed; }));
    EXPECT_EQ(offline->phase().failure->kind, RewriteFailure::Kind::offline);
}

TEST_F(SessionTest, ASessionCanGoAwayWhileItsRequestIsInFlight)
{
    {
        auto session = makeSession();
        m_server.enqueue(ScriptedReply(200).send(delta("Half")).hang());
        session->run(RewriteAction::rewrite());
        ASSERT_TRUE(test::waitUntil([&] { return session->phase() == Phase::running(u("Half")); }));
    }
    EXPECT_TRUE(test::waitUntil([&] { return m_server.closedByClient() == 1; }));

    // An observer that drops the session as soon as text arrives, with more
    // records already buffered behind it.
    QPointer<RewriteSession> session = makeSession().release();
    int phaseNotices = 0;
    QObject::connect(session, &RewriteSession::phaseChanged, session, [&] {
        if (++phaseNotices == 2)
            delete session.data();
    });
    m_server.enqueue(ScriptedReply(200).send(delta("One") + delta(" two") + finishStop));
    session->run(RewriteAction::rewrite());
    ASSERT_TRUE(test::waitUntil([&] { return session.isNull(); }));
    test::spin(50);
    EXPECT_EQ(phaseNotices, 2);
}

// Previews and card tests show fixed states: a request still in flight must not overwrite them.
TEST_F(SessionTest, PresentedStateIsNotOverwrittenByTheAbandonedRequest)
{
    auto session = makeSession();
    bool presented = false;
    m_server.enqueue(ScriptedReply(200)
                         .send(delta("Late"))
                         .waitFor([&] { return presented; })
                         .send(delta(" text."))
                         .send(finishStop));
    session->run(RewriteAction::rewrite());
    ASSERT_TRUE(test::waitUntil([&] { return session->phase() == Phase::running(u("Late")); }));

    const Phase shown = Phase::done(u("Fixed."));
    session->present(RewriteAction::shorten(), shown);
    presented = true;
    EXPECT_EQ(session->lastAction(), RewriteAction::shorten());
    EXPECT_FALSE(test::waitUntil([&] { return session->phase() != shown; }, 500));
    EXPECT_EQ(session->result(), u("Fixed."));
}
