#include "QuietButton.h"

#include "views/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace quillcraft {

namespace {

constexpr int buttonHeight = 30;
constexpr int inset = 11;
constexpr qreal corner = 9;

} // namespace

QuietButton::QuietButton(const QString& text, bool selected, QWidget* parent)
    : QAbstractButton(parent)
    , m_selected(selected)
{
    setText(text);
    setFocusPolicy(Qt::NoFocus);
    setFont(Theme::geist(12, QFont::DemiBold));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
}

void QuietButton::setSelected(bool selected)
{
    m_selected = selected;
    update();
}

QSize QuietButton::sizeHint() const
{
    return { int(std::ceil(QFontMetricsF(font()).horizontalAdvance(text()))) + 2 * inset, buttonHeight };
}

QSize QuietButton::minimumSizeHint() const
{
    return sizeHint();
}

void QuietButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor primary = Theme::primary(palette());
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), corner, corner);
    if (!isEnabled())
        painter.setOpacity(0.45);
    if (m_selected) {
        painter.fillPath(shape, primary);
        painter.setPen(Theme::textBackground(palette()));
    } else {
        // Never fully clear, so the whole button, not only its text, takes the click.
        painter.fillPath(shape, Theme::withOpacity(primary, isDown() ? 0.08 : 0.001));
        QPainterPath border;
        border.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), corner - 0.5, corner - 0.5);
        painter.strokePath(border, QPen(Theme::withOpacity(primary, 0.14), 1));
        painter.setPen(Theme::withOpacity(primary, 0.78));
    }
    painter.drawText(rect().adjusted(inset, 0, -inset, 0), Qt::AlignCenter | Qt::TextSingleLine, text());
    // Only where a window lets the button take focus (the settings' tab bar).
    if (hasFocus()) {
        QPainterPath ring;
        ring.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), corner - 1, corner - 1);
        painter.strokePath(ring, QPen(Theme::withOpacity(Theme::pen, 0.7), 2));
    }
}

} // namespace quillcraft
