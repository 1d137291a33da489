#include "LoopbackHttpServer.h"
#include "Wait.h"
#include "core/DevelopmentHooks.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include "ProgramRun.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

using namespace quillcraft;
using test::LoopbackHttpServer;
using test::ScriptedReply;
using test::ProgramRun;
using test::runProgram;

namespace {

const QByteArray twoWords = "data: {\"type\":\"text-delta\",\"delta\":\"Hello\"}\n"
                            "data: {\"type\":\"text-delta\",\"delta\":\" world \"}\n"
                            "data: {\"type\":\"finish\",\"finishReason\":\"stop\"}\n";

class RewriteCommandTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!DevelopmentHooks::isDevelopmentBuild())
            GTEST_SKIP() << "needs a development build to point the binary at the test server";
    }

    // Runs the built binary against `origin` (the test server by default),
    // keeping the event loop turning so the server can answer.
    // Runs the built binary against `origin` (the test server by default).
    ProgramRun run(const QStringList& arguments, const QByteArray& input, std::optional<QUrl> origin = std::nullopt,
                   const std::function<void()>& inChild = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QUILLCRAFT_ORIGIN"), origin.value_or(m_server.origin()).toString());
        test::ProgramOptions options;
        options.input = input;
        options.environment = environment;
        options.inChild = inChild;
        return runProgram(QStringLiteral(QUILLCRAFT_BINARY), QStringList{QStringLiteral("rewrite")} + arguments, options);
    }

    LoopbackHttpServer m_server;
};

} // namespace

TEST_F(RewriteCommandTest, PrintsOnlyTheFinalTextWhenPiped)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("draft.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Ça va?\n");
    file.close();
    m_server.enqueue(ScriptedReply(200).send(twoWords));
    const ProgramRun piped = run({QStringLiteral("--mode"), QStringLiteral("shorten"), QStringLiteral("--custom-tones"),
                               QStringLiteral("--tone"), QStringLiteral(" Pirate "), QStringLiteral("--tone"),
                               QStringLiteral("Calm"), QStringLiteral("--role"), QStringLiteral("Teacher"),
                               QStringLiteral("--language"), QStringLiteral("German"), file.fileName()},
                              "");
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.outBytes, "Hello world\n");
    EXPECT_EQ(piped.errBytes, "");
    ASSERT_EQ(m_server.requests().size(), 1);
    const QJsonObject body = QJsonDocument::fromJson(m_server.requests()[0].body).object();
    // The rest of the body is the client's business; these come from the command line.
    EXPECT_EQ(body[QStringLiteral("prompt")], QString::fromUtf8("Ça va?\n"));
    EXPECT_EQ(body[QStringLiteral("language")], QStringLiteral("German"));
    EXPECT_EQ(body[QStringLiteral("role")], QStringLiteral("Teacher"));
    EXPECT_EQ(body[QStringLiteral("tone")], (QJsonArray{QStringLiteral("Pirate"), QStringLiteral("Calm")}));
    EXPECT_EQ(body[QStringLiteral("toneSource")], QStringLiteral("custom"));
    EXPECT_EQ(body[QStringLiteral("lengthPreset")], QStringLiteral("shorter"));
}

