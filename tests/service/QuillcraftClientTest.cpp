#include "service/QuillcraftClient.h"
#include "LoopbackHttpServer.h"
#include "Printers.h"
#include "Wait.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>

#include "TestText.h"

#include <gtest/gtest.h>

using namespace quillcraft;
using quillcraft::test::u;
using namespace std::chrono_literals;
using test::LoopbackHttpServer;
using test::ScriptedReply;
using Event = QuillcraftClient::StreamEvent;
using Kind = RewriteFailure::Kind;
using Outcome = RewriteTask::Outcome;

namespace {

QByteArray delta(const char* text)
{
    const QJsonObject record { { u("type"), u("text-delta") }, { u("delta"), u(text) } };
    return "data: " + QJsonDocument(record).toJson(QJsonDocument::Compact) + "\n";
}

const QByteArray finishStop = "data: {\"type\":\"finish\",\"finishReason\":\"stop\"}\n";

Outcome failed(Kind kind, const char* message)
{
    return RewriteFailure { kind, u(message) };
}

// One rewrite: what its caller saw.
struct Rewrite {
    QStringList texts;
    std::optional<Outcome> outcome;
    int completions = 0;
    std::unique_ptr<RewriteTask> task;
};

class ClientTest : public testing::Test {
protected:
    // Starts a rewrite; `onText` runs after the text was recorded. The reply
    // is queued on the test server unless another origin is given.
    Rewrite& start(const ScriptedReply& reply, const RewriteAction& action = RewriteAction::rewrite(),
        std::chrono::milliseconds timeout = QuillcraftClient::rewriteTimeout, std::function<void(Rewrite&)> onText = {},
        std::optional<QUrl> origin = std::nullopt)
    {
        if (!origin)
            m_server.enqueue(reply);
        Rewrite& r = m_rewrites.emplace_back();
        r.task = QuillcraftClient(&m_network, origin.value_or(m_server.origin()), timeout)
                     .rewrite(
                         u("Their going home."), action, u("English"),
                         [&r, onText](const QString& text) {
                             r.texts << text;
                             if (onText)
                                 onText(r);
                         },
                         [&r](const Outcome& outcome) {
                             r.outcome = outcome;
                             ++r.completions;
                         });
        return r;
    }

    Rewrite& finish(const ScriptedReply& reply, const RewriteAction& action = RewriteAction::rewrite())
    {
        Rewrite& r = start(reply, action);
        EXPECT_TRUE(test::waitUntil([&] { return r.completions > 0; }));
        return r;
    }

    LoopbackHttpServer m_server;
    QNetworkAccessManager m_network;
    std::list<Rewrite> m_rewrites;
};

} // namespace

TEST(LineSplitter, EndsLinesAtLineFeedsOnly)
{
    LineSplitter splitter;
    QStringList lines;
    for (char byte : QByteArray("one\r\n\na\rb\r\r\n\r\rc\ncaf\xc3\xa9 \xf0\x9f\x98\x80\n\xff ok\xc3\ntail")) {
        if (auto line = splitter.push(std::uint8_t(byte)))
            lines << *line;
    }
    // Carriage returns go only at the ends; broken UTF-8 becomes U+FFFD.
    EXPECT_EQ(
        lines, (QStringList { u("one"), QString(), u("a\rb"), u("c"), u("café 😀"), u("\xef\xbf\xbd ok\xef\xbf\xbd") }));
}

