#include "KeyCap.h"

#include "views/Theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace quillcraft {

namespace {

constexpr int sideInset = 7;
constexpr int capHeight = 22;
constexpr qreal corner = 5;

} // namespace

KeyCap::KeyCap(const QString& text, const QString& spoken, QWidget* parent)
    : QWidget(parent)
    , m_text(text)
{
    setAccessibleName(spoken);
    setFont(Theme::geist(11, QFont::DemiBold));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize KeyCap::sizeHint() const
{
    return { int(std::ceil(QFontMetricsF(font()).horizontalAdvance(m_text))) + 2 * sideInset, capHeight };
}

QSize KeyCap::minimumSizeHint() const
{
    return sizeHint();
}

void KeyCap::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor primary = Theme::primary(palette());
    const QRectF cap = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(Theme::withOpacity(primary, 0.2), 1));
    painter.setBrush(Theme::withOpacity(primary, 0.05));
    painter.drawRoundedRect(cap, corner, corner);
    painter.setPen(primary);
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, m_text);
}

} // namespace quillcraft
