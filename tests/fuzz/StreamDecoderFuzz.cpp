// The rewrite stream's decoder over a whole body: text only ever grows, a failure is
// the last step, and the outcome of a body that ended well is the trimmed text.
#include "FuzzSupport.h"

#include "service/QuillcraftClient.h"
#include "service/StreamDecoder.h"

using namespace quillcraft;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView body(data, qsizetype(size));
    StreamDecoder decoder;
    qsizetype position = 0;
    QString previous;
    while (const std::optional<StreamDecoder::Step> step = decoder.read(body, position)) {
        fuzz::check(position <= body.size(), "the decoder read past the chunk");
        if (const auto* failure = std::get_if<RewriteFailure>(&*step)) {
            fuzz::check(!failure->message.trimmed().isEmpty(), "a failure has no words");
            fuzz::check(decoder.failed(), "a failure did not stop the decoder");
            break;
        }
        fuzz::check(decoder.text().startsWith(previous), "the text lost what it had");
        fuzz::check(decoder.text().size() <= QuillcraftClient::maxRewriteLength, "the text outgrew its bound");
        previous = decoder.text();
    }
    if (decoder.failed()) {
        // Everything after a failure is ignored.
        fuzz::check(!decoder.read(body, position), "a step came after a failure");
        return 0;
    }
    fuzz::check(position == body.size(), "the decoder stopped before the end");
    const StreamDecoder::Outcome outcome = decoder.end();
    if (const auto* text = std::get_if<QString>(&outcome))
        fuzz::check(!text->isEmpty() && *text == decoder.text().trimmed(), "the outcome is not the trimmed text");
    else
        fuzz::check(!std::get<RewriteFailure>(outcome).message.isEmpty(), "a failure has no words");
    return 0;
}
