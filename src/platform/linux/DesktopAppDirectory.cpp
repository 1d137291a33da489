#include "DesktopAppDirectory.h"

#include "platform/linux/DesktopEntries.h"

#include <QStandardPaths>

namespace quillcraft {

DesktopAppDirectory::DesktopAppDirectory(const DesktopEntries& entries)
    : m_entries(entries)
{
}

std::optional<InstalledApps::App> DesktopAppDirectory::find(const QString& appId) const
{
    if (appId.isEmpty())
        return std::nullopt;
    if (const auto entry = m_entries.byId(appId))
        return App { entry->id, entry->name.isEmpty() ? entry->id : entry->name };
    // A path would let an id name any file; only plain program names count.
    if (appId.contains(QLatin1Char('/')) || m_entries.claims(appId))
        return std::nullopt;
    if (QStandardPaths::findExecutable(appId).isEmpty())
        return std::nullopt;
    return App { appId, appId };
}

} // namespace quillcraft
