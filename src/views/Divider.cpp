#include "Divider.h"

#include "views/Theme.h"

#include <QPainter>

namespace quillcraft {

Divider::Divider(qreal opacity, QWidget* parent)
    : QWidget(parent)
    , m_opacity(opacity)
{
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Divider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Theme::withOpacity(Theme::primary(palette()), m_opacity));
}

} // namespace quillcraft
