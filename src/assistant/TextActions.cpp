#include "TextActions.h"

#include "rewrite/WordDiff.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace quillcraft::TextActions {

bool showsIcon(const QString& selectedText)
{
    const QString trimmed = selectedText.trimmed();
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, trimmed);
    int characters = 0;
    while (characters < 2 && graphemes.toNextBoundary() != -1)
        ++characters;
    return characters >= 2 && !WordDiff::words(trimmed).isEmpty();
}

QString keepingEdges(const QString& selectedText, const QString& newText)
{
    qsizetype leading = 0;
    while (leading < selectedText.size() && selectedText.at(leading).isSpace())
        ++leading;
    qsizetype trailing = 0;
    while (trailing < selectedText.size() && selectedText.at(selectedText.size() - 1 - trailing).isSpace())
        ++trailing;
    return selectedText.left(leading) + newText.trimmed() + selectedText.right(trailing);
}

std::optional<TextEdit> minimalEdit(const QString& oldText, const QString& newText)
{
    if (oldText == newText)
        return std::nullopt;
    const qsizetype oldLength = oldText.size();
    const qsizetype newLength = newText.size();
    qsizetype prefix = 0;
    while (prefix < oldLength && prefix < newLength && oldText.at(prefix) == newText.at(prefix))
        ++prefix;
    const qsizetype suffixLimit = std::min(oldLength - prefix, newLength - prefix);
    qsizetype suffix = 0;
    while (suffix < suffixLimit && oldText.at(oldLength - 1 - suffix) == newText.at(newLength - 1 - suffix))
        ++suffix;
    if (prefix > 0 && oldText.at(prefix - 1).isHighSurrogate())
        --prefix;
    if (suffix > 0 && oldText.at(oldLength - suffix).isLowSurrogate())
        --suffix;
    return TextEdit { prefix, oldLength - prefix - suffix, newText.mid(prefix, newLength - prefix - suffix) };
}

} // namespace quillcraft::TextActions
