#pragma once

#include <QString>

#include <optional>

namespace quillcraft {

// The applications installed for this user, looked up by the id the rest of the
// program names them by (what FrontmostApp reports for a running one).
class InstalledApps {
public:
    struct App {
        // The id a running copy is reported under; may differ from the asked id in case.
        QString id;
        QString name;
    };

    virtual ~InstalledApps() = default;

    // The installed application known by `appId`; absent when none is installed.
    virtual std::optional<App> find(const QString& appId) const = 0;

protected:
    InstalledApps() = default;
};

} // namespace quillcraft
