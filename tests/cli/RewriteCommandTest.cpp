#include "LoopbackHttpServer.h"
#include "ProgramRun.h"
#include "Wait.h"
#include "core/DevelopmentHooks.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

using namespace quillcraft;
using test::LoopbackHttpServer;
using test::ProgramRun;
using test::runProgram;
using test::ScriptedReply;

namespace {

const QByteArray twoWords = "data: {\"type\":\"text-delta\",\"delta\":\"Hello\"}\n"
                            "data: {\"type\":\"text-delta\",\"delta\":\" world \"}\n"
                            "data: {\"type\":\"finish\",\"finishReason\":\"stop\"}\n";

// A pseudo-terminal; screen() is all the program has shown on it so far.
class Pty final {
public:
    Pty()
    {
        m_open = ::openpty(&m_master, &m_terminal, nullptr, nullptr, nullptr) == 0;
        if (m_open)
            ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    }
    ~Pty()
    {
        closeTerminal();
        if (m_master >= 0)
            ::close(m_master);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool isOpen() const { return m_open; }
    int terminal() const { return m_terminal; }
    // Once the program has it, the screen ends when the program does.
    void closeTerminal()
    {
        if (m_terminal >= 0)
            ::close(m_terminal);
        m_terminal = -1;
    }
    const QByteArray& screen()
    {
        char buffer[256];
        ssize_t n;
        while ((n = ::read(m_master, buffer, sizeof buffer)) > 0)
            m_screen.append(buffer, n);
        return m_screen;
    }

private:
    bool m_open = false;
    int m_master = -1;
    int m_terminal = -1;
    QByteArray m_screen;
};

class RewriteCommandTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!DevelopmentHooks::isDevelopmentBuild())
            GTEST_SKIP() << "needs a development build to point the binary at the test server";
    }

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
        return runProgram(
            QStringLiteral(QUILLCRAFT_BINARY), QStringList { QStringLiteral("rewrite") } + arguments, options);
    }

    // Runs the binary on a terminal while the server sends `first`, and `rest`
    // only once `firstShown` is on the screen; gives the status and the screen.
    std::pair<int, QByteArray> runOnTerminal(
        const QByteArray& first, const QByteArray& firstShown, const QByteArray& rest)
    {
        Pty pty;
        EXPECT_TRUE(pty.isOpen());
        if (!pty.isOpen())
            return { -1, {} };
        m_server.enqueue(
            ScriptedReply(200).send(first).waitFor([&] { return pty.screen().contains(firstShown); }).send(rest));
        const ProgramRun outcome
            = run({}, "Some text.", std::nullopt, [terminal = pty.terminal()] { ::dup2(terminal, STDOUT_FILENO); });
        pty.closeTerminal();
        test::spin(20);
        return { outcome.status, pty.screen() };
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
    const ProgramRun piped
        = run({ QStringLiteral("--mode"), QStringLiteral("shorten"), QStringLiteral("--custom-tones"),
                  QStringLiteral("--tone"), QStringLiteral(" Pirate "), QStringLiteral("--tone"),
                  QStringLiteral("Calm"), QStringLiteral("--role"), QStringLiteral("Teacher"),
                  QStringLiteral("--language"), QStringLiteral("German"), file.fileName() },
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
    EXPECT_EQ(body[QStringLiteral("tone")], (QJsonArray { QStringLiteral("Pirate"), QStringLiteral("Calm") }));
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
        { ScriptedReply(500).send("oops"), 4, "The rewrite failed. Try again." },
        // Qt reports a connection closed inside a chunked body either as an error or as the
        // end of a stream that never finished; both are server failures.
        { ScriptedReply(200).chunked().send(twoWords.left(40)).pause(20).drop(), 4, nullptr },
        { ScriptedReply(413), 5, "That selection is too long." },
        { ScriptedReply(429).send("Slow down."), 6, "Slow down." },
        // The service's words cannot drive the terminal.
        { ScriptedReply(200).send("data: {\"type\":\"error\",\"errorText\":\"Busy\\u001b[2J now.\"}\n"), 4,
            "Busy[2J now." },
        { ScriptedReply(429).send(R"({"error":"login_required"})"), 7,
            "You used today's 10 guest rewrites. Sign in free for 40 a day." },
        { ScriptedReply(429).send(R"({"error":"daily_limit_exceeded"})"), 8,
            "You used today's free rewrites. Pro is unlimited." },
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
        { QStringLiteral("--frobnicate") },
        { QStringLiteral("--mode"), QStringLiteral("Fix grammar") },
        { QStringLiteral("--tone"), QStringLiteral("Pirate") },
        { QStringLiteral("--custom-tones"), QStringLiteral("--tone"), longName },
        QStringList { QStringLiteral("--custom-tones") } + sixteen,
        { QStringLiteral("--role"), QStringLiteral("Pirate") },
        { QStringLiteral("a.txt"), QStringLiteral("b.txt") },
    };
    for (const QStringList& arguments : usage) {
        const ProgramRun outcome = run(arguments, "Some text.");
        EXPECT_EQ(outcome.status, 2) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(outcome.errBytes.count('\n'), 1);
        EXPECT_TRUE(outcome.errBytes.startsWith("quillcraft: "));
    }
    for (const QByteArray& input : { QByteArray(" \n\t\n"), QByteArray("caf\xe9") })
        EXPECT_EQ(run({}, input).status, 1);
    EXPECT_EQ(run({ QStringLiteral("/no/such/file") }, "").status, 1);
    EXPECT_TRUE(m_server.requests().isEmpty());

    const ProgramRun help = run({ QStringLiteral("--help") }, "");
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.outBytes.contains("Exit status"));
}

TEST_F(RewriteCommandTest, ATerminalSeesTheTextGrow)
{
    const struct {
        const char* first;
        const char* firstShown;
        const char* rest;
        QByteArray screen;
    } cases[] = {
        // The pty turns line feeds into CR LF; the escape sequence is left out.
        { "data: {\"type\":\"text-delta\",\"delta\":\"\\n Line one\\u001b[2J\\n\"}\n", "Line one",
            "data: {\"type\":\"text-delta\",\"delta\":\"line two \"}\ndata: {\"type\":\"finish\"}\n",
            "Line one[2J\r\nline two \r\n" },
        // An emoji's two UTF-16 halves in separate records still make one character.
        { "data: {\"type\":\"text-delta\",\"delta\":\"Smile \\ud83d\"}\n", "Smile",
            "data: {\"type\":\"text-delta\",\"delta\":\"\\ude00 now\"}\ndata: {\"type\":\"finish\"}\n",
            "Smile \xF0\x9F\x98\x80 now\r\n" },
    };
    for (const auto& c : cases) {
        const auto [status, screen] = runOnTerminal(c.first, c.firstShown, c.rest);
        EXPECT_EQ(status, 0) << c.firstShown;
        EXPECT_EQ(screen, c.screen) << c.firstShown;
    }
}
