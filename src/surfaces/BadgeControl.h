#pragma once

#include <QPointF>
#include <QPointer>
#include <QWidget>

#include <functional>

class QMenu;

namespace quillcraft {

class Screens;

// The badge panel's one view: shows the content its owner gives it and turns the
// mouse into intents. A press that moves 5 points or more is a drag, otherwise a
// release inside is a click; right-click and Control-click ask for the menu. To
// assistive technologies it is a single button; the content is hidden from them.
class BadgeControl final : public QWidget {
    Q_OBJECT

public:
    // Movement from the press point that turns a press into a drag.
    static constexpr qreal dragThreshold = 5;

    explicit BadgeControl(const Screens& screens, QWidget* parent = nullptr);
    ~BadgeControl() override;

    // The owner's handlers; empty ones are skipped. Points are in the program's
    // bottom-left screen coordinates.
    std::function<void()> onClick;
    std::function<void(QPointF)> onDragStarted;
    std::function<void(QPointF)> onDragMoved;
    std::function<void(QPointF)> onDragEnded;
    // The context menu, owned by the owner; null for none.
    std::function<QMenu*()> onMenu;

    // Takes content into the control (which owns it from then on), fills the bounds
    // with it and keeps the mouse from it. An earlier content is deleted.
    void setContent(QWidget* content);
    QWidget* content() const { return m_content; }

    bool isTrackingMouse() const { return m_trackingMouse; }
    // Where the last press happened, in bottom-left screen coordinates.
    QPointF downPoint() const { return m_downPoint; }
    bool dragging() const { return m_dragging; }

    // Forgets the press and any drag without calling a handler (Escape during a drag).
    void cancelTracking();

    // Pops up the owner's menu at the centre of the control, nothing preselected.
    void showMenuAtCentre();

    QSize sizeHint() const override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPointF screenPoint(const QMouseEvent& event) const;
    void popUpMenu(const QPoint& globalQtPoint);

    const Screens& m_screens;
    QPointer<QWidget> m_content;
    bool m_trackingMouse = false;
    bool m_dragging = false;
    QPointF m_downPoint;
};

} // namespace quillcraft
