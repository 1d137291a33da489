#pragma once

#include "platform/LoginItem.h"

namespace quillcraft::test {

// Opening at login as a test sets it: a change takes when `accepts`, otherwise the
// status stays and the call reports failure.
class FakeLoginItem final : public LoginItem {
public:
    Status status() const override { return current; }
    bool setRegistered(bool on) override
    {
        ++calls;
        if (!accepts)
            return false;
        current = on ? Status::enabled : Status::notRegistered;
        return true;
    }

    Status current = Status::notRegistered;
    bool accepts = true;
    int calls = 0;
};

} // namespace quillcraft::test
