#include "UpdateFeed.h"

#include <QXmlStreamReader>

namespace quillcraft::UpdateFeed {

namespace {

// Only a web page may be handed to the browser: a feed must not open files or
// other programs through a URL scheme.
bool isSafePage(const QUrl& url)
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    if (url.scheme() == QLatin1String("https"))
        return true;
    const QString host = url.host();
    return url.scheme() == QLatin1String("http")
        && (host == QLatin1String("localhost") || host == QLatin1String("127.0.0.1") || host == QLatin1String("::1"));
}

// "1.4.2" or "1.4.2 (beta)": the leading numbers.
QVersionNumber versionOf(const QString& text)
{
    qsizetype suffix = 0;
    const QVersionNumber version = QVersionNumber::fromString(text.trimmed(), &suffix);
    return version.segmentCount() > 0 ? version : QVersionNumber();
}

struct Item {
    QString shortVersion;
    QString version;
    QString link;
    QString notes;
};

std::optional<UpdateRelease> releaseOf(const Item& item)
{
    const QString shown = !item.shortVersion.trimmed().isEmpty() ? item.shortVersion.trimmed() : item.version.trimmed();
    const QVersionNumber version = versionOf(shown);
    if (version.isNull())
        return std::nullopt;
    for (const QString& candidate : { item.link, item.notes }) {
        const QUrl page(candidate.trimmed(), QUrl::StrictMode);
        if (isSafePage(page))
            return UpdateRelease { version, shown.left(40), page };
    }
    return std::nullopt;
}

} // namespace

std::optional<UpdateRelease> newestRelease(const QByteArray& feed)
{
    if (feed.size() > maxFeedBytes)
        return std::nullopt;
    QXmlStreamReader xml(feed);
    std::optional<UpdateRelease> newest;
    std::optional<Item> item;
    int depth = 0;
    int itemDepth = -1;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            const QStringView name = xml.name();
            if (name == QLatin1String("item") && !item) {
                item = Item {};
                itemDepth = depth;
                continue;
            }
            // Fields of the item itself, not of anything nested deeper.
            if (!item || depth != itemDepth + 1)
                continue;
            if (name == QLatin1String("enclosure")) {
                for (const QXmlStreamAttribute& attribute : xml.attributes()) {
                    if (attribute.name() == QLatin1String("shortVersionString") && item->shortVersion.isEmpty())
                        item->shortVersion = attribute.value().toString();
                    else if (attribute.name() == QLatin1String("version") && item->version.isEmpty())
                        item->version = attribute.value().toString();
                }
            } else if (name == QLatin1String("shortVersionString")) {
                item->shortVersion = xml.readElementText(QXmlStreamReader::SkipChildElements);
                --depth;
            } else if (name == QLatin1String("version")) {
                item->version = xml.readElementText(QXmlStreamReader::SkipChildElements);
                --depth;
            } else if (name == QLatin1String("link")) {
                item->link = xml.readElementText(QXmlStreamReader::SkipChildElements);
                --depth;
            } else if (name == QLatin1String("releaseNotesLink")) {
                item->notes = xml.readElementText(QXmlStreamReader::SkipChildElements);
                --depth;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (item && depth == itemDepth) {
                const std::optional<UpdateRelease> release = releaseOf(*item);
                if (release && (!newest || release->version > newest->version))
                    newest = release;
                item.reset();
            }
            --depth;
        }
    }
    // A feed cut off or broken part way is not trusted at all.
    if (xml.hasError())
        return std::nullopt;
    return newest;
}

bool isNewer(const QVersionNumber& offered, const QString& current)
{
    const QVersionNumber running = versionOf(current);
    return !running.isNull() && !offered.isNull() && offered > running;
}

} // namespace quillcraft::UpdateFeed
