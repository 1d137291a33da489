#pragma once

#include <QString>

// The few words that name another desktop's keys and places, said the way this
// desktop says them. Texts shown to the user are written once, with the other
// platform's words, and pass through here.
namespace quillcraft::PlatformWording {

// Every platform word in `text` replaced by this desktop's word ("⌘V" -> "Ctrl+V",
// "on this Mac" -> "on this computer", "for Mac" -> "for Linux", …).
QString apply(const QString& text);

// The rewrite shortcut as shown ("Ctrl+Alt+R") and as spoken ("Control Alt R").
QString rewriteShortcut();
QString rewriteShortcutSpoken();

} // namespace quillcraft::PlatformWording
