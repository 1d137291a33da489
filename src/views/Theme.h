#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPalette>
#include <QString>

// The program's named colours and the colour of each kind of grammar issue.
namespace quillcraft::Theme {

inline const QColor pencil { 0xFF, 0x4B, 0x1F };
inline const QColor pen { 0x32, 0x65, 0xE8 };
inline const QColor lime { 0xBD, 0xD6, 0x2E };
inline const QColor note { 0xDC, 0xE8, 0xFF };
inline const QColor success { 0x16, 0xA3, 0x4A };
inline const QColor error { 0xDC, 0x26, 0x26 };

// The 24-bit colour of an issue kind: case, spaces, hyphens and other non-letters
// do not matter; an unknown kind gets the colour of "miscellaneous".
quint32 kindHex(const QString& kind);
QColor kindColor(const QString& kind);

// Adds the Geist files of <folder>/fonts to this process's fonts; true when the
// family is there afterwards. Safe to call again. The no-argument form uses the
// resource folder beside the binary.
bool registerFont(const QString& resourceFolder);
bool registerFont();

// Geist at `size` logical pixels (the unit the layouts are measured in).
QFont geist(int size, QFont::Weight weight = QFont::Normal);

// The icon `name` as a `size` x `size` template: black shapes on transparent, to be
// tinted. Cached by "name@size"; a missing icon gives a transparent image.
QImage image(const QString& name, int size = 16);
// `templateImage` with every visible pixel in `color`, keeping its coverage.
QImage tinted(const QImage& templateImage, const QColor& color);

// The background of text areas and the colour of text on it, from `palette`
// (which the application's appearance decides, see Appearance).
QColor textBackground(const QPalette& palette);
QColor primary(const QPalette& palette);
// Text of lesser importance: the primary colour, faded.
QColor secondary(const QPalette& palette);
// `color` at `opacity` (0..1) of its own alpha.
QColor withOpacity(QColor color, qreal opacity);
// `color` as a style sheet writes it, alpha included.
QString cssColor(const QColor& color);

} // namespace quillcraft::Theme