TEST_F(RewriteCommandTest, EachFailureHasItsExitStatus)
{
    const struct {
        ScriptedReply reply;
        int status;
        const char* message;
    } cases[] = {
        {ScriptedReply(500).send("oops"), 4, "The rewrite failed. Try again."},
        // Qt reports a connection closed inside a chunked body either as an error or as the
        // end of a stream that never finished; both are server failures.
        {ScriptedReply(200).chunked().send(twoWords.left(40)).pause(20).drop(), 4, nullptr},
        {ScriptedReply(413), 5, "That selection is too long."},
        {ScriptedReply(429).send("Slow down."), 6, "Slow down."},
        // The service's words cannot drive the terminal.
        {ScriptedReply(200).send("data: {\"type\":\"error\",\"errorText\":\"Busy\\u001b[2J now.\"}\n"), 4,
         "Busy[2J now."},
        {ScriptedReply(429).send(R"({"error":"login_required"})"), 7,
         "You used today's 10 guest rewrites. Sign in free for 40 a day."},
        {ScriptedReply(429).send(R"({"error":"daily_limit_exceeded"})"), 8,
         "You used today's free rewrites. Pro is unlimited."},
    };
    for (const auto& c : cases) {
        m_server.enqueue(c.reply);
        const ProgramRun outcome = run({}, "Some text.");
        const char* label = c.message ? c.message : "dropped connection";
        EXPECT_EQ(outcome.status, c.status) << label;
        EXPECT_EQ(outcome.outBytes, "") << label;
        if (c.message) {
            EXPECT_EQ(outcome.errBytes, QByteArray("quillcraft: ") + c.message + "\n");
        } else {
            EXPECT_THAT(outcome.errBytes.toStdString(),
                        testing::AnyOf("quillcraft: The rewrite failed. Try again.\n",
                                       "quillcraft: The rewrite stopped early. Try again.\n"));
        }
    }

    const ProgramRun offline = run({}, "Some text.", LoopbackHttpServer::closedOrigin());
    EXPECT_EQ(offline.status, 3);
    EXPECT_EQ(offline.errBytes, "quillcraft: Quillcraft is not reachable. Check your connection and try again.\n");
}

TEST_F(RewriteCommandTest, BadUsageAndBadInputSendNothing)
{
    const QString longName(91, QLatin1Char('x'));
    QStringList sixteen;
    for (int i = 0; i < 16; ++i)
        sixteen << QStringLiteral("--tone") << QStringLiteral("T%1").arg(i);
    const QList<QStringList> usage = {
        {QStringLiteral("--frobnicate")},
        {QStringLiteral("--mode"), QStringLiteral("Fix grammar")},
        {QStringLiteral("--tone"), QStringLiteral("Pirate")},
        {QStringLiteral("--custom-tones"), QStringLiteral("--tone"), longName},
        QStringList{QStringLiteral("--custom-tones")} + sixteen,
        {QStringLiteral("--role"), QStringLiteral("Pirate")},
        {QStringLiteral("a.txt"), QStringLiteral("b.txt")},
    };
    for (const QStringList& arguments : usage) {
        const ProgramRun outcome = run(arguments, "Some text.");
        EXPECT_EQ(outcome.status, 2) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(outcome.errBytes.count('\n'), 1);
        EXPECT_TRUE(outcome.errBytes.startsWith("quillcraft: "));
    }
    for (const QByteArray& input : {QByteArray(" \n\t\n"), QByteArray("caf\xe9")})
        EXPECT_EQ(run({}, input).status, 1);
    EXPECT_EQ(run({QStringLiteral("/no/such/file")}, "").status, 1);
    EXPECT_TRUE(m_server.requests().isEmpty());

    const ProgramRun help = run({QStringLiteral("--help")}, "");
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.outBytes.contains("Exit status"));
}

TEST_F(RewriteCommandTest, ATerminalSeesTheTextGrow)
{
    int master = -1;
    int slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    QByteArray screen;
    auto readScreen = [&] {
        char buffer[256];
        ssize_t n;
        while ((n = ::read(master, buffer, sizeof buffer)) > 0)
            screen.append(buffer, n);
        return screen;
    };
    // The second record is only sent once the first is on the screen.
    m_server.enqueue(ScriptedReply(200)
                         .send("data: {\"type\":\"text-delta\",\"delta\":\"\\n Line one\\u001b[2J\\n\"}\n")
                         .waitFor([&] { return readScreen().contains("Line one"); })
                         .send("data: {\"type\":\"text-delta\",\"delta\":\"line two \"}\n"
                               "data: {\"type\":\"finish\"}\n"));

    const ProgramRun outcome = run({}, "Some text.", std::nullopt, [slave] { ::dup2(slave, STDOUT_FILENO); });
    ::close(slave);
    test::spin(20);
    readScreen();
    ::close(master);
    EXPECT_EQ(outcome.status, 0);
    // The pty turns line feeds into CR LF; the escape sequence is left out.
    EXPECT_EQ(screen, "Line one[2J\r\nline two \r\n");
}
