#include "Suggestion.h"

namespace quillcraft {

QString Suggestion::rawValue(Kind kind)
{
    switch (kind) {
    case Kind::replace:
        return QStringLiteral("replace");
    case Kind::remove:
        return QStringLiteral("remove");
    case Kind::insertAfter:
        return QStringLiteral("insert-after");
    }
    Q_UNREACHABLE();
    return {};
}

std::optional<Suggestion::Kind> Suggestion::kindFromRawValue(const QString& raw)
{
    for (Kind kind : { Kind::replace, Kind::remove, Kind::insertAfter }) {
        if (raw == rawValue(kind))
            return kind;
    }
    return std::nullopt;
}

} // namespace quillcraft
