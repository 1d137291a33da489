#pragma once

#include <QRectF>
#include <QString>

namespace quillcraft::ReportedText {

// Rules that make what an application reports about its text consistent before
// any offset is converted. Offsets here are the application's own.

// The text without the U+FEFF that Gecko puts after every character outside the
// Basic Multilingual Plane, so that its code-point offsets line up with its own
// UTF-16 ones. What is left is the field's real text, whose UTF-16 offsets are
// then the ones Gecko reports.
QString withoutPadding(const QString& text);

// The selection [start, end) checked against the caret, which toolkits keep at
// one end of it; offsets count code points of `text` (UTF-16). Chromium counts
// a selection's ends one too low per emoji before them while its caret is right;
// such a selection gets the smaller of the shifts that put one of its ends on
// the caret, and its other end the same shift but at most the number of emoji
// before it (a selection that starts before an emoji keeps its start). Only
// shifts of at most the number of surrogate pairs in the text are made, so a
// text without emoji is never changed.
struct Span {
    qint64 start = 0;
    qint64 end = 0;
    bool operator==(const Span&) const = default;
};
Span alignedWithCaret(Span selection, qint64 caret, const QString& text);

// Number of surrogate pairs in the text.
qint64 surrogatePairs(const QString& text);

// A character or range box given a height when the application reports it flat:
// KWrite answers boxes of zero height at the top of their line, which would put
// an underline on the line above. Such a box (lower than minimumBoxHeight) keeps
// its top and width and becomes lineHeight high; any other box is returned as it is.
inline constexpr qreal minimumBoxHeight = 2;
QRectF withLineHeight(const QRectF& box, qreal lineHeight);

} // namespace quillcraft::ReportedText
