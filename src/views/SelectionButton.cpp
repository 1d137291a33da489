#include "SelectionButton.h"

#include "core/PlatformWording.h"
#include "views/BrandMark.h"
#include "views/DrawnShadow.h"
#include "views/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <utility>

namespace quillcraft {

namespace {

constexpr int shadowMargin = 4; // room for the pill's shadow
constexpr int pillHeight = 28;
constexpr int markSize = 18;
constexpr int leading = 5; // the mark sits this far in from the left edge
constexpr int gap = 6;
constexpr int trailing = 12;

} // namespace

SelectionButton::SelectionButton(std::function<void()> onPress, QWidget* parent)
    : QAbstractButton(parent)
    , m_onPress(std::move(onPress))
{
    setText(QStringLiteral("Rewrite"));
    setAccessibleName(QStringLiteral("Rewrite with Quillcraft"));
    setToolTip(tooltipText());
    setFocusPolicy(Qt::NoFocus);
    setFont(Theme::geist(12, QFont::DemiBold));
    setAttribute(Qt::WA_TranslucentBackground);
    setCursor(Qt::PointingHandCursor);
    setFixedSize(sizeHint());
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (m_onPress)
            m_onPress();
    });
}

QString SelectionButton::tooltipText()
{
    return PlatformWording::apply(QStringLiteral("Rewrite, fix, or shorten the highlighted text (⌃⌥R)"));
}

QSize SelectionButton::sizeHint() const
{
    const int label = int(std::ceil(QFontMetricsF(font()).horizontalAdvance(text())));
    return { leading + markSize + gap + label + trailing + 2 * shadowMargin, pillHeight + 2 * shadowMargin };
}

QSize SelectionButton::minimumSizeHint() const
{
    return sizeHint();
}

QRectF SelectionButton::pillRect() const
{
    return QRectF(rect()).adjusted(shadowMargin, shadowMargin, -shadowMargin, -shadowMargin);
}

void SelectionButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF pill = pillRect();
    const qreal radius = pill.height() / 2;
    DrawnShadow::paint(painter, { pill, radius, 4, QColor(0, 0, 0, 46), QPointF(0, 1) });
    QPainterPath shape;
    shape.addRoundedRect(pill, radius, radius);
    const QColor primary = Theme::primary(palette());
    painter.fillPath(shape, Theme::textBackground(palette()));
    if (isDown())
        painter.fillPath(shape, Theme::withOpacity(primary, 0.08));
    QPainterPath border;
    border.addRoundedRect(pill.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
    painter.strokePath(border, QPen(Theme::withOpacity(primary, 0.12), 1));

    const QRectF mark(pill.left() + leading, pill.center().y() - markSize / 2.0, markSize, markSize);
    BrandMark::paint(painter, mark);
    painter.setPen(primary);
    painter.drawText(QRectF(mark.right() + gap, pill.top(), pill.right() - mark.right() - gap, pill.height()),
        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
}

} // namespace quillcraft
