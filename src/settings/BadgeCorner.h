#pragma once

#include <QString>

#include <array>
#include <optional>

namespace quillcraft {

// The corner of a field the badge sits at when the user has not dragged it.
enum class BadgeCorner { topLeft, topRight, bottomLeft, bottomRight };

// Every corner in menu order.
inline constexpr std::array<BadgeCorner, 4> allBadgeCorners
    = { BadgeCorner::topLeft, BadgeCorner::topRight, BadgeCorner::bottomLeft, BadgeCorner::bottomRight };

// The stored form: "topLeft", "topRight", "bottomLeft", "bottomRight".
QString rawValue(BadgeCorner corner);
// Exact match only; anything else (other letter case, empty) is no corner.
std::optional<BadgeCorner> badgeCornerFromRawValue(const QString& raw);
// The menu title, e.g. "Top left".
QString title(BadgeCorner corner);

} // namespace quillcraft
