#pragma once

#include "core/TextEdit.h"
#include "core/TextRange.h"

#include <QString>

namespace quillcraft {

// Where a finished rewrite goes in the field's current text: the changed middle
// of the rewritten range as one edit, nothing when the rewrite changes nothing,
// or the clipboard when the rewritten text cannot be found for certain.
struct RewritePlacement final {
    enum class Outcome {
        edit, // write `edit` (full-text offsets)
        nothing, // the rewrite equals the source
        copy, // put the rewrite on the clipboard and show `notice`
    };

    Outcome outcome = Outcome::nothing;
    TextEdit edit;
    // For `copy`: the notice, already worded for this desktop.
    QString notice;
};

// Places `rewrite` over `source`, which was the text at `range` when the card
// opened. The source is taken at `range` when it is still there, else at its
// one occurrence in `freshText` (overlapping occurrences count); the source's
// leading and trailing whitespace stay around the rewrite.
RewritePlacement placeRewrite(const QString& freshText, TextRange range, const QString& source, const QString& rewrite);

} // namespace quillcraft