TEST(StreamEvent, ReadsDataLinesWithJsonObjects)
{
    const auto ev = [](const char* line) { return QuillcraftClient::streamEvent(u(line)); };
    EXPECT_EQ(ev("data:{\"type\":\"text-delta\",\"delta\":\" \"}"), Event::delta(u(" ")));
    EXPECT_EQ(ev("data:\t {\"type\":\"abort\"} \t"), Event::abort());
    EXPECT_EQ(ev("data: {\"type\":\"error\",\"errorText\":\"Busy.\"}"), Event::error(u("Busy.")));
    EXPECT_EQ(ev("data: {\"type\":\"error\",\"errorText\":null}"), Event::error(u("The rewrite failed. Try again.")));
    EXPECT_EQ(ev("data: {\"type\":\"finish\",\"finishReason\":1}"), Event::finish());
    EXPECT_EQ(ev("data: {\"type\":\"finish\",\"finishReason\":\"length\"}"), Event::finish(u("length")));
    for (const char* ignored : { " data: {\"type\":\"abort\"}", "DATA: {\"type\":\"abort\"}", "event: abort", "",
             "data: [DONE]", "data: not json", "data: [{\"type\":\"abort\"}]",
             "data: {\"type\":\"text-delta\",\"delta\":3}", "data: {\"type\":\"start\"}" })
        EXPECT_EQ(ev(ignored), std::nullopt) << ignored;
}

TEST(StreamEvent, AnErrorWithoutWordsGetsTheGenericMessage)
{
    for (const char* line :
        { "data: {\"type\":\"error\",\"errorText\":\"\"}", "data: {\"type\":\"error\",\"errorText\":\" \\n\"}" })
        EXPECT_EQ(QuillcraftClient::streamEvent(u(line)), Event::error(u("The rewrite failed. Try again."))) << line;
}

TEST(FailureMapping, StatusAndErrorCode)
{
    const auto f = [](int status, const char* body) { return QuillcraftClient::failure(status, QByteArray(body)); };
    EXPECT_EQ(f(429, R"({"error":"login_required","message":"Sign in!"})"),
        (RewriteFailure { Kind::signInForMore, u("You used today's 10 guest rewrites. Sign in free for 40 a day.") }));
    EXPECT_EQ(f(429, R"({"error":"daily_limit_exceeded"})"),
        (RewriteFailure { Kind::upgradeForMore, u("You used today's free rewrites. Pro is unlimited.") }));
    EXPECT_EQ(f(429, R"({"error":"Login_Required","message":"Slow down."})"),
        (RewriteFailure { Kind::tryLater, u("Slow down.") }));
    EXPECT_EQ(f(429, "Rate limited, plain text."), (RewriteFailure { Kind::tryLater, u("Rate limited, plain text.") }));
    const RewriteFailure tooMany { Kind::tryLater, u("Too many rewrites at once. Try again soon.") };
    EXPECT_EQ(f(429, ""), tooMany);
    EXPECT_EQ(f(429, "\xff\xfe"), tooMany);
    EXPECT_EQ(f(413, ""), (RewriteFailure { Kind::tooLong, u("That selection is too long.") }));
    EXPECT_EQ(f(413, R"({"message":"Keep it short."})"), (RewriteFailure { Kind::tooLong, u("Keep it short.") }));
    for (int status : { 500, 401, 0 })
        EXPECT_EQ(f(status, R"({"error":"login_required","message":"x"})"),
            (RewriteFailure { Kind::server, u("The rewrite failed. Try again.") }));
}

TEST(FailureMapping, OnlyAPlainTextBodyIsShownAsTheMessage)
{
    const auto f = [](int status, const char* body) { return QuillcraftClient::failure(status, QByteArray(body)); };
    // What a proxy in front of the service sends: a page, not words for the card.
    EXPECT_EQ(
        f(413, "<html>\r\n<head><title>413 Request Entity Too Large</title></head>\r\n<body></body>\r\n</html>\r\n"),
        (RewriteFailure { Kind::tooLong, u("That selection is too long.") }));
    EXPECT_EQ(f(429, "\n <!DOCTYPE html><html><body>Error 1015</body></html>"),
        (RewriteFailure { Kind::tryLater, u("Too many rewrites at once. Try again soon.") }));
    // An object without a message is not shown as JSON source.
    EXPECT_EQ(f(429, R"({"error":"rate_limited"})"),
        (RewriteFailure { Kind::tryLater, u("Too many rewrites at once. Try again soon.") }));
    EXPECT_EQ(f(413, "Too long.\r\n"), (RewriteFailure { Kind::tooLong, u("Too long.") }));
}

