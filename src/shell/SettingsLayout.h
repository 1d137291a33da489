#pragma once

#include <QString>

class QLayout;
class QVBoxLayout;
class QWidget;

namespace quillcraft {

class WrappedText;

// The pieces every settings tab is built from: the heading, rows with a title,
// an optional note and a control on the right, and secondary notes.
namespace SettingsLayout {

// Side margin of the tabs' content.
inline constexpr int margin = 24;

// The tab's column, with the tab's margins.
QVBoxLayout* column(QWidget* page);
// A title line over a secondary subtitle line.
QWidget* heading(const QString& title, const QString& subtitle, QWidget* parent);
// A secondary 12-point note (repainted when the palette changes, see restyle()).
WrappedText* note(const QString& text, QWidget* parent);
// A row: `title` (and `noteText` under it when not empty) on the left, `control` on
// the right. The note, when there is one, is named <name>Note.
QWidget* row(const QString& title, const QString& noteText, QWidget* control, const QString& name, QWidget* parent);
// Empties `layout`; its widgets are hidden now and deleted once control returns to the event loop.
void clear(QLayout* layout);
// Gives the notes under `root` the secondary colour of its current palette.
void restyle(QWidget* root);

} // namespace SettingsLayout

} // namespace quillcraft
