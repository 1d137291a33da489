#pragma once

#include <QPalette>

#include <optional>

namespace quillcraft {

// Light or dark: which palette the views paint with. The shell follows the
// desktop's preference; previews may force one.
enum class Appearance { light, dark };

namespace AppearanceChoice {

// The desktop's published preference (the settings portal's colour scheme), or
// nothing when it publishes none or the portal does not answer.
std::optional<Appearance> desktopPreference();
// What `palette` looks like: dark when its text background is darker than its text.
Appearance of(const QPalette& palette);
// The desktop's preference, else what the application's palette looks like.
Appearance desktop();

// A palette for `appearance`: `base` itself when it already looks that way (the
// desktop's own colours are kept), else a plain light or dark palette.
QPalette paletteFor(Appearance appearance, const QPalette& base);
// Sets the application's palette for `appearance`; needs a QApplication.
void apply(Appearance appearance);

} // namespace AppearanceChoice

} // namespace quillcraft