TEST_F(ClientTest, SendsOnePostWithTheJsonBodyOfEachMode)
{
    using Mode = RewriteAction::Mode;
    const QStringList tones { u("Pirate"), u("Calm") };
    const RewriteAction actions[] = { { Mode::rewrite, tones, RewriteAction::Source::custom, u("Teacher") },
        { Mode::grammar, tones, RewriteAction::Source::custom, u("Teacher") },
        { Mode::shorten, tones, RewriteAction::Source::custom, u("Teacher") } };
    for (const RewriteAction& action : actions)
        finish(ScriptedReply().send(delta("x") + finishStop), action);

    QJsonObject expected { { u("prompt"), u("Their going home.") }, { u("language"), u("English") },
        { u("mode"), u("rewrite") }, { u("role"), u("Teacher") }, { u("unfiltered"), false },
        { u("features"), QJsonArray { u("MAC_APP") } }, { u("tone"), QJsonArray { u("Pirate"), u("Calm") } },
        { u("toneSource"), u("custom") } };
    QJsonObject grammar = expected;
    grammar[u("mode")] = u("grammar"); // and the card's role and tones are dropped
    grammar[u("role")] = u("Standard");
    grammar[u("tone")] = QJsonArray();
    grammar[u("toneSource")] = u("preset");
    QJsonObject shorten = expected;
    shorten[u("lengthPreset")] = u("shorter");
    const QJsonObject bodies[] = { expected, grammar, shorten };

    ASSERT_EQ(m_server.requests().size(), 3);
    for (int i = 0; i < 3; ++i) {
        const test::RecordedRequest& request = m_server.requests()[i];
        EXPECT_EQ(request.method + ' ' + request.path, "POST /api/rewriter/v4");
        EXPECT_EQ(request.header("content-type"), "application/json");
        EXPECT_FALSE(request.hasHeader("origin") || request.hasHeader("authorization"));
        EXPECT_FALSE(request.body.contains('\n')) << "compact JSON";
        EXPECT_EQ(QJsonDocument::fromJson(request.body).object(), bodies[i]);
    }
}

TEST_F(ClientTest, BytesSplitAnywhereAreReadInOrder)
{
    // CR LF lines, noise, a delta after the finish record; the body is cut
    // inside a four-byte character and between CR and LF, then trickled.
    const QByteArray body = ": keep-alive\r\n" + delta("caf\xc3\xa9 \xf0\x9f\x98\x80").replace("\n", "\r\n")
        + "event: ping\ndata: oops\n" + finishStop + delta(" ok ") + "data: [DONE]\n";
    const qsizetype cut = body.indexOf("\x9f");
    const qsizetype crlf = body.indexOf("\r\n", cut);
    Rewrite& r = finish(ScriptedReply()
                            .send(body.left(cut))
                            .pause(30)
                            .send(body.mid(cut, crlf + 1 - cut))
                            .pause(30)
                            .trickle(body.mid(crlf + 1), 1));
    EXPECT_EQ(r.texts, (QStringList { u("café 😀"), u("café 😀 ok ") }));
    EXPECT_EQ(r.outcome, Outcome(u("café 😀 ok")));
}

