#include "LintWindow.h"

#include <QStringView>

#include <algorithm>

namespace quillcraft {

TextRange lintWindow(const QString& text, qint64 caret, qint64 limit)
{
    const qint64 length = text.size();
    limit = std::max<qint64>(limit, 0);
    if (limit >= length)
        return { 0, length };
    const qint64 c = std::clamp<qint64>(caret, 0, length);
    qint64 start = std::min(std::max<qint64>(0, c - limit / 2), length - limit);
    qint64 end = start + limit;

    const QChar lineFeed(QLatin1Char('\n'));
    // Both searches stay inside the window: the text may be a megabyte without a line feed.
    if (start > 0) {
        const qint64 p = QStringView(text).sliced(start, limit).indexOf(lineFeed);
        if (p != -1 && start + p + 1 <= c)
            start += p + 1;
    }
    if (end < length) {
        const qint64 p = QStringView(text).sliced(start, end - start).lastIndexOf(lineFeed);
        if (p != -1 && start + p > start && start + p >= c)
            end = start + p;
    }
    // The checker must not get half a character at either edge; shrinking keeps the limit.
    if (start < end && splitsSurrogatePair(text, start))
        ++start;
    if (end > start && splitsSurrogatePair(text, end))
        --end;
    return { start, end - start };
}

} // namespace quillcraft
