#include "SectionCaption.h"

#include "views/Theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace quillcraft {

SectionCaption::SectionCaption(const QString& text, QWidget* parent)
    : QWidget(parent)
{
    QFont font = Theme::geist(11, QFont::DemiBold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    setFont(font);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setText(text);
}

QString SectionCaption::shownText() const
{
    return m_text.toUpper();
}

void SectionCaption::setText(const QString& text)
{
    m_text = text;
    // Read out as written: a screen reader may spell out a word in capitals.
    setAccessibleName(text);
    updateGeometry();
    update();
}

QSize SectionCaption::sizeHint() const
{
    const QFontMetricsF metrics(font());
    return { int(std::ceil(metrics.horizontalAdvance(shownText()))), int(std::ceil(metrics.height())) };
}

QSize SectionCaption::minimumSizeHint() const
{
    return { 0, sizeHint().height() };
}

void SectionCaption::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(Theme::secondary(palette()));
    const QString shown = QFontMetricsF(font()).elidedText(shownText(), Qt::ElideRight, width());
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

} // namespace quillcraft
