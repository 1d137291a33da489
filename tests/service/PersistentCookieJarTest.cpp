#include "service/PersistentCookieJar.h"
#include "LoopbackHttpServer.h"
#include "Wait.h"
#include "service/QuillcraftClient.h"
#include "service/ServiceNetwork.h"

#include <QDir>
#include <QNetworkCookie>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace quillcraft;
using test::LoopbackHttpServer;
using test::ScriptedReply;

namespace {

QStringList warnings;

class CookieJarTest : public testing::Test {
protected:
    // Sends one rewrite through `network`; returns the request the server saw.
    test::RecordedRequest rewriteThrough(ServiceNetwork& network, ScriptedReply reply)
    {
        m_server.enqueue(reply.send("data: {\"type\":\"text-delta\",\"delta\":\"x\"}\ndata: {\"type\":\"finish\"}\n"));
        bool over = false;
        auto task = QuillcraftClient(network.manager(), m_server.origin())
                        .rewrite(QStringLiteral("x"), RewriteAction::rewrite(), QStringLiteral("English"), {},
                            [&over](const RewriteTask::Outcome&) { over = true; });
        EXPECT_TRUE(test::waitUntil([&] { return over; }));
        return m_server.requests().last();
    }
    QStringList files() const { return QDir(m_dir.path() + QStringLiteral("/quillcraft")).entryList(QDir::Files); }

    QTemporaryDir m_dir;
    const QString m_path = m_dir.path() + QStringLiteral("/quillcraft/cookies.json");
    LoopbackHttpServer m_server;
};

} // namespace

TEST_F(CookieJarTest, KeepsPersistentCookiesAcrossRunsInAPrivateFile)
{
    {
        ServiceNetwork network(m_path);
        rewriteThrough(network,
            ScriptedReply()
                .header("Set-Cookie", "better-auth.session_token=s3cr3t; Max-Age=3600; Path=/; HttpOnly")
                .header("Set-Cookie", "guest=1; Path=/")
                .header("Set-Cookie", "old=1; Expires=Wed, 01 Jan 2020 00:00:00 GMT; Path=/"));
    }
    struct stat status { };
    ASSERT_EQ(::stat(QFile::encodeName(m_path).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    EXPECT_EQ(files(), QStringList { QStringLiteral("cookies.json") }); // no temporary left behind

    // The next run sends the persistent cookie only, not the session one.
    ServiceNetwork next(m_path);
    EXPECT_EQ(rewriteThrough(next, ScriptedReply()).header("cookie"), "better-auth.session_token=s3cr3t");
    // Signing out (the server expires the cookie) empties the file too.
    rewriteThrough(next, ScriptedReply().header("Set-Cookie", "better-auth.session_token=; Max-Age=0; Path=/"));
    EXPECT_TRUE(ServiceNetwork(m_path).cookieJar()->cookiesForUrl(m_server.origin()).isEmpty());
}

TEST_F(CookieJarTest, ADamagedFileIsMovedAsideWithoutShowingItsContent)
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QFile file(m_path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"version":1,"cookies":[{"name":"!!","value":"c2VjcmV0","domain":"","path":"/",)"
               R"("expires":"2999-01-01T00:00:00Z","secure":false,"httpOnly":false,"sameSite":""}]})");
    file.close();

    const QtMessageHandler previous
        = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) { warnings << text; });
    ServiceNetwork network(m_path);
    qInstallMessageHandler(previous);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_FALSE(warnings[0].contains(QLatin1String("c2VjcmV0")) || warnings[0].contains(QLatin1Char('\n')));
    ASSERT_EQ(files().size(), 1);
    EXPECT_TRUE(files()[0].startsWith(QLatin1String("cookies.json.damaged-")));

    // The program goes on and keeps new cookies.
    rewriteThrough(network, ScriptedReply().header("Set-Cookie", "fresh=1; Max-Age=60; Path=/"));
    EXPECT_TRUE(QFile::exists(m_path));
}

TEST_F(CookieJarTest, AnExpiryPastTheYear9999InUtcIsKeptReadable)
{
    // Edited by hand or by another program: in UTC this date falls in the year 10000.
    // Saved as it was read, the next start would set aside every cookie, the sign-in too.
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QFile file(m_path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"version":1,"cookies":[{"name":"YQ==","value":"Yg==","domain":"127.0.0.1","path":"/",)"
               R"("expires":"9999-12-31T23:00:00.000-05:00","secure":false,"httpOnly":false,"sameSite":""}]})");
    file.close();
    {
        ServiceNetwork network(m_path);
        rewriteThrough(network, ScriptedReply().header("Set-Cookie", "guest=1; Max-Age=3600; Path=/"));
    }
    ServiceNetwork next(m_path);
    EXPECT_EQ(files(), QStringList { QStringLiteral("cookies.json") });
    EXPECT_EQ(next.cookieJar()->cookiesForUrl(m_server.origin()).size(), 2);
}
