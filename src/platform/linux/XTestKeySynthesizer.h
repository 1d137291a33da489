#pragma once

#include "platform/KeySynthesizer.h"

typedef struct _XDisplay Display; // NOLINT: Xlib's own spelling, so no Xlib header here

namespace quillcraft {

// Keystrokes through the XTest extension on Qt's own X connection. GUI thread only.
class XTestKeySynthesizer final : public KeySynthesizer {
public:
    // display null: Qt's display, if Qt runs on X11.
    explicit XTestKeySynthesizer(Display* display = nullptr);

    bool isAvailable() const override;
    bool modifiersHeld() const override;
    KeySendResult send(SyntheticKey key) override;

private:
    Display* m_display = nullptr;
    bool m_available = false;
};

} // namespace quillcraft
