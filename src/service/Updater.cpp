#include "Updater.h"

#include "core/Clock.h"
#include "core/Logging.h"
#include "settings/DefaultsStore.h"
#include "settings/PreferenceKeys.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

#include <memory>
#include <utility>

namespace quillcraft {

namespace {

const QLatin1String automaticChecksKey = PreferenceKeys::automaticallyChecksForUpdates.name;
constexpr int fetchTimeoutMs = 30'000;

} // namespace

Updater::Updater(
    QUrl feed, QString version, DefaultsStore& defaults, Clock& clock, OpenPage openPage, QObject* parent, Fetch fetch)
    : QObject(parent)
    , m_feed(std::move(feed))
    , m_version(std::move(version))
    , m_defaults(defaults)
    , m_clock(clock)
    , m_fetch(std::move(fetch))
    , m_openPage(std::move(openPage))
{
    if (!m_fetch) {
        m_fetch = [this](const QUrl& url, std::function<void(std::optional<QByteArray>)> done) {
            fetchFromNetwork(url, std::move(done));
        };
    }
}

Updater::~Updater() = default;

QString Updater::version() const
{
    return m_version.trimmed().isEmpty() ? QStringLiteral("Development") : m_version;
}

bool Updater::automaticallyChecks()
{
    // Off until the user turns it on: a check is traffic they did not ask for.
    return enabled()
        && m_defaults.boolValue(automaticChecksKey)
               .value_or(PreferenceKeys::automaticallyChecksForUpdates.defaultValue());
}

void Updater::setAutomaticallyChecks(bool on)
{
    if (!enabled() || automaticallyChecks() == on)
        return;
    m_defaults.setValue(automaticChecksKey, on);
    ++m_schedule;
    if (on && m_started)
        scheduleCheck(firstCheckDelayMs);
    Q_EMIT changed();
}

void Updater::start()
{
    if (m_started || !enabled())
        return;
    m_started = true;
    if (automaticallyChecks())
        scheduleCheck(firstCheckDelayMs);
}

void Updater::checkForUpdates()
{
    if (!enabled()) {
        Q_EMIT message(QStringLiteral("Automatic updates are disabled in development builds."));
        return;
    }
    // A newer release already found: its page is what the user wants.
    if (m_available) {
        m_openPage(m_available->page);
        return;
    }
    check(true);
}

void Updater::scheduleCheck(int delayMs)
{
    m_clock.after(delayMs, this, [this, schedule = m_schedule] {
        if (schedule != m_schedule || !automaticallyChecks())
            return;
        check(false);
        scheduleCheck(checkIntervalMs);
    });
}

void Updater::check(bool userAsked)
{
    // A check already under way answers the user too.
    m_userWaiting = m_userWaiting || userAsked;
    if (m_checking)
        return;
    m_checking = true;
    Q_EMIT changed();
    m_fetch(m_feed, [self = QPointer(this)](std::optional<QByteArray> body) {
        if (self)
            self->finished(body);
    });
}

void Updater::finished(const std::optional<QByteArray>& body)
{
    m_checking = false;
    const bool userAsked = std::exchange(m_userWaiting, false);
    const std::optional<UpdateRelease> newest = body ? UpdateFeed::newestRelease(*body) : std::nullopt;
    if (newest && UpdateFeed::isNewer(newest->version, m_version))
        m_available = newest;
    Q_EMIT changed();
    if (!userAsked)
        return;
    if (m_available) {
        m_openPage(m_available->page);
    } else if (!body) {
        Q_EMIT message(QStringLiteral("Quillcraft couldn\u2019t check for updates. Try again later."));
    } else if (!newest) {
        Q_EMIT message(QStringLiteral("The update feed could not be read. Try again later."));
    } else {
        Q_EMIT message(QStringLiteral("Quillcraft %1 is the newest version.").arg(version()));
    }
}

void Updater::fetchFromNetwork(const QUrl& url, std::function<void(std::optional<QByteArray>)> done)
{
    // Its own manager: the service's cookies have no business with the feed.
    auto* manager = findChild<QNetworkAccessManager*>();
    if (!manager)
        manager = new QNetworkAccessManager(this);
    QNetworkRequest request(url);
    request.setTransferTimeout(fetchTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = manager->get(request);
    auto body = std::make_shared<QByteArray>();
    auto finish = std::make_shared<std::function<void(std::optional<QByteArray>)>>(std::move(done));
    connect(reply, &QNetworkReply::readyRead, reply, [reply, body, finish] {
        body->append(reply->readAll());
        if (body->size() > UpdateFeed::maxFeedBytes && *finish) {
            std::exchange(*finish, {})(std::nullopt);
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, reply, [reply, body, finish] {
        reply->deleteLater();
        if (!*finish)
            return;
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->error() != QNetworkReply::NoError || status != 200) {
            qCInfo(lcService, "The update feed could not be fetched (status %d).", status);
            std::exchange(*finish, {})(std::nullopt);
            return;
        }
        body->append(reply->readAll());
        std::exchange(*finish, {})(std::optional<QByteArray>(*body));
    });
}

} // namespace quillcraft
