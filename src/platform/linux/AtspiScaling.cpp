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
    const Geometry geometry = g_installed->geometryOf(accessible);
    QRectF onScreen = rect;
    if (geometry.windowRelative) {
        const qint64 pid = processId(accessible);
        if (const std::optional<QPointF> origin = g_installed->windowOrigin(accessible, pid, geometry))
            onScreen.translate(*origin / geometry.scale);
    }
    return DisplayScale::convert(onScreen, geometry.scale, ownScale());
}

qint64 AtspiScaling::processId(AtspiAccessible* accessible)
{
    const AtspiApplication* app = accessible ? accessible->parent.app : nullptr;
    if (!g_installed || !app || !app->bus_name)
        return accessible ? qint64(atspi_accessible_get_process_id(accessible, nullptr)) : 0;
    const QByteArray bus(app->bus_name);
    if (const auto known = g_installed->m_processIds.constFind(bus); known != g_installed->m_processIds.constEnd())
        return *known;
    const qint64 pid = atspi_accessible_get_process_id(accessible, nullptr);
    // A failed lookup is asked again next time rather than remembered.
    if (pid != 0)
        g_installed->m_processIds.insert(bus, pid);
    return pid;
}

bool AtspiScaling::isWindowRelative(AtspiAccessible* accessible)
{
    return g_installed && g_installed->geometryOf(accessible).windowRelative;
}

qreal AtspiScaling::ownScale()
{
    const QScreen* screen = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
    return screen ? screen->devicePixelRatio() : 1;
}

qreal AtspiScaling::applicationScale(AtspiAccessible* accessible) const
{
    return geometryOf(accessible).scale;
}

AtspiScaling::Geometry AtspiScaling::geometryOf(AtspiAccessible* accessible) const
{
    const qint64 pid = processId(accessible);
    if (pid == 0)
        return {};
    // Our own widgets report Qt's logical pixels, which are ours.
    if (pid == m_ownPid)
        return { ownScale(), false, {} };
    if (const auto cached = m_geometries.constFind(pid); cached != m_geometries.constEnd())
        return *cached;
    // A window not mapped yet cannot tell: ask again next time rather than remember a guess.
    const std::optional<Geometry> measured = measure(accessible, pid);
    if (!measured)
        return {};
    m_geometries.insert(pid, *measured);
    return *measured;
}

std::optional<QPointF> AtspiScaling::windowOrigin(
    AtspiAccessible* accessible, qint64 pid, const Geometry& geometry) const
{
    const QList<QRectF> contents = m_windows.contentRects(pid);
    if (contents.size() == 1)
        return contents.first().topLeft() + geometry.inset;
    // Several windows: the one whose size is that of the accessible's top-level.
    Ref<AtspiAccessible> node(static_cast<AtspiAccessible*>(g_object_ref(accessible)));
    for (int depth = 0; depth < 64 && node; ++depth) {
        Ref<AtspiAccessible> parent(atspi_accessible_get_parent(node.get(), nullptr));
        if (!parent)
            return std::nullopt;
        if (atspi_accessible_get_role(parent.get(), nullptr) != ATSPI_ROLE_APPLICATION) {
            node = std::move(parent);
            continue;
        }
        const std::optional<QRectF> reported = screenExtents(node.get());
        if (!reported)
            return std::nullopt;
        for (const QRectF& content : contents) {
            const auto fit = DisplayScale::fitWindowRelative(*reported, content);
            if (fit && fit->scale == geometry.scale)
                return content.topLeft() + fit->inset;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<AtspiScaling::Geometry> AtspiScaling::measure(AtspiAccessible* accessible, qint64 pid) const
{
    const QList<QRectF> device = m_windows.deviceRects(pid);
    if (device.isEmpty())
        return std::nullopt;
    const QList<QRectF> contents = m_windows.contentRects(pid);
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
            return Geometry { *scale, false, {} };
        for (const QRectF& content : contents) {
            if (const auto fit = DisplayScale::fitWindowRelative(*reported, content))
                return Geometry { fit->scale, true, fit->inset };
        }
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
