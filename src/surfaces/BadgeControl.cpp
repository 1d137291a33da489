#include "BadgeControl.h"

#include "surfaces/ScreenCoordinates.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QMenu>
#include <QMouseEvent>

#include <cmath>

namespace quillcraft {

namespace {

const QString buttonName = QStringLiteral("Quillcraft fixes");
const QString hint = QStringLiteral("Drag to move. Click for suggestions.");

// The control as one button: pressing it clicks, showing its menu pops the menu.
// It reports no children, which keeps the painted content out of the tree.
class BadgeControlAccessible final : public QAccessibleWidget {
public:
    explicit BadgeControlAccessible(BadgeControl* control)
        : QAccessibleWidget(control, QAccessible::Button, buttonName)
    {
    }

    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            return buttonName;
        case QAccessible::Description:
        case QAccessible::Help:
            return hint;
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QStringList actionNames() const override
    {
        return { QAccessibleActionInterface::pressAction(), QAccessibleActionInterface::showMenuAction() };
    }

    void doAction(const QString& action) override
    {
        auto* control = static_cast<BadgeControl*>(widget());
        if (action == QAccessibleActionInterface::pressAction()) {
            if (control->onClick)
                control->onClick();
        } else if (action == QAccessibleActionInterface::showMenuAction()) {
            control->showMenuAtCentre();
        }
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object)
{
    if (className != QLatin1String(BadgeControl::staticMetaObject.className()))
        return nullptr;
    auto* control = qobject_cast<BadgeControl*>(object);
    return control ? new BadgeControlAccessible(control) : nullptr;
}

void installAccessibleFactoryOnce()
{
    // Qt keeps factories for the whole process; one registration serves every control.
    [[maybe_unused]] static const bool installed = [] {
        QAccessible::installFactory(&accessibleFactory);
        return true;
    }();
}

} // namespace

BadgeControl::BadgeControl(const Screens& screens, QWidget* parent)
    : QWidget(parent)
    , m_screens(screens)
{
    installAccessibleFactoryOnce();
    resize(36, 34);
    // The badge never takes focus from the field it decorates; Qt delivers the first
    // click to a window that is not active, so that click acts as well.
    setFocusPolicy(Qt::NoFocus);
    // Right-button presses reach mousePressEvent on every platform, so the menu opens
    // on the press (like Control-click) and never twice.
    setContextMenuPolicy(Qt::PreventContextMenu);
    setCursor(Qt::OpenHandCursor);
    setToolTip(hint);
    setAccessibleName(buttonName);
    setAccessibleDescription(hint);
}

BadgeControl::~BadgeControl() = default;

void BadgeControl::setContent(QWidget* content)
{
    if (content == m_content)
        return;
    if (m_content) {
        // Later, in case the old content is in the middle of handling an event.
        m_content->hide();
        m_content->deleteLater();
    }
    m_content = content;
    if (content) {
        content->setParent(this);
        content->setAttribute(Qt::WA_TransparentForMouseEvents);
        content->setFocusPolicy(Qt::NoFocus);
        content->setGeometry(rect());
        content->show();
    }
    updateGeometry();
}

void BadgeControl::cancelTracking()
{
    if (m_dragging)
        setCursor(Qt::ArrowCursor);
    m_trackingMouse = false;
    m_dragging = false;
}

void BadgeControl::showMenuAtCentre()
{
    popUpMenu(mapToGlobal(rect().center()));
}

QSize BadgeControl::sizeHint() const
{
    if (m_content) {
        const QSize hint = m_content->sizeHint();
        if (hint.isValid())
            return hint;
    }
    return { 36, 34 };
}

void BadgeControl::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    const bool secondary = event->button() == Qt::RightButton
        || (event->button() == Qt::LeftButton && event->modifiers().testFlag(Qt::ControlModifier));
    if (secondary) {
        // A menu popped mid-drag would swallow the release that ends the drag.
        if (!m_trackingMouse)
            popUpMenu(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    // Back from the arrow a cancelled drag left behind.
    setCursor(Qt::OpenHandCursor);
    m_downPoint = screenPoint(*event);
    m_trackingMouse = true;
    m_dragging = false;
}

void BadgeControl::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    if (!m_trackingMouse)
        return;
    const QPointF point = screenPoint(*event);
    const QPointer<BadgeControl> alive(this);
    if (!m_dragging) {
        const QPointF moved = point - m_downPoint;
        if (std::hypot(moved.x(), moved.y()) < dragThreshold)
            return;
        m_dragging = true;
        setCursor(Qt::ClosedHandCursor);
        if (onDragStarted)
            onDragStarted(m_downPoint);
        // The owner may have cancelled the drag (or dropped the control) when it started.
        if (!alive || !m_dragging)
            return;
    }
    if (onDragMoved)
        onDragMoved(point);
}

void BadgeControl::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton || !m_trackingMouse)
        return;
    m_trackingMouse = false;
    if (m_dragging) {
        m_dragging = false;
        setCursor(Qt::OpenHandCursor);
        if (onDragEnded)
            onDragEnded(screenPoint(*event));
        return;
    }
    if (QRectF(rect()).contains(event->position()) && onClick)
        onClick();
}

void BadgeControl::enterEvent(QEnterEvent* event)
{
    if (!m_dragging)
        setCursor(Qt::OpenHandCursor);
    QWidget::enterEvent(event);
}

void BadgeControl::resizeEvent(QResizeEvent* event)
{
    if (m_content)
        m_content->setGeometry(rect());
    QWidget::resizeEvent(event);
}

QPointF BadgeControl::screenPoint(const QMouseEvent& event) const
{
    return ScreenCoordinates::fromQt(event.globalPosition(), m_screens.screens());
}

void BadgeControl::popUpMenu(const QPoint& globalQtPoint)
{
    if (!onMenu)
        return;
    if (QMenu* menu = onMenu())
        menu->popup(globalQtPoint);
}

} // namespace quillcraft
