#pragma once

#include <QString>

namespace quillcraft {

// The text without its leading and trailing characters for which isBlank
// holds; inner ones stay. Callers choose what counts as blank: QString's own
// trimmed() also takes line breaks, which some text must keep.
QString trimmed(const QString& text, bool (*isBlank)(QChar));

} // namespace quillcraft
