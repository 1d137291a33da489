#pragma once

#include "core/TextEdit.h"

#include <QString>

#include <optional>

// Text routines of writing back into a field. Offsets are UTF-16 units.
namespace quillcraft::TextActions {

// Whether a selection earns the floating rewrite button: at least 2 characters once
// trimmed, and at least one word.
bool showsIcon(const QString& selectedText);

// `newText` trimmed, wrapped in the leading and trailing whitespace of `selectedText`.
QString keepingEdges(const QString& selectedText, const QString& newText);

// The smallest single edit turning `oldText` into `newText` (nothing when they are equal).
std::optional<TextEdit> minimalEdit(const QString& oldText, const QString& newText);

} // namespace quillcraft::TextActions
