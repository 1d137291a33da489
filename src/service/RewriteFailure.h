#pragma once

#include <QString>

namespace quillcraft {

// The one error a failed rewrite is reported with. The kind decides what the
// card offers next; the message is shown to the user as it stands.
struct RewriteFailure final {
    enum class Kind { signInForMore, upgradeForMore, tryLater, tooLong, offline, server };

    Kind kind;
    QString message;

    bool operator==(const RewriteFailure&) const = default;
};

} // namespace quillcraft
