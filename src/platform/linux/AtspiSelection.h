#pragma once

#include "platform/AccessibilityElement.h"

typedef struct _AtspiAccessible AtspiAccessible; // NOLINT: libatspi's own spelling, no libatspi header here
typedef struct _AtspiText AtspiText; // NOLINT: likewise

namespace quillcraft {

// Selecting a range of another application's text through AT-SPI, judged by what
// the field shows afterwards rather than by what the call answers: GTK 4.8's text
// views answer TRUE to set_selection while only moving the caret, and make the
// selection asked for by add_selection without ever answering. Offsets are the
// toolkit's own. GUI thread only.
class AtspiSelection final {
public:
    // What an element has shown about its answers; kept with the element's reads.
    struct Habits {
        // add_selection made the selection but no answer came: later requests do not wait for one.
        bool selectsWithoutAnswer = false;
    };

    AtspiSelection(AtspiAccessible* accessible, AtspiText* text, Habits& habits);

    // Selects [start, end) (start < end), replacing any selection the field has.
    AXError select(int start, int end);

    // Whether the field's first selection now spans exactly [start, end).
    bool shows(int start, int end) const;

private:
    AXError add(int start, int end);
    // Sends add_selection without waiting for the answer that never comes.
    bool sendAddWithoutAnswer(int start, int end) const;
    bool hasSelection() const;

    AtspiAccessible* m_accessible;
    AtspiText* m_text;
    Habits& m_habits;
};

} // namespace quillcraft
