#include "PlatformWording.h"

#include <array>
#include <utility>

namespace quillcraft::PlatformWording {

namespace {

// Longer phrases first, so "on this Mac" is not turned into "on this computer" twice
// and "⌘V" is matched before a lone "⌘".
constexpr std::array<std::pair<const char16_t*, const char16_t*>, 19> words { {
    // Onboarding's access step: here the program switches the desktop's assistive
    // technologies on itself, so the steps and the button say that.
    { u"macOS calls this Accessibility.", u"Your desktop calls this accessibility, or assistive technologies." },
    { u"2. Turn on Quillcraft under Privacy & Security, Accessibility.",
        u"2. Quillcraft switches on your desktop's assistive technologies for you." },
    { u"3. Come back here.", u"3. Stay here." },
    { u"In the Accessibility list, select Quillcraft and click the minus button. Click the plus button, choose the "
      u"copy of Quillcraft you’re running, and turn it on.",
        u"Some applications notice it only when they start, so close and reopen the ones you write in. If this "
        u"page keeps waiting, turn on assistive technologies in your desktop's accessibility settings, then log "
        u"out and back in." },
    { u"Open System Settings", u"Turn On Accessibility" },
    { u"apps like TextEdit, Safari, and Slack", u"apps like gedit, Firefox, and LibreOffice" },
    { u"macOS needs your approval. Allow Quillcraft in Login Items",
        u"Your desktop needs your approval. Allow Quillcraft in its startup applications" },
    { u"Open Login Settings", u"Open Startup Settings" },
    { u"menu bar", u"status area" },
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
