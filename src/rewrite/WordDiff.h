#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QTextLayout>

// The rewrite card's marking of the words a rewrite changed.
namespace quillcraft::WordDiff {

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
