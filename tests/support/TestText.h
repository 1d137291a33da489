#pragma once

#include <QString>

namespace quillcraft::test {

// Test texts are written as UTF-8 literals.
inline QString u(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace quillcraft::test
