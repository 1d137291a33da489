#pragma once

#include "core/TextEdit.h"
#include "grammar/TextIssue.h"
#include "core/TextRange.h"

#include <QList>
#include <QSet>
#include <QString>

#include <optional>

// Pure text routines behind checking, showing and writing back. Offsets are UTF-16 units.
namespace quillcraft::TextActions {

// Past this many word pairs the word diff marks nothing rather than spend quadratic time.
inline constexpr qint64 maxDiffCells = 400'000;

// Maximal runs of non-whitespace characters.
qsizetype wordCount(const QString& text);

// Whether a selection earns the floating rewrite button: at least 2 characters once
// trimmed, and at least one word.
bool showsIcon(const QString& selectedText);

// The part of `text` sent to the grammar checker: at most `limit` units around the caret,
// snapped to line starts and ends where that keeps the caret inside, never splitting a
// surrogate pair.
TextRange lintWindow(const QString& text, qint64 caret, qint64 limit);

// The issues to show, in order: neither dismissed nor a spelling finding of a dictionary
// word (dictionary words are stored lower-cased).
QList<TextIssue> visibleIssues(const QList<TextIssue>& issues, const QSet<QString>& dismissed,
                               const QSet<QString>& dictionary);

// The first fix of every still-aligned issue, from the end of the text towards its start and
// without overlaps, so that they can be applied one after another at unchanged offsets.
QList<TextEdit> acceptAllEdits(const QList<TextIssue>& issues, const QString& text);

// `newText` trimmed, wrapped in the leading and trailing whitespace of `selectedText`.
QString keepingEdges(const QString& selectedText, const QString& newText);

// The smallest single edit turning `oldText` into `newText` (nothing when they are equal).
std::optional<TextEdit> minimalEdit(const QString& oldText, const QString& newText);

// Ranges of `newText` covering its words that are not part of the longest common word
// sequence with `oldText` (compared case-insensitively), runs separated only by whitespace
// merged. Empty when the word counts multiply to more than maxDiffCells.
QList<TextRange> changedWordRanges(const QString& oldText, const QString& newText);

} // namespace quillcraft::TextActions
