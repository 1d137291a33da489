#include "Theme.h"

#include <QHash>

namespace quillcraft::Theme {

namespace {

const QHash<QString, quint32>& kindColors()
{
    static const QHash<QString, quint32> colors {
        { QStringLiteral("agreement"), 0x10B981 },
        { QStringLiteral("boundaryerror"), 0x6366F1 },
        { QStringLiteral("capitalization"), 0xEAB308 },
        { QStringLiteral("eggcorn"), 0x8B5CF6 },
        { QStringLiteral("enhancement"), 0xD97706 },
        { QStringLiteral("formatting"), 0x64748B },
        { QStringLiteral("grammar"), 0x059669 },
        { QStringLiteral("malapropism"), 0xD946EF },
        { QStringLiteral("miscellaneous"), 0x0EA5E9 },
        { QStringLiteral("nonstandard"), 0x78716C },
        { QStringLiteral("punctuation"), 0x0891B2 },
        { QStringLiteral("readability"), 0x7C3AED },
        { QStringLiteral("redundancy"), 0xD97706 },
        { QStringLiteral("regionalism"), 0x0F766E },
        { QStringLiteral("repetition"), 0xB45309 },
        { QStringLiteral("spelling"), 0xF43F5E },
        { QStringLiteral("style"), 0x3B82F6 },
        { QStringLiteral("typo"), 0xF43F5E },
        { QStringLiteral("usage"), 0x16A34A },
        { QStringLiteral("wordchoice"), 0x2563EB },
        { QStringLiteral("wordorder"), 0x4F46E5 },
    };
    return colors;
}

} // namespace

quint32 kindHex(const QString& kind)
{
    QString key;
    key.reserve(kind.size());
    for (const QChar c : kind) {
        if (c.isLetter())
            key.append(c.toLower());
    }
    return kindColors().value(key, 0x0EA5E9);
}

QColor kindColor(const QString& kind)
{
    return QColor::fromRgb(kindHex(kind));
}

} // namespace quillcraft::Theme
