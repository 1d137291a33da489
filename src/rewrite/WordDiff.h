#pragma once

#include "core/TextRange.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QTextLayout>

// The rewrite card's marking of the words a rewrite changed.
namespace quillcraft::WordDiff {

// Past this many word pairs the word diff marks nothing rather than spend quadratic time.
inline constexpr qint64 maxDiffCells = 400'000;

// Unicode word segmentation, keeping only segments with a letter, digit or ideograph:
// whitespace and punctuation never become words.
QList<TextRange> words(const QString& text);

// Maximal runs of non-whitespace characters.
qsizetype wordCount(const QString& text);

// Ranges of `newText` covering its words that are not part of the longest common word
// sequence with `oldText` (compared case-insensitively), runs separated only by whitespace
// merged. Empty when the word counts multiply to more than maxDiffCells.
QList<TextRange> changedWordRanges(const QString& oldText, const QString& newText);

// The new text and the formats that mark its changed words; nothing is set elsewhere.
struct Highlighted final {
    QString text;
    // Ascending and non-overlapping, ready for QTextLayout::setFormats() or a document cursor.
    QList<QTextLayout::FormatRange> formats;
};

// Background of a changed word: the theme's note colour.
QColor markBackground();
// Foreground of a changed word, dark enough on the note colour in either appearance.
QColor markForeground();

// `newText` with its changed words against `oldText` marked. Cheap enough to run on every
// streamed update: past the word-pair guard nothing is marked.
Highlighted highlighted(const QString& oldText, const QString& newText);

} // namespace quillcraft::WordDiff
