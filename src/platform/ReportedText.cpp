#include "ReportedText.h"

#include <algorithm>
#include <cstdlib>

namespace quillcraft::ReportedText {

namespace {

constexpr char16_t padding = 0xFEFF;

// Surrogate pairs that start before code point `offset` of the text.
qint64 pairsBefore(const QString& text, qint64 offset)
{
    qint64 pairs = 0;
    qint64 codePoint = 0;
    for (qint64 i = 0; i + 1 < text.size() && codePoint < offset; ++i, ++codePoint) {
        if (text.at(i).isHighSurrogate() && text.at(i + 1).isLowSurrogate()) {
            ++pairs;
            ++i;
        }
    }
    return pairs;
}

} // namespace

QString withoutPadding(const QString& text)
{
    if (!text.contains(QChar(padding)))
        return text;
    QString result;
    result.reserve(text.size());
    for (qint64 i = 0; i < text.size(); ++i) {
        const bool afterPair = i >= 2 && text.at(i - 2).isHighSurrogate() && text.at(i - 1).isLowSurrogate();
        if (text.at(i) == QChar(padding) && afterPair)
            continue;
        result += text.at(i);
    }
    return result;
}

Span alignedWithCaret(Span selection, qint64 caret, const QString& text)
{
    if (caret < 0 || caret == selection.start || caret == selection.end || selection.start == selection.end)
        return selection;
    const qint64 toStart = caret - selection.start;
    const qint64 toEnd = caret - selection.end;
    const bool startOnCaret = std::abs(toStart) <= std::abs(toEnd);
    const qint64 shift = startOnCaret ? toStart : toEnd;
    if (std::abs(shift) > surrogatePairs(text))
        return selection;
    // Only offsets after an emoji are miscounted: the other end moves by no more
    // than the emoji before it, so a selection that starts before one keeps its start.
    const qint64 limit = pairsBefore(text, startOnCaret ? selection.end : selection.start);
    const qint64 otherShift = std::clamp(shift, -limit, limit);
    if (startOnCaret)
        return { selection.start + shift, selection.end + otherShift };
    return { selection.start + otherShift, selection.end + shift };
}

qint64 surrogatePairs(const QString& text)
{
    qint64 pairs = 0;
    for (qint64 i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && text.at(i + 1).isLowSurrogate())
            ++pairs;
    }
    return pairs;
}

QRectF withLineHeight(const QRectF& box, qreal lineHeight)
{
    if (box.height() >= minimumBoxHeight || lineHeight < minimumBoxHeight)
        return box;
    return QRectF(box.x(), box.y(), box.width(), lineHeight);
}

} // namespace quillcraft::ReportedText
