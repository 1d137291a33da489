#pragma once

#include "surfaces/UnderlineMark.h"

#include <QList>
#include <QRectF>

#include <memory>

class QWidget;

namespace quillcraft {

class FloatingWindows;
class Screens;
class UnderlineView;

// A transparent window laid exactly over another application's text field that
// underlines its problem words. Clicks go through it to the field. Called on
// every render, so an unchanged overlay costs only a comparison.
class UnderlineOverlay final {
public:
    using Mark = UnderlineMark;

    // windows may be null (offscreen previews, unit tests).
    UnderlineOverlay(const Screens& screens, FloatingWindows* windows);
    ~UnderlineOverlay();
    UnderlineOverlay(const UnderlineOverlay&) = delete;
    UnderlineOverlay& operator=(const UnderlineOverlay&) = delete;

    // marks and field in bottom-left screen coordinates; no marks hides the overlay.
    void show(const QList<Mark>& marks, const QRectF& field);
    void hide();

    bool isVisible() const;
    // The window's frame in bottom-left screen coordinates.
    QRectF frame() const;
    QWidget* window() const;
    const UnderlineView& view() const;

private:
    const Screens& m_screens;
    FloatingWindows* m_windows;
    std::unique_ptr<QWidget> m_window;
    UnderlineView* m_view; // child of m_window
    QRectF m_frame;
};

} // namespace quillcraft
