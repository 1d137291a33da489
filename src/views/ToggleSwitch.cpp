#include "ToggleSwitch.h"

#include "views/Theme.h"

#include <QPainter>
#include <QPainterPath>

namespace quillcraft {

ToggleSwitch::ToggleSwitch(const QString& accessibleName, QWidget* parent)
    : QAbstractButton(parent)
{
    setCheckable(true);
    setAccessibleName(accessibleName);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize ToggleSwitch::sizeHint() const
{
    // Room around the track for the focus ring.
    return { trackWidth + 4, trackHeight + 4 };
}

QSize ToggleSwitch::minimumSizeHint() const
{
    return sizeHint();
}

bool ToggleSwitch::hitButton(const QPoint& pos) const
{
    return rect().contains(pos);
}

void ToggleSwitch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor primary = Theme::primary(palette());
    const QRectF track((width() - trackWidth) / 2.0, (height() - trackHeight) / 2.0, trackWidth, trackHeight);
    const qreal radius = trackHeight / 2.0;
    // An unavailable switch keeps its position but fades.
    painter.setOpacity(isEnabled() ? 1.0 : 0.4);

    QPainterPath shape;
    shape.addRoundedRect(track, radius, radius);
    painter.fillPath(shape, isChecked() ? Theme::pen : Theme::withOpacity(primary, isDown() ? 0.28 : 0.18));

    const qreal knob = trackHeight - 4;
    const qreal x = isChecked() ? track.right() - 2 - knob : track.left() + 2;
    painter.setPen(QPen(Theme::withOpacity(QColor(Qt::black), 0.12), 0.5));
    painter.setBrush(QColor(Qt::white));
    painter.drawEllipse(QRectF(x, track.top() + 2, knob, knob));

    if (hasFocus()) {
        painter.setOpacity(1.0);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Theme::withOpacity(Theme::pen, 0.6), 2));
        painter.drawRoundedRect(track.adjusted(-1, -1, 1, 1), radius + 1, radius + 1);
    }
}

} // namespace quillcraft
