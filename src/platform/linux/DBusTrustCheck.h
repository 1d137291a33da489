#pragma once

#include "platform/TrustCheck.h"

namespace quillcraft {

// Trusted means the AT-SPI bus answers on the session bus and accessibility is
// switched on (org.a11y.Status IsEnabled). Asking switches it on, and GNOME's
// toolkit-accessibility setting with it so that it holds after a new login.
class DBusTrustCheck final : public TrustCheck {
public:
    bool isTrusted() const override;
    void requestAccess() override;
};

} // namespace quillcraft
