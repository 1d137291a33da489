#include "MacBrandHeader.h"

#include "core/PlatformWording.h"
#include "views/BrandMark.h"
#include "views/Theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace quillcraft {

namespace {

QFont nameFont()
{
    return Theme::geist(15, QFont::Bold);
}

QFont platformFont()
{
    return Theme::geist(15);
}

const QString& productName()
{
    static const QString name = QStringLiteral("Quillcraft");
    return name;
}

} // namespace

MacBrandHeader::MacBrandHeader(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAccessibleName(productName() + QLatin1Char(' ') + platformText());
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QString MacBrandHeader::platformText()
{
    return PlatformWording::apply(QStringLiteral("for Mac"));
}

QSize MacBrandHeader::sizeHint() const
{
    const qreal name = QFontMetricsF(nameFont()).horizontalAdvance(productName());
    const qreal platform = QFontMetricsF(platformFont()).horizontalAdvance(platformText());
    const int width = int(std::ceil(markSize + spacing + name + 5 + platform));
    return { width, markSize + dividerGap + 1 };
}

QSize MacBrandHeader::minimumSizeHint() const
{
    return sizeHint();
}

void MacBrandHeader::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    BrandMark::paint(painter, QRectF(0, 0, markSize, markSize));

    const QRectF row(markSize + spacing, 0, width() - markSize - spacing, markSize);
    painter.setFont(nameFont());
    painter.setPen(Theme::primary(palette()));
    QRectF used;
    painter.drawText(row, Qt::AlignLeft | Qt::AlignVCenter, productName(), &used);
    painter.setFont(platformFont());
    painter.setPen(Theme::secondary(palette()));
    painter.drawText(row.adjusted(used.width() + 5, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, platformText());

    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRectF(0, height() - 1, width(), 1), Theme::withOpacity(Theme::primary(palette()), 0.1));
}

} // namespace quillcraft
