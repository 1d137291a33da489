// Reading the update feed: which release it offers, and what it may not make us open.
#include "service/UpdateFeed.h"

#include <gtest/gtest.h>

using namespace quillcraft;

namespace {

QByteArray feedOf(const QByteArray& items)
{
    return "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" xmlns:sp=\"http://example.org/appcast\"><channel>"
           "<title>Quillcraft</title><link>https://quillcraft.example/</link>"
        + items + "</channel></rss>";
}

} // namespace

TEST(UpdateFeed, TheHighestVersionWithAPageWins)
{
    const QByteArray feed = feedOf(
        "<item><title>1.9</title><link>https://quillcraft.example/1.9</link>"
        "<sp:shortVersionString>1.9</sp:shortVersionString></item>"
        "<item><title>1.10</title><link>https://quillcraft.example/1.10</link>"
        "<enclosure url=\"https://quillcraft.example/q.tar\" sp:version=\"110\" sp:shortVersionString=\"1.10\"/></item>"
        "<item><title>2.0 without a page</title><sp:shortVersionString>2.0</sp:shortVersionString></item>"
        "<item><title>1.2</title><sp:version>1.2</sp:version>"
        "<sp:releaseNotesLink>https://quillcraft.example/notes/1.2</sp:releaseNotesLink></item>");
    const std::optional<UpdateRelease> newest = UpdateFeed::newestRelease(feed);
    ASSERT_TRUE(newest);
    EXPECT_EQ(newest->displayVersion, QStringLiteral("1.10"));
    EXPECT_EQ(newest->version, QVersionNumber(1, 10));
    EXPECT_EQ(newest->page, QUrl(QStringLiteral("https://quillcraft.example/1.10")));
}

TEST(UpdateFeed, PagesThatAreNotWebPagesAreNeverOffered)
{
    for (const char* page : { "file:///etc/passwd", "javascript:alert(1)", "quillcraft://connected?token=x",
             "http://quillcraft.example/plain", "https://", "smb://host/share", "not a url at all" }) {
        const QByteArray feed = feedOf(
            QByteArray("<item><link>") + page + "</link><sp:shortVersionString>9.0</sp:shortVersionString></item>");
        EXPECT_FALSE(UpdateFeed::newestRelease(feed)) << page;
    }
    // The notes link stands in for an unusable link; plain http only to this machine.
    const QByteArray local = feedOf("<item><link>ftp://x/</link><sp:releaseNotesLink>http://127.0.0.1:8080/n"
                                    "</sp:releaseNotesLink><sp:shortVersionString>9.0</sp:shortVersionString></item>");
    ASSERT_TRUE(UpdateFeed::newestRelease(local));
    EXPECT_EQ(UpdateFeed::newestRelease(local)->page.port(), 8080);
}

TEST(UpdateFeed, BrokenOrHostileFeedsOfferNothing)
{
    const QByteArray good = feedOf("<item><link>https://q.example/3</link><sp:version>3.0</sp:version></item>");
    ASSERT_TRUE(UpdateFeed::newestRelease(good));
    EXPECT_FALSE(UpdateFeed::newestRelease(good.left(good.size() - 20))) << "cut off part way";
    EXPECT_FALSE(UpdateFeed::newestRelease(QByteArray()));
    EXPECT_FALSE(UpdateFeed::newestRelease("{\"version\": \"3.0\"}"));
    EXPECT_FALSE(
        UpdateFeed::newestRelease(feedOf("<item><link>https://q.example/</link><sp:version>soon</sp:version></item>")));
    QByteArray huge = feedOf("<item><link>https://q.example/4</link><sp:version>4.0</sp:version></item>");
    huge.append(QByteArray(UpdateFeed::maxFeedBytes, ' '));
    EXPECT_FALSE(UpdateFeed::newestRelease(huge));
    // Entities that would grow without bound are refused by the reader.
    const QByteArray laughs
        = "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\">"
          "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
          "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">]>"
          "<rss><channel><item><link>https://q.example/&e;</link><version>5.0</version></item>"
          "</channel></rss>";
    EXPECT_FALSE(UpdateFeed::newestRelease(laughs));
}

TEST(UpdateFeed, OnlyANumberedRunningVersionIsUpdated)
{
    EXPECT_TRUE(UpdateFeed::isNewer(QVersionNumber(1, 10), QStringLiteral("1.9")));
    EXPECT_FALSE(UpdateFeed::isNewer(QVersionNumber(1, 9), QStringLiteral("1.9.0")));
    EXPECT_FALSE(UpdateFeed::isNewer(QVersionNumber(1, 8, 5), QStringLiteral("1.9")));
    EXPECT_TRUE(UpdateFeed::isNewer(QVersionNumber(1, 9, 1), QStringLiteral("1.9 (beta)")));
    EXPECT_FALSE(UpdateFeed::isNewer(QVersionNumber(9), QStringLiteral("Development")));
    EXPECT_FALSE(UpdateFeed::isNewer(QVersionNumber(9), QString()));
}
