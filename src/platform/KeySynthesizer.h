#pragma once

namespace quillcraft {

// Keystrokes the program sends to the focused window as if typed.
enum class SyntheticKey {
    paste, // Control+V, or Shift+Insert when no group of the layout has V
    deleteBackward, // BackSpace
};

enum class KeySendResult {
    sent,
    modifiersHeld, // the user still holds a modifier; nothing was sent, try again later
    failed, // the key cannot be sent; nothing stays pressed
};

// Synthesises keystrokes into whatever window has the keyboard focus.
class KeySynthesizer {
public:
    KeySynthesizer() = default;
    KeySynthesizer(const KeySynthesizer&) = delete;
    KeySynthesizer& operator=(const KeySynthesizer&) = delete;
    virtual ~KeySynthesizer();

    // Whether keystrokes can be synthesised on this display at all.
    virtual bool isAvailable() const = 0;

    // Whether the user is physically holding Shift, Control, Alt or Super now.
    virtual bool modifiersHeld() const = 0;

    // Sends one keystroke: press and release, with its modifiers.
    virtual KeySendResult send(SyntheticKey key) = 0;
};

} // namespace quillcraft
