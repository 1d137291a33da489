#pragma once

#include <QColor>
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

} // namespace quillcraft::Theme
