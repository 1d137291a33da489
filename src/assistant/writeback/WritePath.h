#pragma once

namespace quillcraft {

class FocusedField;

// The way an edit goes into another application's field first.
enum class WritePath {
    accessibility, // select the range and set the selected text (FieldWriter)
    paste, // select the range and paste over it (Paste)
};

// Whether a fix written through the accessibility interface would not be one
// Control+Z away from the text before it, where a paste over the selection is.
// Qt line edits replace their accessible text with setText(), which wipes their
// undo history; multi-line editors of Qt and GTK (LibreOffice's among them) take
// the deletion and the insertion as two undo steps, so the first Control+Z shows
// the word missing. Reads the toolkit and the role.
bool accessibilityWriteBreaksUndo(const FocusedField& field);

// The path an edit into the field takes first: paste when asked to always paste,
// for web content, and where an accessibility write breaks the undo.
WritePath writePathFor(const FocusedField& field, bool forcePaste);

} // namespace quillcraft
