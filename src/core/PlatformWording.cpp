#include "PlatformWording.h"

#include <array>
#include <utility>

namespace quillcraft::PlatformWording {

namespace {

// Longer phrases first, so "on this Mac" is not turned into "on this computer" twice
// and "⌘V" is matched before a lone "⌘".
constexpr std::array<std::pair<const char16_t*, const char16_t*>, 10> words { {
    { u"Control Option R", u"Control Alt R" },
    { u"⌃⌥R", u"Ctrl+Alt+R" },
    { u"⌘V", u"Ctrl+V" },
    { u"⌘1", u"Ctrl+1" },
    { u"⌘2", u"Ctrl+2" },
    { u"⌘3", u"Ctrl+3" },
    { u"Command-", u"Ctrl+" },
    { u"this Mac", u"this computer" },
    { u"for Mac", u"for Linux" },
    { u"System Settings", u"the desktop's settings" },
} };

} // namespace

QString apply(const QString& text)
{
    QString result = text;
    for (const auto& [from, to] : words)
        result.replace(QString::fromUtf16(from), QString::fromUtf16(to));
    return result;
}

QString rewriteShortcut()
{
    return QStringLiteral("Ctrl+Alt+R");
}

QString rewriteShortcutSpoken()
{
    return QStringLiteral("Control Alt R");
}

} // namespace quillcraft::PlatformWording
