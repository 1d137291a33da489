#pragma once

#include <QtGlobal>

namespace quillcraft {

// A span of a text in UTF-16 code units, the unit of QString and of the
// accessibility text interface.
struct TextRange final {
    qint64 location = 0;
    qint64 length = 0;

    qint64 end() const { return location + length; }
    // Inside a text of `textLength` units: non-negative and not past its end.
    bool liesInside(qint64 textLength) const
    {
        return location >= 0 && length >= 0 && location <= textLength && length <= textLength - location;
    }

    bool operator==(const TextRange&) const = default;
};

} // namespace quillcraft
