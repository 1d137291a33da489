// What the command-line modes do when they fail.
#include "LoopbackHttpServer.h"
#include "ProgramRun.h"
#include "core/DevelopmentHooks.h"

#include <gtest/gtest.h>

using namespace quillcraft;

TEST(RewriteOutput, AResultThatCannotBeWrittenIsAFailure)
{
    if (!DevelopmentHooks::isDevelopmentBuild())
        GTEST_SKIP() << "needs a development build to point the binary at the test server";
    test::LoopbackHttpServer server;
    server.enqueue(test::ScriptedReply(200).send("data: {\"type\":\"text-delta\",\"delta\":\"Hello.\"}\n"
                                                 "data: {\"type\":\"finish\",\"finishReason\":\"stop\"}\n"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUILLCRAFT_ORIGIN"), server.origin().toString());
    test::ProgramOptions options;
    options.input = "Some text.";
    options.outputFile = QStringLiteral("/dev/full");
    options.environment = environment;
    const test::ProgramRun run
        = test::runProgram(QStringLiteral(QUILLCRAFT_BINARY), { QStringLiteral("rewrite") }, options);

    EXPECT_EQ(server.requests().size(), 1);
    EXPECT_EQ(run.status, 1);
    const QByteArray& err = run.errBytes;
    EXPECT_TRUE(err.startsWith("quillcraft: Cannot write to standard output: ")) << err.toStdString();
    EXPECT_TRUE(err.endsWith(".\n"));
    EXPECT_EQ(err.count('\n'), 1);
}

TEST(RewriteOutput, UsageErrorsAreOneSentence)
{
    for (const QStringList& arguments : { QStringList { QStringLiteral("--mode"), QStringLiteral("poem") },
             QStringList { QStringLiteral("--frobnicate") } }) {
        const test::ProgramRun run = test::runProgram(
            QStringLiteral(QUILLCRAFT_BINARY), QStringList { QStringLiteral("rewrite") } + arguments);
        EXPECT_EQ(run.status, 2);
        const QString& err = run.err;
        EXPECT_TRUE(err.endsWith(QStringLiteral("; see quillcraft rewrite --help.\n"))) << err.toStdString();
        EXPECT_EQ(err.count(QLatin1Char('.')), 1) << err.toStdString();
    }
}

TEST(InspectFailure, ADisplayThatDoesNotAnswerIsOneSentence)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":4071"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("XDG_SESSION_TYPE"));
    test::ProgramOptions options;
    options.environment = environment;
    const test::ProgramRun run
        = test::runProgram(QStringLiteral(QUILLCRAFT_BINARY), { QStringLiteral("inspect") }, options);
    EXPECT_EQ(run.status, 1); // exited by itself, with status 1
    EXPECT_EQ(run.errBytes, "quillcraft: The X11 display :4071 cannot be reached.\n");
}

TEST(InspectFailure, AWaylandSessionIsSaidOnceAndInspectGoesOnWithX11)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-0"));
    environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":4071"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    test::ProgramOptions options;
    options.environment = environment;
    const test::ProgramRun run
        = test::runProgram(QStringLiteral(QUILLCRAFT_BINARY), { QStringLiteral("inspect") }, options);
    EXPECT_EQ(run.status, 1);
    // The notice, then the X11 display's own failure: the Wayland session alone stops nothing.
    EXPECT_EQ(run.err,
        QStringLiteral("quillcraft: This is a Wayland session: Quillcraft works in X11 applications only, and cannot "
                       "place its windows, grab its shortcut or type for you in Wayland ones.\n"
                       "quillcraft: The X11 display :4071 cannot be reached.\n"));
}
