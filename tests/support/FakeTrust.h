#pragma once

#include "platform/TrustCheck.h"

namespace quillcraft::test {

// Access as a test sets it; asking for it is only counted.
class FakeTrust final : public TrustCheck {
public:
    explicit FakeTrust(bool trustedAtStart = true)
        : trusted(trustedAtStart)
    {
    }
    bool isTrusted() const override { return trusted; }
    void requestAccess() override { ++requests; }

    bool trusted;
    int requests = 0;
};

} // namespace quillcraft::test
