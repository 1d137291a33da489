#include "X11ClipboardWorker.h"

#include "core/Logging.h"
#include "platform/linux/Xcb.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QSocketNotifier>

#include <xcb/xcb.h>

#include <poll.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <vector>

namespace quillcraft {

namespace {

// Bounds on reading another program's clipboard: an owner that does not answer
// costs at most this long, and huge contents are not copied whole.
constexpr qint64 targetsTimeoutMs = 1000;
constexpr qint64 formatTimeoutMs = 1000;
constexpr qint64 saveTimeoutMs = 3000;
constexpr qsizetype saveLimitBytes = 64 * 1024 * 1024;
// Requestors that stop fetching an incremental answer are forgotten after this.
constexpr qint64 transferTimeoutMs = 10000;

// Targets that describe the selection rather than hold its data.
bool isMetaTarget(const QString& name)
{
    static const char* const meta[] = { "TARGETS", "MULTIPLE", "TIMESTAMP", "SAVE_TARGETS", "DELETE",
        "INSERT_SELECTION", "INSERT_PROPERTY", "ATOM_PAIR" };
    return std::any_of(std::begin(meta), std::end(meta), [&](const char* m) { return name == QLatin1String(m); });
}

uint8_t eventType(const xcb_generic_event_t* event)
{
    return event->response_type & 0x7f;
}

} // namespace

struct X11ClipboardWorker::Private {
    using Event = XcbPtr<xcb_generic_event_t>;
    struct Transfer; // an incremental (INCR) answer in progress

    explicit Private(std::atomic<quint64>& count)
        : m_changeCount(count)
    {
    }

    void handle(const xcb_generic_event_t* event);
    void onSelectionRequest(const xcb_generic_event_t* event);
    void onPropertyDeleted(uint32_t window, uint32_t property);
    bool answer(uint32_t requestor, uint32_t property, uint32_t target);
    void drain();
    Event waitFor(const std::function<bool(const xcb_generic_event_t*)>& wanted, qint64 timeoutMs);
    uint32_t serverTime();
    uint32_t atom(const QString& name);
    QString atomName(uint32_t atom);
    bool takeOwnership();
    bool ownsClipboard();
    std::optional<ClipboardFormat> convert(uint32_t target, qint64 timeoutMs);
    std::optional<ClipboardContents> save();
    std::optional<quint64> own(const ClipboardContents& contents);
    void restore(const ClipboardContents& contents, quint64 ifChangeCount);

    xcb_connection_t* m_connection = nullptr;
    uint32_t m_window = 0;
    std::atomic<quint64>& m_changeCount;
    std::deque<Event> m_deferred;
    QHash<QString, uint32_t> m_atoms;
    QHash<uint32_t, QString> m_atomNames;
    std::vector<std::unique_ptr<Transfer>> m_transfers;
    ClipboardContents m_owned;
    bool m_owner = false;
    uint32_t m_ownedSince = 0;
    std::size_t m_chunkSize = 0;
};

struct X11ClipboardWorker::Private::Transfer {
    uint32_t requestor = 0;
    uint32_t property = 0;
    uint32_t type = 0;
    int unitBits = 8;
    QByteArray data;
    qsizetype offset = 0;
    bool finished = false; // the closing empty chunk was written
    QDeadlineTimer expires;
};

X11ClipboardWorker::X11ClipboardWorker(const QByteArray& displayName, std::atomic<quint64>& changeCount)
    : d(std::make_unique<Private>(changeCount))
{
    int screenNumber = 0;
    xcb_connection_t* connection
        = xcb_connect(displayName.isEmpty() ? nullptr : displayName.constData(), &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        qCWarning(lcPlatform) << "The clipboard cannot reach the X server";
        return;
    }
    d->m_connection = connection;
    const xcb_setup_t* setup = xcb_get_setup(d->m_connection);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    d->m_window = xcb_generate_id(d->m_connection);
    const uint32_t mask[] = { XCB_EVENT_MASK_PROPERTY_CHANGE };
    xcb_create_window(d->m_connection, XCB_COPY_FROM_PARENT, d->m_window, screens.data->root, 0, 0, 1, 1, 0,
        XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, mask);
    // Answers larger than this go incrementally, as the ICCCM asks.
    const std::size_t maxRequest = std::size_t(xcb_get_maximum_request_length(d->m_connection)) * 4;
    d->m_chunkSize = std::min<std::size_t>(256 * 1024, maxRequest > 4096 ? maxRequest - 1024 : 3072);
    xcb_flush(d->m_connection);
}

X11ClipboardWorker::~X11ClipboardWorker()
{
    if (d->m_connection)
        xcb_disconnect(d->m_connection);
}

bool X11ClipboardWorker::isConnected() const
{
    return d->m_connection != nullptr;
}

void X11ClipboardWorker::start()
{
    if (!d->m_connection)
        return;
    auto* notifier = new QSocketNotifier(xcb_get_file_descriptor(d->m_connection), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] { d->drain(); });
    d->drain();
}

