// The updater's checks, on a manual clock with a feed the test serves by hand.
#include "service/Updater.h"

#include "ManualClock.h"
#include "settings/DefaultsStore.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace quillcraft;
using quillcraft::test::ManualClock;

namespace {

const QUrl feedUrl(QStringLiteral("https://quillcraft.example/feed.xml"));

QByteArray feedOffering(const char* version)
{
    return QByteArray("<rss><channel><item><link>https://quillcraft.example/") + version + "</link><version>" + version
        + "</version></item></channel></rss>";
}

class UpdaterTest : public testing::Test {
protected:
    Updater& make(const QUrl& feed = feedUrl, const QString& version = QStringLiteral("1.4"))
    {
        m_updater = std::make_unique<Updater>(
            feed, version, m_defaults, m_clock, [this](const QUrl& page) { opened.push_back(page); }, nullptr,
            [this](const QUrl& url, std::function<void(std::optional<QByteArray>)> done) {
                fetched.push_back(url);
                waiting.push_back(std::move(done));
            });
        QObject::connect(m_updater.get(), &Updater::message, [this](const QString& text) { messages << text; });
        return *m_updater;
    }
    // Answers the oldest fetch still waiting.
    void answer(std::optional<QByteArray> body)
    {
        ASSERT_FALSE(waiting.empty());
        auto done = std::move(waiting.front());
        waiting.erase(waiting.begin());
        done(std::move(body));
    }

    QTemporaryDir m_dir;
    DefaultsStore m_defaults { m_dir.filePath(QStringLiteral("defaults.json")) };
    ManualClock m_clock;
    std::unique_ptr<Updater> m_updater;
    std::vector<QUrl> fetched;
    std::vector<std::function<void(std::optional<QByteArray>)>> waiting;
    std::vector<QUrl> opened;
    QStringList messages;
};

} // namespace

TEST_F(UpdaterTest, WithoutAFeedNothingIsEverFetched)
{
    Updater& updater = make(QUrl(), QString());
    EXPECT_FALSE(updater.enabled());
    EXPECT_FALSE(updater.canCheck());
    EXPECT_EQ(updater.version(), QStringLiteral("Development"));
    updater.setAutomaticallyChecks(true);
    EXPECT_FALSE(updater.automaticallyChecks());
    updater.start();
    updater.checkForUpdates();
    m_clock.advance(Updater::checkIntervalMs * 2);
    EXPECT_TRUE(fetched.empty());
    EXPECT_EQ(messages, QStringList { QStringLiteral("Automatic updates are disabled in development builds.") });
}

TEST_F(UpdaterTest, AUserCheckOpensTheNewerPageOrSaysWhy)
{
    Updater& updater = make();
    updater.checkForUpdates();
    EXPECT_FALSE(updater.canCheck()) << "a check is under way";
    answer(feedOffering("1.4"));
    EXPECT_EQ(messages.value(0), QStringLiteral("Quillcraft 1.4 is the newest version."));

    updater.checkForUpdates();
    answer(std::nullopt);
    EXPECT_EQ(messages.value(1), QStringLiteral("Quillcraft couldn\u2019t check for updates. Try again later."));

    updater.checkForUpdates();
    answer(QByteArray("<html>captive portal</html>"));
    EXPECT_EQ(messages.value(2), QStringLiteral("The update feed could not be read. Try again later."));

    updater.checkForUpdates();
    answer(feedOffering("1.5"));
    EXPECT_TRUE(updater.updateAvailable());
    EXPECT_FALSE(updater.updateReady());
    EXPECT_EQ(opened, std::vector<QUrl> { QUrl(QStringLiteral("https://quillcraft.example/1.5")) });
    // Found once, the page opens again without another fetch.
    updater.checkForUpdates();
    EXPECT_EQ(fetched.size(), 4u);
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_EQ(messages.size(), 3);
}

TEST_F(UpdaterTest, AutomaticChecksAreOffUntilTurnedOnAndThenDaily)
{
    Updater& updater = make();
    updater.start();
    m_clock.advance(Updater::checkIntervalMs);
    EXPECT_TRUE(fetched.empty()) << "no traffic the user did not ask for";

    updater.setAutomaticallyChecks(true);
    EXPECT_TRUE(updater.automaticallyChecks());
    m_clock.advance(Updater::firstCheckDelayMs);
    ASSERT_EQ(fetched.size(), 1u);
    // A user's check while the automatic one is under way is answered by it.
    updater.checkForUpdates();
    EXPECT_EQ(fetched.size(), 1u);
    answer(feedOffering("1.4"));
    EXPECT_EQ(messages.size(), 1);

    m_clock.advance(Updater::checkIntervalMs);
    ASSERT_EQ(fetched.size(), 2u);
    // Found by an automatic check: shown as available, nothing opened by itself.
    answer(feedOffering("2.0"));
    EXPECT_TRUE(updater.updateAvailable());
    EXPECT_TRUE(opened.empty());

    updater.setAutomaticallyChecks(false);
    m_clock.advance(Updater::checkIntervalMs * 3);
    EXPECT_EQ(fetched.size(), 2u);

    // The choice is kept for the next start.
    Updater& again = make();
    EXPECT_FALSE(again.automaticallyChecks());
}
