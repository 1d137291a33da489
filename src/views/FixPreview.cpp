#include "FixPreview.h"

#include "views/Icon.h"
#include "views/Theme.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace quillcraft {

namespace {

constexpr qreal arrowSize = 12;
constexpr qreal arrowGap = 5; // each side of the arrow

using Role = FixPreview::Piece::Role;

bool isText(Role role)
{
    return role != Role::arrow;
}

} // namespace

FixPreview::FixPreview(const TextIssue& issue, const Suggestion& suggestion, QWidget* parent)
    : QWidget(parent)
    , m_pieces(pieces(issue, suggestion))
{
    setFont(Theme::geist(13));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAccessibleName(plainText(m_pieces));
}

QList<FixPreview::Piece> FixPreview::pieces(const TextIssue& issue, const Suggestion& suggestion)
{
    switch (suggestion.kind) {
    case Suggestion::Kind::replace:
        return { { Role::replaced, issue.problemText }, { Role::arrow },
            { Role::added, suggestion.text.isEmpty() ? QStringLiteral("(nothing)") : suggestion.text } };
    case Suggestion::Kind::remove:
        return { { Role::removed, issue.problemText } };
    case Suggestion::Kind::insertAfter:
        return { { Role::kept, issue.problemText }, { Role::added, suggestion.text } };
    }
    return {};
}

QString FixPreview::plainText(const QList<Piece>& pieces)
{
    QString result;
    for (const Piece& piece : pieces)
        result += piece.role == Role::arrow ? QStringLiteral(" → ") : piece.text;
    return result;
}

QFont FixPreview::fontFor(Piece::Role role) const
{
    QFont result = font();
    if (role == Role::added)
        result.setWeight(QFont::DemiBold);
    result.setStrikeOut(role == Role::replaced || role == Role::removed);
    return result;
}

qreal FixPreview::naturalWidth(const Piece& piece) const
{
    if (piece.role == Role::arrow)
        return arrowSize + 2 * arrowGap;
    return QFontMetricsF(fontFor(piece.role)).horizontalAdvance(piece.text);
}

// How wide each piece is drawn: its own width when all fit, otherwise the text
// pieces share what the arrow leaves, a short one keeping its whole width.
QList<qreal> FixPreview::widths(qreal available) const
{
    QList<qreal> result;
    qreal total = 0;
    qreal fixed = 0;
    int texts = 0;
    for (const Piece& piece : m_pieces) {
        result << naturalWidth(piece);
        total += result.constLast();
        if (isText(piece.role))
            ++texts;
        else
            fixed += result.constLast();
    }
    if (total <= available || texts == 0)
        return result;
    qreal left = std::max<qreal>(0, available - fixed);
    qreal fairShare = left / texts;
    // A piece narrower than its share keeps its width and gives the rest to the others.
    for (qsizetype i = 0; i < m_pieces.size(); ++i) {
        if (isText(m_pieces[i].role) && result[i] <= fairShare && texts > 1) {
            left -= result[i];
            --texts;
        }
    }
    fairShare = left / std::max(texts, 1);
    for (qsizetype i = 0; i < m_pieces.size(); ++i) {
        if (isText(m_pieces[i].role) && result[i] > fairShare)
            result[i] = fairShare;
    }
    return result;
}

QStringList FixPreview::drawnTexts() const
{
    const QList<qreal> drawn = widths(width());
    QStringList result;
    for (qsizetype i = 0; i < m_pieces.size(); ++i) {
        const Piece& piece = m_pieces[i];
        if (!isText(piece.role))
            result << QString();
        else if (drawn[i] >= naturalWidth(piece))
            result << piece.text;
        else
            result << QFontMetricsF(fontFor(piece.role)).elidedText(piece.text, Qt::ElideRight, drawn[i]);
    }
    return result;
}

QSize FixPreview::sizeHint() const
{
    qreal total = 0;
    for (const Piece& piece : m_pieces)
        total += naturalWidth(piece);
    return { int(std::ceil(total)), int(std::ceil(QFontMetricsF(fontFor(Role::added)).height())) };
}

QSize FixPreview::minimumSizeHint() const
{
    return { int(std::ceil(arrowSize * 4)), sizeHint().height() };
}

void FixPreview::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    QWidget::changeEvent(event);
}

void FixPreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor secondary = Theme::secondary(palette());
    const QList<qreal> drawn = widths(width());
    const QStringList texts = drawnTexts();
    qreal x = 0;
    for (qsizetype i = 0; i < m_pieces.size(); ++i) {
        const Role role = m_pieces[i].role;
        if (role == Role::arrow) {
            Icon::paint(painter, QRectF(x + arrowGap, (height() - arrowSize) / 2, arrowSize, arrowSize),
                QStringLiteral("arrow-right"), secondary);
        } else {
            painter.setFont(fontFor(role));
            painter.setPen(role == Role::added ? Theme::success : role == Role::removed ? Theme::error : secondary);
            // Each piece keeps its place in the line whatever direction its own text runs.
            painter.drawText(QRectF(x, 0, drawn[i] + 1, height()),
                Qt::AlignLeft | Qt::AlignAbsolute | Qt::AlignVCenter | Qt::TextSingleLine, texts[i]);
        }
        x += drawn[i];
    }
}

void FixPreview::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updateToolTip();
}

void FixPreview::updateToolTip()
{
    bool elided = false;
    const QStringList texts = drawnTexts();
    for (qsizetype i = 0; i < m_pieces.size(); ++i)
        elided = elided || texts[i] != m_pieces[i].text;
    setToolTip(elided ? plainText(m_pieces) : QString());
}

} // namespace quillcraft
