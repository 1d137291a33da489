#include "XInputPointerMonitor.h"

#include "core/Logging.h"
#include "platform/AX.h"
#include "platform/DisplayScale.h"
#include "platform/linux/AtspiScaling.h"
#include "platform/linux/QtScreens.h"
#include "platform/linux/X11Display.h"
#include "platform/linux/X11ErrorScope.h"

#include <QSocketNotifier>

#include <algorithm>
#include <vector>

// Last: Xlib's macros (None, Bool, ...) would break the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace quillcraft {

namespace {

constexpr int leftButton = 1;
// Wheel up, down, left and right; the server sends them for smooth scrolling too.
constexpr int firstScrollButton = 4;
constexpr int lastScrollButton = 7;

// Where the master pointer is, in device pixels of the display's root window.
std::optional<QPoint> pointerOn(Display* display)
{
    Window root = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int mask = 0;
    // False when the pointer is on another X screen than ours.
    if (!XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &windowX, &windowY, &mask))
        return std::nullopt;
    return QPoint(rootX, rootY);
}

} // namespace

struct XInputPointerMonitor::Connection {
    Display* display = nullptr;
    int opcode = 0;
    bool selected = false;
    // The core pointer's button map: raw events carry the physical button, so a
    // left-handed map (xmodmap "pointer = 3 2 1") makes physical 3 the left one.
    std::vector<unsigned char> buttonMap;

    Connection()
    {
        // Qt may have been given another display than DISPLAY names.
        Display* qtDisplay = qtX11Display();
        display = XOpenDisplay(qtDisplay ? DisplayString(qtDisplay) : nullptr);
        if (!display)
            return;
        int event = 0;
        int error = 0;
        int major = 2;
        int minor = 2;
        // Raw events reach us during other clients' grabs only from version 2.1 on;
        // 2.0 still works while nobody grabs.
        if (!XQueryExtension(display, "XInputExtension", &opcode, &event, &error)
            || XIQueryVersion(display, &major, &minor) != Success || major < 2) {
            XCloseDisplay(display);
            display = nullptr;
        }
    }
    ~Connection()
    {
        if (display)
            XCloseDisplay(display);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void readButtonMap()
    {
        // The protocol allows at most 255 buttons.
        buttonMap.assign(255, 0);
        const int count = XGetPointerMapping(display, buttonMap.data(), static_cast<int>(buttonMap.size()));
        buttonMap.resize(static_cast<size_t>(std::clamp(count, 0, 255)));
    }

    // The logical button a physical one stands for; 0 when it is switched off.
    int logicalButton(int physical) const
    {
        if (physical < 1 || static_cast<size_t>(physical) > buttonMap.size())
            return physical;
        return buttonMap[static_cast<size_t>(physical - 1)];
    }

    std::optional<QPoint> pointer() const { return pointerOn(display); }
};

XInputPointerMonitor::XInputPointerMonitor(QObject* parent)
    : PointerMonitor(parent)
    , m_connection(std::make_unique<Connection>())
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(settleMs);
    connect(&m_settle, &QTimer::timeout, this, &XInputPointerMonitor::onSettled);
}

XInputPointerMonitor::~XInputPointerMonitor() = default;

bool XInputPointerMonitor::isAvailable() const
{
    return m_connection->display != nullptr;
}

bool XInputPointerMonitor::start()
{
    if (m_connection->selected)
        return true;
    Display* display = m_connection->display;
    if (!display)
        return false;

    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawMotion);
    XISetMask(bits, XI_RawButtonPress);
    XIEventMask mask { XIAllMasterDevices, static_cast<int>(sizeof(bits)), bits };
    {
        X11ErrorScope errors(display);
        XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
        if (errors.failed()) {
            qCWarning(lcPlatform) << "The X server refused raw pointer events, error" << errors.errorCode();
            return false;
        }
    }
    m_connection->selected = true;
    m_connection->readButtonMap();
    m_notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(display), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &XInputPointerMonitor::readEvents);
    // The sync above may have queued events already; the socket would not tell of them.
    readEvents();
    return true;
}

std::optional<QPointF> XInputPointerMonitor::position() const
{
    // Asked on Qt's connection: a reply on ours could queue raw events behind
    // readEvents' back. QCursor::pos() would round to whole logical pixels.
    Display* display = qtX11Display();
    if (!isAvailable() || !display)
        return std::nullopt;
    const std::optional<QPoint> device = pointerOn(display);
    if (!device)
        return std::nullopt;
    return toProgram(*device);
}

QPointF XInputPointerMonitor::toProgram(QPoint device, qreal ownScale, const QList<ScreenGeometry>& screens)
{
    // X reports device pixels: an application of scale 1 in DisplayScale's terms.
    const QRectF logical = DisplayScale::convert(QRectF(device, QSizeF(0, 0)), 1, ownScale);
    return AX::cocoaRect(logical, screens).topLeft();
}

QPointF XInputPointerMonitor::toProgram(QPoint device) const
{
    return toProgram(device, AtspiScaling::ownScale(), QtScreens().screens());
}

void XInputPointerMonitor::readEvents()
{
    Display* display = m_connection->display;
    // XPending reads what the socket holds without blocking; the loop also takes
    // events that a position query queued while it waited for its reply.
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MappingNotify) {
            // Sent to every client, unasked.
            if (event.xmapping.request == MappingPointer)
                m_connection->readButtonMap();
            continue;
        }
        XGenericEventCookie& cookie = event.xcookie;
        if (cookie.type != GenericEvent || cookie.extension != m_connection->opcode)
            continue;
        if (cookie.evtype == XI_RawMotion) {
            // A 1000 Hz mouse must not cost a round trip per event: the first move
            // after a quiet spell arms the timer, the rest ride along.
            if (!m_settle.isActive())
                m_settle.start();
        } else if (cookie.evtype == XI_RawButtonPress && XGetEventData(display, &cookie)) {
            const int button = m_connection->logicalButton(static_cast<const XIRawEvent*>(cookie.data)->detail);
            XFreeEventData(display, &cookie);
            onButton(button);
        }
        // Unclaimed cookies are freed by the next XNextEvent.
    }
}

void XInputPointerMonitor::onSettled()
{
    if (const std::optional<QPoint> device = m_connection->pointer())
        reportMove(*device);
    // The query's wait may have queued events the socket no longer shows.
    readEvents();
}

void XInputPointerMonitor::onButton(int button)
{
    const bool scroll = button >= firstScrollButton && button <= lastScrollButton;
    if (button != leftButton && !scroll)
        return;
    const std::optional<QPoint> device = m_connection->pointer();
    if (!device)
        return;
    // Listeners hear where the pointer went before what happened there.
    m_settle.stop();
    reportMove(*device);
    const QPointF point = toProgram(*device);
    if (scroll)
        Q_EMIT scrolled(point);
    else
        Q_EMIT leftPressed(point);
}

void XInputPointerMonitor::reportMove(QPoint device)
{
    // Raw motion also comes from scroll axes and from pushing against a screen
    // edge; only a new position is a move.
    if (m_reported == device)
        return;
    m_reported = device;
    Q_EMIT moved(toProgram(device));
}

} // namespace quillcraft
