#pragma once

#include "service/RewriteFailure.h"
#include "service/StreamDecoder.h"

#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <variant>

namespace quillcraft {

// One running rewrite, made by QuillcraftClient::rewrite and owned by whoever
// started it. It reads the reply in byte order, hands every text piece to
// onText as soon as its line is complete, and reads nothing further until
// onText returns. Cancelling or destroying it aborts the reply, and from then
// on nothing at all is delivered, not even a completion.
class RewriteTask final : public QObject {
    Q_OBJECT

public:
    // The HTTP layer failed while the reply body was being read (the
    // connection dropped, the transfer timed out). Not shown to users as is.
    struct TransportError final {
        QNetworkReply::NetworkError code;
        bool operator==(const TransportError&) const = default;
    };
    // The finished, trimmed text, a failure to show, or a transport error.
    using Outcome = std::variant<QString, RewriteFailure, TransportError>;

    // Called with the whole text received so far.
    using TextHandler = std::function<void(const QString& text)>;
    using CompletionHandler = std::function<void(const Outcome& outcome)>;

    // Takes over `reply`; use QuillcraftClient::rewrite rather than this.
    RewriteTask(QNetworkReply* reply, TextHandler onText, CompletionHandler onDone);
    // Completes with `failure` on the next turn of the event loop (used when no
    // request could be made at all).
    RewriteTask(const RewriteFailure& failure, CompletionHandler onDone);
    ~RewriteTask() override;

    // Aborts the reply; nothing is delivered afterwards.
    void cancel();
    // Whether the outcome was delivered or the task was cancelled.
    bool isOver() const { return m_over; }
    bool isCancelled() const { return m_cancelled; }

private:
    // Reads what arrived and, once the reply is over, concludes. Runs for
    // both readyRead and finished.
    void pump();
    // These return false once the task is over; it may then be destroyed
    // already (a handler may delete it), so the caller must not touch it.
    bool readStream();
    bool readErrorBody();
    bool deliverText();
    // The reply ended and every byte was read.
    void conclude();
    void complete(const Outcome& outcome);
    void detachReply();
    int status() const;
    // Neither a length nor chunks: the server's close ends the body.
    bool bodyEndsAtClose() const;

    QPointer<QNetworkReply> m_reply;
    TextHandler m_onText;
    CompletionHandler m_onDone;
    StreamDecoder m_decoder;
    QByteArray m_errorBody;
    bool m_errorBodyFull = false; // stopped reading an error body at its bound
    bool m_reading = false;
    bool m_over = false;
    bool m_cancelled = false;
};

} // namespace quillcraft
