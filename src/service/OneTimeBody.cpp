#include "OneTimeBody.h"

#include <algorithm>
#include <cstring>

namespace quillcraft {

OneTimeBody::OneTimeBody(QByteArray bytes, QObject* parent)
    : QIODevice(parent)
    , m_bytes(std::move(bytes))
{
    open(QIODevice::ReadOnly);
}

qint64 OneTimeBody::bytesAvailable() const
{
    return m_bytes.size() - m_read + QIODevice::bytesAvailable();
}

qint64 OneTimeBody::readData(char* data, qint64 maxSize)
{
    const qint64 count = std::min(maxSize, m_bytes.size() - m_read);
    if (count <= 0)
        return -1; // the end: nothing more will ever come
    std::memcpy(data, m_bytes.constData() + m_read, size_t(count));
    m_read += count;
    return count;
}

qint64 OneTimeBody::writeData(const char*, qint64)
{
    return -1;
}

} // namespace quillcraft
