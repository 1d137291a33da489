#include "HandoffMessage.h"

#include "service/AccountEndpoints.h"

#include <QStringDecoder>
#include <QUrlQuery>

namespace quillcraft {

namespace {

constexpr QByteArrayView raiseLine("raise");
constexpr QByteArrayView openPrefix("open ");

HandoffMessage refused()
{
    return { HandoffMessage::Kind::Refused, {} };
}

// The first "state" item of the link as the account code decodes it; empty when
// there is none, which the token reader then refuses.
QString ownState(const QString& link)
{
    const QUrl url(link, QUrl::StrictMode);
    if (!url.isValid())
        return {};
    const QList<QPair<QString, QString>> items = QUrlQuery(url).queryItems(QUrl::FullyDecoded);
    for (const auto& [key, value] : items) {
        if (key == QLatin1String("state"))
            return value;
    }
    return {};
}

} // namespace

QByteArray HandoffMessage::bringForward()
{
    return raiseLine.toByteArray() + '\n';
}

QByteArray HandoffMessage::openUrl(const QString& url)
{
    return openPrefix.toByteArray() + url.toUtf8() + '\n';
}

HandoffMessage HandoffMessage::parse(QByteArrayView received)
{
    if (received.size() > maxSize)
        return refused();
    const qsizetype end = received.indexOf('\n');
    if (end < 0)
        return { Kind::Incomplete, {} };
    // One message per connection: anything after the line is a confused or hostile peer.
    if (end != received.size() - 1)
        return refused();
    const QByteArrayView line = received.first(end);
    if (line == raiseLine)
        return { Kind::BringForward, {} };
    if (!line.startsWith(openPrefix))
        return refused();

    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString link = utf8.decode(line.sliced(openPrefix.size()));
    if (utf8.hasError() || link.contains(QChar(0)))
        return refused();
    const QString state = ownState(link);
    const std::optional<QString> token = AccountEndpoints::connectToken(link, state);
    if (!token)
        return refused();
    // The receiver gets a QUrl; its text must read the same, or the sign-in
    // would later fail on a link that was accepted here.
    QUrl url(link, QUrl::StrictMode);
    if (AccountEndpoints::connectToken(url.toString(QUrl::FullyEncoded), state) != token)
        return refused();
    return { Kind::OpenUrl, std::move(url) };
}

} // namespace quillcraft
