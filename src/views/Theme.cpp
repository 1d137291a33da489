#include "Theme.h"

#include "core/ResourceFolder.h"
#include "views/IconCache.h"

#include <QDir>
#include <QFontDatabase>
#include <QHash>
#include <QPainter>

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

const QString family = QStringLiteral("Geist");

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

bool registerFont(const QString& resourceFolder)
{
    if (QFontDatabase::families().contains(family))
        return true;
    const QDir fonts(QDir(resourceFolder).filePath(QStringLiteral("fonts")));
    const QStringList files = fonts.entryList({ QStringLiteral("geist-*.woff2") }, QDir::Files, QDir::Name);
    for (const QString& file : files)
        QFontDatabase::addApplicationFont(fonts.filePath(file));
    return QFontDatabase::families().contains(family);
}

bool registerFont()
{
    return registerFont(ResourceFolder::path());
}

QFont geist(int size, QFont::Weight weight)
{
    QFont font(family);
    font.setPixelSize(size);
    font.setWeight(weight);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QImage image(const QString& name, int size)
{
    // Loaded on first use, from the resource folder beside the binary.
    static IconCache cache(QDir(ResourceFolder::path()).filePath(QStringLiteral("icons")));
    return cache.image(name, size);
}

QImage tinted(const QImage& templateImage, const QColor& color)
{
    QImage result = templateImage.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&result);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRectF(QPointF(0, 0), result.deviceIndependentSize()), color);
    return result;
}

QColor textBackground(const QPalette& palette)
{
    return palette.color(QPalette::Active, QPalette::Base);
}

QColor primary(const QPalette& palette)
{
    return palette.color(QPalette::Active, QPalette::Text);
}

QColor secondary(const QPalette& palette)
{
    return withOpacity(primary(palette), 0.55);
}

QColor withOpacity(QColor color, qreal opacity)
{
    color.setAlphaF(float(color.alphaF() * opacity));
    return color;
}

QString cssColor(const QColor& color)
{
    return QStringLiteral("rgba(%1,%2,%3,%4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(color.alphaF(), 0, 'f', 3);
}

} // namespace quillcraft::Theme
