#include "QuillcraftClient.h"

#include "core/TextTrim.h"
#include "service/OneTimeBody.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>

namespace quillcraft {

namespace {

QString genericMessage()
{
    return QStringLiteral("The rewrite failed. Try again.");
}

// Spaces and tabs only: other white space belongs to the payload.
bool isSpaceOrTab(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

std::optional<QJsonObject> jsonObject(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

// The body as the words to show, or nothing when it is not valid UTF-8 or is
// markup (a proxy's or CDN's error page is no message for the card).
QString plainTextMessage(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = QString(decoder(bytes)).trimmed();
    if (decoder.hasError() || text.startsWith(QLatin1Char('<')))
        return QString();
    return text;
}

} // namespace

RewriteFailure QuillcraftClient::stoppedEarly()
{
    return { RewriteFailure::Kind::server, QStringLiteral("The rewrite stopped early. Try again.") };
}

RewriteFailure QuillcraftClient::unreachable()
{
    return { RewriteFailure::Kind::offline,
        QStringLiteral("Quillcraft is not reachable. Check your connection and try again.") };
}

RewriteFailure QuillcraftClient::failedGenerally()
{
    return { RewriteFailure::Kind::server, genericMessage() };
}

QuillcraftClient::QuillcraftClient(QNetworkAccessManager* network, QUrl origin, std::chrono::milliseconds timeout)
    : m_network(network)
    , m_origin(std::move(origin))
    , m_timeout(timeout)
{
}

std::unique_ptr<RewriteTask> QuillcraftClient::rewrite(const QString& text, const RewriteAction& action,
    const QString& language, RewriteTask::TextHandler onText, RewriteTask::CompletionHandler onDone) const
{
    if (!m_network) {
        return std::make_unique<RewriteTask>(unreachable(), std::move(onDone));
    }
    QUrl url = m_origin;
    url.setPath(QStringLiteral("/api/rewriter/v4"));
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setTransferTimeout(int(m_timeout.count()));
    // A resent rewrite would count twice against the daily allowance.
    auto* body = new OneTimeBody(QJsonDocument(payload(text, action, language)).toJson(QJsonDocument::Compact));
    request.setHeader(QNetworkRequest::ContentLengthHeader, body->size());
    request.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
    QNetworkReply* reply = m_network->post(request, body);
    body->setParent(reply);
    return std::make_unique<RewriteTask>(reply, std::move(onText), std::move(onDone));
}

QJsonObject QuillcraftClient::payload(const QString& text, const RewriteAction& action, const QString& language)
{
    using Mode = RewriteAction::Mode;
    const bool grammar = action.mode == Mode::grammar;
    QJsonObject body {
        { QStringLiteral("prompt"), text },
        { QStringLiteral("language"), language },
        { QStringLiteral("mode"), grammar ? QStringLiteral("grammar") : QStringLiteral("rewrite") },
        // Grammar fixes always go out plain, whatever the card holds.
        { QStringLiteral("role"), grammar ? QStringLiteral("Standard") : action.role },
        { QStringLiteral("unfiltered"), false },
        { QStringLiteral("features"), QJsonArray { QString(macAppFeature) } },
        { QStringLiteral("tone"), grammar ? QJsonArray() : QJsonArray::fromStringList(action.tones) },
        { QStringLiteral("toneSource"), grammar ? QStringLiteral("preset") : RewriteAction::rawValue(action.source) },
    };
    if (action.mode == Mode::shorten)
        body.insert(QStringLiteral("lengthPreset"), QStringLiteral("shorter"));
    return body;
}

std::optional<QuillcraftClient::StreamEvent> QuillcraftClient::streamEvent(const QString& line)
{
    if (!line.startsWith(QLatin1String("data:")))
        return std::nullopt;
    const QString data = trimmed(line.mid(5), isSpaceOrTab);
    if (data == QLatin1String("[DONE]"))
        return std::nullopt;
    const std::optional<QJsonObject> record = jsonObject(data.toUtf8());
    if (!record)
        return std::nullopt;
    const QJsonValue type = record->value(QLatin1String("type"));
    if (!type.isString())
        return std::nullopt;
    const QString kind = type.toString();
    if (kind == QLatin1String("text-delta")) {
        const QJsonValue delta = record->value(QLatin1String("delta"));
        if (!delta.isString())
            return std::nullopt;
        return StreamEvent::delta(delta.toString());
    }
    if (kind == QLatin1String("error")) {
        const QJsonValue message = record->value(QLatin1String("errorText"));
        // A failure is never shown without words.
        const bool worded = message.isString() && !message.toString().trimmed().isEmpty();
        return StreamEvent::error(worded ? message.toString() : genericMessage());
    }
    if (kind == QLatin1String("finish")) {
        const QJsonValue reason = record->value(QLatin1String("finishReason"));
        return StreamEvent::finish(reason.isString() ? std::optional(reason.toString()) : std::nullopt);
    }
    if (kind == QLatin1String("abort"))
        return StreamEvent::abort();
    return std::nullopt;
}

RewriteFailure QuillcraftClient::failure(int status, const QByteArray& body)
{
    using Kind = RewriteFailure::Kind;
    const std::optional<QJsonObject> object = jsonObject(body);
    QString message;
    QString code;
    if (object) {
        // An object without a message is not shown as its JSON source.
        if (object->value(QLatin1String("message")).isString())
            message = object->value(QLatin1String("message")).toString();
    } else {
        message = plainTextMessage(body);
    }
    if (object && object->value(QLatin1String("error")).isString())
        code = object->value(QLatin1String("error")).toString();

    if (status == 429) {
        if (code == QLatin1String("login_required"))
            return { Kind::signInForMore,
                QStringLiteral("You used today's 10 guest rewrites. Sign in free for 40 a day.") };
        if (code == QLatin1String("daily_limit_exceeded"))
            return { Kind::upgradeForMore, QStringLiteral("You used today's free rewrites. Pro is unlimited.") };
        return { Kind::tryLater,
            message.isEmpty() ? QStringLiteral("Too many rewrites at once. Try again soon.") : message };
    }
    if (status == 413)
        return { Kind::tooLong, message.isEmpty() ? QStringLiteral("That selection is too long.") : message };
    return { Kind::server, genericMessage() };
}

} // namespace quillcraft
