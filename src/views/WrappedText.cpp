#include "WrappedText.h"

#include "views/Theme.h"

#include <QEvent>
#include <QPainter>
#include <QTextLayout>

namespace quillcraft {

namespace {

QString withLineSeparators(QString text)
{
    text.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    text.replace(QLatin1Char('\r'), QChar::LineSeparator);
    return text;
}

QTextOption optionFor(const QString& text)
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    const bool rightToLeft = text.isRightToLeft();
    option.setTextDirection(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    option.setAlignment((rightToLeft ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignAbsolute);
    return option;
}

} // namespace

WrappedText::WrappedText(const QString& text, int maxLines, QWidget* parent)
    : QWidget(parent)
    , m_text(withLineSeparators(text))
    , m_maxLines(maxLines)
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setAccessibleName(text);
}

void WrappedText::setText(const QString& text)
{
    const QString shown = withLineSeparators(text);
    if (shown == m_text)
        return;
    // A text growing past what its lines can show (a long rewrite streaming in) changes
    // nothing on screen: no new layout, no repaint.
    const QString before = candidateText(width(), m_maxLines);
    const bool unseen = m_maxLines > 0 && before.size() < m_text.size() && shown.startsWith(before);
    m_text = shown;
    setAccessibleName(text);
    if (unseen)
        return;
    updateGeometry();
    update();
}

void WrappedText::setColor(std::optional<QColor> color)
{
    m_color = color;
    update();
}

// With a line limit only the part of the text that can show is laid out: a streamed
// rewrite of thousands of words would otherwise be shaped in full on every piece
// and every paint. No glyph is narrower than 2 pixels in practice, so a line never
// holds more than width / 2 characters (plus a few marks).
QString WrappedText::candidateText(int width, int lineLimit) const
{
    if (lineLimit == 0)
        return m_text;
    qsizetype cap = qsizetype(lineLimit) * (std::max(1, width) / 2 + 16);
    if (cap >= m_text.size())
        return m_text;
    if (m_text.at(cap - 1).isHighSurrogate())
        --cap;
    return m_text.left(cap);
}

void WrappedText::layOut(QTextLayout& layout, int width, int lineLimit) const
{
    layout.setText(candidateText(width, lineLimit));
    layout.setFont(font());
    layout.setTextOption(optionFor(m_text));
    layout.beginLayout();
    const qreal spacing = QFontMetricsF(font()).lineSpacing();
    int count = 0;
    while (lineLimit == 0 || count < lineLimit) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(std::max(1, width));
        line.setPosition(QPointF(0, count * spacing));
        ++count;
    }
    layout.endLayout();
}

int WrappedText::naturalLineCount(int width) const
{
    if (m_text.isEmpty())
        return 0;
    QTextLayout layout;
    layOut(layout, width, 0);
    return layout.lineCount();
}

bool WrappedText::isCut(int width) const
{
    if (m_maxLines == 0 || m_text.isEmpty())
        return false;
    QTextLayout layout;
    layOut(layout, width, m_maxLines);
    const QTextLine last = layout.lineAt(layout.lineCount() - 1);
    return last.textStart() + last.textLength() < m_text.size();
}

int WrappedText::shownLines(int width) const
{
    if (m_text.isEmpty())
        return 1;
    QTextLayout layout;
    layOut(layout, width, m_maxLines);
    return std::max(1, layout.lineCount());
}

int WrappedText::heightForWidth(int width) const
{
    return qCeil(shownLines(width) * QFontMetricsF(font()).lineSpacing());
}

QSize WrappedText::sizeHint() const
{
    const int width = 400;
    return { width, heightForWidth(width) };
}

QSize WrappedText::minimumSizeHint() const
{
    // Any width will do: the text wraps anywhere.
    return { 20, qCeil(QFontMetricsF(font()).lineSpacing()) };
}

void WrappedText::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    QWidget::changeEvent(event);
}

void WrappedText::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(m_color.value_or(Theme::primary(palette())));
    QTextLayout layout;
    layOut(layout, width(), m_maxLines);
    const int lines = layout.lineCount();
    const bool cut = isCut(width());
    for (int i = 0; i < lines; ++i) {
        const QTextLine line = layout.lineAt(i);
        if (!(cut && i == lines - 1)) {
            line.draw(&painter, QPointF());
            continue;
        }
        // The rest of the text, on one line, ending in an ellipsis.
        const QString rest
            = layout.text().mid(line.textStart()).replace(QChar::LineSeparator, QLatin1Char(' ')) + QStringLiteral("…");
        const QString elided = QFontMetrics(font()).elidedText(rest, Qt::ElideRight, width());
        const QRectF frame(0, line.y(), width(), line.height());
        painter.drawText(frame, elided, optionFor(m_text));
    }
}

} // namespace quillcraft
