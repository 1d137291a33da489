#pragma once

#include "platform/RunningApp.h"

#include <optional>

namespace quillcraft {

// The application whose window is active, and the running applications by process.
class FrontmostApp {
public:
    virtual ~FrontmostApp() = default;

    virtual bool isAvailable() const = 0;
    // The process that owns the active window; absent when there is none.
    virtual std::optional<qint64> frontmostPid() const = 0;
    // The running application with this process id; absent when it is gone.
    virtual std::optional<RunningApp> application(qint64 pid) const = 0;
    // Asks the window manager to activate the application's window; false when it has none.
    virtual bool activate(qint64 pid) = 0;

protected:
    FrontmostApp() = default;
};

} // namespace quillcraft
