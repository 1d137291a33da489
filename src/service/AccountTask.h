#pragma once

#include "service/Account.h"
#include "service/RewriteFailure.h"

#include <QByteArray>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>
#include <variant>

namespace quillcraft {

// One running account call, made by AccountEndpoints and owned by whoever
// started it. A call may take several requests in turn (signing in reads the
// account afterwards); each reply is read whole and handed to the call's next
// step. Cancelling or destroying the task aborts the request in flight, and
// from then on nothing is delivered.
class AccountTask final : public QObject {
    Q_OBJECT

public:
    // The HTTP layer failed (no network, refused, timed out, connection
    // dropped). The account store words this itself.
    struct TransportError final {
        QNetworkReply::NetworkError code;
        bool operator==(const TransportError&) const = default;
    };
    // The account (none: nobody is signed in), a failure to show, or a
    // transport error.
    using Outcome = std::variant<std::optional<Account>, RewriteFailure, TransportError>;
    using CompletionHandler = std::function<void(const Outcome& outcome)>;

    // One whole reply, as the next step of a call sees it.
    struct Reply final {
        int status = 0; // 0 when the reply was not HTTP
        QByteArray body; // empty when it was larger than maxBody
        std::optional<TransportError> transportError;
    };
    using ReplyHandler = std::function<void(const Reply& reply)>;

    // What a reply body may hold in memory; account replies are small.
    static constexpr qsizetype maxBody = 256 * 1024;

    explicit AccountTask(CompletionHandler onDone);
    ~AccountTask() override;

    // Aborts the request in flight; nothing is delivered afterwards.
    void cancel();
    bool isOver() const { return m_over; }
    bool isCancelled() const { return m_cancelled; }

    // The steps of a call, used by AccountEndpoints.
    // Takes over `reply` and hands it to `onReply` once it is whole.
    void await(QNetworkReply* reply, ReplyHandler onReply);
    // Delivers the outcome (on this turn of the event loop).
    void complete(const Outcome& outcome);
    // Runs if the task is cancelled or destroyed before it completes: work
    // that must happen whether or not anyone still listens.
    void setOnAbandon(std::function<void()> onAbandon) { m_onAbandon = std::move(onAbandon); }

private:
    void read();
    // Appends what arrived; true when the body just went past maxBody.
    bool takeBody();
    void conclude();
    void detachReply();
    void abandon();

    QPointer<QNetworkReply> m_reply;
    ReplyHandler m_onReply;
    CompletionHandler m_onDone;
    std::function<void()> m_onAbandon;
    QByteArray m_body;
    bool m_bodyTooLarge = false;
    bool m_over = false;
    bool m_cancelled = false;
};

} // namespace quillcraft
