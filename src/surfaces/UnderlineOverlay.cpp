#include "UnderlineOverlay.h"

#include "platform/FloatingWindows.h"
#include "platform/Screens.h"
#include "surfaces/ScreenCoordinates.h"
#include "surfaces/UnderlineView.h"

#include <QWidget>

#include <algorithm>

namespace quillcraft {

namespace {

// Room around the field so bars under its last line are not cut off.
constexpr qreal fieldOutset = 4;

} // namespace

UnderlineOverlay::UnderlineOverlay(const Screens& screens, FloatingWindows* windows)
    : m_screens(screens)
    , m_windows(windows)
    , m_window(std::make_unique<QWidget>(nullptr,
          // openbox's frame of a managed window swallows clicks even with an empty
          // input shape; only an override-redirect window lets every click through.
          Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus
              | Qt::WindowTransparentForInput | Qt::X11BypassWindowManagerHint))
    , m_view(new UnderlineView(m_window.get()))
{
    m_window->setAttribute(Qt::WA_ShowWithoutActivating);
    m_window->setAttribute(Qt::WA_TranslucentBackground);
    m_window->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_window->resize(10, 10);
}

UnderlineOverlay::~UnderlineOverlay() = default;

void UnderlineOverlay::show(const QList<Mark>& marks, const QRectF& field)
{
    if (marks.isEmpty()) {
        hide();
        return;
    }
    const QRectF frame = field.adjusted(-fieldOutset, -fieldOutset, fieldOutset, fieldOutset);
    QList<Mark> local;
    local.reserve(marks.size());
    for (const Mark& mark : marks) {
        // A word half scrolled out of a line is underlined only where it shows.
        QRectF shown = mark.rect;
        shown.setLeft(std::max(shown.left(), field.left()));
        shown.setRight(std::min(shown.right(), field.right()));
        if (shown.width() > 0)
            local.append(Mark { shown.translated(-frame.topLeft()), mark.color, mark.highlighted });
    }
    if (local.isEmpty()) {
        hide();
        return;
    }
    if (frame == m_frame && local == m_view->marks() && m_window->isVisible())
        return;

    if (frame != m_frame) {
        m_frame = frame;
        const QRect geometry = ScreenCoordinates::toQt(frame, m_screens.screens());
        m_window->setGeometry(geometry);
        m_view->setGeometry(0, 0, geometry.width(), geometry.height());
    }
    const bool translucent = !m_windows || m_windows->compositing();
    m_view->setTranslucent(translucent);
    m_view->setMarks(std::move(local));
    if (translucent)
        m_window->clearMask();
    else
        m_window->setMask(m_view->paintedRegion()); // keeps black off the field
    m_view->update();
    if (m_window->isVisible())
        return;
    // Raised only when it appears: raising it on every change would lift it over
    // an open card, which it must stay under.
    if (m_windows)
        m_windows->prepare(m_window->winId());
    m_window->show();
    m_window->raise();
    if (m_windows)
        m_windows->flush();
}

void UnderlineOverlay::hide()
{
    m_window->hide();
}

bool UnderlineOverlay::isVisible() const
{
    return m_window->isVisible();
}

QRectF UnderlineOverlay::frame() const
{
    return m_frame;
}

QWidget* UnderlineOverlay::window() const
{
    return m_window.get();
}

const UnderlineView& UnderlineOverlay::view() const
{
    return *m_view;
}

} // namespace quillcraft
