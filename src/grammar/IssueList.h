#pragma once

#include "core/TextEdit.h"
#include "grammar/TextIssue.h"

#include <QList>
#include <QSet>
#include <QString>

// What to show of a list of findings, and how to fix them all at once.
namespace quillcraft {

// The issues to show, in order: neither dismissed nor a spelling finding of a dictionary
// word (dictionary words are stored lower-cased).
QList<TextIssue> visibleIssues(
    const QList<TextIssue>& issues, const QSet<QString>& dismissed, const QSet<QString>& dictionary);

// The first fix of every still-aligned issue, from the end of the text towards its start and
// without overlaps, so that they can be applied one after another at unchanged offsets.
QList<TextEdit> acceptAllEdits(const QList<TextIssue>& issues, const QString& text);

} // namespace quillcraft
