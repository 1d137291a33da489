#include "OffsetUnit.h"

#include <algorithm>
#include <cstring>

namespace quillcraft::OffsetUnits {

namespace {

// Whether a surrogate pair starts at i.
bool pairAt(const QString& text, qint64 i)
{
    return i + 1 < text.size() && text.at(i).isHighSurrogate() && text.at(i + 1).isLowSurrogate();
}

// Whether any UTF-16 unit is a surrogate, four units at a time: a field's text
// may be a megabyte, and almost none has a surrogate at all.
bool hasSurrogate(const QString& text)
{
    const ushort* units = text.utf16();
    const qint64 size = text.size();
    constexpr quint64 top5 = 0xF800F800F800F800ULL;
    constexpr quint64 lanes = 0x0001000100010001ULL;
    constexpr quint64 highs = 0x8000800080008000ULL;
    qint64 i = 0;
    for (; i + 4 <= size; i += 4) {
        quint64 word;
        std::memcpy(&word, units + i, sizeof word);
        // A lane is a surrogate when its top five bits are 11011: that lane of
        // the difference is zero, found by the usual zero-lane test.
        const quint64 diff = (word & top5) ^ 0xD800D800D800D800ULL;
        if ((diff - lanes) & ~diff & highs)
            return true;
    }
    for (; i < size; ++i) {
        if ((units[i] & 0xF800) == 0xD800)
            return true;
    }
    return false;
}

} // namespace

qint64 codePointCount(const QString& text)
{
    qint64 count = 0;
    for (qint64 i = 0; i < text.size(); i += pairAt(text, i) ? 2 : 1)
        ++count;
    return count;
}

std::optional<OffsetUnit> detect(qint64 characterCount, const QString& text)
{
    if (!hasSurrogate(text))
        return std::nullopt;
    const qint64 units = text.size();
    const qint64 points = codePointCount(text);
    if (units == points)
        return std::nullopt;
    if (characterCount == units)
        return OffsetUnit::utf16;
    if (characterCount == points)
        return OffsetUnit::codePoint;
    return std::nullopt;
}

qint64 toUtf16(qint64 offset, const QString& text, OffsetUnit unit)
{
    if (offset <= 0)
        return 0;
    if (unit == OffsetUnit::utf16)
        return std::min<qint64>(offset, text.size());
    qint64 i = 0;
    for (qint64 points = 0; points < offset && i < text.size(); ++points)
        i += pairAt(text, i) ? 2 : 1;
    return i;
}

qint64 fromUtf16(qint64 offset, const QString& text, OffsetUnit unit)
{
    offset = std::clamp<qint64>(offset, 0, text.size());
    if (unit == OffsetUnit::utf16)
        return offset;
    qint64 points = 0;
    for (qint64 i = 0; i < offset;) {
        const qint64 step = pairAt(text, i) ? 2 : 1;
        if (i + step > offset)
            break;
        i += step;
        ++points;
    }
    return points;
}

QString name(OffsetUnit unit)
{
    return unit == OffsetUnit::utf16 ? QStringLiteral("utf16") : QStringLiteral("codepoint");
}

} // namespace quillcraft::OffsetUnits
