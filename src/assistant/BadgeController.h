#pragma once

#include "assistant/FocusedField.h"
#include "views/FieldBadge.h"

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QRectF>

#include <functional>
#include <memory>
#include <optional>

class QMenu;

namespace quillcraft {

class AppPolicy;
class BadgeControl;
class FloatingPanel;
class FloatingWindows;
class Hotkey;
class HotkeyGrabber;
class Screens;

// The badge beside the served field: its panel, control and picture, where it goes
// (the app's corner or dragged position), the drag with Escape to undo it, and its
// menu. The writing assistant owns one and decides what it shows.
class BadgeController final : public QObject {
    Q_OBJECT

public:
    // A drag in progress: the field it started on, the pointer's offset from the
    // badge's origin, and the visible frame of the field's screen.
    struct Drag final {
        FocusedField field;
        QPointF offset;
        QRectF screen;
    };

    BadgeController(const Screens& screens, FloatingWindows* windows, HotkeyGrabber& grabber, AppPolicy& policy,
        QObject* parent = nullptr);
    ~BadgeController() override;

    // The owner's handlers; empty ones are skipped.
    std::function<void()> onClick;
    // A drag began: the owner hides the card and the list.
    std::function<void()> onDragStarted;
    // The focused field read afresh at the end of a drag, absent when the program is
    // not trusted or the field's application is no longer frontmost. A dragged
    // position is stored only for the same field, unmoved, on the same screen.
    std::function<std::optional<FocusedField>()> freshField;
    // A menu item changed the policy: the owner runs its tick again.
    std::function<void()> onPolicyChanged;
    std::function<void(const QString&)> onNotice;

    // Shows the badge for field in state, at the app's corner or dragged position.
    // While the pointer holds the badge neither its picture nor its place changes.
    void show(const FocusedField& field, const FieldBadge::State& state);
    // Hides the badge, ending any drag without storing it.
    void hide();
    bool isVisible() const;
    // A press or drag on the badge is in progress.
    bool isTracking() const;
    // The state shown now; absent once hidden.
    const std::optional<FieldBadge::State>& state() const { return m_state; }
    QRectF frame() const;

    // Where the badge goes for field: the app's dragged position, else its corner.
    QRectF badgeFrame(const FocusedField& field) const;

    // Ends a drag without storing anything and puts the badge back where it belongs.
    void cancelDrag();
    const std::optional<Drag>& drag() const { return m_drag; }

    // The corner entries for appId into menu (the "Badge position in …" submenu).
    void fillPositionMenu(QMenu& menu, const QString& appId);
    // The badge's context menu for the served field; null without one.
    QMenu* contextMenu();

    FloatingPanel& panel() { return *m_panel; }
    BadgeControl& control() { return *m_control; }

private:
    void dragStarted(QPointF point);
    void dragMoved(QPointF point);
    void dragEnded(QPointF point);
    void endEscape();
    void moveTo(const QRectF& frame);
    QRectF screenFor(const QRectF& rect) const;

    const Screens& m_screens;
    AppPolicy& m_policy;
    std::unique_ptr<FloatingPanel> m_panel;
    // Owned by the panel, and the picture by the control.
    BadgeControl* m_control = nullptr;
    FieldBadge* m_picture = nullptr;
    std::unique_ptr<Hotkey> m_escape;
    QPointer<QMenu> m_menu;
    std::optional<FocusedField> m_field;
    std::optional<FieldBadge::State> m_state;
    std::optional<Drag> m_drag;
};

} // namespace quillcraft
