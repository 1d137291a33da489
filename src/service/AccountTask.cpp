#include "AccountTask.h"

#include "core/Logging.h"

namespace quillcraft {

namespace {

// Failures of the connection or of the HTTP framing, as opposed to the errors
// Qt derives from a status code (a 400 becomes ProtocolInvalidOperationError,
// so the protocol range alone cannot tell them apart).
bool isTransportError(QNetworkReply::NetworkError error, bool gotStatus)
{
    if (error == QNetworkReply::NoError)
        return false;
    if (!gotStatus)
        return true;
    return int(error) < QNetworkReply::ProxyConnectionRefusedError || error == QNetworkReply::ProtocolFailure
        || error == QNetworkReply::ContentReSendError;
}

} // namespace

AccountTask::AccountTask(CompletionHandler onDone)
    : m_onDone(std::move(onDone))
{
}

AccountTask::~AccountTask()
{
    abandon();
    detachReply();
}

void AccountTask::cancel()
{
    if (m_over)
        return;
    m_cancelled = true;
    abandon();
    m_over = true;
    m_onDone = nullptr;
    m_onReply = nullptr;
    detachReply();
}

void AccountTask::abandon()
{
    if (m_over || !m_onAbandon)
        return;
    const std::function<void()> onAbandon = std::move(m_onAbandon);
    m_onAbandon = nullptr;
    onAbandon();
}

void AccountTask::await(QNetworkReply* reply, ReplyHandler onReply)
{
    detachReply();
    m_reply = reply;
    m_onReply = std::move(onReply);
    m_body.clear();
    m_bodyTooLarge = false;
    connect(reply, &QNetworkReply::readyRead, this, &AccountTask::read);
    connect(reply, &QNetworkReply::finished, this, &AccountTask::conclude);
}

void AccountTask::read()
{
    if (takeBody())
        conclude();
}

bool AccountTask::takeBody()
{
    if (!m_reply)
        return false;
    const QByteArray chunk = m_reply->readAll();
    if (m_bodyTooLarge)
        return false;
    m_body.append(chunk);
    if (m_body.size() <= maxBody)
        return false;
    // Whatever this is, it is no account reply; the status still counts.
    m_bodyTooLarge = true;
    m_body.clear();
    m_body.squeeze();
    return true;
}

void AccountTask::conclude()
{
    if (m_over || !m_reply)
        return;
    takeBody();
    Reply result;
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QNetworkReply::NetworkError error = m_reply->error();
    if (status.isValid())
        result.status = status.toInt();
    if (!m_bodyTooLarge && isTransportError(error, status.isValid())) {
        qCDebug(lcService) << "Account request failed:" << error;
        result.transportError = TransportError { error };
    } else if (!m_bodyTooLarge) {
        result.body = std::move(m_body);
    }
    m_body.clear();
    const ReplyHandler onReply = std::move(m_onReply);
    m_onReply = nullptr;
    detachReply();
    // The handler may start the next request, complete, or destroy this task.
    if (onReply)
        onReply(result);
}

void AccountTask::complete(const Outcome& outcome)
{
    if (m_over)
        return;
    m_over = true;
    m_onAbandon = nullptr;
    m_onReply = nullptr;
    detachReply();
    const CompletionHandler onDone = std::move(m_onDone);
    m_onDone = nullptr;
    if (onDone)
        onDone(outcome);
}

void AccountTask::detachReply()
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

} // namespace quillcraft
