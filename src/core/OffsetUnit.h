#pragma once

#include <QString>

#include <optional>

namespace quillcraft {

// What a platform's text offsets count. Everything above the accessibility
// backends uses UTF-16 units; backends convert at the boundary.
enum class OffsetUnit { utf16, codePoint };

namespace OffsetUnits {

// Tells the unit from a field's reported character count and its text: UTF-16
// when the count is the text's UTF-16 length but not its code-point count, code
// points in the opposite case. Absent when the text cannot tell them apart (no
// character outside the Basic Multilingual Plane) or the count fits neither.
std::optional<OffsetUnit> detect(qint64 characterCount, const QString& text);

// Number of code points in the text; a lone surrogate counts as one.
qint64 codePointCount(const QString& text);

// A platform offset into text as a UTF-16 offset, clamped to [0, text length].
qint64 toUtf16(qint64 offset, const QString& text, OffsetUnit unit);

// A UTF-16 offset into text as a platform offset, clamped to the text. An offset
// inside a surrogate pair counts as the start of that pair.
qint64 fromUtf16(qint64 offset, const QString& text, OffsetUnit unit);

// "utf16" or "codepoint", as the inspect mode prints it.
QString name(OffsetUnit unit);

} // namespace OffsetUnits

} // namespace quillcraft
