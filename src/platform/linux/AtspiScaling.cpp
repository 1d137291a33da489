#include "AtspiScaling.h"

#include "platform/DisplayScale.h"
#include "platform/linux/AtspiSupport.h"
#include "platform/linux/X11Windows.h"

#include <QGuiApplication>
#include <QScreen>

namespace quillcraft {

using namespace atspi;

namespace {

const AtspiScaling* g_installed = nullptr;

} // namespace

AtspiScaling::AtspiScaling(const X11Windows& windows, qint64 ownPid)
    : m_windows(windows)
    , m_ownPid(ownPid)
{
    g_installed = this;
}

AtspiScaling::~AtspiScaling()
{
    if (g_installed == this)
        g_installed = nullptr;
}

QRectF AtspiScaling::toProgram(AtspiAccessible* accessible, const QRectF& rect)
{
    if (!g_installed)
        return rect;
    return DisplayScale::convert(rect, g_installed->applicationScale(accessible), ownScale());
}

qreal AtspiScaling::ownScale()
{
    const QScreen* screen = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
    return screen ? screen->devicePixelRatio() : 1;
}

qreal AtspiScaling::applicationScale(AtspiAccessible* accessible) const
{
    const qint64 pid = atspi_accessible_get_process_id(accessible, nullptr);
    if (pid == 0)
        return 1;
    // Our own widgets report Qt's logical pixels, which are ours.
    if (pid == m_ownPid)
        return ownScale();
    if (const auto cached = m_scales.constFind(pid); cached != m_scales.constEnd())
        return *cached;
    // A window not mapped yet cannot tell: ask again next time rather than remember a guess.
    const std::optional<qreal> measured = measure(accessible, pid);
    if (!measured)
        return 1;
    m_scales.insert(pid, *measured);
    return *measured;
}

std::optional<qreal> AtspiScaling::measure(AtspiAccessible* accessible, qint64 pid) const
{
    const QList<QRectF> device = m_windows.deviceRects(pid);
    if (device.isEmpty())
        return std::nullopt;
    const Ref<AtspiAccessible> app(atspi_accessible_get_application(accessible, nullptr));
    if (!app)
        return std::nullopt;
    const int count = atspi_accessible_get_child_count(app.get(), nullptr);
    for (int i = 0; i < count; ++i) {
        const Ref<AtspiAccessible> window(atspi_accessible_get_child_at_index(app.get(), i, nullptr));
        if (!window || hasState(window.get(), ATSPI_STATE_SHOWING) != true)
            continue;
        const std::optional<QRectF> reported = screenExtents(window.get());
        if (!reported)
            continue;
        if (const std::optional<qreal> scale = DisplayScale::fit(*reported, device))
            return scale;
    }
    return std::nullopt;
}

std::optional<QRectF> AtspiScaling::screenExtents(AtspiAccessible* accessible)
{
    Ref<AtspiComponent> component(atspi_accessible_get_component_iface(accessible));
    if (!component)
        return std::nullopt;
    CallError error;
    const Owned<AtspiRect> rect(atspi_component_get_extents(component.get(), ATSPI_COORD_TYPE_SCREEN, error.out()));
    if (error || !rect)
        return std::nullopt;
    return QRectF(rect->x, rect->y, rect->width, rect->height);
}

} // namespace quillcraft
