#include "TextButton.h"

#include "views/Theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace quillcraft {

namespace {

constexpr int padding = 2; // keeps the press target a little taller than the letters

} // namespace

TextButton::TextButton(const QString& text, QWidget* parent)
    : QAbstractButton(parent)
{
    setText(text);
    setAccessibleName(text);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void TextButton::setElideMode(Qt::TextElideMode mode)
{
    m_elideMode = mode;
    update();
}

QString TextButton::shownText() const
{
    return QFontMetricsF(font()).elidedText(text(), m_elideMode, width());
}

QSize TextButton::sizeHint() const
{
    const QFontMetricsF metrics(font());
    return { int(std::ceil(metrics.horizontalAdvance(text()))), int(std::ceil(metrics.height())) + 2 * padding };
}

QSize TextButton::minimumSizeHint() const
{
    const QFontMetricsF metrics(font());
    return { int(std::ceil(metrics.horizontalAdvance(QStringLiteral("M…M")))), sizeHint().height() };
}

void TextButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(isDown() ? Theme::primary(palette()) : Theme::secondary(palette()));
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shownText());
}

void TextButton::resizeEvent(QResizeEvent* event)
{
    QAbstractButton::resizeEvent(event);
    setToolTip(shownText() != text() ? text() : QString());
}

} // namespace quillcraft
