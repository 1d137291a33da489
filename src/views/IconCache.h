#pragma once

#include <QHash>
#include <QImage>
#include <QString>

namespace quillcraft {

// Icons of one folder rendered from their SVG files once per name and size. The
// images are templates (black on transparent) at the application's device pixel
// ratio, so they stay sharp on scaled screens; tint them to draw.
class IconCache final {
public:
    explicit IconCache(QString folder);

    // The icon `<folder>/<name>.svg` as `size` x `size` logical pixels; a
    // transparent image of that size when the file is missing or unreadable.
    QImage image(const QString& name, int size);

private:
    QString m_folder;
    QHash<QString, QImage> m_images; // keyed "name@size"
};

} // namespace quillcraft
