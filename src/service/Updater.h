#pragma once

#include "service/UpdateFeed.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

namespace quillcraft {

class Clock;
class DefaultsStore;

// Looks for a newer release in the update feed the build was configured with, and
// offers its page in the browser. It never downloads or runs anything itself, so an
// update is never "ready to install" here. Without a feed (development builds) it is
// disabled. Checks go out only when the user asks or turned automatic checks on.
class Updater final : public QObject {
    Q_OBJECT

public:
    // Fetches a URL: calls done once with the body, or nullopt on any failure.
    using Fetch = std::function<void(const QUrl& url, std::function<void(std::optional<QByteArray>)> done)>;
    // Opens a web page in the user's browser.
    using OpenPage = std::function<void(const QUrl& page)>;

    // First automatic check after start, then one a day.
    static constexpr int firstCheckDelayMs = 60'000;
    static constexpr int checkIntervalMs = 24 * 60 * 60 * 1000;

    // `feed` empty disables updates. `fetch` empty reads the feed from the network.
    Updater(QUrl feed, QString version, DefaultsStore& defaults, Clock& clock, OpenPage openPage,
        QObject* parent = nullptr, Fetch fetch = {});
    ~Updater() override;

    bool enabled() const { return m_feed.isValid() && !m_feed.isEmpty(); }
    // The running version, or "Development" when the build has none.
    QString version() const;
    bool canCheck() const { return enabled() && !m_checking; }
    bool updateAvailable() const { return m_available.has_value(); }
    // Installing is the package manager's or the user's business here.
    bool updateReady() const { return false; }
    const std::optional<QString>& notice() const { return m_notice; }
    const std::optional<UpdateRelease>& availableRelease() const { return m_available; }

    bool automaticallyChecks();
    void setAutomaticallyChecks(bool on);
    bool automaticallyInstalls() const { return false; }

    // Starts the automatic checks when they are on; at most once.
    void start();
    // The user's "Check for Updates…": opens the newer release's page, or says in a
    // message that this is the newest version or that the feed could not be read.
    void checkForUpdates();

Q_SIGNALS:
    void changed();
    // One sentence for the user, after a check they asked for.
    void message(const QString& text);

private:
    void check(bool userAsked);
    void scheduleCheck(int delayMs);
    void finished(const std::optional<QByteArray>& body);
    void fetchFromNetwork(const QUrl& url, std::function<void(std::optional<QByteArray>)> done);

    QUrl m_feed;
    QString m_version;
    DefaultsStore& m_defaults;
    Clock& m_clock;
    Fetch m_fetch;
    OpenPage m_openPage;
    bool m_started = false;
    bool m_checking = false;
    bool m_userWaiting = false;
    // Bumped when automatic checks are switched, so an old schedule lapses.
    int m_schedule = 0;
    std::optional<UpdateRelease> m_available;
    std::optional<QString> m_notice;
};

} // namespace quillcraft
