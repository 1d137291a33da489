#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QVersionNumber>

#include <optional>

namespace quillcraft {

// The newest release an update feed offers. The feed is RSS 2.0 in the appcast style:
// each <item> names a version (a "shortVersionString" or "version" element or attribute
// of its <enclosure>, in any namespace) and the page that offers it (its <link>, else its
// "releaseNotesLink"). Nothing is ever downloaded from it: the page is what the user opens.
struct UpdateRelease final {
    QVersionNumber version;
    QString displayVersion;
    QUrl page;

    bool operator==(const UpdateRelease&) const = default;
};

namespace UpdateFeed {

// Feeds larger than this are not read at all.
constexpr qsizetype maxFeedBytes = 1024 * 1024;

// The item with the highest version that has a page that can be opened safely (https,
// or http to this machine); nullopt when the feed is not such a feed or offers none.
std::optional<UpdateRelease> newestRelease(const QByteArray& feed);

// Whether `offered` is newer than the running `current` version; a current version
// that is not a number ("Development") is never updated.
bool isNewer(const QVersionNumber& offered, const QString& current);

} // namespace UpdateFeed

} // namespace quillcraft
