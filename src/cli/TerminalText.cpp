#include "TerminalText.h"

namespace quillcraft::TerminalText {

namespace {

bool isKept(char32_t c, Rendering rendering)
{
    switch (rendering) {
    case Rendering::questionMarks:
        return false;
    case Rendering::escapes:
        return c == U'\t';
    case Rendering::dropped:
        return c == U'\t' || c == U'\n';
    }
    return false;
}

QString escaped(char32_t c)
{
    if (c == U'\n')
        return QStringLiteral("\\n");
    if (c == U'\r')
        return QStringLiteral("\\r");
    if (c <= 0xff)
        return QStringLiteral("\\x%1").arg(uint(c), 2, 16, QLatin1Char('0'));
    return QStringLiteral("\\u%1").arg(uint(c), 4, 16, QLatin1Char('0'));
}

} // namespace

bool isUnsafe(char32_t c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) // C0, DEL, C1
        || (c >= 0x202a && c <= 0x202e) // LRE, RLE, PDF, LRO, RLO
        || (c >= 0x2066 && c <= 0x2069) // LRI, RLI, FSI, PDI
        || QChar::isSurrogate(c); // a code point, so never one half of a pair
}

QString sanitized(const QString& text, Rendering rendering)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text.at(i);
        if (unit.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out += unit;
            out += text.at(++i);
            continue;
        }
        const char32_t c = unit.unicode();
        if (!isUnsafe(c) || isKept(c, rendering)) {
            out += unit;
        } else if (rendering == Rendering::questionMarks) {
            out += QLatin1Char('?');
        } else if (rendering == Rendering::escapes) {
            out += escaped(c);
        }
    }
    return out;
}

} // namespace quillcraft::TerminalText
