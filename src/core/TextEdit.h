#pragma once

#include <QString>

#include <optional>

namespace quillcraft {

// One change to a text: the UTF-16 range [location, location + length) gives way to replacement.
struct TextEdit final {
    qint64 location = 0;
    // 0 for an insertion.
    qint64 length = 0;
    QString replacement = {};

    bool operator==(const TextEdit&) const = default;

    // The text with the edit made, or nothing when the range does not lie inside it.
    // The caller checks beforehand that the range still holds what it expects.
    std::optional<QString> apply(const QString& text) const;
};

} // namespace quillcraft