TEST_F(ClientTest, EveryWayOfFailing)
{
    const QByteArray text = delta("Partial");
    const Outcome early = failed(Kind::server, "The rewrite stopped early. Try again.");
    const std::pair<ScriptedReply, Outcome> cases[] = {
        { ScriptedReply().send(text + "data: {\"type\":\"finish\",\"finishReason\":\"length\"}\n"),
            failed(Kind::tooLong, "The rewrite was cut off. Try a shorter selection.") },
        { ScriptedReply().send(text + "data: {\"type\":\"finish\",\"finishReason\":\"content-filter\"}\n"), early },
        { ScriptedReply().send(text + "data: {\"type\":\"abort\"}\n" + finishStop), early },
        { ScriptedReply().send(text), early },
        { ScriptedReply().send(text + finishStop.chopped(1)), early },
        { ScriptedReply().send(text + "data: {\"type\":\"error\",\"errorText\":\"Busy.\"}\n" + finishStop),
            failed(Kind::server, "Busy.") },
        { ScriptedReply().send(delta(" \n\t ") + "data: {\"type\":\"finish\"}\n"),
            failed(Kind::server, "The rewrite came back empty. Try again.") },
        // A stream under an error status is not read as one.
        { ScriptedReply(500).send(text + finishStop), failed(Kind::server, "The rewrite failed. Try again.") },
        // Qt files a 400 under its protocol errors; the whole reply still came.
        { ScriptedReply(400).send(R"({"error":"bad_request"})"),
            failed(Kind::server, "The rewrite failed. Try again.") },
    };
    for (const auto& [reply, outcome] : cases) {
        const Rewrite& r = finish(reply);
        EXPECT_EQ(r.outcome, outcome);
        EXPECT_EQ(r.completions, 1);
    }
}

TEST_F(ClientTest, BoundsWhatTheServerCanMakeItHold)
{
    ScriptedReply flood(429);
    for (int i = 0; i < 64; ++i)
        flood.send(QByteArray(4096, 'x'));
    const Rewrite& errorBody = start(flood.hang());
    const Rewrite& endlessLine
        = start(ScriptedReply().send(delta("Start")).send("data: " + QByteArray(2 * 1024 * 1024, 'y')).hang());
    ASSERT_TRUE(test::waitUntil([&] { return errorBody.completions && endlessLine.completions; }, 20000));
    EXPECT_EQ(std::get<RewriteFailure>(*errorBody.outcome).message.size(), QuillcraftClient::maxErrorBody);
    EXPECT_EQ(endlessLine.outcome, failed(Kind::server, "The rewrite failed. Try again."));
    EXPECT_TRUE(test::waitUntil([&] { return m_server.closedByClient() == 2; }));
}

TEST_F(ClientTest, EachRecordReachesTheCallerBeforeTheNextIsSent)
{
    Rewrite* r = nullptr;
    ScriptedReply reply;
    reply.send(delta("One"))
        .waitFor([&] { return r && r->texts.size() == 1; })
        .send(delta(" two"))
        .waitFor([&] { return r && r->texts.size() == 2; })
        .send(finishStop);
    r = &start(reply);
    ASSERT_TRUE(test::waitUntil([&] { return r->completions > 0; }));
    EXPECT_EQ(r->outcome, Outcome(u("One two")));
}

TEST_F(ClientTest, NothingArrivesAfterCancelOrDestructionEvenFromBufferedBytes)
{
    // All records arrive in one read; the first one's callback ends the task.
    const ScriptedReply reply = ScriptedReply().send(delta("One") + delta(" two") + finishStop).hang();
    Rewrite& cancelled = start(reply, RewriteAction::rewrite(), 120s, [](Rewrite& r) { r.task->cancel(); });
    Rewrite& destroyed = start(reply, RewriteAction::rewrite(), 120s, [](Rewrite& r) { r.task.reset(); });
    EXPECT_TRUE(test::waitUntil([&] { return m_server.closedByClient() == 2; }));
    test::spin(50);
    for (const Rewrite* r : { &cancelled, &destroyed }) {
        EXPECT_EQ(r->texts, QStringList { u("One") });
        EXPECT_EQ(r->completions, 0);
    }
}

