#pragma once

// Readable gtest failure output for the value types the tests compare.

#include "core/TextEdit.h"
#include "core/TextRange.h"
#include "service/RewriteFailure.h"

#include <QString>

#include <gtest/gtest.h>

#include <ostream>

QT_BEGIN_NAMESPACE
// Text as an escaped string: control characters in a failing value never reach the terminal.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << testing::PrintToString(text.toStdString());
}
QT_END_NAMESPACE

namespace quillcraft {

inline void PrintTo(const TextRange& range, std::ostream* out)
{
    *out << "(" << range.location << ", " << range.length << ")";
}

inline void PrintTo(const TextEdit& edit, std::ostream* out)
{
    *out << "(" << edit.location << ", " << edit.length << ", \"" << edit.replacement.toStdString() << "\")";
}

inline void PrintTo(const RewriteFailure& failure, std::ostream* out)
{
    *out << "RewriteFailure(" << int(failure.kind) << ", \"" << failure.message.left(200).toStdString() << "\")";
}

} // namespace quillcraft
