#include "LoopbackHttpServer.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace quillcraft::test {

QByteArray RecordedRequest::header(const QByteArray& name) const
{
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

bool RecordedRequest::hasHeader(const QByteArray& name) const
{
    for (const auto& pair : headers) {
        if (pair.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

ScriptedReply::ScriptedReply(int status)
    : m_status(status)
{
}

ScriptedReply ScriptedReply::dropBeforeHead()
{
    ScriptedReply reply;
    reply.m_writeHead = false;
    return reply.drop();
}

ScriptedReply ScriptedReply::silent()
{
    ScriptedReply reply;
    reply.m_writeHead = false;
    return reply.hang();
}

ScriptedReply& ScriptedReply::header(const QByteArray& name, const QByteArray& value)
{
    m_headers.append({ name, value });
    return *this;
}

ScriptedReply& ScriptedReply::chunked()
{
    m_chunked = true;
    return *this;
}

ScriptedReply& ScriptedReply::send(const QByteArray& bytes)
{
    m_steps.append({ Step::Kind::send, bytes });
    return *this;
}

ScriptedReply& ScriptedReply::trickle(const QByteArray& bytes, int pauseMs)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            pause(pauseMs);
        send(bytes.mid(i, 1));
    }
    return *this;
}

ScriptedReply& ScriptedReply::pause(int ms)
{
    m_steps.append({ Step::Kind::pause, {}, ms });
    return *this;
}

ScriptedReply& ScriptedReply::waitFor(std::function<bool()> condition)
{
    m_steps.append({ Step::Kind::waitFor, {}, 0, std::move(condition) });
    return *this;
}

ScriptedReply& ScriptedReply::drop()
{
    m_steps.append({ Step::Kind::drop });
    return *this;
}

ScriptedReply& ScriptedReply::close()
{
    m_steps.append({ Step::Kind::close });
    return *this;
}

ScriptedReply& ScriptedReply::hang()
{
    m_steps.append({ Step::Kind::hang });
    return *this;
}

struct LoopbackHttpServer::Connection {
    explicit Connection(QTcpSocket* s)
        : socket(s)
    {
    }
    QPointer<QTcpSocket> socket;
    QByteArray received;
    bool answering = false;
    bool done = false;
    ScriptedReply reply;
    qsizetype next = 0;
};

LoopbackHttpServer::LoopbackHttpServer(QObject* parent)
    : QObject(parent)
    , m_server(new QTcpServer(this))
{
    m_server->listen(QHostAddress::LocalHost, 0);
    connect(m_server, &QTcpServer::newConnection, this, &LoopbackHttpServer::onNewConnection);
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    for (Connection& connection : m_connections) {
        if (connection.socket) {
            connection.socket->disconnect(this);
            connection.socket->abort();
        }
    }
}

QUrl LoopbackHttpServer::origin() const
{
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(m_server->serverPort());
    return url;
}

QUrl LoopbackHttpServer::closedOrigin()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(probe.serverPort());
    return url; // closed again as the probe goes
}

void LoopbackHttpServer::enqueue(const ScriptedReply& reply)
{
    m_queue.append(reply);
}

void LoopbackHttpServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        Connection* connection = &m_connections.emplace_back(socket);
        connect(socket, &QTcpSocket::readyRead, this, [this, connection] { onReadable(connection); });
        connect(socket, &QTcpSocket::disconnected, this, [this, connection] {
            if (connection->answering && !connection->done)
                ++m_closedByClient;
            connection->done = true;
            connection->socket->deleteLater();
        });
    }
}

void LoopbackHttpServer::onReadable(Connection* connection)
{
    connection->received += connection->socket->readAll();
    if (connection->answering)
        return;
    const qsizetype headEnd = connection->received.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return;
    RecordedRequest request;
    const QList<QByteArray> lines = connection->received.left(headEnd).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.method = requestLine.value(0);
    request.path = requestLine.value(1);
    qsizetype length = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed();
        const QByteArray value = line.mid(colon + 1).trimmed();
        request.headers.append({ name, value });
        if (name.compare("content-length", Qt::CaseInsensitive) == 0)
            length = value.toLongLong();
    }
    if (connection->received.size() < headEnd + 4 + length)
        return;
    request.body = connection->received.mid(headEnd + 4, length);
    m_requests.append(request);
    connection->answering = true;
    connection->reply = m_queue.isEmpty() ? ScriptedReply(404).send("no reply scripted") : m_queue.takeFirst();
    play(connection);
}

void LoopbackHttpServer::play(Connection* connection)
{
    const ScriptedReply& reply = connection->reply;
    if (reply.m_writeHead) {
        QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.m_status) + " Scripted\r\n";
        for (const auto& [name, value] : reply.m_headers)
            head += name + ": " + value + "\r\n";
        if (reply.m_chunked)
            head += "Transfer-Encoding: chunked\r\n";
        head += "Connection: close\r\n\r\n";
        connection->socket->write(head);
        connection->socket->flush();
    }
    runStep(connection);
}

void LoopbackHttpServer::runStep(Connection* connection)
{
    QTcpSocket* socket = connection->socket;
    if (!socket || connection->done)
        return;
    const ScriptedReply& reply = connection->reply;
    if (connection->next >= reply.m_steps.size()) {
        if (reply.m_chunked)
            socket->write("0\r\n\r\n");
        connection->done = true;
        ++m_completed;
        socket->disconnectFromHost();
        return;
    }
    const ScriptedReply::Step& step = reply.m_steps.at(connection->next++);
    using Kind = ScriptedReply::Step::Kind;
    switch (step.kind) {
    case Kind::send:
        if (reply.m_chunked)
            socket->write(QByteArray::number(step.bytes.size(), 16) + "\r\n" + step.bytes + "\r\n");
        else
            socket->write(step.bytes);
        socket->flush();
        runStep(connection);
        return;
    case Kind::pause:
        QTimer::singleShot(step.ms, socket, [this, connection] { runStep(connection); });
        return;
    case Kind::waitFor:
        if (step.condition()) {
            runStep(connection);
        } else {
            --connection->next;
            QTimer::singleShot(2, socket, [this, connection] { runStep(connection); });
        }
        return;
    case Kind::drop:
        connection->done = true;
        socket->abort();
        return;
    case Kind::close:
        connection->done = true;
        socket->disconnectFromHost();
        return;
    case Kind::hang:
        return;
    }
}

} // namespace quillcraft::test
