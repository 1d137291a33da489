#include "WordDiff.h"

#include <QHash>
#include <QTextBoundaryFinder>
#include <QTextCharFormat>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace quillcraft::WordDiff {

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

QList<TextRange> words(const QString& text)
{
    QList<TextRange> tokens;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, text);
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end != -1; end = finder.toNextBoundary()) {
        if (holdsWordCharacter(QStringView(text).sliced(start, end - start)))
            tokens.append({ start, end - start });
        start = end;
    }
    return tokens;
}

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
                && isAllWhitespace(
                    QStringView(newText).sliced(changed.last().end(), word.location - changed.last().end()))) {
                changed.last().length = word.end() - changed.last().location;
            } else {
                changed.append(word);
            }
            ++j;
        }
    }
    return changed;
}

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

    Highlighted result { newText, {} };
    for (const TextRange& range : changedWordRanges(oldText, newText)) {
        // Format ranges are int-based; anything that does not fit, or lies outside the text, is left plain.
        if (!range.liesInside(newText.size()) || range.end() > std::numeric_limits<int>::max())
            continue;
        result.formats.append({ int(range.location), int(range.length), mark });
    }
    return result;
}

} // namespace quillcraft::WordDiff
