#include "PopUpPicker.h"

#include "views/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace quillcraft {

PopUpPicker::PopUpPicker(const QStringList& items, const QString& accessibleName, QWidget* parent)
    : QComboBox(parent)
{
    addItems(items);
    setAccessibleName(accessibleName);
    setFont(Theme::geist(12, QFont::Medium));
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // A long list shows in one column that scrolls, not as a screen-high menu.
    setMaxVisibleItems(12);
}

QSize PopUpPicker::sizeHint() const
{
    const QFontMetricsF metrics(font());
    qreal widest = 0;
    for (int i = 0; i < count(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(itemText(i)));
    return { int(std::ceil(widest)) + 2 * sideInset + chevronRoom, boxHeight };
}

QSize PopUpPicker::minimumSizeHint() const
{
    return sizeHint();
}

void PopUpPicker::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor primary = Theme::primary(palette());
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape;
    shape.addRoundedRect(box, 7, 7);
    painter.fillPath(shape, Theme::textBackground(palette()));
    painter.strokePath(shape, QPen(hasFocus() ? Theme::pen : Theme::withOpacity(primary, 0.18), hasFocus() ? 1.5 : 1));

    painter.setPen(isEnabled() ? primary : Theme::secondary(palette()));
    const QRectF textRect = QRectF(rect()).adjusted(sideInset, 0, -(sideInset + chevronRoom - 6), 0);
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        QFontMetricsF(font()).elidedText(currentText(), Qt::ElideRight, textRect.width()));

    // Up and down chevrons: the list opens over the box.
    const qreal cx = width() - sideInset - 4;
    const qreal cy = height() / 2.0;
    painter.setPen(QPen(Theme::withOpacity(primary, 0.6), 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(QPolygonF({ { cx - 3, cy - 2 }, { cx, cy - 5 }, { cx + 3, cy - 2 } }));
    painter.drawPolyline(QPolygonF({ { cx - 3, cy + 2 }, { cx, cy + 5 }, { cx + 3, cy + 2 } }));
}

} // namespace quillcraft
