#pragma once

#include "platform/InstalledApps.h"

namespace quillcraft {

class DesktopEntries;

// Installed applications as desktop entries, and programs on the PATH that no
// entry claims (a running copy of one is reported under its executable's name).
class DesktopAppDirectory final : public InstalledApps {
public:
    // `entries` must outlive the directory.
    explicit DesktopAppDirectory(const DesktopEntries& entries);

    std::optional<App> find(const QString& appId) const override;

private:
    const DesktopEntries& m_entries;
};

} // namespace quillcraft
