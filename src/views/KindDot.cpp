#include "KindDot.h"

#include <QPainter>

#include <utility>

namespace quillcraft {

KindDot::KindDot(QColor color, QWidget* parent)
    : QWidget(parent)
    , m_color(std::move(color))
{
    setFixedSize(diameter, diameter);
}

void KindDot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_color);
    painter.drawEllipse(QRectF(rect()));
}

} // namespace quillcraft
