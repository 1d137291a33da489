#include "X11Windows.h"

#include "platform/linux/Xcb.h"

#include <QGuiApplication>
#include <QList>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace quillcraft {

namespace {

using PropertyReply = XcbPtr<xcb_get_property_reply_t>;

xcb_connection_t* connectionOf(void* connection)
{
    return static_cast<xcb_connection_t*>(connection);
}

// Errors come back as values on xcb: a window that vanished is just no reply.
PropertyReply propertyReply(xcb_connection_t* connection, xcb_get_property_cookie_t cookie)
{
    xcb_generic_error_t* error = nullptr;
    PropertyReply reply(xcb_get_property_reply(connection, cookie, &error));
    std::free(error);
    if (!reply || reply->type == XCB_ATOM_NONE)
        return nullptr;
    return reply;
}

PropertyReply property(xcb_connection_t* connection, quint32 window, quint32 atom, quint32 type, quint32 longs)
{
    return propertyReply(connection, xcb_get_property(connection, 0, window, atom, type, 0, longs));
}

std::optional<qint64> cardinalOf(const PropertyReply& reply)
{
    if (!reply || xcb_get_property_value_length(reply.get()) < 4)
        return std::nullopt;
    return *static_cast<const quint32*>(xcb_get_property_value(reply.get()));
}

} // namespace

X11Windows::X11Windows()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    if (!screens.rem)
        return;
    m_connection = connection;
    m_root = screens.data->root;
    m_atoms.activeWindow = internAtom(connection, "_NET_ACTIVE_WINDOW");
    m_atoms.clientListStacking = internAtom(connection, "_NET_CLIENT_LIST_STACKING");
    m_atoms.wmPid = internAtom(connection, "_NET_WM_PID");
    m_atoms.frameExtents = internAtom(connection, "_NET_FRAME_EXTENTS");
    m_atoms.gtkFrameExtents = internAtom(connection, "_GTK_FRAME_EXTENTS");
}

bool X11Windows::isAvailable() const
{
    return m_connection != nullptr;
}

std::optional<qint64> X11Windows::pidOf(quint32 window) const
{
    return cardinalOf(property(connectionOf(m_connection), window, m_atoms.wmPid, XCB_ATOM_CARDINAL, 1));
}

std::optional<qint64> X11Windows::activeWindowPid() const
{
    if (!m_connection)
        return std::nullopt;
    const PropertyReply reply = property(connectionOf(m_connection), m_root, m_atoms.activeWindow, XCB_ATOM_WINDOW, 1);
    if (!reply || xcb_get_property_value_length(reply.get()) < 4)
        return std::nullopt;
    const quint32 window = *static_cast<const quint32*>(xcb_get_property_value(reply.get()));
    return window ? pidOf(window) : std::nullopt;
}

QList<quint32> X11Windows::windowsOf(qint64 pid) const
{
    QList<quint32> result;
    if (!m_connection)
        return result;
    // Up to 4096 windows, bottom to top.
    const PropertyReply reply
        = property(connectionOf(m_connection), m_root, m_atoms.clientListStacking, XCB_ATOM_WINDOW, 4096);
    if (!reply)
        return result;
    const auto* windows = static_cast<const quint32*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    // All questions first, then the answers: one wait for the server, not one per window.
    xcb_connection_t* connection = connectionOf(m_connection);
    std::vector<xcb_get_property_cookie_t> cookies;
    cookies.reserve(count);
    for (int i = 0; i < count; ++i)
        cookies.push_back(xcb_get_property(connection, 0, windows[i], m_atoms.wmPid, XCB_ATOM_CARDINAL, 0, 1));
    std::vector<bool> owned(count, false);
    for (int i = 0; i < count; ++i)
        owned[i] = cardinalOf(propertyReply(connection, cookies[i])) == pid;
    for (int i = count - 1; i >= 0; --i) {
        if (owned[i])
            result << windows[i];
    }
    return result;
}

QString X11Windows::windowClass(qint64 pid) const
{
    return windowClass(windowsOf(pid));
}

QString X11Windows::windowClass(const QList<quint32>& windows) const
{
    for (const quint32 window : windows) {
        const PropertyReply reply
            = property(connectionOf(m_connection), window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 256);
        if (!reply)
            continue;
        // Two NUL-terminated strings: instance, then class.
        const QByteArray value(
            static_cast<const char*>(xcb_get_property_value(reply.get())), xcb_get_property_value_length(reply.get()));
        const QList<QByteArray> parts = value.split('\0');
        if (parts.size() >= 2 && !parts.at(1).isEmpty())
            return QString::fromLocal8Bit(parts.at(1));
    }
    return {};
}

bool X11Windows::activate(qint64 pid) const
{
    const QList<quint32> windows = windowsOf(pid);
    if (windows.isEmpty())
        return false;
    xcb_client_message_event_t event = {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = windows.first();
    event.type = m_atoms.activeWindow;
    event.data.data32[0] = 2; // source: a pager, which window managers obey without focus-stealing checks
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_connection_t* connection = connectionOf(m_connection);
    xcb_send_event(connection, 0, m_root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
        reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
    return true;
}

std::optional<QRectF> X11Windows::clientRect(quint32 window) const
{
    xcb_connection_t* connection = connectionOf(m_connection);
    const auto geometry = xcbPtr(xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
    const auto origin = xcbPtr(xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, window, m_root, 0, 0), nullptr));
    if (!geometry || !origin)
        return std::nullopt;
    return QRectF(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
}

std::optional<QMarginsF> X11Windows::margins(quint32 window, quint32 atom) const
{
    const PropertyReply reply = property(connectionOf(m_connection), window, atom, XCB_ATOM_CARDINAL, 4);
    if (!reply || xcb_get_property_value_length(reply.get()) < 16)
        return std::nullopt;
    const auto* edge = static_cast<const quint32*>(xcb_get_property_value(reply.get()));
    return QMarginsF(edge[0], edge[2], edge[1], edge[3]);
}

QList<QRectF> X11Windows::deviceRects(qint64 pid) const
{
    QList<QRectF> result;
    for (const quint32 window : windowsOf(pid)) {
        const std::optional<QRectF> client = clientRect(window);
        if (!client)
            continue;
        result << *client;
        if (const std::optional<QMarginsF> frame = margins(window, m_atoms.frameExtents))
            result << client->marginsAdded(*frame);
        if (const std::optional<QMarginsF> drawn = margins(window, m_atoms.gtkFrameExtents))
            result << client->marginsRemoved(*drawn);
    }
    return result;
}

QList<QRectF> X11Windows::contentRects(qint64 pid) const
{
    QList<QRectF> result;
    for (const quint32 window : windowsOf(pid)) {
        const std::optional<QRectF> client = clientRect(window);
        if (!client)
            continue;
        const std::optional<QMarginsF> drawn = margins(window, m_atoms.gtkFrameExtents);
        result << (drawn ? client->marginsRemoved(*drawn) : *client);
    }
    return result;
}

} // namespace quillcraft
