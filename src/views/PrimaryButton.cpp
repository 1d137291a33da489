#include "PrimaryButton.h"

#include "views/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <utility>

namespace quillcraft {

namespace {

constexpr int buttonHeight = 32;
constexpr int inset = 13;
constexpr qreal corner = 9;

} // namespace

PrimaryButton::PrimaryButton(const QString& text, QWidget* parent)
    : QAbstractButton(parent)
{
    setText(text);
    setFocusPolicy(Qt::NoFocus);
    setFont(Theme::geist(12, QFont::DemiBold));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
}

void PrimaryButton::setTint(std::optional<QColor> tint)
{
    m_tint = std::move(tint);
    update();
}

QColor PrimaryButton::fill() const
{
    return m_tint.value_or(Theme::primary(palette()));
}

QSize PrimaryButton::sizeHint() const
{
    return { int(std::ceil(QFontMetricsF(font()).horizontalAdvance(text()))) + 2 * inset, buttonHeight };
}

QSize PrimaryButton::minimumSizeHint() const
{
    return sizeHint();
}

void PrimaryButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), corner, corner);
    painter.fillPath(shape, Theme::withOpacity(fill(), isDown() ? 0.8 : 1.0));
    painter.setPen(Theme::textBackground(palette()));
    painter.drawText(rect().adjusted(inset, 0, -inset, 0), Qt::AlignCenter | Qt::TextSingleLine, text());
}

} // namespace quillcraft
