// Where the network cuts the rewrite stream must not matter. Input: a count n, n chunk
// lengths (0 is an empty read), then the body; the lengths repeat over the body. The
// steps and the outcome must equal those of the body read whole, so cuts inside UTF-8
// sequences, between CR and LF and inside records all count.
#include "FuzzSupport.h"

#include "service/StreamDecoder.h"

#include <QList>

using namespace quillcraft;

namespace {

// What a reader of the stream sees: the text after every step, the failure if any,
// and the outcome when the body ends without one.
struct Reading final {
    QStringList texts;
    std::optional<RewriteFailure> failure;
    std::optional<StreamDecoder::Outcome> outcome;

    bool operator==(const Reading&) const = default;
};

Reading readInChunks(QByteArrayView body, const QList<qsizetype>& lengths)
{
    Reading reading;
    StreamDecoder decoder;
    qsizetype offset = 0;
    for (qsizetype i = 0; offset < body.size(); ++i) {
        const QByteArrayView chunk
            = body.sliced(offset, std::min(lengths.at(i % lengths.size()), body.size() - offset));
        offset += chunk.size();
        qsizetype position = 0;
        while (const std::optional<StreamDecoder::Step> step = decoder.read(chunk, position)) {
            if (const auto* failure = std::get_if<RewriteFailure>(&*step)) {
                reading.failure = *failure;
                return reading;
            }
            reading.texts.append(decoder.text());
        }
        fuzz::check(position == chunk.size(), "a chunk was not read to its end");
    }
    reading.outcome = decoder.end();
    return reading;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::InputReader input(data, size);
    const int count = input.byte() % 32;
    QList<qsizetype> lengths;
    qsizetype total = 0;
    for (int i = 0; i < count; ++i) {
        lengths.append(input.byte());
        total += lengths.last();
    }
    if (total == 0)
        lengths = { qsizetype(input.remaining()) + 1 };
    const QByteArray body = input.rest();

    const Reading whole = readInChunks(body, { body.size() + 1 });
    fuzz::check(readInChunks(body, lengths) == whole, "chunks read differently from the whole body");
    return 0;
}
