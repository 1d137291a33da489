#include "UnderlineView.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace quillcraft {

namespace {

constexpr qreal barHeight = 2;
constexpr qreal barMinWidth = 6;
constexpr qreal barRadius = 1;
constexpr qreal washOutset = 1;
constexpr qreal washRadius = 3;
constexpr qreal washAlpha = 0.16;

QRectF flipped(const QRectF& rect, qreal viewHeight)
{
    return QRectF(rect.x(), viewHeight - rect.y() - rect.height(), rect.width(), rect.height());
}

} // namespace

UnderlineView::UnderlineView(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

const QList<UnderlineMark>& UnderlineView::marks() const
{
    return m_marks;
}

void UnderlineView::setMarks(QList<UnderlineMark> marks)
{
    m_marks = std::move(marks);
}

bool UnderlineView::translucent() const
{
    return m_translucent;
}

void UnderlineView::setTranslucent(bool translucent)
{
    m_translucent = translucent;
}

QRectF UnderlineView::barRect(const QRectF& mark, qreal viewHeight)
{
    // Starts at the word's left edge just under its bounding box, never shorter than 6.
    return flipped(QRectF(mark.x(), mark.y() - 1, std::max(mark.width(), barMinWidth), barHeight), viewHeight);
}

QRectF UnderlineView::washRect(const QRectF& mark, qreal viewHeight)
{
    return flipped(mark.adjusted(-washOutset, 0, washOutset, 0), viewHeight);
}

QRegion UnderlineView::paintedRegion() const
{
    QRegion region;
    const qreal h = height();
    for (const UnderlineMark& mark : m_marks) {
        if (mark.highlighted) {
            const QRect wash = washRect(mark.rect, h).toAlignedRect();
            region += m_translucent ? QRegion(wash) : QRegion(wash) - QRegion(wash.adjusted(1, 1, -1, -1));
        }
        region += barRect(mark.rect, h).toAlignedRect();
    }
    return region;
}

void UnderlineView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const qreal h = height();
    for (const UnderlineMark& mark : m_marks) {
        if (mark.highlighted) {
            const QRectF wash = washRect(mark.rect, h);
            if (m_translucent) {
                QColor color = mark.color;
                color.setAlphaF(float(washAlpha));
                painter.setBrush(color);
                painter.drawRoundedRect(wash, washRadius, washRadius);
            } else {
                painter.setBrush(Qt::NoBrush);
                painter.setPen(QPen(mark.color, 1));
                painter.drawRoundedRect(wash.adjusted(0.5, 0.5, -0.5, -0.5), washRadius, washRadius);
                painter.setPen(Qt::NoPen);
            }
        }
        painter.setBrush(mark.color);
        painter.drawRoundedRect(barRect(mark.rect, h), barRadius, barRadius);
    }
}

} // namespace quillcraft
