#pragma once

#include <QString>

// Text from files, the service or the user's system made safe to print on a
// terminal: nothing in it can move the cursor, change the screen or reorder
// what is shown.
namespace quillcraft::TerminalText {

// How an unsafe character is shown, and which line breaks a place keeps.
enum class Rendering {
    // One error line: every unsafe character, line breaks and tabs too, is "?".
    questionMarks,
    // One finding a line: line breaks and controls as "\n", "\r", "\x1b" or
    // "\u202e"; tabs stay.
    escapes,
    // Running text: unsafe characters are left out; line feeds and tabs stay.
    dropped,
};

// C0 controls (tab and line feed too), DEL, C1 controls, the bidirectional
// embeddings, overrides and isolates, and a surrogate without its pair.
bool isUnsafe(char32_t c);

// The text with every unsafe character rendered as `rendering` says.
QString sanitized(const QString& text, Rendering rendering);

} // namespace quillcraft::TerminalText
