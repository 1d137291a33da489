#pragma once

#include <QtGlobal>

namespace quillcraft {

class Accessibility;
class Clipboard;
class Clock;
class FloatingWindows;
class FrontmostApp;
class HotkeyGrabber;
class KeySynthesizer;
class PointerMonitor;
class Screens;
class TrustCheck;

// The platform the writing assistant works through. The real backends come from
// the platform layer, fakes from the tests; all outlive the assistant.
struct AssistantServices final {
    Accessibility& accessibility;
    const Screens& screens;
    FrontmostApp& apps;
    TrustCheck& trust;
    Clipboard& clipboard;
    KeySynthesizer& keys;
    HotkeyGrabber& hotkeys;
    Clock& clock;
    // Null in offscreen tests: no window-manager hints, no pointer monitoring.
    FloatingWindows* windows = nullptr;
    PointerMonitor* pointer = nullptr;
    // This program's own process, whose fields are left alone unless the policy allows them.
    qint64 ownPid = 0;
};

} // namespace quillcraft
