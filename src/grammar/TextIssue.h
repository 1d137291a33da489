#pragma once

#include "core/TextEdit.h"
#include "core/TextRange.h"
#include "grammar/Suggestion.h"

#include <QList>
#include <QString>

namespace quillcraft {

// One finding of the grammar checker in a field's text. Offsets are UTF-16 units.
struct TextIssue final {
    qint64 location = 0;
    // Always > 0 after decoding.
    qint64 length = 0;
    // The checker's lint kind as sent ("Spelling", "Typo", ...), "Miscellaneous" when absent.
    QString kind = {};
    // Already passed through readable().
    QString message = {};
    // What the range covered when the issue was decoded.
    QString problemText = {};
    // In the checker's order, without duplicates; never empty after decoding.
    QList<Suggestion> suggestions = {};

    bool operator==(const TextIssue&) const = default;

    TextRange range() const { return { location, length }; }
    // "location:length": the identity in lists and of the bounds cache.
    QString id() const;
    // kind|problemText|message: no location, so a dismissal follows the finding as edits move it.
    QString dismissKey() const;
    bool isSpelling() const;
    // Style-only kinds, however their words are spaced, hyphenated or capitalised.
    bool isStyleSuggestion() const;
    // The range lies inside `text` and still holds problemText (canonically equivalent forms count).
    bool isAligned(const QString& text) const;
    TextIssue shifted(qint64 delta) const;
    TextEdit edit(const Suggestion& suggestion) const;
    // The text of the button that applies the suggestion.
    QString label(const Suggestion& suggestion) const;

    // Turns the engine's findings (a JSON array) over `text` into issues with offsets
    // relative to that text. Never fails: whatever is unsound is dropped.
    static QList<TextIssue> decodeHarper(const QString& json, const QString& text);
    // Back-quotes become typographic quotes, opening and closing in turn.
    static QString readable(const QString& message);
};

} // namespace quillcraft
