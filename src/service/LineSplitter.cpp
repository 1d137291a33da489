#include "LineSplitter.h"

namespace quillcraft {

std::optional<QString> LineSplitter::push(std::uint8_t byte)
{
    if (m_overflowed)
        return std::nullopt;
    if (byte != '\n') {
        if (m_buffer.size() >= maxLineLength) {
            m_overflowed = true;
            m_buffer = QByteArray();
            return std::nullopt;
        }
        m_buffer.append(char(byte));
        return std::nullopt;
    }
    // Invalid sequences become U+FFFD.
    QString line = QString::fromUtf8(m_buffer);
    m_buffer.resize(0); // keeps the capacity for the next line
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && line.at(begin) == QLatin1Char('\r'))
        ++begin;
    while (end > begin && line.at(end - 1) == QLatin1Char('\r'))
        --end;
    if (begin > 0 || end < line.size())
        line = line.mid(begin, end - begin);
    return line;
}

} // namespace quillcraft