TEST_F(ClientTest, ConnectionProblems)
{
    const Outcome offline = failed(Kind::offline, "Quillcraft is not reachable. Check your connection and try again.");

    // Nobody listening; silence until the timeout.
    const Rewrite& refused
        = start(ScriptedReply(), RewriteAction::rewrite(), 120s, {}, LoopbackHttpServer::closedOrigin());
    const Rewrite& silent = start(ScriptedReply::silent(), RewriteAction::rewrite(), 300ms);
    // Dropped or stalled while the body streams: the caller maps it.
    const Rewrite& dropped = start(ScriptedReply().chunked().send(delta("Half")).pause(20).drop());
    const Rewrite& stalled = start(ScriptedReply().send(delta("Slow")).hang(), RewriteAction::rewrite(), 300ms);
    ASSERT_TRUE(test::waitUntil(
        [&] { return refused.completions && silent.completions && dropped.completions && stalled.completions; }));
    EXPECT_EQ(refused.outcome, offline);
    EXPECT_EQ(silent.outcome, offline);
    EXPECT_EQ(dropped.texts, QStringList { u("Half") });
    EXPECT_TRUE(std::holds_alternative<RewriteTask::TransportError>(*dropped.outcome));
    EXPECT_TRUE(std::holds_alternative<RewriteTask::TransportError>(*stalled.outcome));

    // Cut before the head, with more cuts queued in case of a second try.
    LoopbackHttpServer cutting;
    for (int i = 0; i < 3; ++i)
        cutting.enqueue(ScriptedReply::dropBeforeHead());
    const Rewrite& cut = start(ScriptedReply(), RewriteAction::rewrite(), 120s, {}, cutting.origin());
    ASSERT_TRUE(test::waitUntil([&] { return cut.completions > 0; }));
    EXPECT_EQ(cut.outcome, offline);
}

TEST_F(ClientTest, ARewriteIsSentOnceEvenWhenTheConnectionDropsBeforeTheHead)
{
    const Outcome offline = failed(Kind::offline, "Quillcraft is not reachable. Check your connection and try again.");
    for (int i = 0; i < 5; ++i) {
        // A second request would get a finished rewrite.
        LoopbackHttpServer cutting;
        cutting.enqueue(ScriptedReply::dropBeforeHead());
        cutting.enqueue(ScriptedReply().send(delta("Twice") + finishStop));
        const Rewrite& cut = start(ScriptedReply(), RewriteAction::rewrite(), 120s, {}, cutting.origin());
        ASSERT_TRUE(test::waitUntil([&] { return cut.completions > 0; }));
        test::spin(50);
        EXPECT_EQ(cutting.requests().size(), 1);
        EXPECT_EQ(cut.outcome, offline);
        EXPECT_EQ(cut.completions, 1);
    }
}

TEST_F(ClientTest, ABodyCutByTheConnectionIsAnHttpLayerFailureEveryTime)
{
    // Closed in good order or dropped, a chunked body without its last chunk
    // never ends as a stream without a finish record, nor as a message read
    // from half an error body.
    const QByteArray finished = delta("Whole") + finishStop;
    for (int i = 0; i < 20; ++i) {
        for (const ScriptedReply& reply : { ScriptedReply().chunked().send(delta("Half")).close(),
                 ScriptedReply().chunked().send(finished.left(finished.size() / 2)).drop(),
                 ScriptedReply().chunked().send(finished).close(),
                 ScriptedReply(429).chunked().send(R"({"error":"login_requ)").close(),
                 ScriptedReply(429).chunked().close(), ScriptedReply(413).chunked().send("Too lo").drop() }) {
            const Rewrite& r = finish(reply);
            ASSERT_TRUE(r.outcome.has_value());
            EXPECT_TRUE(std::holds_alternative<RewriteTask::TransportError>(*r.outcome))
                << i << ' ' << testing::PrintToString(*r.outcome);
            EXPECT_EQ(r.completions, 1);
        }
    }
    EXPECT_EQ(m_server.requests().size(), 120);
}

TEST_F(ClientTest, AWholeReplyAndTheCloseRightAfterItGiveTheTextOnce)
{
    // Read together with the reply, the close looks to Qt like one before the
    // reply (seen here about once in a hundred runs on a busy machine).
    for (int i = 0; i < 100; ++i) {
        ScriptedReply reply;
        if (i % 2)
            reply.chunked(); // otherwise the close ends the body
        const Rewrite& r = finish(reply.send(delta("Whole") + finishStop));
        EXPECT_EQ(r.outcome, Outcome(u("Whole"))) << i;
    }
    EXPECT_EQ(m_server.requests().size(), 100);
}
