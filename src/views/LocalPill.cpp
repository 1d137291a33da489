#include "LocalPill.h"

#include "core/PlatformWording.h"
#include "views/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace quillcraft {

namespace {

constexpr int dotSize = 6;
constexpr int sideInset = 7;
constexpr int gap = 4;
constexpr int pillHeight = 18;

QFont pillFont()
{
    QFont font = Theme::geist(9, QFont::Black);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.8);
    return font;
}

} // namespace

LocalPill::LocalPill(QWidget* parent)
    : QWidget(parent)
{
    setFont(pillFont());
    setToolTip(toolTipText());
    setAccessibleName(text());
    setAccessibleDescription(toolTipText());
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QString LocalPill::text()
{
    return QStringLiteral("LOCAL");
}

QString LocalPill::toolTipText()
{
    return PlatformWording::apply(QStringLiteral("Grammar is checked on this Mac. The text is not sent anywhere."));
}

QSize LocalPill::sizeHint() const
{
    const int label = int(std::ceil(QFontMetricsF(font()).horizontalAdvance(text())));
    return { sideInset + dotSize + gap + label + sideInset, pillHeight };
}

void LocalPill::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(rect());
    QPainterPath capsule;
    capsule.addRoundedRect(frame, frame.height() / 2, frame.height() / 2);
    painter.fillPath(capsule, Theme::withOpacity(Theme::success, 0.12));

    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::success);
    painter.drawEllipse(QRectF(sideInset, (frame.height() - dotSize) / 2, dotSize, dotSize));

    painter.setPen(Theme::success);
    painter.drawText(frame.adjusted(sideInset + dotSize + gap, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text());
}

} // namespace quillcraft
