#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace quillcraft {

// Cuts the bytes of a streamed reply into lines, made fresh for every rewrite.
// Decoding waits for the line feed, so a character split across network reads
// comes out whole.
class LineSplitter final {
public:
    // A line may hold this many bytes; a longer one means the server is broken,
    // and keeping it would let it make us hold any amount of memory.
    static constexpr qsizetype maxLineLength = 1024 * 1024;

    // Takes one byte; a line feed returns the line it ends (possibly empty),
    // decoded as UTF-8 with carriage returns removed from both ends.
    std::optional<QString> push(std::uint8_t byte);

    // Whether a line outgrew maxLineLength. From then on nothing is returned.
    bool overflowed() const { return m_overflowed; }

private:
    QByteArray m_buffer;
    bool m_overflowed = false;
};

} // namespace quillcraft
