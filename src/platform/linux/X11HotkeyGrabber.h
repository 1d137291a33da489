#pragma once

#include "platform/HotkeyGrabber.h"

#include <memory>

namespace quillcraft {

// Global shortcuts through passive key grabs on the X11 root window, received
// through a native event filter on Qt's own connection. GUI thread only.
class X11HotkeyGrabber final : public HotkeyGrabber {
    Q_OBJECT
public:
    explicit X11HotkeyGrabber(QObject* parent = nullptr);
    ~X11HotkeyGrabber() override;

    bool isAvailable() const override;
    GrabResult grab(quint32 id, KeyCombination combination) override;
    void ungrab(quint32 id) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace quillcraft
