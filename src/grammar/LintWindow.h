#pragma once

#include "core/TextRange.h"

#include <QString>

namespace quillcraft {

// The part of `text` sent to the grammar checker: at most `limit` UTF-16 units around the
// caret, snapped to line starts and ends where that keeps the caret inside, never splitting
// a surrogate pair.
TextRange lintWindow(const QString& text, qint64 caret, qint64 limit);

} // namespace quillcraft
