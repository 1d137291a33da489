#pragma once

#include "service/LineSplitter.h"
#include "service/RewriteFailure.h"

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <variant>

namespace quillcraft {

// The body of a rewrite stream turned into text, without the network: bytes go in
// as they arrive, in chunks of any size, and each record that changes something
// comes out as one step. Where the chunks are cut does not change what comes out.
class StreamDecoder final {
public:
    // The text grew (see text()).
    struct Grew final {
        bool operator==(const Grew&) const = default;
    };
    // A step is growth or the failure that ends the stream.
    using Step = std::variant<Grew, RewriteFailure>;
    using Outcome = std::variant<QString, RewriteFailure>;

    // Reads `chunk` from `position` on, up to and including the first line that is a
    // step, and moves `position` past what it read. Nothing when the chunk ran out
    // first. After a failure every later byte is ignored.
    std::optional<Step> read(QByteArrayView chunk, qsizetype& position);

    // All text received so far.
    const QString& text() const { return m_text; }
    bool failed() const { return m_failed; }

    // What the stream amounts to once its body ended without a failure: the trimmed
    // text, or why there is none (a last line without a line feed is never looked at).
    Outcome end() const;

private:
    std::optional<Step> handleLine(const QString& line);

    LineSplitter m_splitter;
    QString m_text;
    bool m_finishedStream = false; // a finish record said "stop" or nothing
    bool m_failed = false;
};

} // namespace quillcraft
