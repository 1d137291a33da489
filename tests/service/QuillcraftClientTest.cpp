#include "LoopbackHttpServer.h"
#include "Printers.h"
#include "Wait.h"
#include "service/QuillcraftClient.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QTcpServer>

#include <gtest/gtest.h>

using namespace quillcraft;
using test::LoopbackHttpServer;
using test::ScriptedReply;
using Event = QuillcraftClient::StreamEvent;
using Kind = RewriteFailure::Kind;

namespace {

QString q(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// Feeds bytes to a splitter and collects the lines it returns.
QStringList split(const QByteArray& bytes)
{
    LineSplitter splitter;
    QStringList lines;
    for (char byte : bytes) {
        if (auto line = splitter.push(std::uint8_t(byte)))
            lines << *line;
    }
    return lines;
}

QByteArray delta(const char* text)
{
    return "data: " + QJsonDocument(QJsonObject{{QStringLiteral("type"), QStringLiteral("text-delta")},
                                                {QStringLiteral("delta"), q(text)}})
                          .toJson(QJsonDocument::Compact)
        + "\n";
}

const QByteArray finishStop = "data: {\"type\":\"finish\",\"finishReason\":\"stop\"}\n";

// One rewrite against the loopback server, recording what the caller saw.
struct Rewrite {
    QStringList texts;
    std::optional<RewriteTask::Outcome> outcome;
    int completions = 0;
    std::unique_ptr<RewriteTask> task;

    bool over() const { return completions > 0; }
};

class ClientTest : public testing::Test {
protected:
    QuillcraftClient client(std::chrono::milliseconds timeout = QuillcraftClient::rewriteTimeout)
    {
        return QuillcraftClient(&m_network, m_server.origin(), timeout);
    }

    std::unique_ptr<Rewrite> start(const ScriptedReply& reply, const RewriteAction& action = RewriteAction::rewrite(),
                               std::chrono::milliseconds timeout = QuillcraftClient::rewriteTimeout)
    {
        m_server.enqueue(reply);
        auto run = std::make_unique<Rewrite>();
        Rewrite* r = run.get();
        run->task = client(timeout).rewrite(
            QStringLiteral("Their going home."), action, QStringLiteral("English"),
            [r](const QString& text) { r->texts << text; },
            [r](const RewriteTask::Outcome& outcome) {
                r->outcome = outcome;
                ++r->completions;
            });
        return run;
    }

    // Runs a reply to its end and returns what the caller saw.
    std::unique_ptr<Rewrite> finish(const ScriptedReply& reply, const RewriteAction& action = RewriteAction::rewrite())
    {
        auto run = start(reply, action);
        EXPECT_TRUE(test::waitUntil([&] { return run->over(); }));
        return run;
    }

    static ScriptedReply stream(const QByteArray& body)
    {
        return ScriptedReply(200).header("Content-Type", "text/event-stream").send(body);
    }

    LoopbackHttpServer m_server;
    QNetworkAccessManager m_network;
};

RewriteTask::Outcome failed(Kind kind, const char* message)
{
    return RewriteFailure{kind, q(message)};
}

} // namespace

TEST(LineSplitter, EndsLinesAtLineFeedsOnly)
{
    EXPECT_EQ(split("one\r\ntwo\n\nthree"), (QStringList{q("one"), q("two"), QString()}));
    // A lone carriage return stays inside the line; only the ends are cleaned.
    EXPECT_EQ(split("a\rb\r\r\n\r\rc\n"), (QStringList{q("a\rb"), q("c")}));
    // Multi-byte characters are decoded whole; broken ones become U+FFFD.
    EXPECT_EQ(split("caf\xc3\xa9 \xf0\x9f\x98\x80\n\xff ok\xc3\n"),
              (QStringList{q("café 😀"), q("\xef\xbf\xbd ok\xef\xbf\xbd")}));
}

TEST(LineSplitter, GivesUpOnAnEndlessLine)
{
    LineSplitter splitter;
    for (qsizetype i = 0; i < LineSplitter::maxLineLength; ++i)
        ASSERT_FALSE(splitter.push('x'));
    EXPECT_FALSE(splitter.overflowed());
    splitter.push('x');
    EXPECT_TRUE(splitter.overflowed());
    EXPECT_FALSE(splitter.push('\n'));
}

TEST(StreamEvent, ReadsOnlyDataLinesWithJsonObjects)
{
    const auto ev = [](const char* line) { return QuillcraftClient::streamEvent(q(line)); };
    EXPECT_EQ(ev("data: {\"type\":\"text-delta\",\"delta\":\"Hi\"}"), Event::delta(q("Hi")));
    EXPECT_EQ(ev("data:{\"type\":\"text-delta\",\"delta\":\" \"}"), Event::delta(q(" ")));
    EXPECT_EQ(ev("data:\t {\"type\":\"abort\"} \t"), Event::abort());
    for (const char* ignored : {" data: {\"type\":\"abort\"}", "DATA: {\"type\":\"abort\"}", "event: abort", ": note",
                                "", "data: [DONE]", "data: not json", "data: [{\"type\":\"abort\"}]",
                                "data: {\"type\":\"text-delta\"}", "data: {\"type\":\"text-delta\",\"delta\":3}",
                                "data: {\"type\":7}", "data: {\"type\":\"start\"}"})
        EXPECT_EQ(ev(ignored), std::nullopt) << ignored;
}

TEST(StreamEvent, ErrorAndFinishPayloads)
{
    const auto ev = [](const char* line) { return QuillcraftClient::streamEvent(q(line)); };
    EXPECT_EQ(ev("data: {\"type\":\"error\",\"errorText\":\"Model overloaded.\"}"), Event::error(q("Model overloaded.")));
    EXPECT_EQ(ev("data: {\"type\":\"error\",\"errorText\":null}"), Event::error(q("The rewrite failed. Try again.")));
    EXPECT_EQ(ev("data: {\"type\":\"finish\"}"), Event::finish());
    EXPECT_EQ(ev("data: {\"type\":\"finish\",\"finishReason\":1}"), Event::finish());
    EXPECT_EQ(ev("data: {\"type\":\"finish\",\"finishReason\":\"length\"}"), Event::finish(q("length")));
    EXPECT_NE(Event::finish(), Event::finish(q("stop")));
}

TEST(FailureMapping, StatusAndErrorCode)
{
    const auto f = [](int status, const char* body) { return QuillcraftClient::failure(status, QByteArray(body)); };
    const RewriteFailure guest{Kind::signInForMore, q("You used today's 10 guest rewrites. Sign in free for 40 a day.")};
    EXPECT_EQ(f(429, R"({"error":"login_required","message":"Sign in!"})"), guest);
    EXPECT_EQ(f(429, R"({"error":"daily_limit_exceeded"})"),
              (RewriteFailure{Kind::upgradeForMore, q("You used today's free rewrites. Pro is unlimited.")}));
    // Codes are exact; a differently spelt one falls to the message.
    EXPECT_EQ(f(429, R"({"error":"Login_Required","message":"Slow down."})"), (RewriteFailure{Kind::tryLater, q("Slow down.")}));
    EXPECT_EQ(f(429, R"({"message":"Busy right now."})"), (RewriteFailure{Kind::tryLater, q("Busy right now.")}));
    EXPECT_EQ(f(429, "Rate limited, plain text."), (RewriteFailure{Kind::tryLater, q("Rate limited, plain text.")}));
    const RewriteFailure tooMany{Kind::tryLater, q("Too many rewrites at once. Try again soon.")};
    EXPECT_EQ(f(429, ""), tooMany);
    EXPECT_EQ(f(429, R"({"message":""})"), tooMany);
    EXPECT_EQ(QuillcraftClient::failure(429, QByteArray("\xff\xfe bad")), tooMany);
    EXPECT_EQ(f(413, ""), (RewriteFailure{Kind::tooLong, q("That selection is too long.")}));
    EXPECT_EQ(f(413, R"({"message":"Keep it under 5000 characters."})"),
              (RewriteFailure{Kind::tooLong, q("Keep it under 5000 characters.")}));
    const RewriteFailure generic{Kind::server, q("The rewrite failed. Try again.")};
    EXPECT_EQ(f(500, R"({"message":"Database exploded."})"), generic);
    EXPECT_EQ(f(401, R"({"error":"login_required"})"), generic);
    EXPECT_EQ(f(0, "whatever"), generic);
}

TEST_F(ClientTest, SendsOnePostWithTheJsonBodyOfEachMode)
{
    const RewriteAction custom{RewriteAction::Mode::rewrite, {q("Pirate"), q("Calm")}, RewriteAction::Source::custom,
                               q("Teacher")};
    const RewriteAction grammarWithChoices{RewriteAction::Mode::grammar, {q("Casual")}, RewriteAction::Source::custom,
                                           q("Lawyer")};
    const RewriteAction shorten{RewriteAction::Mode::shorten, {q("Direct")}, RewriteAction::Source::preset, q("Writer")};
    for (const RewriteAction& action : {custom, grammarWithChoices, shorten})
        finish(stream(delta("x") + finishStop), action);

    ASSERT_EQ(m_server.requests().size(), 3);
    QList<QJsonObject> bodies;
    for (const test::RecordedRequest& request : m_server.requests()) {
        EXPECT_EQ(request.method, "POST");
        EXPECT_EQ(request.path, "/api/rewriter/v4");
        EXPECT_EQ(request.header("content-type"), "application/json");
        EXPECT_FALSE(request.hasHeader("origin"));
        EXPECT_FALSE(request.hasHeader("authorization"));
        EXPECT_FALSE(request.body.contains('\n')) << "compact JSON";
        bodies << QJsonDocument::fromJson(request.body).object();
    }
    const QJsonObject expectedCustom{
        {q("prompt"), q("Their going home.")}, {q("language"), q("English")}, {q("mode"), q("rewrite")},
        {q("role"), q("Teacher")}, {q("unfiltered"), false}, {q("features"), QJsonArray{q("MAC_APP")}},
        {q("tone"), QJsonArray{q("Pirate"), q("Calm")}}, {q("toneSource"), q("custom")}};
    EXPECT_EQ(bodies[0], expectedCustom);
    // Grammar fixes drop the card's role and tones.
    QJsonObject expectedGrammar = expectedCustom;
    expectedGrammar[q("mode")] = q("grammar");
    expectedGrammar[q("role")] = q("Standard");
    expectedGrammar[q("tone")] = QJsonArray();
    expectedGrammar[q("toneSource")] = q("preset");
    EXPECT_EQ(bodies[1], expectedGrammar);
    QJsonObject expectedShorten = expectedCustom;
    expectedShorten[q("role")] = q("Writer");
    expectedShorten[q("tone")] = QJsonArray{q("Direct")};
    expectedShorten[q("toneSource")] = q("preset");
    expectedShorten[q("lengthPreset")] = q("shorter");
    EXPECT_EQ(bodies[2], expectedShorten);
}

TEST_F(ClientTest, StreamsTheGrowingTextAndTrimsTheResult)
{
    const QByteArray body = "data: {\"type\":\"text-delta\",\"delta\":\"Hello\"}\r\n"
                            "data: {\"type\":\"text-delta\",\"delta\":\" world \"}\r\n"
                            "data: {\"type\":\"finish\",\"finishReason\":\"stop\"}\r\n"
                            "data: [DONE]\r\n";
    auto run = finish(stream(body));
    EXPECT_EQ(run->texts, (QStringList{q("Hello"), q("Hello world ")}));
    EXPECT_EQ(run->outcome, RewriteTask::Outcome(q("Hello world")));
}

TEST_F(ClientTest, BytesSplitAnywhereAreReadInOrder)
{
    // Cut inside a four-byte character and between carriage return and line
    // feed; noise lines and a delta after the finish record still count.
    const QByteArray body = ": keep-alive\r\n" + delta("caf\xc3\xa9 \xf0\x9f\x98\x80").replace("\n", "\r\n")
        + "event: ping\ndata: oops\n" + finishStop + delta(" ok");
    ScriptedReply reply = ScriptedReply(200);
    const qsizetype cut = body.indexOf("\x9f");
    const qsizetype crlf = body.indexOf("\r\n", cut);
    reply.send(body.left(cut)).pause(30).send(body.mid(cut, crlf + 1 - cut)).pause(30).trickle(body.mid(crlf + 1), 1);
    auto run = finish(reply);
    EXPECT_EQ(run->texts, (QStringList{q("café 😀"), q("café 😀 ok")}));
    EXPECT_EQ(run->outcome, RewriteTask::Outcome(q("café 😀 ok")));
}

TEST_F(ClientTest, StreamFailures)
{
    const QByteArray text = delta("Partial");
    const struct {
        const char* name;
        QByteArray body;
        RewriteTask::Outcome outcome;
    } cases[] = {
        {"length after text was shown", text + "data: {\"type\":\"finish\",\"finishReason\":\"length\"}\n",
         failed(Kind::tooLong, "The rewrite was cut off. Try a shorter selection.")},
        {"unknown reason", text + "data: {\"type\":\"finish\",\"finishReason\":\"content-filter\"}\n",
         failed(Kind::server, "The rewrite stopped early. Try again.")},
        {"abort", text + "data: {\"type\":\"abort\"}\n" + finishStop,
         failed(Kind::server, "The rewrite stopped early. Try again.")},
        {"no finish", text, failed(Kind::server, "The rewrite stopped early. Try again.")},
        {"finish without line feed", text + finishStop.chopped(1),
         failed(Kind::server, "The rewrite stopped early. Try again.")},
        {"error record", text + "data: {\"type\":\"error\",\"errorText\":\"The model is busy.\"}\n" + finishStop,
         failed(Kind::server, "The model is busy.")},
        {"error without text", "data: {\"type\":\"error\"}\n", failed(Kind::server, "The rewrite failed. Try again.")},
        {"only white space", delta(" \n\t ") + "data: {\"type\":\"finish\"}\n",
         failed(Kind::server, "The rewrite came back empty. Try again.")},
    };
    for (const auto& c : cases) {
        auto run = finish(stream(c.body));
        EXPECT_EQ(run->outcome, c.outcome) << c.name;
        EXPECT_EQ(run->completions, 1) << c.name;
    }
}

TEST_F(ClientTest, NonOkRepliesBecomeFailures)
{
    auto limit = finish(ScriptedReply(429)
                            .header("Content-Type", "application/json")
                            .send(R"({"error":"login_required","message":"Limit reached."})"));
    EXPECT_EQ(limit->outcome,
              failed(Kind::signInForMore, "You used today's 10 guest rewrites. Sign in free for 40 a day."));
    EXPECT_TRUE(limit->texts.isEmpty());

    // A 200-looking body under a 500 status is not read as a stream.
    auto broken = finish(ScriptedReply(500).send(delta("x") + finishStop));
    EXPECT_EQ(broken->outcome, failed(Kind::server, "The rewrite failed. Try again."));
    EXPECT_TRUE(broken->texts.isEmpty());

    // An endless error body is cut: the message holds at most the bound.
    ScriptedReply flood(429);
    for (int i = 0; i < 64; ++i)
        flood.send(QByteArray(4096, 'x'));
    auto flooded = start(flood.hang());
    ASSERT_TRUE(test::waitUntil([&] { return flooded->over(); }));
    const auto* failure = std::get_if<RewriteFailure>(&*flooded->outcome);
    ASSERT_NE(failure, nullptr);
    EXPECT_EQ(failure->kind, Kind::tryLater);
    EXPECT_EQ(failure->message.size(), QuillcraftClient::maxErrorBody);
}

TEST_F(ClientTest, AnEndlessLineEndsTheRewrite)
{
    auto run = start(ScriptedReply(200).send(delta("Start")).send("data: " + QByteArray(2 * 1024 * 1024, 'y')).hang());
    ASSERT_TRUE(test::waitUntil([&] { return run->over(); }, 20000));
    EXPECT_EQ(run->texts, QStringList{q("Start")});
    EXPECT_EQ(run->outcome, failed(Kind::server, "The rewrite failed. Try again."));
    EXPECT_TRUE(test::waitUntil([&] { return m_server.closedByClient() == 1; }));
}

TEST_F(ClientTest, EachRecordReachesTheCallerBeforeTheNextIsSent)
{
    Rewrite* seen = nullptr;
    ScriptedReply reply(200);
    reply.send(delta("One"))
        .waitFor([&] { return seen && seen->texts.size() == 1; })
        .send(delta(" two"))
        .waitFor([&] { return seen && seen->texts.size() == 2; })
        .send(finishStop);
    auto run = start(reply);
    seen = run.get();
    ASSERT_TRUE(test::waitUntil([&] { return run->over(); }));
    EXPECT_EQ(run->texts, (QStringList{q("One"), q("One two")}));
    EXPECT_EQ(run->outcome, RewriteTask::Outcome(q("One two")));
}

TEST_F(ClientTest, NothingArrivesAfterCancelEvenFromBufferedBytes)
{
    // All three records arrive in one read; the first one's callback cancels.
    m_server.enqueue(stream(delta("One") + delta(" two") + finishStop).hang());
    Rewrite run;
    run.task = client().rewrite(
        q("x"), RewriteAction::rewrite(), q("English"),
        [&run](const QString& text) {
            run.texts << text;
            run.task->cancel();
        },
        [&run](const RewriteTask::Outcome&) { ++run.completions; });
    ASSERT_TRUE(test::waitUntil([&] { return !run.texts.isEmpty(); }));
    EXPECT_TRUE(test::waitUntil([&] { return m_server.closedByClient() == 1; }));
    test::spin(50);
    EXPECT_EQ(run.texts, QStringList{q("One")});
    EXPECT_EQ(run.completions, 0);
    EXPECT_TRUE(run.task->isCancelled());
}

TEST_F(ClientTest, DestroyingTheTaskInsideItsCallbackIsSafe)
{
    m_server.enqueue(stream(delta("One") + delta(" two") + finishStop));
    Rewrite run;
    run.task = client().rewrite(
        q("x"), RewriteAction::rewrite(), q("English"),
        [&run](const QString& text) {
            run.texts << text;
            run.task.reset();
        },
        [&run](const RewriteTask::Outcome&) { ++run.completions; });
    ASSERT_TRUE(test::waitUntil([&] { return !run.texts.isEmpty(); }));
    test::spin(50);
    EXPECT_EQ(run.texts, QStringList{q("One")});
    EXPECT_EQ(run.completions, 0);
}

TEST_F(ClientTest, ConnectionProblems)
{
    const RewriteTask::Outcome offline =
        failed(Kind::offline, "Quillcraft is not reachable. Check your connection and try again.");

    // Cut before the head. Qt resends once on its own, so every try is cut.
    LoopbackHttpServer cutting;
    for (int i = 0; i < 5; ++i)
        cutting.enqueue(ScriptedReply::dropBeforeHead());
    Rewrite cut;
    cut.task = QuillcraftClient(&m_network, cutting.origin())
                   .rewrite(q("x"), RewriteAction::rewrite(), q("English"), {},
                            [&cut](const RewriteTask::Outcome& o) {
                                cut.outcome = o;
                                ++cut.completions;
                            });
    ASSERT_TRUE(test::waitUntil([&] { return cut.over(); }));
    EXPECT_EQ(cut.outcome, offline);

    // Nobody listening.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    QUrl nowhere = m_server.origin();
    nowhere.setPort(closed.serverPort());
    closed.close();
    Rewrite refused;
    refused.task = QuillcraftClient(&m_network, nowhere)
                       .rewrite(q("x"), RewriteAction::rewrite(), q("English"), {},
                                [&refused](const RewriteTask::Outcome& o) {
                                    refused.outcome = o;
                                    ++refused.completions;
                                });
    ASSERT_TRUE(test::waitUntil([&] { return refused.over(); }));
    EXPECT_EQ(refused.outcome, offline);

    // The connection drops while the body streams: the caller maps it.
    auto dropped = finish(ScriptedReply(200).chunked().send(delta("Half")).pause(20).drop());
    EXPECT_EQ(dropped->texts, QStringList{q("Half")});
    ASSERT_TRUE(dropped->outcome);
    EXPECT_TRUE(std::holds_alternative<RewriteTask::TransportError>(*dropped->outcome));

    // Silence counts against the timeout, before the head and while streaming.
    using std::chrono_literals::operator""ms;
    auto silent = start(ScriptedReply::silent(), RewriteAction::rewrite(), 300ms);
    ASSERT_TRUE(test::waitUntil([&] { return silent->over(); }));
    EXPECT_EQ(silent->outcome, offline);
    auto stalled = start(ScriptedReply(200).send(delta("Slow")).hang(), RewriteAction::rewrite(), 300ms);
    ASSERT_TRUE(test::waitUntil([&] { return stalled->over(); }));
    EXPECT_TRUE(std::holds_alternative<RewriteTask::TransportError>(*stalled->outcome));
}
