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
    const int wanted
        = m_content->hasHeightForWidth() ? m_content->heightForWidth(m_width) : m_content->sizeHint().height();
    // A content of fixed height may have no size hint at all.
    const int least = std::max(m_content->minimumSizeHint().height(), m_content->minimumHeight());
    return std::min(std::max(wanted, least), m_content->maximumHeight());
}

void CardSurface::layoutContent()
{
    m_content->setGeometry(cardRect());
    // Inside a layout the host sizes the card; alone, it sizes itself.
    if (isWindow())
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
