#pragma once

#include "platform/FrontmostApp.h"

#include <QDateTime>
#include <QList>

#include <functional>
#include <optional>

namespace quillcraft {

class DesktopEntries;
class X11Windows;

// The frontmost application from the window manager's active window, named by
// its desktop entry, else its window class, else its executable.
class X11FrontmostApp final : public FrontmostApp {
public:
    // accessibleName gives the accessibility bus's name for a process ("" when none).
    X11FrontmostApp(
        const X11Windows& windows, const DesktopEntries& entries, std::function<QString(qint64)> accessibleName);

    bool isAvailable() const override;
    std::optional<qint64> frontmostPid() const override;
    std::optional<RunningApp> application(qint64 pid) const override;
    bool activate(qint64 pid) override;

    // The executable's file name of a running process; "" when it is gone or unreadable.
    static QString executableName(qint64 pid);

private:
    struct Last {
        RunningApp app;
        QList<quint32> windows;
        QDateTime started;
    };

    const X11Windows& m_windows;
    const DesktopEntries& m_entries;
    std::function<QString(qint64)> m_accessibleName;
    mutable std::optional<Last> m_last;
};

} // namespace quillcraft