std::optional<ClipboardContents> X11ClipboardWorker::save()
{
    return d->save();
}

std::optional<quint64> X11ClipboardWorker::own(const ClipboardContents& contents)
{
    return d->own(contents);
}

void X11ClipboardWorker::restore(const ClipboardContents& contents, quint64 ifChangeCount)
{
    d->restore(contents, ifChangeCount);
}

void X11ClipboardWorker::Private::drain()
{
    if (!m_connection)
        return;
    // Replies read by earlier round trips may have queued events inside xcb,
    // which the socket notifier will not report again.
    while (!m_deferred.empty()) {
        Event event = std::move(m_deferred.front());
        m_deferred.pop_front();
        handle(event.get());
    }
    while (Event event { xcb_poll_for_event(m_connection) })
        handle(event.get());
    xcb_flush(m_connection);
}

void X11ClipboardWorker::Private::handle(const xcb_generic_event_t* event)
{
    switch (eventType(event)) {
    case XCB_SELECTION_REQUEST:
        onSelectionRequest(event);
        break;
    case XCB_SELECTION_CLEAR: {
        const auto* clear = reinterpret_cast<const xcb_selection_clear_event_t*>(event);
        if (clear->owner == m_window && clear->selection == atom(QStringLiteral("CLIPBOARD")) && m_owner) {
            // Someone else wrote to the clipboard.
            m_owner = false;
            m_owned.clear();
            ++m_changeCount;
        }
        break;
    }
    case XCB_PROPERTY_NOTIFY: {
        const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if (notify->state == XCB_PROPERTY_DELETE)
            onPropertyDeleted(notify->window, notify->atom);
        break;
    }
    default:
        break; // errors for requestors that went away, and the like
    }
}

X11ClipboardWorker::Private::Event X11ClipboardWorker::Private::waitFor(
    const std::function<bool(const xcb_generic_event_t*)>& wanted, qint64 timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    xcb_flush(m_connection);
    for (;;) {
        while (Event event { xcb_poll_for_event(m_connection) }) {
            if (wanted(event.get()))
                return event;
            m_deferred.push_back(std::move(event));
        }
        if (xcb_connection_has_error(m_connection) || deadline.hasExpired())
            return nullptr;
        pollfd fd { xcb_get_file_descriptor(m_connection), POLLIN, 0 };
        ::poll(&fd, 1, static_cast<int>(std::clamp<qint64>(deadline.remainingTime(), 1, 100)));
    }
}

uint32_t X11ClipboardWorker::Private::atom(const QString& name)
{
    if (auto it = m_atoms.constFind(name); it != m_atoms.constEnd())
        return *it;
    const uint32_t value = internAtom(m_connection, name.toUtf8());
    if (value != XCB_ATOM_NONE) {
        m_atoms.insert(name, value);
        m_atomNames.insert(value, name);
    }
    return value;
}

QString X11ClipboardWorker::Private::atomName(uint32_t value)
{
    if (auto it = m_atomNames.constFind(value); it != m_atomNames.constEnd())
        return *it;
    auto r = xcbPtr(xcb_get_atom_name_reply(m_connection, xcb_get_atom_name(m_connection, value), nullptr));
    if (!r)
        return {};
    const QString name = QString::fromUtf8(xcb_get_atom_name_name(r.get()), xcb_get_atom_name_name_length(r.get()));
    m_atoms.insert(name, value);
    m_atomNames.insert(value, name);
    return name;
}

