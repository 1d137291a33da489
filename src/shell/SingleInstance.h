#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>
#include <optional>

class QLocalServer;
class QLocalSocket;

namespace quillcraft {

// One running program per user. The first start listens on a local socket that
// only its own user can reach; a later start hands it a message (come forward,
// or a sign-in link from the browser) and exits.
class SingleInstance final : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        Listening, // this process is the one instance
        Delivered, // the running instance took the message
        Refused, // the running instance turned the message down
        NotRunning, // nobody listens (a stale socket is not an instance)
        NoAnswer, // something listens but did not answer in time
        Failed, // no socket could be made or reached
    };

    static constexpr std::chrono::milliseconds defaultReadTimeout { 2000 };
    static constexpr std::chrono::milliseconds defaultDeliveryTimeout { 5000 };
    // Connections being read at once; more are dropped at the door.
    static constexpr int maxOpenConnections = 8;

    // `socketPath` is a full path in a directory only this user can enter.
    explicit SingleInstance(QString socketPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // "quillcraft-<uid>.socket" in the XDG runtime directory, or in a folder of
    // our own under the temporary directory when that is missing or not
    // private; none when neither can be trusted.
    static std::optional<QString> privateSocketPath();

    // Becomes the one instance, removing a socket left by a crashed one, or
    // hands `messageIfRunning` to the instance that answers. Blocks for at most
    // twice the delivery time-out (waiting for a start racing this one, then
    // for the answer).
    Outcome start(const QByteArray& messageIfRunning);
    bool isListening() const;

    // Sends one message to the instance listening at `socketPath` and waits for
    // its answer. Blocking; for a process that exits right after.
    static Outcome deliver(const QString& socketPath, const QByteArray& message,
        std::chrono::milliseconds timeout = defaultDeliveryTimeout);

    // How long a connection may take to send its whole message.
    void setReadTimeout(std::chrono::milliseconds timeout) { m_readTimeout = timeout; }

Q_SIGNALS:
    void urlReceived(const QUrl& url);
    void raiseRequested();

private:
    void onNewConnection();
    void accept(QLocalSocket* socket);

    QString m_socketPath;
    QLocalServer* m_server = nullptr; // child
    std::chrono::milliseconds m_readTimeout = defaultReadTimeout;
    int m_open = 0;
};

} // namespace quillcraft
