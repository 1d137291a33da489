#include "TextActions.h"

#include <QHash>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace quillcraft::TextActions {

namespace {

bool isWordCharacter(char32_t c)
{
    // Ideographs are letters (Lo), except a few Han numerals such as 〇 (Nl).
    const QChar::Category category = QChar::category(c);
    return QChar::isLetter(c) || category == QChar::Number_DecimalDigit
        || (category == QChar::Number_Letter && QChar::script(c) == QChar::Script_Han);
}

bool holdsWordCharacter(QStringView segment)
{
    for (qsizetype i = 0; i < segment.size(); ++i) {
        char32_t c = segment.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < segment.size() && segment.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(segment.at(i), segment.at(i + 1));
            ++i;
        }
        if (isWordCharacter(c))
            return true;
    }
    return false;
}

// Unicode word segmentation, keeping only segments with a letter, digit or ideograph:
// whitespace and punctuation never become tokens.
QList<TextRange> words(const QString& text)
{
    QList<TextRange> tokens;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, text);
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end != -1; end = finder.toNextBoundary()) {
        if (holdsWordCharacter(QStringView(text).sliced(start, end - start)))
            tokens.append({start, end - start});
        start = end;
    }
    return tokens;
}

bool isAllWhitespace(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); });
}

// Full lower-casing, with final sigma folded onto sigma so that ΟΔΟΣ and οδος match.
QString comparisonKey(QStringView word)
{
    QString key = word.toString().toLower();
    key.replace(QChar(0x03C2), QChar(0x03C3));
    return key;
}

// Each token as a small integer, equal integers for equal comparison keys, so the
// quadratic part compares ints instead of strings.
std::vector<int> tokenIds(const QString& text, const QList<TextRange>& tokens, QHash<QString, int>& ids)
{
    std::vector<int> result;
    result.reserve(tokens.size());
    for (const TextRange& token : tokens) {
        const QString key = comparisonKey(QStringView(text).sliced(token.location, token.length));
        auto it = ids.constFind(key);
        if (it == ids.constEnd())
            it = ids.insert(key, int(ids.size()));
        result.push_back(it.value());
    }
    return result;
}

} // namespace

qsizetype wordCount(const QString& text)
{
    qsizetype count = 0;
    bool inWord = false;
    for (QChar c : text) {
        const bool space = c.isSpace();
        if (!space && !inWord)
            ++count;
        inWord = !space;
    }
    return count;
}

bool showsIcon(const QString& selectedText)
{
    const QString trimmed = selectedText.trimmed();
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, trimmed);
    int characters = 0;
    while (characters < 2 && graphemes.toNextBoundary() != -1)
        ++characters;
    return characters >= 2 && !words(trimmed).isEmpty();
}

TextRange lintWindow(const QString& text, qint64 caret, qint64 limit)
{
    const qint64 length = text.size();
    limit = std::max<qint64>(limit, 0);
    if (limit >= length)
        return {0, length};
    const qint64 c = std::clamp<qint64>(caret, 0, length);
    qint64 start = std::min(std::max<qint64>(0, c - limit / 2), length - limit);
    qint64 end = start + limit;

    const QChar lineFeed(QLatin1Char('\n'));
    if (start > 0) {
        const qint64 p = text.indexOf(lineFeed, start);
        if (p != -1 && p < start + limit && p + 1 <= c)
            start = p + 1;
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
    return {start, end - start};
}

QList<TextIssue> visibleIssues(const QList<TextIssue>& issues, const QSet<QString>& dismissed,
                               const QSet<QString>& dictionary)
{
    QList<TextIssue> visible;
    for (const TextIssue& issue : issues) {
        if (dismissed.contains(issue.dismissKey()))
            continue;
        if (issue.isSpelling() && dictionary.contains(issue.problemText.toLower()))
            continue;
        visible.append(issue);
    }
    return visible;
}

QList<TextEdit> acceptAllEdits(const QList<TextIssue>& issues, const QString& text)
{
    QList<TextIssue> sorted = issues;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const TextIssue& a, const TextIssue& b) { return a.location > b.location; });
    QList<TextEdit> edits;
    for (const TextIssue& issue : sorted) {
        if (issue.suggestions.isEmpty() || !issue.isAligned(text))
            continue;
        const TextEdit edit = issue.edit(issue.suggestions.first());
        // Anything reaching into an edit already taken further right would be applied at
        // shifted offsets.
        if (!edits.isEmpty() && edit.location + edit.length > edits.last().location)
            continue;
        edits.append(edit);
    }
    return edits;
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
    return TextEdit{prefix, oldLength - prefix - suffix, newText.mid(prefix, newLength - prefix - suffix)};
}

QList<TextRange> changedWordRanges(const QString& oldText, const QString& newText)
{
    const QList<TextRange> oldWords = words(oldText);
    const QList<TextRange> newWords = words(newText);
    const qint64 n = oldWords.size();
    const qint64 m = newWords.size();
    if (n * m > maxDiffCells || m == 0)
        return {};

    QHash<QString, int> ids;
    ids.reserve(n + m);
    const std::vector<int> a = tokenIds(oldText, oldWords, ids);
    const std::vector<int> b = tokenIds(newText, newWords, ids);

    // lcs[i][j]: length of the longest common subsequence of a[i...] and b[j...]. Under the
    // guard min(n, m) is at most 632, so 16 bits hold every entry and halve the table.
    static_assert(maxDiffCells < 65535LL * 65535LL);
    const qint64 width = m + 1;
    std::vector<std::uint16_t> lcs(std::size_t((n + 1) * width), 0);
    const auto at = [&](qint64 i, qint64 j) -> std::uint16_t& { return lcs[std::size_t(i * width + j)]; };
    for (qint64 i = n - 1; i >= 0; --i) {
        for (qint64 j = m - 1; j >= 0; --j) {
            at(i, j) = a[std::size_t(i)] == b[std::size_t(j)] ? std::uint16_t(at(i + 1, j + 1) + 1)
                                                              : std::max(at(i + 1, j), at(i, j + 1));
        }
    }

    QList<TextRange> changed;
    qint64 i = 0;
    for (qint64 j = 0; j < m;) {
        if (i < n && a[std::size_t(i)] == b[std::size_t(j)]) {
            ++i;
            ++j;
        } else if (i < n && at(i + 1, j) >= at(i, j + 1)) {
            ++i; // removed from the old text: ties remove before they mark
        } else {
            const TextRange& word = newWords.at(j);
            if (!changed.isEmpty()
                && isAllWhitespace(QStringView(newText).sliced(changed.last().end(),
                                                               word.location - changed.last().end()))) {
                changed.last().length = word.end() - changed.last().location;
            } else {
                changed.append(word);
            }
            ++j;
        }
    }
    return changed;
}

} // namespace quillcraft::TextActions