uint32_t X11ClipboardWorker::Private::serverTime()
{
    // An empty append changes nothing but reports the server's time, which the
    // ICCCM wants instead of CurrentTime when taking a selection.
    const uint32_t stamp = atom(QStringLiteral("_QUILLCRAFT_TIMESTAMP"));
    xcb_change_property(m_connection, XCB_PROP_MODE_APPEND, m_window, stamp, XCB_ATOM_STRING, 8, 0, nullptr);
    Event event = waitFor(
        [&](const xcb_generic_event_t* e) {
            if (eventType(e) != XCB_PROPERTY_NOTIFY)
                return false;
            const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(e);
            return notify->window == m_window && notify->atom == stamp;
        },
        1000);
    return event ? reinterpret_cast<const xcb_property_notify_event_t*>(event.get())->time : XCB_CURRENT_TIME;
}

bool X11ClipboardWorker::Private::ownsClipboard()
{
    auto r = xcbPtr(xcb_get_selection_owner_reply(
        m_connection, xcb_get_selection_owner(m_connection, atom(QStringLiteral("CLIPBOARD"))), nullptr));
    return r && r->owner == m_window;
}

bool X11ClipboardWorker::Private::takeOwnership()
{
    m_ownedSince = serverTime();
    xcb_set_selection_owner(m_connection, m_window, atom(QStringLiteral("CLIPBOARD")), m_ownedSince);
    m_owner = ownsClipboard();
    ++m_changeCount;
    return m_owner;
}

std::optional<quint64> X11ClipboardWorker::Private::own(const ClipboardContents& contents)
{
    if (!m_connection)
        return std::nullopt;
    m_owned = contents;
    const bool owned = takeOwnership();
    const quint64 count = m_changeCount;
    drain();
    if (!owned) {
        m_owned.clear();
        qCWarning(lcPlatform) << "Could not take the clipboard";
        return std::nullopt;
    }
    return count;
}

void X11ClipboardWorker::Private::restore(const ClipboardContents& contents, quint64 ifChangeCount)
{
    if (!m_connection)
        return;
    // A selection clear already waiting in the queue means newer contents.
    drain();
    if (m_changeCount != ifChangeCount || !m_owner || !ownsClipboard()) {
        drain();
        return;
    }
    if (contents.isEmpty()) {
        m_owned.clear();
        m_owner = false;
        xcb_set_selection_owner(m_connection, XCB_WINDOW_NONE, atom(QStringLiteral("CLIPBOARD")), serverTime());
        ++m_changeCount;
    } else {
        // Taking it again tells watching programs that the contents changed.
        m_owned = contents;
        if (!takeOwnership())
            m_owned.clear();
    }
    drain();
}

