#include "Icon.h"

#include "views/Theme.h"

#include <QPainter>

#include <cmath>
#include <utility>

namespace quillcraft {

Icon::Icon(QString name, int size, QWidget* parent)
    : QWidget(parent)
    , m_name(std::move(name))
    , m_size(size)
{
    setFixedSize(size, size);
    setAttribute(Qt::WA_TranslucentBackground);
}

void Icon::setColor(std::optional<QColor> color)
{
    m_color = std::move(color);
    update();
}

QSize Icon::sizeHint() const
{
    return { m_size, m_size };
}

void Icon::paint(QPainter& painter, const QRectF& frame, const QString& name, const QColor& color)
{
    // Rendered at the whole size nearest the frame, so strokes land on pixels.
    const int size = std::max(1, int(std::lround(std::min(frame.width(), frame.height()))));
    const QImage image = Theme::tinted(Theme::image(name, size), color);
    QRectF target(QPointF(0, 0), QSizeF(size, size));
    target.moveCenter(frame.center());
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image);
    painter.restore();
}

void Icon::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter, rect(), m_name, m_color.value_or(palette().color(QPalette::WindowText)));
}

} // namespace quillcraft
