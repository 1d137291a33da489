#include "IconButton.h"

#include "views/Icon.h"
#include "views/Theme.h"

#include <QPainter>

#include <utility>

namespace quillcraft {

namespace {

constexpr int padding = 6; // a comfortable press target around a small glyph

} // namespace

IconButton::IconButton(QString icon, const QString& toolTip, int iconSize, QWidget* parent)
    : QAbstractButton(parent)
    , m_icon(std::move(icon))
    , m_iconSize(iconSize)
{
    setToolTip(toolTip);
    setAccessibleName(toolTip);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void IconButton::setOpacity(std::optional<qreal> opacity)
{
    m_opacity = opacity;
    update();
}

QSize IconButton::sizeHint() const
{
    return { m_iconSize + 2 * padding, m_iconSize + 2 * padding };
}

void IconButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor primary = Theme::primary(palette());
    QColor color = m_opacity ? Theme::withOpacity(primary, *m_opacity) : Theme::secondary(palette());
    if (isDown())
        color = primary;
    QRectF frame(0, 0, m_iconSize, m_iconSize);
    frame.moveCenter(QRectF(rect()).center());
    Icon::paint(painter, frame, m_icon, color);
}

} // namespace quillcraft
