#pragma once

namespace quillcraft {

// Whether the program starts when the user logs in, and changing that.
class LoginItem {
public:
    // The numbers are the ones stored and shown elsewhere; keep them.
    enum class Status {
        notRegistered = 0,
        enabled = 1,
        requiresApproval = 2, // the system wants the user's consent first
        notFound = 3, // the program cannot be found to be started
    };

    virtual ~LoginItem() = default;

    virtual Status status() const = 0;
    // True when the change was made; the caller reads status() again either way.
    virtual bool setRegistered(bool on) = 0;

protected:
    LoginItem() = default;
};

} // namespace quillcraft
