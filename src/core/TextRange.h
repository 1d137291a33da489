#pragma once

#include <QStringView>
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

// Whether offset falls between the two halves of a surrogate pair, where no edit
// or range may begin or end.
inline bool splitsSurrogatePair(QStringView text, qint64 offset)
{
    return offset > 0 && offset < text.size() && text.at(offset - 1).isHighSurrogate()
        && text.at(offset).isLowSurrogate();
}

} // namespace quillcraft
