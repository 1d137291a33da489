#include "IconCache.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>
#include <utility>

namespace quillcraft {

IconCache::IconCache(QString folder)
    : m_folder(std::move(folder))
{
}

QImage IconCache::image(const QString& name, int size)
{
    const QString key = name + QLatin1Char('@') + QString::number(size);
    const auto found = m_images.constFind(key);
    if (found != m_images.constEnd())
        return *found;

    const qreal ratio = qGuiApp ? std::max(qGuiApp->devicePixelRatio(), 1.0) : 1.0;
    const int pixels = std::max(1, int(std::ceil(std::max(size, 0) * ratio)));
    QImage result(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    // A name is a plain file name; anything with a path in it is no icon of ours.
    const QString file = QDir(m_folder).filePath(name + QStringLiteral(".svg"));
    if (!name.isEmpty() && !name.contains(QLatin1Char('/')) && QFileInfo::exists(file)) {
        QSvgRenderer renderer(file);
        if (renderer.isValid()) {
            QPainter painter(&result);
            painter.setRenderHint(QPainter::Antialiasing);
            renderer.setAspectRatioMode(Qt::KeepAspectRatio);
            renderer.render(&painter, QRectF(0, 0, pixels, pixels));
        }
    }
    result.setDevicePixelRatio(ratio);
    m_images.insert(key, result);
    return result;
}

} // namespace quillcraft
