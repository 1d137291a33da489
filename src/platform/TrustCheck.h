#pragma once

namespace quillcraft {

// Whether the program may read other applications' fields, and asking for it.
class TrustCheck {
public:
    virtual ~TrustCheck() = default;

    // Asked without any prompt, often (every polling tick): keep it cheap.
    virtual bool isTrusted() const = 0;
    // Turns access on where the platform lets the user's session do so, or
    // shows the platform's way to grant it.
    virtual void requestAccess() = 0;

protected:
    TrustCheck() = default;
};

} // namespace quillcraft
