#include "StreamDecoder.h"

#include "core/Logging.h"
#include "service/QuillcraftClient.h"

namespace quillcraft {

std::optional<StreamDecoder::Step> StreamDecoder::read(QByteArrayView chunk, qsizetype& position)
{
    if (m_failed) {
        position = chunk.size();
        return std::nullopt;
    }
    while (position < chunk.size()) {
        const std::optional<QString> line = m_splitter.push(std::uint8_t(chunk[position++]));
        if (m_splitter.overflowed()) {
            qCWarning(lcService) << "A rewrite stream line exceeded" << LineSplitter::maxLineLength << "bytes.";
            m_failed = true;
            return QuillcraftClient::failedGenerally();
        }
        if (!line)
            continue;
        if (std::optional<Step> step = handleLine(*line)) {
            m_failed = std::holds_alternative<RewriteFailure>(*step);
            return step;
        }
    }
    return std::nullopt;
}

std::optional<StreamDecoder::Step> StreamDecoder::handleLine(const QString& line)
{
    const std::optional<QuillcraftClient::StreamEvent> event = QuillcraftClient::streamEvent(line);
    if (!event)
        return std::nullopt;
    using Kind = QuillcraftClient::StreamEvent::Kind;
    switch (event->kind) {
    case Kind::delta:
        m_text += *event->payload;
        if (m_text.size() > QuillcraftClient::maxRewriteLength) {
            qCWarning(lcService) << "A rewrite grew beyond" << QuillcraftClient::maxRewriteLength << "characters.";
            return QuillcraftClient::failedGenerally();
        }
        return Grew {};
    case Kind::error:
        return RewriteFailure { RewriteFailure::Kind::server, *event->payload };
    case Kind::finish:
        if (!event->payload || *event->payload == QLatin1String("stop")) {
            // Later deltas still count; only the end of the body ends the text.
            m_finishedStream = true;
            return std::nullopt;
        }
        if (*event->payload == QLatin1String("length"))
            return RewriteFailure { RewriteFailure::Kind::tooLong,
                QStringLiteral("The rewrite was cut off. Try a shorter selection.") };
        return QuillcraftClient::stoppedEarly();
    case Kind::abort:
        return QuillcraftClient::stoppedEarly();
    }
    return std::nullopt;
}

StreamDecoder::Outcome StreamDecoder::end() const
{
    if (!m_finishedStream)
        return QuillcraftClient::stoppedEarly();
    const QString text = m_text.trimmed();
    if (text.isEmpty())
        return RewriteFailure { RewriteFailure::Kind::server,
            QStringLiteral("The rewrite came back empty. Try again.") };
    return text;
}

} // namespace quillcraft
