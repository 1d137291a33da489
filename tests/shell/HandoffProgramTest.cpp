// The program started with the browser's sign-in link, against an instance in
// this process: it hands the link over and exits, or says why it could not.
#include "ProgramRun.h"
#include "shell/HandoffMessage.h"
#include "shell/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace quillcraft;

namespace {

const QString token = QStringLiteral("s3cretTOKENvalue");
const QString signInLink = QStringLiteral("quillcraft://connected?state=st4te&token=") + token;

class HandoffProgramTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_runtime.isValid());
        // Never the real session's folder, where a real instance may listen.
        m_options.environment = QProcessEnvironment::systemEnvironment();
        m_options.environment->insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        m_options.timeoutMs = 30000;
        m_socketPath = m_runtime.filePath(QStringLiteral("quillcraft-%1.socket").arg(getuid()));
    }

    test::ProgramRun handOff(const QString& argument)
    {
        return test::runProgram(QStringLiteral(QUILLCRAFT_BINARY), { argument }, m_options);
    }

    // A failed hand-off says so in one sentence and never shows the token.
    static void expectOneSentence(const test::ProgramRun& run, int status)
    {
        EXPECT_EQ(run.status, status);
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("quillcraft: "))) << run.err.toStdString();
        EXPECT_TRUE(run.err.endsWith(QStringLiteral(".\n")));
        EXPECT_EQ(run.err.count(u'\n'), 1);
        EXPECT_FALSE(run.err.contains(token) || run.out.contains(token));
    }

    QTemporaryDir m_runtime;
    test::ProgramOptions m_options;
    QString m_socketPath;
};

} // namespace

TEST_F(HandoffProgramTest, HandsTheLinkToTheRunningInstanceAndExits)
{
    SingleInstance instance(m_socketPath);
    ASSERT_EQ(instance.start(HandoffMessage::bringForward()), SingleInstance::Outcome::Listening);
    QSignalSpy urls(&instance, &SingleInstance::urlReceived);

    const test::ProgramRun run = handOff(signInLink);
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    EXPECT_FALSE(run.out.contains(token));
    ASSERT_EQ(urls.size(), 1);
    EXPECT_EQ(urls.first().first().toUrl().toString(QUrl::FullyEncoded), signInLink);
}

TEST_F(HandoffProgramTest, WithNobodyToTakeItTheLinkIsAFailure)
{
    expectOneSentence(handOff(signInLink), 1);
}

TEST_F(HandoffProgramTest, AnInstanceThatNeverAnswersDoesNotHangTheHandOff)
{
    QLocalServer mute;
    ASSERT_TRUE(mute.listen(m_socketPath));
    expectOneSentence(handOff(signInLink), 1);
}

TEST_F(HandoffProgramTest, LinksNoSignInCanUseAreRefusedBeforeSending)
{
    SingleInstance instance(m_socketPath);
    ASSERT_EQ(instance.start(HandoffMessage::bringForward()), SingleInstance::Outcome::Listening);
    QSignalSpy urls(&instance, &SingleInstance::urlReceived);
    for (const QString& wrong : { QStringLiteral("quillcraft://elsewhere?state=st4te&token=") + token,
             QStringLiteral("quillcraft://connected?state=st4te&token=") + token + QString(5000, u'x'),
             QStringLiteral("quillcraft://connected?token=") + token })
        expectOneSentence(handOff(wrong), 2);
    EXPECT_TRUE(urls.isEmpty());

    const test::ProgramRun extra
        = test::runProgram(QStringLiteral(QUILLCRAFT_BINARY), { signInLink, QStringLiteral("more") }, m_options);
    expectOneSentence(extra, 2);
}
