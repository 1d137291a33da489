#pragma once

#include "platform/KeyCombination.h"

#include <QObject>

namespace quillcraft {

// How a request to reserve a combination ended.
enum class GrabResult {
    grabbed,
    heldElsewhere, // another program, or another of our ids, holds it
    noKey, // no key of the keyboard types the combination's key
    failed, // no display, or the display refused for another reason
};

// Reserves key combinations system-wide, whichever application is frontmost,
// and reports their presses by the identifier they were grabbed with.
class HotkeyGrabber : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Whether global grabs work on this display at all.
    virtual bool isAvailable() const = 0;

    // Reserves the combination under id, replacing what id held before; on
    // any result but `grabbed` id holds nothing.
    virtual GrabResult grab(quint32 id, KeyCombination combination) = 0;

    // Releases what id holds; nothing happens when it holds nothing.
    virtual void ungrab(quint32 id) = 0;

Q_SIGNALS:
    // A grabbed combination was pressed.
    void pressed(quint32 id);
};

} // namespace quillcraft
