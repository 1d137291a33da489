// The one instance per user: what it takes from a connection and what it drops.
#include "shell/SingleInstance.h"
#include "Wait.h"
#include "shell/HandoffMessage.h"

#include <QFileInfo>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillcraft;
using namespace std::chrono_literals;

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnvironment final {
public:
    ScopedEnvironment(const char* name, const QByteArray& value)
        : m_name(name)
        , m_old(qgetenv(name))
        , m_had(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnvironment()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* m_name;
    QByteArray m_old;
    bool m_had;
};

class SingleInstanceTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("instance.socket"));
    }

    // A listening instance with a short read time-out.
    std::unique_ptr<SingleInstance> listening()
    {
        auto instance = std::make_unique<SingleInstance>(m_path);
        instance->setReadTimeout(300ms);
        EXPECT_EQ(instance->start(HandoffMessage::bringForward()), SingleInstance::Outcome::Listening);
        return instance;
    }

    // A peer in this process, driven by the event loop (the blocking sender
    // would wait for a server that cannot answer until it returns).
    std::unique_ptr<QLocalSocket> connectPeer()
    {
        auto peer = std::make_unique<QLocalSocket>();
        peer->connectToServer(m_path);
        EXPECT_TRUE(test::waitUntil([&] { return peer->state() == QLocalSocket::ConnectedState; }));
        return peer;
    }

    // The reply the peer got before the instance let it go.
    static QByteArray replyAndClose(QLocalSocket& peer)
    {
        QByteArray reply;
        test::waitUntil([&] {
            reply += peer.readAll();
            return peer.state() == QLocalSocket::UnconnectedState;
        });
        return reply + peer.readAll();
    }

    QTemporaryDir m_dir;
    QString m_path;
};

} // namespace

TEST_F(SingleInstanceTest, AnswersAWholeMessageAndSaysWhatItGot)
{
    const std::unique_ptr<SingleInstance> instance = listening();
    QSignalSpy urls(instance.get(), &SingleInstance::urlReceived);
    QSignalSpy raises(instance.get(), &SingleInstance::raiseRequested);

    auto peer = connectPeer();
    // Split across writes, as a slow sender would.
    const QByteArray message = HandoffMessage::openUrl(QStringLiteral("quillcraft://connected?state=s&token=t"));
    peer->write(message.first(10));
    peer->flush();
    test::spin(20);
    peer->write(message.sliced(10));
    EXPECT_EQ(replyAndClose(*peer), "ok\n");
    ASSERT_EQ(urls.size(), 1);
    EXPECT_EQ(urls.first().first().toUrl(), QUrl(QStringLiteral("quillcraft://connected?state=s&token=t")));

    auto second = connectPeer();
    second->write(HandoffMessage::bringForward());
    EXPECT_EQ(replyAndClose(*second), "ok\n");
    EXPECT_EQ(raises.size(), 1);
    EXPECT_EQ(urls.size(), 1);
}

TEST_F(SingleInstanceTest, HostilePeersAreCutOffWithoutASignal)
{
    const std::unique_ptr<SingleInstance> instance = listening();
    QSignalSpy urls(instance.get(), &SingleInstance::urlReceived);
    QSignalSpy raises(instance.get(), &SingleInstance::raiseRequested);

    auto silent = connectPeer();
    EXPECT_TRUE(test::waitUntil([&] { return silent->state() == QLocalSocket::UnconnectedState; }, 3000))
        << "a peer that sends nothing keeps its connection";

    auto endless = connectPeer();
    endless->write(QByteArray(64 * 1024, 'a'));
    EXPECT_EQ(replyAndClose(*endless), "no\n");

    auto wrongLink = connectPeer();
    wrongLink->write(HandoffMessage::openUrl(QStringLiteral("https://connected?state=s&token=t")));
    EXPECT_EQ(replyAndClose(*wrongLink), "no\n");

    auto chatty = connectPeer();
    chatty->write(HandoffMessage::bringForward() + HandoffMessage::bringForward());
    EXPECT_EQ(replyAndClose(*chatty), "no\n");

    EXPECT_TRUE(urls.isEmpty());
    EXPECT_TRUE(raises.isEmpty());

    // Still serving after all that.
    auto friendly = connectPeer();
    friendly->write(HandoffMessage::bringForward());
    EXPECT_EQ(replyAndClose(*friendly), "ok\n");
}

TEST_F(SingleInstanceTest, IdleConnectionsCannotPileUp)
{
    const std::unique_ptr<SingleInstance> instance = listening();
    instance->setReadTimeout(10s);
    std::vector<std::unique_ptr<QLocalSocket>> idle;
    for (int i = 0; i < SingleInstance::maxOpenConnections; ++i)
        idle.push_back(connectPeer());
    test::spin(50);
    auto extra = std::make_unique<QLocalSocket>();
    extra->connectToServer(m_path);
    EXPECT_TRUE(test::waitUntil([&] { return extra->state() == QLocalSocket::UnconnectedState; }));

    // A slot frees up when one of them goes away.
    idle.front()->abort();
    idle.erase(idle.begin());
    test::spin(50);
    auto late = connectPeer();
    late->write(HandoffMessage::bringForward());
    EXPECT_EQ(replyAndClose(*late), "ok\n");
}

TEST_F(SingleInstanceTest, TheSocketIsOnlyForThisUserAndGoesWithTheInstance)
{
    {
        const std::unique_ptr<SingleInstance> instance = listening();
        struct stat info { };
        ASSERT_EQ(lstat(QFile::encodeName(m_path).constData(), &info), 0);
        EXPECT_TRUE(S_ISSOCK(info.st_mode));
        EXPECT_EQ(info.st_mode & 077, 0u);
    }
    EXPECT_FALSE(QFileInfo::exists(m_path));
    EXPECT_EQ(SingleInstance::deliver(m_path, HandoffMessage::bringForward(), 1s), SingleInstance::Outcome::NotRunning);
}

TEST(SingleInstancePath, UsesOnlyAPrivateRuntimeFolder)
{
    QTemporaryDir runtime;
    QTemporaryDir temp;
    ASSERT_TRUE(runtime.isValid() && temp.isValid());
    const QString name = QStringLiteral("quillcraft-%1.socket").arg(getuid());
    const ScopedEnvironment tmpdir("TMPDIR", QFile::encodeName(temp.path()));
    {
        const ScopedEnvironment xdg("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        EXPECT_EQ(SingleInstance::privateSocketPath(), runtime.filePath(name));

        // Readable by others: not a place for the socket.
        ASSERT_EQ(chmod(QFile::encodeName(runtime.path()).constData(), 0755), 0);
        const QString fallback = temp.filePath(QStringLiteral("quillcraft-%1").arg(getuid()));
        EXPECT_EQ(SingleInstance::privateSocketPath(), fallback + u'/' + name);
        struct stat info { };
        ASSERT_EQ(lstat(QFile::encodeName(fallback).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
    }
    // A fallback folder someone else could enter is refused, not reused.
    const QString fallback = temp.filePath(QStringLiteral("quillcraft-%1").arg(getuid()));
    ASSERT_EQ(chmod(QFile::encodeName(fallback).constData(), 0777), 0);
    const ScopedEnvironment xdg("XDG_RUNTIME_DIR", "");
    EXPECT_EQ(SingleInstance::privateSocketPath(), std::nullopt);
}
