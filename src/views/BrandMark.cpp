#include "BrandMark.h"

#include "views/Icon.h"

#include <QPainter>
#include <QPainterPath>

namespace quillcraft {

BrandMark::BrandMark(int size, QWidget* parent)
    : QWidget(parent)
    , m_size(size)
{
    setFixedSize(size, size);
    setAttribute(Qt::WA_TranslucentBackground);
}

QSize BrandMark::sizeHint() const
{
    return { m_size, m_size };
}

void BrandMark::paint(QPainter& painter, const QRectF& frame)
{
    const qreal side = std::min(frame.width(), frame.height());
    QRectF square(0, 0, side, side);
    square.moveCenter(frame.center());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(square, side * 0.27, side * 0.27);
    painter.fillPath(shape, QColor(0x11, 0x11, 0x11));
    // The border sits inside the square, like a stroke of its own border.
    QPainterPath border;
    const QRectF inner = square.adjusted(0.5, 0.5, -0.5, -0.5);
    border.addRoundedRect(inner, side * 0.27 - 0.5, side * 0.27 - 0.5);
    painter.strokePath(border, QPen(QColor(0, 0, 0, 31), 1));
    const qreal glyph = side * 0.74;
    QRectF glyphFrame(0, 0, glyph, glyph);
    glyphFrame.moveCenter(square.center());
    Icon::paint(painter, glyphFrame, QStringLiteral("quillcraft"), Qt::white);
    painter.restore();
}

void BrandMark::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter, rect());
}

} // namespace quillcraft
