// What the command-line modes do when they fail.
#include "LoopbackHttpServer.h"
#include "Wait.h"
#include "core/DevelopmentHooks.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace quillcraft;

TEST(RewriteOutput, AResultThatCannotBeWrittenIsAFailure)
{
    if (!DevelopmentHooks::isDevelopmentBuild())
        GTEST_SKIP() << "needs a development build to point the binary at the test server";
    test::LoopbackHttpServer server;
    server.enqueue(test::ScriptedReply(200).send("data: {\"type\":\"text-delta\",\"delta\":\"Hello.\"}\n"
                                                 "data: {\"type\":\"finish\",\"finishReason\":\"stop\"}\n"));
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUILLCRAFT_ORIGIN"), server.origin().toString());
    process.setProcessEnvironment(environment);
    process.setStandardOutputFile(QStringLiteral("/dev/full"));
    process.start(QStringLiteral(QUILLCRAFT_BINARY), { QStringLiteral("rewrite") });
    ASSERT_TRUE(process.waitForStarted());
    process.write("Some text.");
    process.closeWriteChannel();
    ASSERT_TRUE(test::waitUntil([&] { return process.state() == QProcess::NotRunning; }, 20000));

    EXPECT_EQ(server.requests().size(), 1);
    EXPECT_EQ(process.exitCode(), 1);
    const QByteArray err = process.readAllStandardError();
    EXPECT_TRUE(err.startsWith("quillcraft: Cannot write to standard output: ")) << err.toStdString();
    EXPECT_TRUE(err.endsWith(".\n"));
    EXPECT_EQ(err.count('\n'), 1);
}

TEST(RewriteOutput, UsageErrorsAreOneSentence)
{
    for (const QStringList& arguments : { QStringList { QStringLiteral("--mode"), QStringLiteral("poem") },
             QStringList { QStringLiteral("--frobnicate") } }) {
        QProcess process;
        process.start(QStringLiteral(QUILLCRAFT_BINARY), QStringList { QStringLiteral("rewrite") } + arguments);
        process.closeWriteChannel();
        ASSERT_TRUE(process.waitForFinished(20000));
        EXPECT_EQ(process.exitCode(), 2);
        const QString err = QString::fromUtf8(process.readAllStandardError());
        EXPECT_TRUE(err.endsWith(QStringLiteral("; see quillcraft rewrite --help.\n"))) << err.toStdString();
        EXPECT_EQ(err.count(QLatin1Char('.')), 1) << err.toStdString();
    }
}

TEST(InspectFailure, ADisplayThatDoesNotAnswerIsOneSentence)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":4071"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QUILLCRAFT_BINARY), { QStringLiteral("inspect") });
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_EQ(process.readAllStandardError(), "quillcraft: The X11 display :4071 cannot be reached.\n");
}
