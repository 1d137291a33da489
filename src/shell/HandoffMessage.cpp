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
    // A link without a token still goes through: it ends its sign-in as not finished
    // at once, where the running program compares the state.
    const std::optional<QString> state = AccountEndpoints::callbackState(link);
    if (!state)
        return refused();
    // The receiver gets a QUrl; its text must read the same, or the sign-in
    // would later fail on a link that was accepted here.
    QUrl url(link, QUrl::StrictMode);
    const QString reread = url.toString(QUrl::FullyEncoded);
    if (AccountEndpoints::callbackState(reread) != state
        || AccountEndpoints::connectToken(reread, *state) != AccountEndpoints::connectToken(link, *state))
        return refused();
    return { Kind::OpenUrl, std::move(url) };
}

} // namespace quillcraft
