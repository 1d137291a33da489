#include "ToneChip.h"

#include "views/Theme.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <QPainterPath>

#include <mutex>

namespace quillcraft {

namespace {

// A chip reads as a toggle button whose value is its selection, in words.
class AccessibleToneChip final : public QAccessibleWidget {
public:
    explicit AccessibleToneChip(ToneChip* chip)
        : QAccessibleWidget(chip, QAccessible::Button)
    {
    }

    QString text(QAccessible::Text kind) const override
    {
        const auto* chip = static_cast<const ToneChip*>(widget());
        if (kind == QAccessible::Value)
            return chip->accessibleValue();
        if (kind == QAccessible::Name)
            return chip->text();
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = static_cast<const ToneChip*>(widget())->isSelected();
        return state;
    }

    QStringList actionNames() const override { return { pressAction() }; }

    void doAction(const QString& name) override
    {
        if (name == pressAction())
            static_cast<ToneChip*>(widget())->click();
    }
};

QAccessibleInterface* accessibleToneChip(const QString&, QObject* object)
{
    if (auto* chip = dynamic_cast<ToneChip*>(object))
        return new AccessibleToneChip(chip);
    return nullptr;
}

void installAccessibility()
{
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(accessibleToneChip); });
}

constexpr int sideInset = 9;
constexpr int checkWidth = 10;
constexpr int checkGap = 5;

} // namespace

ToneChip::ToneChip(const QString& tone, bool selected, QWidget* parent)
    : QAbstractButton(parent)
    , m_selected(selected)
{
    installAccessibility();
    setText(tone);
    setToolTip(tone);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setFont(Theme::geist(12, QFont::Medium));
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setFixedHeight(height);
}

QString ToneChip::accessibleValue() const
{
    return m_selected ? QStringLiteral("Selected") : QStringLiteral("Not selected");
}

QSize ToneChip::sizeHint() const
{
    const int textWidth = fontMetrics().horizontalAdvance(text());
    return { 2 * sideInset + checkWidth + checkGap + textWidth, height };
}

QSize ToneChip::minimumSizeHint() const
{
    return { 2 * sideInset + checkWidth, height };
}

void ToneChip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor primary = Theme::primary(palette());
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = 8;
    if (m_selected) {
        painter.setPen(QPen(Theme::withOpacity(Theme::pen, 0.55), 1));
        painter.setBrush(Theme::withOpacity(Theme::pen, isDown() ? 0.24 : 0.14));
    } else {
        painter.setPen(QPen(Theme::withOpacity(primary, 0.14), 1));
        painter.setBrush(Theme::withOpacity(primary, isDown() ? 0.08 : 0.001));
    }
    painter.drawRoundedRect(frame, radius, radius);

    QRectF textFrame = QRectF(rect()).adjusted(sideInset, 0, -sideInset, 0);
    if (m_selected) {
        // A drawn check mark, so it needs no glyph from the font.
        const qreal mid = height / 2.0;
        QPainterPath check;
        check.moveTo(textFrame.left() + 0.5, mid + 0.2);
        check.lineTo(textFrame.left() + 3.8, mid + 3.3);
        check.lineTo(textFrame.left() + checkWidth - 0.5, mid - 3.6);
        painter.setPen(QPen(Theme::pen, 1.7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(check);
        textFrame.setLeft(textFrame.left() + checkWidth + checkGap);
    }
    painter.setPen(Theme::withOpacity(primary, m_selected ? 1.0 : 0.78));
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, qFloor(textFrame.width()));
    painter.drawText(textFrame, Qt::AlignVCenter | Qt::AlignLeft, shown);
}

} // namespace quillcraft
