#pragma once

namespace quillcraft {

class FocusedField;

// The way an edit goes into another application's field first.
enum class WritePath {
    accessibility, // select the range and set the selected text (FieldWriter)
    paste, // select the range and paste over it (Paste)
};

// Whether writing into this field through the accessibility interface would
// wipe the application's own undo history while a paste keeps it, so that the
// user could not take the fix back with Control+Z. Qt line edits do: their
// accessible text is replaced with setText(). Reads the toolkit and role.
bool accessibilityWriteLosesUndo(const FocusedField& field);

// The path an edit into the field takes first: paste when asked to always paste,
// for web content, and where an accessibility write loses the undo history.
WritePath writePathFor(const FocusedField& field, bool forcePaste);

} // namespace quillcraft
