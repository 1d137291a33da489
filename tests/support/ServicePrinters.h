#pragma once

#include "service/RewriteFailure.h"

#include <QString>

#include <ostream>

// Readable gtest failure messages for the types these tests compare.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace quillcraft {
inline void PrintTo(const RewriteFailure& failure, std::ostream* os)
{
    *os << "RewriteFailure(" << int(failure.kind) << ", \"" << failure.message.left(200).toStdString() << "\")";
}
} // namespace quillcraft
