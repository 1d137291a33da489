#include "shell/Toaster.h"

#include "core/Clock.h"
#include "platform/Screens.h"
#include "surfaces/FloatingPanel.h"
#include "views/ToastView.h"

namespace quillcraft {

Toaster::Toaster(const Screens& screens, FloatingWindows* windows, Clock& clock, QObject* parent)
    : QObject(parent)
    , m_screens(screens)
    , m_clock(clock)
    , m_panel(std::make_unique<FloatingPanel>(FloatingPanel::Level::card, screens, windows))
{
}

Toaster::~Toaster() = default;

void Toaster::show(const QString& text)
{
    auto* view = new ToastView(text);
    m_panel->show(view);
    m_current = view;
    const QList<ScreenGeometry> screens = m_screens.screens();
    if (!screens.isEmpty()) {
        // The first screen is the main one; bottom-left coordinates, so the top is the larger y.
        const QRectF visible = screens.first().visibleFrame;
        const QSizeF size = m_panel->frame().size();
        m_panel->setOrigin(
            QPointF(visible.center().x() - size.width() / 2, visible.y() + visible.height() - topGap - size.height()));
    }
    m_panel->orderFront();
    // Only the toast this call showed may hide the panel: a newer one keeps its own time.
    const QPointer<ToastView> shown = view;
    m_clock.after(visibleMs, this, [this, shown] {
        if (shown && m_current == shown)
            m_panel->orderOut();
    });
}

bool Toaster::isShowing() const
{
    return m_current && m_panel->isVisible();
}

QString Toaster::text() const
{
    return isShowing() ? m_current->text() : QString();
}

} // namespace quillcraft
