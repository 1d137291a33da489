#include "CardSurface.h"

#include "views/DrawnShadow.h"
#include "views/Theme.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

namespace quillcraft {

namespace {

DrawnShadow::Shape cardShadow(const QRectF& card)
{
    return { card, CardSurface::cornerRadius, 12, QColor(0, 0, 0, 41), QPointF(0, 6) };
}

} // namespace

CardSurface::CardSurface(int width, QWidget* content, QWidget* parent)
    : QWidget(parent)
    , m_width(width)
    , m_content(content)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setFont(Theme::geist(12));
    m_content->setParent(this);
    m_content->setFont(Theme::geist(12));
    layoutContent();
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QRect CardSurface::cardRect() const
{
    return { margin, margin, m_width, contentHeight() };
}

QSize CardSurface::sizeHint() const
{
    return { m_width + 2 * margin, contentHeight() + 2 * margin };
}

QSize CardSurface::minimumSizeHint() const
{
    return sizeHint();
}

int CardSurface::contentHeight() const
{
    if (m_content->hasHeightForWidth())
        return m_content->heightForWidth(m_width);
    return std::max(m_content->sizeHint().height(), m_content->minimumSizeHint().height());
}

void CardSurface::layoutContent()
{
    m_content->setGeometry(cardRect());
    resize(sizeHint());
}

bool CardSurface::event(QEvent* event)
{
    // The content asked for a new size: follow it, and tell our own host.
    if (event->type() == QEvent::LayoutRequest) {
        layoutContent();
        updateGeometry();
    }
    return QWidget::event(event);
}

void CardSurface::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = cardRect();
    const DrawnShadow::Shape shadow = cardShadow(card);
    const qreal ratio = painter.device()->devicePixelRatioF();
    if (m_shadow.isNull() || m_shadowKey != qMakePair(card.size().toSize(), ratio)) {
        m_shadow = DrawnShadow::render(shadow, ratio);
        m_shadowKey = qMakePair(card.size().toSize(), ratio);
    }
    painter.drawImage(DrawnShadow::shadowRect(shadow).topLeft(), m_shadow);

    QPainterPath shape;
    shape.addRoundedRect(card, cornerRadius, cornerRadius);
    painter.fillPath(shape, Theme::textBackground(palette()));
    QPainterPath border;
    border.addRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius - 0.5, cornerRadius - 0.5);
    painter.strokePath(border, QPen(Theme::withOpacity(Theme::primary(palette()), 0.12), 1));
}

} // namespace quillcraft
