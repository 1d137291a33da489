#pragma once

#include "core/TextEdit.h"
#include "platform/AccessibilityElement.h"

#include <QObject>

#include <functional>

namespace quillcraft {

class Accessibility;
class Clipboard;
class Clock;
class FrontmostApp;
class KeySynthesizer;

// Places text into another application's field with the clipboard and a
// synthesised paste (BackSpace for a deletion), for when an accessibility write
// is not possible or not wanted. The caller selects the edit's range first;
// this only replaces the current selection, refuses when the field or its
// selection moved on, and puts the user's clipboard back afterwards.
//
// Every step is a timer on the GUI thread; nothing sleeps.
class Paste final : public QObject {
    Q_OBJECT
public:
    enum class Result {
        pasted, // the field's value shows the replacement (or the deletion)
        notFocused, // the focused element is missing or is not the field's
        changed, // the field's value or selection no longer matches the snapshot and the edit
        slow, // the keystroke went out but the field did not show the change in time
    };

    // The snapshot of the field the edit was computed for.
    struct Field {
        ElementRef element;
        qint64 pid = 0;
        QString text;
    };

    using Done = std::function<void(Result)>;

    static constexpr int activationDelayMs = 150;
    static constexpr int pollIntervalMs = 50;
    static constexpr int pollAttempts = 40;
    // How long a user may keep holding a modifier before the paste gives up.
    static constexpr int modifierAttempts = 20;

    Paste(Accessibility& accessibility, FrontmostApp& frontmost, Clipboard& clipboard, KeySynthesizer& keys,
        Clock& clock, QObject* parent = nullptr);
    ~Paste() override;

    // Activates the field's application first when another one is frontmost,
    // then pastes. done is called exactly once, unless this object dies first.
    void replaceSelection(const TextEdit& edit, const Field& field, Done done);
    // Pastes into the field of the frontmost application.
    void paste(const TextEdit& edit, const Field& field, Done done);

    // Whether value is the snapshot's text with the edit made, judged the way
    // the field reports it: the expected length and the replacement in place.
    static bool shows(const QString& value, const TextEdit& edit, qsizetype snapshotLength);

private:
    class Placement;

    Accessibility& m_accessibility;
    FrontmostApp& m_frontmost;
    Clipboard& m_clipboard;
    KeySynthesizer& m_keys;
    Clock& m_clock;
};

} // namespace quillcraft
