#include "shell/StatusLine.h"

#include "settings/AppPolicy.h"

#include <QLocale>

namespace quillcraft::StatusLine {

QString text(const AssistantStatus& status, const std::optional<QDateTime>& pausedUntil)
{
    using Kind = AssistantStatus::Kind;
    switch (status.kind) {
    case Kind::off:
        return QStringLiteral("Off in ") + status.app;
    case Kind::checking: {
        const QString start = QStringLiteral("Checking ") + status.app;
        if (status.fixes <= 0)
            return start + QStringLiteral(". No fixes.");
        if (status.fixes == 1)
            return start + QStringLiteral(". 1 fix.");
        return start + QStringLiteral(". %1 fixes.").arg(status.fixes);
    }
    case Kind::needsAccess:
        return QStringLiteral("Needs Accessibility access");
    case Kind::paused:
        // The distant future is how a pause "until I resume" is stored.
        if (!pausedUntil || !pausedUntil->isValid() || *pausedUntil >= AppPolicy::distantFuture())
            return QStringLiteral("Paused");
        return QStringLiteral("Paused until ")
            + QLocale().toString(pausedUntil->toLocalTime().time(), QLocale::ShortFormat);
    case Kind::idle:
        break;
    }
    return QStringLiteral("On. Click into a text field.");
}

} // namespace quillcraft::StatusLine