std::optional<ClipboardFormat> X11ClipboardWorker::Private::convert(uint32_t target, qint64 timeoutMs)
{
    const uint32_t clipboard = atom(QStringLiteral("CLIPBOARD"));
    const uint32_t property = atom(QStringLiteral("_QUILLCRAFT_SELECTION"));
    const uint32_t incr = atom(QStringLiteral("INCR"));
    xcb_delete_property(m_connection, m_window, property);
    xcb_convert_selection(m_connection, m_window, clipboard, target, property, XCB_CURRENT_TIME);
    Event event = waitFor(
        [&](const xcb_generic_event_t* e) {
            if (eventType(e) != XCB_SELECTION_NOTIFY)
                return false;
            const auto* notify = reinterpret_cast<const xcb_selection_notify_event_t*>(e);
            return notify->requestor == m_window && notify->selection == clipboard && notify->target == target;
        },
        timeoutMs);
    if (!event || reinterpret_cast<const xcb_selection_notify_event_t*>(event.get())->property == XCB_ATOM_NONE)
        return std::nullopt;

    auto r = xcbPtr(xcb_get_property_reply(m_connection,
        xcb_get_property(m_connection, 1, m_window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0x1fffffff), nullptr));
    if (!r || r->type == XCB_ATOM_NONE)
        return std::nullopt;
    ClipboardFormat format;
    format.name = atomName(target);
    format.unitBits = r->format ? r->format : 8;
    if (r->type != incr) {
        format.type = atomName(r->type);
        format.data = QByteArray(
            static_cast<const char*>(xcb_get_property_value(r.get())), xcb_get_property_value_length(r.get()));
        return format;
    }

    // Incremental: the owner writes chunks, each after we delete the last one,
    // and ends with an empty chunk. Deleting the INCR property above started it.
    // The time limit applies to each chunk: a big image may take longer in all.
    xcb_flush(m_connection);
    for (;;) {
        Event next = waitFor(
            [&](const xcb_generic_event_t* e) {
                if (eventType(e) != XCB_PROPERTY_NOTIFY)
                    return false;
                const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(e);
                return notify->window == m_window && notify->atom == property
                    && notify->state == XCB_PROPERTY_NEW_VALUE;
            },
            timeoutMs);
        if (!next)
            return std::nullopt;
        auto chunk = xcbPtr(xcb_get_property_reply(m_connection,
            xcb_get_property(m_connection, 1, m_window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0x1fffffff), nullptr));
        if (!chunk)
            return std::nullopt;
        const int length = xcb_get_property_value_length(chunk.get());
        if (length == 0)
            return format;
        if (format.type.isEmpty()) {
            format.type = atomName(chunk->type);
            format.unitBits = chunk->format ? chunk->format : 8;
        }
        if (format.data.size() + length > saveLimitBytes) {
            qCInfo(lcPlatform) << "Left a clipboard format out: it is larger than" << saveLimitBytes << "bytes";
            return std::nullopt;
        }
        format.data.append(static_cast<const char*>(xcb_get_property_value(chunk.get())), length);
        xcb_flush(m_connection);
    }
}

std::optional<ClipboardContents> X11ClipboardWorker::Private::save()
{
    if (!m_connection)
        return std::nullopt;
    drain();
    if (m_owner && ownsClipboard())
        return m_owned;
    auto owner = xcbPtr(xcb_get_selection_owner_reply(
        m_connection, xcb_get_selection_owner(m_connection, atom(QStringLiteral("CLIPBOARD"))), nullptr));
    if (!owner)
        return std::nullopt;
    if (owner->owner == XCB_WINDOW_NONE)
        return ClipboardContents {};

    QDeadlineTimer deadline(saveTimeoutMs);
    std::optional<ClipboardFormat> targets = convert(atom(QStringLiteral("TARGETS")), targetsTimeoutMs);
    if (!targets || targets->unitBits != 32) {
        drain();
        return std::nullopt;
    }
    std::vector<uint32_t> atoms(static_cast<std::size_t>(targets->data.size()) / 4);
    std::memcpy(atoms.data(), targets->data.constData(), atoms.size() * 4);

    ClipboardContents contents;
    qsizetype total = 0;
    for (uint32_t target : atoms) {
        const QString name = atomName(target);
        if (name.isEmpty() || isMetaTarget(name)
            || std::any_of(
                contents.cbegin(), contents.cend(), [&](const ClipboardFormat& f) { return f.name == name; }))
            continue;
        if (deadline.hasExpired())
            break;
        // Formats that cannot be read are left out; the rest are still worth keeping.
        std::optional<ClipboardFormat> format
            = convert(target, std::min<qint64>(formatTimeoutMs, std::max<qint64>(deadline.remainingTime(), 1)));
        if (!format || total + format->data.size() > saveLimitBytes)
            continue;
        total += format->data.size();
        contents.append(std::move(*format));
    }
    drain();
    return contents;
}

void X11ClipboardWorker::Private::onSelectionRequest(const xcb_generic_event_t* event)
{
    const auto* request = reinterpret_cast<const xcb_selection_request_event_t*>(event);
    // Obsolete requestors name no property: the target's name is used instead.
    const uint32_t property = request->property != XCB_ATOM_NONE ? request->property : request->target;
    bool answered = false;
    if (m_owner && request->owner == m_window && request->selection == atom(QStringLiteral("CLIPBOARD"))
        && (request->time == XCB_CURRENT_TIME || request->time >= m_ownedSince))
        answered = answer(request->requestor, property, request->target);

    xcb_selection_notify_event_t notify {};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request->time;
    notify.requestor = request->requestor;
    notify.selection = request->selection;
    notify.target = request->target;
    notify.property = answered ? property : uint32_t(XCB_ATOM_NONE);
    xcb_send_event(
        m_connection, 0, request->requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&notify));
    xcb_flush(m_connection);
}

