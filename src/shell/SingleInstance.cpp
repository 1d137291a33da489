#include "SingleInstance.h"

#include "core/Logging.h"
#include "shell/HandoffMessage.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>

#include <cerrno>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillcraft {

namespace {

const QByteArray acceptedReply = QByteArrayLiteral("ok\n");
const QByteArray refusedReply = QByteArrayLiteral("no\n");

// A real directory (not a link to one) that only this user can enter.
bool isPrivateDirectory(const QString& path)
{
    struct stat info { };
    const QByteArray name = QFile::encodeName(path);
    return lstat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid()
        && (info.st_mode & 077) == 0;
}

// The socket's file mode already keeps others out; the kernel's word on who
// connected also covers a socket file someone managed to swap.
bool fromThisUser(const QLocalSocket& socket)
{
    ucred peer {};
    socklen_t length = sizeof peer;
    const qintptr fd = socket.socketDescriptor();
    return fd >= 0 && getsockopt(int(fd), SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && length == sizeof peer
        && peer.uid == getuid();
}

// Answers the peer and lets it go; the socket deletes itself once closed.
void finish(QLocalSocket* socket, const QByteArray& reply)
{
    socket->write(reply);
    socket->disconnectFromServer();
}

} // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent)
    , m_socketPath(std::move(socketPath))
    , m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    m_server->setMaxPendingConnections(maxOpenConnections);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
}

SingleInstance::~SingleInstance()
{
    // Removes the socket file, so the next start finds nobody at once.
    m_server->close();
}

std::optional<QString> SingleInstance::privateSocketPath()
{
    const QString name = QStringLiteral("quillcraft-%1.socket").arg(getuid());
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && isPrivateDirectory(runtime))
        return runtime + u'/' + name;
    const QString own = QDir::tempPath() + QStringLiteral("/quillcraft-%1").arg(getuid());
    if (mkdir(QFile::encodeName(own).constData(), 0700) != 0 && errno != EEXIST)
        return std::nullopt;
    // Someone else may have made it first; then it is not ours to use.
    if (!isPrivateDirectory(own))
        return std::nullopt;
    return own + u'/' + name;
}

SingleInstance::Outcome SingleInstance::start(const QByteArray& messageIfRunning)
{
    if (isListening())
        return Outcome::Listening;
    // Two starts at once must not both find nobody and then remove each other's socket.
    QLockFile lock(m_socketPath + QStringLiteral(".lock"));
    if (!lock.tryLock(int(defaultDeliveryTimeout.count())))
        qCWarning(lcShell, "The single-instance lock could not be taken; starting without it.");

    const Outcome delivered = deliver(m_socketPath, messageIfRunning);
    if (delivered != Outcome::NotRunning)
        return delivered;
    // Nobody answers: whatever file is there was left by a crashed instance.
    QLocalServer::removeServer(m_socketPath);
    if (!m_server->listen(m_socketPath)) {
        qCWarning(lcShell) << "Cannot listen for later starts:" << m_server->errorString();
        return Outcome::Failed;
    }
    return Outcome::Listening;
}

bool SingleInstance::isListening() const
{
    return m_server->isListening();
}

SingleInstance::Outcome SingleInstance::deliver(
    const QString& socketPath, const QByteArray& message, std::chrono::milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(int(deadline.remainingTime()))) {
        switch (socket.error()) {
        case QLocalSocket::ServerNotFoundError:
        case QLocalSocket::ConnectionRefusedError:
            return Outcome::NotRunning;
        case QLocalSocket::SocketTimeoutError:
            return Outcome::NoAnswer;
        default:
            return Outcome::Failed;
        }
    }
    socket.write(message);
    QByteArray reply;
    while (!reply.endsWith('\n') && reply.size() < acceptedReply.size()) {
        if (!socket.waitForReadyRead(int(deadline.remainingTime())))
            return Outcome::NoAnswer;
        reply += socket.read(acceptedReply.size() - reply.size());
    }
    if (reply == acceptedReply)
        return Outcome::Delivered;
    return reply == refusedReply ? Outcome::Refused : Outcome::NoAnswer;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection())
        accept(socket);
}

void SingleInstance::accept(QLocalSocket* socket)
{
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (!fromThisUser(*socket)) {
        qCWarning(lcShell, "Refused a hand-off connection from another user.");
        socket->abort();
        socket->deleteLater();
        return;
    }
    if (m_open >= maxOpenConnections) {
        qCWarning(lcShell, "Refused a hand-off connection: too many are open.");
        socket->abort();
        socket->deleteLater();
        return;
    }
    ++m_open;
    connect(socket, &QObject::destroyed, this, [this] { --m_open; });
    // Qt stops reading from the peer once this much waits; more is refused anyway.
    socket->setReadBufferSize(HandoffMessage::maxSize + 1);

    // A peer that sends nothing, or never stops, is cut off.
    auto* timer = new QTimer(socket);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, socket, [socket] {
        qCWarning(lcShell, "Dropped a hand-off connection that sent no whole message in time.");
        socket->abort();
        socket->deleteLater();
    });
    timer->start(m_readTimeout);

    auto buffer = std::make_shared<QByteArray>();
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer] {
        buffer->append(socket->readAll());
        const HandoffMessage message = HandoffMessage::parse(*buffer);
        if (message.kind == HandoffMessage::Kind::Incomplete)
            return;
        // One message per connection: whatever follows the answer is ignored.
        disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
        switch (message.kind) {
        case HandoffMessage::Kind::Incomplete:
            break;
        case HandoffMessage::Kind::Refused:
            qCWarning(lcShell) << "Refused a hand-off message of" << buffer->size() << "bytes.";
            finish(socket, refusedReply);
            break;
        case HandoffMessage::Kind::BringForward:
            finish(socket, acceptedReply);
            Q_EMIT raiseRequested();
            break;
        case HandoffMessage::Kind::OpenUrl:
            finish(socket, acceptedReply);
            Q_EMIT urlReceived(message.url);
            break;
        }
        buffer->clear();
    });
}

} // namespace quillcraft
