#include "IssueList.h"

#include <algorithm>

namespace quillcraft {

QList<TextIssue> visibleIssues(
    const QList<TextIssue>& issues, const QSet<QString>& dismissed, const QSet<QString>& dictionary)
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
    std::stable_sort(
        sorted.begin(), sorted.end(), [](const TextIssue& a, const TextIssue& b) { return a.location > b.location; });
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

} // namespace quillcraft
