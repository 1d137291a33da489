// The rewrite stream's line splitter against a plain split of the same bytes: every
// complete line comes out once, decoded, with its carriage returns trimmed.
#include "FuzzSupport.h"

#include "service/LineSplitter.h"

using namespace quillcraft;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<QByteArray> pieces = input.split('\n');

    LineSplitter splitter;
    qsizetype lineIndex = 0;
    for (const char byte : input) {
        const std::optional<QString> line = splitter.push(std::uint8_t(byte));
        fuzz::check(!splitter.overflowed(), "a short line overflowed");
        if (byte != '\n') {
            fuzz::check(!line, "a line ended without a line feed");
            continue;
        }
        fuzz::check(line.has_value(), "a line feed ended no line");
        QString expected = QString::fromUtf8(pieces.at(lineIndex++));
        while (expected.startsWith(QLatin1Char('\r')))
            expected.remove(0, 1);
        while (expected.endsWith(QLatin1Char('\r')))
            expected.chop(1);
        fuzz::check(*line == expected, "a line came out different from its bytes");
    }
    fuzz::check(lineIndex == pieces.size() - 1, "a line was lost");
    return 0;
}
