#include "RewriteTask.h"

#include "core/Logging.h"
#include "service/QuillcraftClient.h"

#include <QTimer>

namespace quillcraft {

namespace {

// What Qt may buffer ahead of us while onText runs: the server is slowed down
// instead of the reply growing without bound.
constexpr qint64 replyBufferSize = 64 * 1024;
constexpr qint64 readChunk = 16 * 1024;

// Failures of the connection or of the HTTP framing, as opposed to the errors
// Qt derives from a status code. ContentReSendError is a close that Qt wanted
// to answer by sending the request again, which OneTimeBody refuses.
bool isTransportError(QNetworkReply::NetworkError error)
{
    // What Qt reports for an HTTP 400, which came whole.
    if (error == QNetworkReply::ProtocolInvalidOperationError)
        return false;
    const int code = int(error);
    return (code > QNetworkReply::NoError && code < QNetworkReply::ProxyConnectionRefusedError)
        || (code >= QNetworkReply::ProtocolUnknownError && code <= QNetworkReply::ProtocolFailure)
        || error == QNetworkReply::ContentReSendError;
}

} // namespace

RewriteTask::RewriteTask(QNetworkReply* reply, TextHandler onText, CompletionHandler onDone)
    : m_reply(reply)
    , m_onText(std::move(onText))
    , m_onDone(std::move(onDone))
{
    reply->setReadBufferSize(replyBufferSize);
    connect(reply, &QNetworkReply::readyRead, this, &RewriteTask::pump);
    connect(reply, &QNetworkReply::finished, this, &RewriteTask::pump);
}

RewriteTask::RewriteTask(const RewriteFailure& failure, CompletionHandler onDone)
    : m_onDone(std::move(onDone))
{
    QTimer::singleShot(0, this, [this, failure] { complete(failure); });
}

RewriteTask::~RewriteTask()
{
    detachReply();
}

void RewriteTask::cancel()
{
    if (m_over)
        return;
    m_over = true;
    m_cancelled = true;
    // Safe even from inside onText: handlers are only ever invoked through copies.
    m_onText = nullptr;
    m_onDone = nullptr;
    detachReply();
}

void RewriteTask::detachReply()
{
    if (!m_reply)
        return;
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    disconnect(reply, nullptr, this, nullptr);
    reply->abort();
    // We may be inside one of the reply's own signals.
    reply->deleteLater();
}

int RewriteTask::status() const
{
    const QVariant value = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    return value.isValid() ? value.toInt() : 0;
}

void RewriteTask::pump()
{
    // m_reading keeps a nested event loop inside onText from reading ahead;
    // the outer call picks up whatever arrived meanwhile.
    if (m_over || m_reading || !m_reply)
        return;
    m_reading = true;
    const bool alive = status() == 200 ? readStream() : readErrorBody();
    if (!alive)
        return;
    m_reading = false;
    if (m_reply->isFinished() && m_reply->bytesAvailable() == 0)
        conclude();
}

bool RewriteTask::readStream()
{
    while (m_reply->bytesAvailable() > 0) {
        const QByteArray chunk = m_reply->read(readChunk);
        qsizetype position = 0;
        while (const std::optional<StreamDecoder::Step> step = m_decoder.read(chunk, position)) {
            if (const auto* failure = std::get_if<RewriteFailure>(&*step)) {
                complete(*failure);
                return false;
            }
            if (!deliverText())
                return false;
        }
    }
    return true;
}

bool RewriteTask::readErrorBody()
{
    while (m_reply->bytesAvailable() > 0) {
        const QByteArray chunk = m_reply->read(readChunk);
        m_errorBody.append(chunk.left(QuillcraftClient::maxErrorBody - m_errorBody.size()));
        if (m_errorBody.size() >= QuillcraftClient::maxErrorBody) {
            // Enough to say what went wrong; the rest is not worth waiting for.
            m_errorBodyFull = true;
            conclude();
            return false;
        }
    }
    return true;
}

bool RewriteTask::deliverText()
{
    if (!m_onText)
        return true;
    const QPointer<RewriteTask> self(this);
    // Copies: the handler may cancel or destroy this task.
    const TextHandler onText = m_onText;
    const QString text = m_decoder.text();
    onText(text);
    return self && !m_over;
}

void RewriteTask::conclude()
{
    const QVariant statusValue = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    QNetworkReply::NetworkError error = m_reply->error();
    // Qt may take the close that ends a body without length or chunks for a
    // close before the reply and try to send again; the body is whole.
    if (error == QNetworkReply::ContentReSendError && statusValue.isValid() && bodyEndsAtClose())
        error = QNetworkReply::NoError;
    if (!statusValue.isValid()) {
        if (error != QNetworkReply::NoError) {
            // Nothing came back: not connected, refused, timed out before the head.
            qCDebug(lcService) << "Rewrite request got no reply:" << error;
            complete(QuillcraftClient::unreachable());
        } else {
            complete(QuillcraftClient::failure(0, m_errorBody));
        }
        return;
    }
    const int code = statusValue.toInt();
    if (code != 200) {
        // Qt reports statuses such as 429 as content errors; only a failure
        // below HTTP means the body was cut short.
        if (isTransportError(error) && !m_errorBodyFull) {
            qCDebug(lcService) << "Rewrite error reply broke off:" << error;
            complete(TransportError { error });
        } else {
            complete(QuillcraftClient::failure(code, m_errorBody));
        }
        return;
    }
    if (error != QNetworkReply::NoError) {
        qCDebug(lcService) << "Rewrite stream broke off:" << error;
        complete(TransportError { error });
        return;
    }
    std::visit([this](const auto& outcome) { complete(outcome); }, m_decoder.end());
}

bool RewriteTask::bodyEndsAtClose() const
{
    return !m_reply->hasRawHeader("Content-Length")
        && !m_reply->rawHeader("Transfer-Encoding").toLower().contains("chunked");
}

void RewriteTask::complete(const Outcome& outcome)
{
    if (m_over)
        return;
    m_over = true;
    const CompletionHandler onDone = std::move(m_onDone);
    m_onDone = nullptr;
    m_onText = nullptr;
    detachReply();
    if (onDone)
        onDone(outcome);
}

} // namespace quillcraft
