#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QUrl>

namespace quillcraft {

// What one start of the program tells the instance already running: come
// forward, or take this sign-in link from the browser. On the wire a message is
// one line, "raise" or "open " followed by the link, ended by a line feed.
struct HandoffMessage final {
    enum class Kind {
        Incomplete, // no line feed yet and not too long: wait for more
        BringForward,
        OpenUrl,
        Refused, // anything else; the connection is dropped
    };

    // The most a message may take, line feed included.
    static constexpr qsizetype maxSize = 4096;

    Kind kind = Kind::Refused;
    QUrl url; // only for OpenUrl: a quillcraft://connected link with a state and a token

    // The bytes to send for each kind.
    static QByteArray bringForward();
    static QByteArray openUrl(const QString& url);

    // Reads everything received on one connection so far. A sign-in link is
    // taken only when the account code would find a token in it, so the running
    // instance never holds on to text no sign-in can use.
    static HandoffMessage parse(QByteArrayView received);
};

} // namespace quillcraft
