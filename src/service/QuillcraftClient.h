#pragma once

#include "service/LineSplitter.h"
#include "service/RewriteAction.h"
#include "service/RewriteFailure.h"
#include "service/RewriteTask.h"

#include <QByteArray>
#include <QJsonObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <chrono>
#include <memory>
#include <optional>

class QNetworkAccessManager;

namespace quillcraft {

// The program's one talker to the web service. It holds no mutable state: a
// copy shares the same network access manager (and so the same cookie jar)
// and can start any number of concurrent rewrites.
class QuillcraftClient final {
public:
    using LineSplitter = quillcraft::LineSplitter;

    // The feature flag announced in every rewrite request.
    static constexpr QLatin1String macAppFeature { "MAC_APP" };
    // Rewrites allow twice the 60 s of the account calls; Qt counts it as
    // silence on the connection, not as total duration.
    static constexpr std::chrono::milliseconds rewriteTimeout { 120'000 };

    // Bounds on what a misbehaving server can make a rewrite hold in memory.
    static constexpr qsizetype maxErrorBody = 64 * 1024; // bytes of a non-200 body kept
    static constexpr qsizetype maxLineLength = LineSplitter::maxLineLength; // bytes of one line
    static constexpr qsizetype maxRewriteLength = 1024 * 1024; // UTF-16 units of accumulated text

    static RewriteFailure stoppedEarly();
    // The request could not be sent or no reply head came back.
    static RewriteFailure unreachable();
    // Every other error while a rewrite runs (a dropped connection, a reply
    // beyond the bounds above).
    static RewriteFailure failedGenerally();

    // One piece of the streamed reply, compared by kind and payload.
    struct StreamEvent final {
        enum class Kind { delta, error, finish, abort };
        Kind kind;
        // The delta's text, the error's message, or the finish reason if any.
        std::optional<QString> payload;

        static StreamEvent delta(const QString& text) { return { Kind::delta, text }; }
        static StreamEvent error(const QString& message) { return { Kind::error, message }; }
        static StreamEvent finish(std::optional<QString> reason = std::nullopt) { return { Kind::finish, reason }; }
        static StreamEvent abort() { return { Kind::abort, std::nullopt }; }

        bool operator==(const StreamEvent&) const = default;
    };

    // `network` must outlive every task started through this client; `origin`
    // is scheme and host, as DevelopmentHooks::origin() gives it.
    QuillcraftClient(QNetworkAccessManager* network, QUrl origin, std::chrono::milliseconds timeout = rewriteTimeout);

    // Starts one rewrite of `text` (sent exactly as given). The task reports
    // the growing text and then exactly one outcome, unless it is cancelled or
    // destroyed first; it never completes before this call returns.
    std::unique_ptr<RewriteTask> rewrite(const QString& text, const RewriteAction& action, const QString& language,
        RewriteTask::TextHandler onText, RewriteTask::CompletionHandler onDone) const;

    // The request body.
    static QJsonObject payload(const QString& text, const RewriteAction& action, const QString& language);
    // The event a stream line carries, if any.
    static std::optional<StreamEvent> streamEvent(const QString& line);
    // The failure for a reply whose status is not 200 (0 when it was not HTTP).
    static RewriteFailure failure(int status, const QByteArray& body);

    const QUrl& origin() const { return m_origin; }
    // The shared manager, for the account calls; null once it is gone.
    QNetworkAccessManager* network() const { return m_network; }

private:
    QPointer<QNetworkAccessManager> m_network;
    QUrl m_origin;
    std::chrono::milliseconds m_timeout;
};

} // namespace quillcraft
