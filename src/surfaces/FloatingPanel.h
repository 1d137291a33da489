#pragma once

#include "surfaces/PanelGeometry.h"

#include <QPointer>
#include <QRectF>
#include <QWidget>

#include <functional>

namespace quillcraft {

class FloatingWindows;
class Screens;

// A borderless, transparent window shown over other applications that never
// takes focus unless it is meant to take typing. Created once by its owner and
// reused: content is swapped with show() or update(), the window ordered in
// and out. All geometry is in bottom-left screen coordinates.
class FloatingPanel final : public QWidget {
    Q_OBJECT

public:
    enum class Level {
        // A window-manager-managed tool window (the badge).
        badge,
        // Override-redirect: stays above the badge and the underline overlay (the cards).
        card,
    };

    static constexpr qreal shadowInset = PanelGeometry::shadowInset;

    // windows may be null (offscreen previews, unit tests): no X11 hints then.
    FloatingPanel(Level level, const Screens& screens, FloatingWindows* windows);
    ~FloatingPanel() override;

    Level level() const;

    // Only a panel that takes the keyboard may become the active window. Set
    // before the panel is first shown.
    bool takesKeyboard() const;
    void setTakesKeyboard(bool takes);
    // Called when Escape is pressed while the panel has the focus.
    std::function<void()> onEscape;

    // Hosts content (the panel takes ownership, the previous content goes) and
    // sizes the panel to its size hint. Does not order the panel front.
    void show(QWidget* content);
    // Swaps the content and fits the panel to it, keeping its top-left corner.
    void update(QWidget* content);
    QWidget* content() const;
    // Resizes to the content's size hint keeping the top edge, within the screen.
    void fitToContent();
    // Moves the panel below rect (or above it when there is no room), size unchanged.
    void place(const QRectF& below, qreal gap = PanelGeometry::defaultGap);

    QRectF frame() const;
    void setFrame(const QRectF& frame);
    void setOrigin(const QPointF& origin);
    // The visible card: the frame inset by shadowInset.
    QRectF cardFrame() const;

    // Shows the panel above other windows (activating it only when it takes
    // the keyboard) and hides it.
    void orderFront();
    void orderOut();
    // Without a compositor translucent pixels show black: the window is then cut
    // to what its content paints. Done on every order front and content change.
    void updateMask();
    // Hands the focus back to the window that had it before this panel took it.
    bool returnFocus();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyFlags();
    // Takes content as the one child, the previous content going.
    void host(QWidget* content);
    // Recomputes the mask from the event loop, once per burst of changes.
    void scheduleMaskUpdate();
    QSizeF contentSize() const;

    const Level m_level;
    const Screens& m_screens;
    FloatingWindows* m_windows;
    bool m_takesKeyboard = false;
    QPointer<QWidget> m_content;
    quintptr m_previousActive = 0;
    bool m_maskStale = true;
    bool m_maskScheduled = false;
};

} // namespace quillcraft
