#pragma once

#include <QCoreApplication>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Shared by the fuzz programs: the application object Qt's file and date code wants,
// silence instead of a warning per input, and a failed check that libFuzzer records.
namespace quillcraft::fuzz {

inline void dropMessage(QtMsgType, const QMessageLogContext&, const QString&)
{
}

// Call from LLVMFuzzerInitialize. The application lives until the process exits.
inline void startQt()
{
    static int argc = 1;
    static char name[] = "quillcraft-fuzz";
    static char* argv[] = { name, nullptr };
    static QCoreApplication application(argc, argv);
    // qFatal still aborts after the handler returns.
    qInstallMessageHandler(dropMessage);
}

// A broken promise of the parser under test: abort so the input is kept as a crash.
[[noreturn]] inline void fail(const char* what)
{
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

inline void check(bool condition, const char* what)
{
    if (!condition)
        fail(what);
}

// Reads the fuzz input front to back: small numbers for shapes, the rest as bytes.
class InputReader final {
public:
    InputReader(const std::uint8_t* data, std::size_t size)
        : m_data(data)
        , m_size(size)
    {
    }

    bool atEnd() const { return m_offset >= m_size; }
    std::size_t remaining() const { return m_size - m_offset; }

    std::uint8_t byte() { return atEnd() ? 0 : m_data[m_offset++]; }

    // At most `count` bytes, fewer at the end.
    QByteArray bytes(std::size_t count)
    {
        const std::size_t taken = count < remaining() ? count : remaining();
        QByteArray result(reinterpret_cast<const char*>(m_data + m_offset), qsizetype(taken));
        m_offset += taken;
        return result;
    }

    QByteArray rest() { return bytes(remaining()); }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_offset = 0;
};

} // namespace quillcraft::fuzz
