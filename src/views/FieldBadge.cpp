#include "FieldBadge.h"

#include "views/BrandMark.h"
#include "views/DrawnShadow.h"
#include "views/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace quillcraft {

namespace {

constexpr qreal ringWidth = 1.5;
constexpr qreal dotSize = 9;
constexpr qreal capsuleMinimum = 15;
constexpr qreal capsulePadding = 4;

QFont countFont()
{
    return Theme::geist(9, QFont::Bold);
}

} // namespace

FieldBadge::FieldBadge(State state, QWidget* parent)
    : QWidget(parent)
    , m_state(state)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(viewWidth, viewHeight);
}

void FieldBadge::setState(const State& state)
{
    if (state == m_state)
        return;
    m_state = state;
    update();
}

QSize FieldBadge::sizeHint() const
{
    return { viewWidth, viewHeight };
}

std::optional<QString> FieldBadge::indicatorText(const State& state)
{
    const auto* issues = std::get_if<Issues>(&state);
    if (!issues)
        return std::nullopt;
    // A negative count can only come from a fault upstream; it is shown as none.
    const qint64 count = std::max<qint64>(issues->count, 0);
    return count < 100 ? QString::number(count) : QStringLiteral("99+");
}

QColor FieldBadge::indicatorFill(const State& state)
{
    if (const auto* issues = std::get_if<Issues>(&state))
        return issues->styleOnly ? Theme::kindColor(QStringLiteral("Capitalization")) : Theme::error;
    if (std::holds_alternative<Clean>(state))
        return Theme::success;
    return {};
}

QColor FieldBadge::indicatorTextColor(const State& state)
{
    if (const auto* issues = std::get_if<Issues>(&state))
        return issues->styleOnly ? QColor(Qt::black) : QColor(Qt::white);
    return {};
}

QRectF FieldBadge::markRect()
{
    return { 0, qreal(viewHeight - markSize), qreal(markSize), qreal(markSize) };
}

std::optional<QRectF> FieldBadge::indicatorRect(const State& state)
{
    // The indicator's top-right corner sits on the mark's, moved out by an offset.
    const QPointF corner = markRect().topRight();
    if (std::holds_alternative<Clean>(state))
        return QRectF(corner.x() + 3 - dotSize, corner.y() - 3, dotSize, dotSize);
    const std::optional<QString> text = indicatorText(state);
    if (!text)
        return std::nullopt;
    const QFontMetricsF metrics(countFont());
    const qreal w = std::max(capsuleMinimum, std::ceil(metrics.horizontalAdvance(*text)) + 2 * capsulePadding);
    const qreal h = std::max(capsuleMinimum, std::ceil(metrics.height()));
    return QRectF(corner.x() + 7 - w, corner.y() - 6, w, h);
}

void FieldBadge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF mark = markRect();
    DrawnShadow::paint(painter, { mark, markSize * 0.27, 3, QColor(0, 0, 0, 64), QPointF(0, 1) });
    BrandMark::paint(painter, mark);

    const std::optional<QRectF> indicator = indicatorRect(m_state);
    if (!indicator)
        return;
    const qreal radius = indicator->height() / 2;
    QPainterPath shape;
    shape.addRoundedRect(*indicator, radius, radius);
    painter.fillPath(shape, indicatorFill(m_state));
    // The white ring lies inside the shape's edge.
    const qreal half = ringWidth / 2;
    QPainterPath ring;
    ring.addRoundedRect(indicator->adjusted(half, half, -half, -half), radius - half, radius - half);
    painter.strokePath(ring, QPen(Qt::white, ringWidth));
    if (const std::optional<QString> text = indicatorText(m_state)) {
        painter.setFont(countFont());
        painter.setPen(indicatorTextColor(m_state));
        painter.drawText(*indicator, Qt::AlignCenter | Qt::TextSingleLine, *text);
    }
}

} // namespace quillcraft
