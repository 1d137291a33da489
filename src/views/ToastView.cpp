#include "views/ToastView.h"

#include "views/DrawnShadow.h"
#include "views/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace quillcraft {

namespace {

constexpr qreal sidePadding = 14;
constexpr qreal verticalPadding = 8;
// A toast is one sentence; a very long one is cut rather than spanning the screen.
constexpr qreal maxTextWidth = 520;

} // namespace

ToastView::ToastView(const QString& text, QWidget* parent)
    : QWidget(parent)
    , m_text(text)
{
    setFont(Theme::geist(12, QFont::Medium));
    setAccessibleName(text);
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize ToastView::sizeHint() const
{
    const QFontMetricsF metrics(font());
    const qreal textWidth = std::min(maxTextWidth, metrics.horizontalAdvance(m_text));
    return { int(std::ceil(textWidth + 2 * sidePadding)) + 2 * margin,
        int(std::ceil(metrics.height() + 2 * verticalPadding)) + 2 * margin };
}

QRectF ToastView::capsule() const
{
    return QRectF(rect()).adjusted(margin, margin, -margin, -margin);
}

void ToastView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF shape = capsule();
    const qreal radius = shape.height() / 2;
    DrawnShadow::paint(
        painter, DrawnShadow::Shape { shape, radius, 8, Theme::withOpacity(Qt::black, 0.15), QPointF(0, 3) });

    QPainterPath path;
    path.addRoundedRect(shape, radius, radius);
    painter.fillPath(path, Theme::withOpacity(Theme::textBackground(palette()), 0.97));
    painter.setPen(Theme::withOpacity(Theme::primary(palette()), 0.12));
    painter.drawPath(path);

    painter.setPen(Theme::primary(palette()));
    const QRectF textRect = shape.adjusted(sidePadding, 0, -sidePadding, 0);
    const QString shown = QFontMetricsF(font()).elidedText(m_text, Qt::ElideRight, textRect.width());
    painter.drawText(textRect, Qt::AlignCenter, shown);
}

} // namespace quillcraft
