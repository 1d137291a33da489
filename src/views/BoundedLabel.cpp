#include "BoundedLabel.h"

#include "views/Theme.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <cmath>
#include <utility>

namespace quillcraft {

namespace {

// Line breaks inside the text are laid out as spaces: a message is one paragraph.
QString oneParagraph(QString text)
{
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QChar::LineSeparator, QLatin1Char(' '));
    text.replace(QChar::ParagraphSeparator, QLatin1Char(' '));
    return text;
}

} // namespace

BoundedLabel::BoundedLabel(QString text, int maxLines, QWidget* parent)
    : QWidget(parent)
    , m_text(oneParagraph(std::move(text)))
    , m_maxLines(std::max(1, maxLines))
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(m_maxLines > 1);
    setSizePolicy(policy);
    setAccessibleName(m_text);
}

void BoundedLabel::setColor(std::optional<QColor> color)
{
    m_color = std::move(color);
    update();
}

void BoundedLabel::setSecondary(bool secondary)
{
    m_secondary = secondary;
    update();
}

void BoundedLabel::setOpacity(qreal opacity)
{
    m_opacity = opacity;
    update();
}

void BoundedLabel::setElideMode(Qt::TextElideMode mode)
{
    m_elideMode = mode;
    update();
}

BoundedLabel::Laid BoundedLabel::laid(int width) const
{
    width = std::max(width, 1);
    QTextLayout layout(m_text, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    Laid result;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (result.lines.size() + 1 == m_maxLines) {
            const QString rest = m_text.mid(line.textStart());
            const QString shown = QFontMetricsF(font()).elidedText(rest, m_elideMode, width);
            result.lines << shown;
            result.elided = shown != rest;
            break;
        }
        result.lines << m_text.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    if (result.lines.isEmpty())
        result.lines << QString();
    return result;
}

QStringList BoundedLabel::lines(int width) const
{
    return laid(width).lines;
}

bool BoundedLabel::isElided() const
{
    return laid(width()).elided;
}

int BoundedLabel::heightForWidth(int width) const
{
    return int(lines(width).size() * std::ceil(QFontMetricsF(font()).lineSpacing()));
}

QSize BoundedLabel::sizeHint() const
{
    // As wide as the text on one line; the layout narrows it and asks for the height.
    const int natural = int(std::ceil(QFontMetricsF(font()).horizontalAdvance(m_text)));
    return { natural, int(std::ceil(QFontMetricsF(font()).lineSpacing())) };
}

QSize BoundedLabel::minimumSizeHint() const
{
    const QFontMetricsF metrics(font());
    // Room for a letter and the ellipsis, whatever the text.
    return { int(std::ceil(metrics.horizontalAdvance(QStringLiteral("M…")))), int(std::ceil(metrics.lineSpacing())) };
}

void BoundedLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) {
        updateGeometry();
        updateToolTip();
    }
    QWidget::changeEvent(event);
}

void BoundedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(Theme::withOpacity(
        m_color.value_or(m_secondary ? Theme::secondary(palette()) : Theme::primary(palette())), m_opacity));
    const qreal lineHeight = std::ceil(QFontMetricsF(font()).lineSpacing());
    qreal y = 0;
    for (const QString& line : lines(width())) {
        // Each line is shaped in its own direction and set at the card's left edge, like the rest of it.
        painter.drawText(
            QRectF(0, y, width(), lineHeight), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, line.trimmed());
        y += lineHeight;
    }
}

void BoundedLabel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updateToolTip();
}

void BoundedLabel::updateToolTip()
{
    setToolTip(isElided() ? m_text : QString());
}

} // namespace quillcraft
