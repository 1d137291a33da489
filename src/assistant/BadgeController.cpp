#include "BadgeController.h"

#include "platform/Hotkey.h"
#include "platform/Screens.h"
#include "settings/AppPolicy.h"
#include "surfaces/BadgeControl.h"
#include "surfaces/BadgePlacement.h"
#include "surfaces/FloatingPanel.h"

#include <QMenu>

namespace quillcraft {

namespace {

QList<QRectF> visibleFrames(const Screens& screens)
{
    QList<QRectF> frames;
    for (const ScreenGeometry& screen : screens.screens())
        frames.append(screen.visibleFrame);
    return frames;
}

} // namespace

BadgeController::BadgeController(
    const Screens& screens, FloatingWindows* windows, HotkeyGrabber& grabber, AppPolicy& policy, QObject* parent)
    : QObject(parent)
    , m_screens(screens)
    , m_policy(policy)
    , m_panel(std::make_unique<FloatingPanel>(FloatingPanel::Level::badge, screens, windows))
    , m_escape(std::make_unique<Hotkey>(grabber, Hotkey::escapeId, [this] { cancelDrag(); }))
{
    auto control = std::make_unique<BadgeControl>(screens);
    m_control = control.get();
    auto picture = std::make_unique<FieldBadge>(FieldBadge::Checking {});
    m_picture = picture.get();
    m_control->setContent(picture.release());
    m_panel->show(control.release());

    m_control->onClick = [this] {
        if (onClick)
            onClick();
    };
    m_control->onDragStarted = [this](QPointF point) { dragStarted(point); };
    m_control->onDragMoved = [this](QPointF point) { dragMoved(point); };
    m_control->onDragEnded = [this](QPointF point) { dragEnded(point); };
    m_control->onMenu = [this] { return contextMenu(); };
}

BadgeController::~BadgeController()
{
    endEscape();
}

void BadgeController::show(const FocusedField& field, const FieldBadge::State& state)
{
    m_field = field;
    // A press or drag owns the badge until the button is released.
    if (m_control->isTrackingMouse())
        return;
    if (m_state != state) {
        m_state = state;
        m_picture->setState(state);
    }
    moveTo(badgeFrame(field));
    if (!m_panel->isVisible())
        m_panel->orderFront();
}

void BadgeController::hide()
{
    cancelDrag();
    m_panel->orderOut();
    m_state.reset();
    m_field.reset();
}

bool BadgeController::isVisible() const
{
    return m_panel->isVisible();
}

bool BadgeController::isTracking() const
{
    return m_control->isTrackingMouse();
}

QRectF BadgeController::frame() const
{
    return m_panel->frame();
}

QRectF BadgeController::badgeFrame(const FocusedField& field) const
{
    const QRectF screen = screenFor(field.visibleFrame());
    const QSizeF size = m_panel->frame().size();
    if (const std::optional<BadgePosition> position = m_policy.badgePosition(field.bundleID()))
        return BadgePlacement::frameAtPosition(*position, field.editorFrame(), size, screen);
    return BadgePlacement::frameAtCorner(m_policy.badgeCorner(field.bundleID()), field.visibleFrame(), size, screen);
}

void BadgeController::cancelDrag()
{
    const bool wasDragging = m_drag.has_value() || m_control->isTrackingMouse();
    m_drag.reset();
    m_control->cancelTracking();
    endEscape();
    // The move is undone: back to where the policy puts the badge.
    if (wasDragging && m_field && m_panel->isVisible())
        moveTo(badgeFrame(*m_field));
}

void BadgeController::dragStarted(QPointF point)
{
    if (!m_field)
        return;
    m_drag = Drag { *m_field, point - m_panel->frame().topLeft(), screenFor(m_field->visibleFrame()) };
    if (onDragStarted)
        onDragStarted();
    if (!m_escape->registerShortcut(KeyCombination { Qt::Key_Escape, Qt::NoModifier }) && onNotice)
        onNotice(QStringLiteral("Escape is unavailable. Release the badge to finish moving it."));
}

void BadgeController::dragMoved(QPointF point)
{
    if (!m_drag)
        return;
    const QRectF moved(point - m_drag->offset, m_panel->frame().size());
    moveTo(BadgePlacement::clamped(moved, m_drag->field.editorFrame(), m_drag->screen));
    m_panel->orderFront();
}

void BadgeController::dragEnded(QPointF point)
{
    endEscape();
    if (!m_drag)
        return;
    const Drag drag = *m_drag;
    m_drag.reset();
    const QString app = drag.field.bundleID();
    const std::optional<FocusedField> fresh = freshField ? freshField() : std::nullopt;
    const bool holds = fresh && m_policy.grammarOn() && m_policy.checks(app) && fresh->isSameField(drag.field)
        && fresh->editorFrame() == drag.field.editorFrame() && screenFor(fresh->visibleFrame()) == drag.screen;
    if (!holds) {
        // Nothing is stored: the badge goes back where the policy puts it.
        if (m_field)
            moveTo(badgeFrame(*m_field));
        return;
    }
    const QRectF final = BadgePlacement::clamped(
        QRectF(point - drag.offset, m_panel->frame().size()), drag.field.editorFrame(), drag.screen);
    moveTo(final);
    if (const std::optional<BadgePosition> position = BadgePlacement::positionOf(final, drag.field.editorFrame()))
        m_policy.setBadgePosition(*position, app);
}

void BadgeController::endEscape()
{
    if (m_escape)
        m_escape->unregister();
}

void BadgeController::moveTo(const QRectF& frame)
{
    if (m_panel->frame().topLeft() != frame.topLeft())
        m_panel->setOrigin(frame.topLeft());
}

QRectF BadgeController::screenFor(const QRectF& rect) const
{
    return BadgePlacement::screenFor(rect, visibleFrames(m_screens));
}

void BadgeController::fillPositionMenu(QMenu& menu, const QString& appId)
{
    std::optional<QRectF> field;
    if (m_field && m_field->bundleID() == appId)
        field = m_field->visibleFrame();
    const bool dragged = m_policy.badgePosition(appId).has_value();
    for (const BadgePlacement::CornerMenuEntry& entry :
        BadgePlacement::cornerMenuEntries(field, m_policy.badgeCorner(appId), dragged)) {
        QAction* action = menu.addAction(entry.title);
        action->setCheckable(entry.checked);
        action->setChecked(entry.checked);
        action->setData(
            QVariantMap { { QStringLiteral("app"), appId }, { QStringLiteral("corner"), rawValue(entry.corner) } });
        const BadgeCorner corner = entry.corner;
        connect(action, &QAction::triggered, this, [this, corner, appId] {
            m_policy.setBadgeCorner(corner, appId);
            if (onPolicyChanged)
                onPolicyChanged();
        });
    }
}

QMenu* BadgeController::contextMenu()
{
    if (!m_field)
        return nullptr;
    // The previous menu may still be closing; it goes once its events are done.
    if (m_menu)
        m_menu->deleteLater();
    m_menu = new QMenu(m_control);
    const QString app = m_field->bundleID();
    fillPositionMenu(*m_menu->addMenu(QStringLiteral("Position")), app);
    m_menu->addSeparator();
    QAction* hide = m_menu->addAction(QStringLiteral("Hide badge in this app"));
    hide->setData(app);
    connect(hide, &QAction::triggered, this, [this, app] {
        m_policy.setBadgeHidden(true, app);
        if (onPolicyChanged)
            onPolicyChanged();
    });
    QAction* reset = m_menu->addAction(QStringLiteral("Reset position"));
    reset->setData(app);
    connect(reset, &QAction::triggered, this, [this, app] {
        m_policy.resetBadgePosition(app);
        if (onPolicyChanged)
            onPolicyChanged();
    });
    return m_menu;
}

} // namespace quillcraft
