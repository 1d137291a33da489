#pragma once

#include "grammar/TextIssue.h"

#include <QList>
#include <QString>

// Fixed issues that the previews draw and the view tests check against.
namespace quillcraft::IssueSamples {

// The application the sample issues were found in: "Notes".
QString appName();

// "teh" -> "the", a typo.
TextIssue typo();
// "has" -> "have", an agreement problem; not a spelling issue.
TextIssue agreement();
// "tomorow", a spelling issue with three replacements.
TextIssue spelling();
// The three above, in that order.
QList<TextIssue> notes();

// A spelling issue with five replacements.
TextIssue fiveSuggestions();
// Text that does not fit: a 200-letter word without spaces, a long message in
// right-to-left scripts with emoji, and corrections just as unwieldy.
TextIssue longText();
// `count` varied issues (each kind of fix, several kinds), at increasing locations.
QList<TextIssue> many(int count);

} // namespace quillcraft::IssueSamples
