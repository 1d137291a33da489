#include "LoopbackHttpServer.h"
#include "Printers.h"
#include "Wait.h"
#include "service/PersistentCookieJar.h"
#include "service/QuillcraftClient.h"
#include "service/ServiceNetwork.h"

#include <QDir>
#include <QFile>
#include <QNetworkCookie>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace quillcraft;
using test::LoopbackHttpServer;
using test::ScriptedReply;

namespace {

const QByteArray finished = "data: {\"type\":\"text-delta\",\"delta\":\"Done.\"}\n"
                            "data: {\"type\":\"finish\"}\n";

// Sends one rewrite through `network` and returns the request the server saw.
test::RecordedRequest rewriteThrough(ServiceNetwork& network, LoopbackHttpServer& server, ScriptedReply reply)
{
    server.enqueue(reply.send(finished));
    bool over = false;
    auto task = QuillcraftClient(network.manager(), server.origin())
                    .rewrite(QStringLiteral("x"), RewriteAction::rewrite(), QStringLiteral("English"), {},
                             [&over](const RewriteTask::Outcome&) { over = true; });
    EXPECT_TRUE(test::waitUntil([&] { return over; }));
    return server.requests().last();
}

QStringList messages;

void collect(QtMsgType, const QMessageLogContext&, const QString& message)
{
    messages << message;
}

class CookieJarTest : public testing::Test {
protected:
    QString path() const { return m_dir.path() + QStringLiteral("/quillcraft/cookies.json"); }

    QTemporaryDir m_dir;
    LoopbackHttpServer m_server;
};

} // namespace

TEST_F(CookieJarTest, KeepsPersistentCookiesAcrossRunsInAPrivateFile)
{
    {
        ServiceNetwork network(path());
        rewriteThrough(network, m_server,
                       ScriptedReply(200)
                           .header("Set-Cookie", "better-auth.session_token=s3cr3t; Max-Age=3600; Path=/; HttpOnly")
                           .header("Set-Cookie", "guest=1; Path=/")
                           .header("Set-Cookie", "old=1; Expires=Wed, 01 Jan 2020 00:00:00 GMT; Path=/"));
        EXPECT_EQ(network.cookieJar()->cookiesForUrl(m_server.origin()).size(), 2);
    }
    QFile file(path());
    ASSERT_TRUE(file.exists());
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(path()).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    // Only the final file, no temporary left behind.
    EXPECT_EQ(QDir(m_dir.path() + QStringLiteral("/quillcraft")).entryList(QDir::Files),
              QStringList{QStringLiteral("cookies.json")});

    ServiceNetwork next(path());
    const test::RecordedRequest request = rewriteThrough(next, m_server, ScriptedReply(200));
    EXPECT_EQ(request.header("cookie"), "better-auth.session_token=s3cr3t");

    // Signing out (the server expires the cookie) empties the file too.
    rewriteThrough(next, m_server,
                   ScriptedReply(200).header("Set-Cookie", "better-auth.session_token=; Max-Age=0; Path=/"));
    ServiceNetwork third(path());
    EXPECT_TRUE(third.cookieJar()->cookiesForUrl(m_server.origin()).isEmpty());
}

TEST_F(CookieJarTest, ExpiredCookiesAreDroppedOnLoad)
{
    QNetworkCookie live("live", "1");
    live.setDomain(QStringLiteral("127.0.0.1"));
    live.setPath(QStringLiteral("/"));
    live.setExpirationDate(QDateTime::currentDateTimeUtc().addSecs(3600));
    {
        PersistentCookieJar jar(path());
        QNetworkCookie soon = live;
        soon.setName("soon");
        soon.setExpirationDate(QDateTime::currentDateTimeUtc().addMSecs(300));
        ASSERT_TRUE(jar.insertCookie(live));
        ASSERT_TRUE(jar.insertCookie(soon));
    }
    test::spin(400);
    PersistentCookieJar jar(path());
    QList<QByteArray> names;
    for (const QNetworkCookie& cookie : jar.cookiesForUrl(m_server.origin()))
        names << cookie.name();
    EXPECT_EQ(names, QList<QByteArray>{"live"});
}

TEST_F(CookieJarTest, ADamagedFileIsMovedAsideWithoutShowingItsContent)
{
    QDir().mkpath(QFileInfo(path()).absolutePath());
    for (const QByteArray& damage : {QByteArray("{\"version\":1,\"cookies\":[{\"name\":\"c2VjcmV0\"}]} tail"),
                                     QByteArray("{\"version\":1,\"cookies\":[{\"name\":\"!!\",\"value\":\"c2VjcmV0\","
                                                "\"domain\":\"\",\"path\":\"/\",\"expires\":\"2999-01-01T00:00:00Z\","
                                                "\"secure\":false,\"httpOnly\":false,\"sameSite\":\"\"}]}")}) {
        for (const QString& name : QDir(QFileInfo(path()).absolutePath()).entryList(QDir::Files))
            QFile::remove(QFileInfo(path()).absolutePath() + QLatin1Char('/') + name);
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(damage);
        file.close();

        messages.clear();
        const QtMessageHandler previous = qInstallMessageHandler(collect);
        ServiceNetwork network(path());
        qInstallMessageHandler(previous);

        ASSERT_EQ(messages.size(), 1);
        EXPECT_FALSE(messages[0].contains(QLatin1String("c2VjcmV0")));
        EXPECT_FALSE(messages[0].contains(QLatin1Char('\n')));
        EXPECT_TRUE(messages[0].endsWith(QLatin1Char('.')));
        const QStringList aside = QDir(QFileInfo(path()).absolutePath())
                                      .entryList({QStringLiteral("cookies.json.damaged-*")}, QDir::Files);
        ASSERT_EQ(aside.size(), 1);
        EXPECT_FALSE(QFile::exists(path()));

        // The program goes on and keeps new cookies.
        rewriteThrough(network, m_server, ScriptedReply(200).header("Set-Cookie", "fresh=1; Max-Age=60; Path=/"));
        EXPECT_TRUE(QFile::exists(path()));
    }
}
