#pragma once

#include <QByteArray>
#include <QIODevice>

namespace quillcraft {

// A request body that can be read once and never rewound. Qt's HTTP layer
// sends a request again on its own when the server closes the connection
// before answering, whatever the method; it can only do so by rewinding the
// body, so a POST carrying this body goes out exactly once and such a close
// fails the reply instead. Needs DoNotBufferUploadDataAttribute and a
// Content-Length header, or Qt copies the body into a rewindable buffer.
class OneTimeBody final : public QIODevice {
public:
    explicit OneTimeBody(QByteArray bytes, QObject* parent = nullptr);

    bool isSequential() const override { return true; }
    bool reset() override { return false; }
    qint64 bytesAvailable() const override;
    qint64 size() const override { return m_bytes.size(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    QByteArray m_bytes;
    qint64 m_read = 0;
};

} // namespace quillcraft
