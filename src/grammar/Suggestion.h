#pragma once

#include <QString>

#include <optional>

namespace quillcraft {

// One fix the grammar checker proposes for a finding.
struct Suggestion final {
    enum class Kind { replace, remove, insertAfter };

    Kind kind = Kind::replace;
    // Replacement or inserted text exactly as the checker sent it; empty for remove.
    QString text = {};

    bool operator==(const Suggestion&) const = default;

    // "replace", "remove", "insert-after": the engine's spelling.
    static QString rawValue(Kind kind);
    static std::optional<Kind> kindFromRawValue(const QString& raw);
};

} // namespace quillcraft
