#include "WordDiff.h"

#include "grammar/TextActions.h"

#include <QTextCharFormat>

#include <limits>

namespace quillcraft::WordDiff {

QColor markBackground()
{
    return QColor(0xDC, 0xE8, 0xFF);
}

QColor markForeground()
{
    return QColor(0x11, 0x11, 0x11);
}

Highlighted highlighted(const QString& oldText, const QString& newText)
{
    QTextCharFormat mark;
    mark.setBackground(markBackground());
    mark.setForeground(markForeground());

    Highlighted result{newText, {}};
    for (const TextRange& range : TextActions::changedWordRanges(oldText, newText)) {
        // Format ranges are int-based; anything that does not fit, or lies outside the text, is left plain.
        if (!range.liesInside(newText.size()) || range.end() > std::numeric_limits<int>::max())
            continue;
        result.formats.append({int(range.location), int(range.length), mark});
    }
    return result;
}

} // namespace quillcraft::WordDiff
