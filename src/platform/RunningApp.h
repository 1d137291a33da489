#pragma once

#include <QString>

namespace quillcraft {

// A running application as the rest of the program names it.
struct RunningApp final {
    qint64 pid = 0;
    // Desktop-entry id, else the window's WM_CLASS class, else the executable's
    // name; "" when none can be found.
    QString bundleID;
    // The desktop entry's or the accessibility application's name; "" when none.
    QString name;

    bool operator==(const RunningApp&) const = default;
};

} // namespace quillcraft
