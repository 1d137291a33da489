#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QUrl>

#include <functional>
#include <list>

class QTcpServer;
class QTcpSocket;

namespace quillcraft::test {

// One request as the server received it.
struct RecordedRequest {
    QByteArray method;
    QByteArray path;
    QList<QPair<QByteArray, QByteArray>> headers; // in the order sent
    QByteArray body;

    // The value of a header, names compared without case; empty if absent.
    QByteArray header(const QByteArray& name) const;
    bool hasHeader(const QByteArray& name) const;
};

// A scripted reply: a head, then body pieces written one by one with pauses,
// conditions and a dropped connection where the test wants them.
class ScriptedReply {
public:
    explicit ScriptedReply(int status = 200);
    // A reply that never comes: the connection is cut right after the request.
    static ScriptedReply dropBeforeHead();
    // A reply whose head never comes: the connection stays silent.
    static ScriptedReply silent();

    ScriptedReply& header(const QByteArray& name, const QByteArray& value);
    // Frames the body with chunked transfer coding, so that drop() is a
    // broken body rather than its end.
    ScriptedReply& chunked();
    // Writes these body bytes in one go.
    ScriptedReply& send(const QByteArray& bytes);
    // Writes each byte separately with `pauseMs` between them.
    ScriptedReply& trickle(const QByteArray& bytes, int pauseMs);
    ScriptedReply& pause(int ms);
    // Holds the next step until `condition` holds (polled).
    ScriptedReply& waitFor(std::function<bool()> condition);
    // Cuts the connection here.
    ScriptedReply& drop();
    // Closes the connection here in good order, after the bytes written so
    // far; a chunked body is left without its last chunk.
    ScriptedReply& close();
    // Keeps the connection open without writing anything more.
    ScriptedReply& hang();

private:
    friend class LoopbackHttpServer;
    struct Step {
        enum class Kind { send, pause, waitFor, drop, close, hang };
        Kind kind;
        QByteArray bytes = {};
        int ms = 0;
        std::function<bool()> condition = {};
    };
    int m_status;
    bool m_writeHead = true;
    bool m_chunked = false;
    QList<QPair<QByteArray, QByteArray>> m_headers;
    QList<Step> m_steps;
};

// An HTTP/1.1 server on 127.0.0.1 inside the test process, answering each
// request with the next queued reply (404 when none is left) and closing the
// connection afterwards.
class LoopbackHttpServer final : public QObject {
public:
    explicit LoopbackHttpServer(QObject* parent = nullptr);
    ~LoopbackHttpServer() override;

    // http://127.0.0.1:<port>
    QUrl origin() const;
    // An origin on a loopback port where nobody listens.
    static QUrl closedOrigin();
    void enqueue(const ScriptedReply& reply);
    const QList<RecordedRequest>& requests() const { return m_requests; }
    // Replies played to their end (not counting drops and hangs).
    int repliesCompleted() const { return m_completed; }
    // Connections the client closed while its reply was still being played.
    int closedByClient() const { return m_closedByClient; }

private:
    struct Connection;
    void onNewConnection();
    void onReadable(Connection* connection);
    void play(Connection* connection);
    void runStep(Connection* connection);

    QTcpServer* m_server;
    QList<ScriptedReply> m_queue;
    QList<RecordedRequest> m_requests;
    std::list<Connection> m_connections; // stable addresses for callbacks
    int m_completed = 0;
    int m_closedByClient = 0;
};

} // namespace quillcraft::test
