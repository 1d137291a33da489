#include "BadgeCorner.h"

namespace quillcraft {

QString rawValue(BadgeCorner corner)
{
    switch (corner) {
    case BadgeCorner::topLeft:
        return QStringLiteral("topLeft");
    case BadgeCorner::topRight:
        return QStringLiteral("topRight");
    case BadgeCorner::bottomLeft:
        return QStringLiteral("bottomLeft");
    case BadgeCorner::bottomRight:
        return QStringLiteral("bottomRight");
    }
    Q_UNREACHABLE();
    return {};
}

std::optional<BadgeCorner> badgeCornerFromRawValue(const QString& raw)
{
    for (BadgeCorner corner : allBadgeCorners) {
        if (rawValue(corner) == raw)
            return corner;
    }
    return std::nullopt;
}

QString title(BadgeCorner corner)
{
    switch (corner) {
    case BadgeCorner::topLeft:
        return QStringLiteral("Top left");
    case BadgeCorner::topRight:
        return QStringLiteral("Top right");
    case BadgeCorner::bottomLeft:
        return QStringLiteral("Bottom left");
    case BadgeCorner::bottomRight:
        return QStringLiteral("Bottom right");
    }
    Q_UNREACHABLE();
    return {};
}

} // namespace quillcraft