bool X11ClipboardWorker::Private::answer(uint32_t requestor, uint32_t property, uint32_t target)
{
    const QString name = atomName(target);
    if (name == QLatin1String("TARGETS")) {
        std::vector<uint32_t> atoms { target, atom(QStringLiteral("TIMESTAMP")) };
        for (const ClipboardFormat& format : m_owned)
            atoms.push_back(atom(format.name));
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, requestor, property, XCB_ATOM_ATOM, 32,
            static_cast<uint32_t>(atoms.size()), atoms.data());
        return true;
    }
    if (name == QLatin1String("TIMESTAMP")) {
        xcb_change_property(
            m_connection, XCB_PROP_MODE_REPLACE, requestor, property, XCB_ATOM_INTEGER, 32, 1, &m_ownedSince);
        return true;
    }
    auto format
        = std::find_if(m_owned.cbegin(), m_owned.cend(), [&](const ClipboardFormat& f) { return f.name == name; });
    if (format == m_owned.cend())
        return false;
    const uint32_t type = atom(format->type.isEmpty() ? format->name : format->type);
    const int unitBytes = std::max(format->unitBits / 8, 1);
    if (std::size_t(format->data.size()) <= m_chunkSize) {
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, requestor, property, type,
            static_cast<uint8_t>(format->unitBits), static_cast<uint32_t>(format->data.size() / unitBytes),
            format->data.constData());
        return true;
    }

    // Too large for one request: announce the size and hand out chunks each
    // time the requestor deletes the previous one.
    m_transfers.erase(std::remove_if(m_transfers.begin(), m_transfers.end(),
                          [&](const std::unique_ptr<Transfer>& t) {
                              return t->expires.hasExpired() || (t->requestor == requestor && t->property == property);
                          }),
        m_transfers.end());
    auto transfer = std::make_unique<Transfer>();
    transfer->requestor = requestor;
    transfer->property = property;
    transfer->type = type;
    transfer->unitBits = format->unitBits;
    transfer->data = format->data;
    transfer->expires = QDeadlineTimer(transferTimeoutMs);
    const uint32_t events[] = { XCB_EVENT_MASK_PROPERTY_CHANGE };
    xcb_change_window_attributes(m_connection, requestor, XCB_CW_EVENT_MASK, events);
    const uint32_t size = static_cast<uint32_t>(std::min<qsizetype>(format->data.size(), UINT32_MAX));
    xcb_change_property(
        m_connection, XCB_PROP_MODE_REPLACE, requestor, property, atom(QStringLiteral("INCR")), 32, 1, &size);
    m_transfers.push_back(std::move(transfer));
    return true;
}

void X11ClipboardWorker::Private::onPropertyDeleted(uint32_t window, uint32_t property)
{
    auto it = std::find_if(m_transfers.begin(), m_transfers.end(),
        [&](const std::unique_ptr<Transfer>& t) { return t->requestor == window && t->property == property; });
    if (it == m_transfers.end())
        return;
    Transfer& transfer = **it;
    if (transfer.finished) {
        m_transfers.erase(it);
        if (std::none_of(m_transfers.begin(), m_transfers.end(),
                [&](const std::unique_ptr<Transfer>& t) { return t->requestor == window; })) {
            const uint32_t none[] = { XCB_EVENT_MASK_NO_EVENT };
            xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, none);
        }
        return;
    }
    const int unitBytes = std::max(transfer.unitBits / 8, 1);
    const qsizetype length
        = std::min<qsizetype>(transfer.data.size() - transfer.offset, qsizetype(m_chunkSize) / unitBytes * unitBytes);
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, property, transfer.type,
        static_cast<uint8_t>(transfer.unitBits), static_cast<uint32_t>(length / unitBytes),
        transfer.data.constData() + transfer.offset);
    transfer.offset += length;
    transfer.finished = length == 0;
    transfer.expires = QDeadlineTimer(transferTimeoutMs);
    xcb_flush(m_connection);
}

} // namespace quillcraft
