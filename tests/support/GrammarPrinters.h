#pragma once

// Readable gtest failure output for the text value types.

#include "core/TextEdit.h"
#include "core/TextRange.h"

#include <QString>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace quillcraft {

inline void PrintTo(const TextRange& range, std::ostream* out)
{
    *out << "(" << range.location << ", " << range.length << ")";
}

inline void PrintTo(const TextEdit& edit, std::ostream* out)
{
    *out << "(" << edit.location << ", " << edit.length << ", \"" << edit.replacement.toStdString() << "\")";
}

} // namespace quillcraft
