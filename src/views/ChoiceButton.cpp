#include "ChoiceButton.h"

#include "views/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <utility>

namespace quillcraft {

namespace {

constexpr int leastHeight = 42;
constexpr int inset = 16;
constexpr qreal corner = 11;

} // namespace

ChoiceButton::ChoiceButton(const QString& text, QColor color, QWidget* parent)
    : QAbstractButton(parent)
    , m_color(std::move(color))
{
    setText(text);
    setFocusPolicy(Qt::NoFocus);
    setFont(Theme::geist(13, QFont::Bold));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
    setCursor(Qt::PointingHandCursor);
}

QSize ChoiceButton::sizeHint() const
{
    const QFontMetricsF metrics(font());
    const int text = int(std::ceil(metrics.horizontalAdvance(this->text())));
    return { text + 2 * inset, std::max(leastHeight, int(std::ceil(metrics.height())) + 16) };
}

QSize ChoiceButton::minimumSizeHint() const
{
    return sizeHint();
}

void ChoiceButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), corner, corner);
    painter.fillPath(shape, Theme::withOpacity(m_color, isDown() ? 0.2 : 0.09));
    QPainterPath border;
    border.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), corner - 0.5, corner - 0.5);
    painter.strokePath(border, QPen(Theme::withOpacity(m_color, 0.3), 1));
    painter.setPen(Theme::withOpacity(Theme::primary(palette()), 0.85));
    painter.drawText(rect().adjusted(inset, 0, -inset, 0), Qt::AlignCenter | Qt::TextSingleLine, text());
}

} // namespace quillcraft
