// Starting the real program again while it runs: the later start hands over what
// it was started with (nothing, or the browser's sign-in link) and exits.
#include "E2eSupport.h"
#include "ProgramRun.h"
#include "Wait.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace quillcraft;

namespace {

const QString token = QStringLiteral("e2eS3cretToken");
const QString signInLink = QStringLiteral("quillcraft://connected?state=e2eState&token=") + token;

// Every start shares one private runtime folder, away from the session's.
class HandoffE2eTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        ASSERT_TRUE(QDir(m_home.path()).mkdir(QStringLiteral("runtime")));
        ASSERT_TRUE(QFile::setPermissions(m_home.filePath(QStringLiteral("runtime")),
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.filePath(QStringLiteral("runtime")));
        m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        ASSERT_TRUE(e2e::presetFinishedOnboarding(m_home.filePath(QStringLiteral("config"))));
        m_environment.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
        m_socketPath = m_home.filePath(QStringLiteral("runtime/quillcraft-%1.socket").arg(getuid()));
    }

    void TearDown() override
    {
        m_first.terminate();
        if (!m_first.waitForFinished(5000))
            m_first.kill();
        m_first.waitForFinished(5000);
    }

    // The first start, running until the test ends.
    bool startFirst()
    {
        m_first.setProcessEnvironment(m_environment);
        m_first.setProcessChannelMode(QProcess::MergedChannels);
        m_first.start(QStringLiteral(QUILLCRAFT_BINARY), {});
        return test::waitUntil(
                   [this] {
                       return firstOutput().contains("Quillcraft is running")
                           || m_first.state() == QProcess::NotRunning;
                   },
                   30000)
            && m_first.state() == QProcess::Running;
    }

    QByteArray firstOutput()
    {
        m_output += m_first.readAll();
        return m_output;
    }

    test::ProgramRun startAgain(const QStringList& arguments)
    {
        test::ProgramOptions options;
        options.environment = m_environment;
        options.timeoutMs = 30000;
        return test::runProgram(QStringLiteral(QUILLCRAFT_BINARY), arguments, options);
    }

    QTemporaryDir m_home;
    QProcessEnvironment m_environment;
    QString m_socketPath;
    QProcess m_first;
    QByteArray m_output;
};

} // namespace

TEST_F(HandoffE2eTest, ALaterStartHandsOverAndExits)
{
    ASSERT_TRUE(startFirst()) << firstOutput().toStdString();

    const test::ProgramRun again = startAgain({});
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.out, QStringLiteral("Quillcraft is already running; it was asked to come forward.\n"));
    EXPECT_TRUE(test::waitUntil([this] { return firstOutput().contains("asked Quillcraft to come forward"); }))
        << firstOutput().toStdString();

    const test::ProgramRun withLink = startAgain({ signInLink });
    EXPECT_EQ(withLink.status, 0);
    EXPECT_TRUE(test::waitUntil([this] {
        return firstOutput().contains("A sign-in link that no open sign-in asked for was ignored");
    })) << firstOutput().toStdString();
    EXPECT_FALSE(firstOutput().contains(token.toUtf8())) << "the token reached the log";
    EXPECT_FALSE(withLink.out.contains(token) || withLink.err.contains(token));
    EXPECT_EQ(m_first.state(), QProcess::Running);
}

TEST_F(HandoffE2eTest, ASocketLeftByACrashDoesNotStopTheNextStart)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(m_socketPath).constData(), sizeof address.sun_path);
    ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    close(fd);

    ASSERT_TRUE(startFirst()) << firstOutput().toStdString();
    const test::ProgramRun withLink = startAgain({ signInLink });
    EXPECT_EQ(withLink.status, 0);
    EXPECT_TRUE(test::waitUntil([this] {
        return firstOutput().contains("A sign-in link that no open sign-in asked for was ignored");
    })) << firstOutput().toStdString();
}
