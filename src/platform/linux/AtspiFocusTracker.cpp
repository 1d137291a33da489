#include "AtspiFocusTracker.h"

#include "platform/linux/AtspiSupport.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace quillcraft {

using namespace atspi;

namespace {

// How long a walk that found nothing stands when no event says otherwise.
constexpr std::chrono::seconds walkRetry(1);
// Focus gains kept while nobody looks (checking paused): only the latest matter.
constexpr std::size_t maxPending = 64;

// The event names that mean focus, the active window or the set of applications changed.
constexpr const char* focusEvent = "object:state-changed:focused";
constexpr const char* activateEvent = "window:activate";
constexpr const char* childrenEvent = "object:children-changed";

Ref<AtspiAccessible> retained(AtspiAccessible* accessible)
{
    return Ref<AtspiAccessible>(static_cast<AtspiAccessible*>(g_object_ref(accessible)));
}

struct EventFree {
    void operator()(AtspiEvent* event) const { g_boxed_free(ATSPI_TYPE_EVENT, event); }
};

} // namespace

struct AtspiFocusTracker::Impl {
    struct Focus {
        Ref<AtspiAccessible> accessible;
        quint64 sequence = 0;
    };
    struct Walk {
        quint64 generation = 0;
        std::chrono::steady_clock::time_point at;
    };

    Ref<AtspiEventListener> listener;
    Ref<AtspiAccessible> desktop;
    // Focus gains not yet attributed to a process: the handler may not ask whose they are.
    std::vector<Focus> pending;
    std::map<qint64, Focus> focused;
    quint64 sequence = 0;
    // Counts events; a walk that found nothing stands while it does not move.
    quint64 generation = 0;
    std::map<qint64, Walk> emptyWalks;
    bool applicationsStale = true;
    std::vector<Application> applications;

    static void onEvent(AtspiEvent* raw, void* data)
    {
        const std::unique_ptr<AtspiEvent, EventFree> event(raw);
        auto* self = static_cast<Impl*>(data);
        if (!event->type || !event->source)
            return;
        if (std::strncmp(event->type, childrenEvent, std::strlen(childrenEvent)) == 0) {
            // Only the desktop's children are applications; the rest is noise here.
            if (event->source == self->desktop.get()) {
                self->applicationsStale = true;
                ++self->generation;
            }
            return;
        }
        ++self->generation;
        if (std::strcmp(event->type, focusEvent) != 0 || event->detail1 == 0)
            return;
        if (self->pending.size() >= maxPending)
            self->pending.erase(self->pending.begin());
        self->pending.push_back({ retained(event->source), ++self->sequence });
    }

    // Attributes the pending focus gains to their processes (a question to the bus
    // daemon, not to the application).
    void settle()
    {
        // Taken first: the calls below may deliver more events re-entrantly.
        std::vector<Focus> gains;
        gains.swap(pending);
        for (Focus& gain : gains) {
            CallError error;
            const qint64 pid = atspi_accessible_get_process_id(gain.accessible.get(), error.out());
            if (error || pid == 0)
                continue;
            Focus& slot = focused[pid];
            if (gain.sequence > slot.sequence)
                slot = std::move(gain);
        }
    }
};

AtspiFocusTracker::AtspiFocusTracker()
    : m_impl(std::make_unique<Impl>())
{
    m_impl->desktop.reset(atspi_get_desktop(0));
    m_impl->listener.reset(atspi_event_listener_new(&Impl::onEvent, m_impl.get(), nullptr));
    for (const char* type : { focusEvent, activateEvent, childrenEvent })
        atspi_event_listener_register(m_impl->listener.get(), type, nullptr);
}

AtspiFocusTracker::~AtspiFocusTracker()
{
    for (const char* type : { focusEvent, activateEvent, childrenEvent })
        atspi_event_listener_deregister(m_impl->listener.get(), type, nullptr);
}

AtspiAccessible* AtspiFocusTracker::focusedIn(qint64 pid, qint64 ownPid)
{
    if (pid == ownPid)
        return nullptr;
    m_impl->settle();
    const auto found = m_impl->focused.find(pid);
    if (found == m_impl->focused.end())
        return nullptr;
    // Copied: the state read below may deliver events that replace the entry.
    Ref<AtspiAccessible> accessible = retained(found->second.accessible.get());
    if (hasState(accessible.get(), ATSPI_STATE_FOCUSED) != true)
        return nullptr;
    return accessible.release();
}

std::optional<qint64> AtspiFocusTracker::lastFocusedPid(qint64 ownPid)
{
    m_impl->settle();
    std::optional<qint64> latest;
    quint64 sequence = 0;
    for (const auto& [pid, focus] : m_impl->focused) {
        if (pid != ownPid && focus.sequence > sequence) {
            latest = pid;
            sequence = focus.sequence;
        }
    }
    return latest;
}

const std::vector<AtspiFocusTracker::Application>& AtspiFocusTracker::applications()
{
    if (!m_impl->applicationsStale || !m_impl->desktop)
        return m_impl->applications;
    // Cleared first: a registry event during the calls below marks the list stale again.
    m_impl->applicationsStale = false;
    m_impl->applications.clear();
    AtspiAccessible* root = m_impl->desktop.get();
    const int count = atspi_accessible_get_child_count(root, nullptr);
    for (int i = 0; i < count; ++i) {
        Ref<AtspiAccessible> app(atspi_accessible_get_child_at_index(root, i, nullptr));
        if (!app)
            continue;
        CallError error;
        const qint64 pid = atspi_accessible_get_process_id(app.get(), error.out());
        if (error)
            continue;
        m_impl->applications.push_back({ std::shared_ptr<AtspiAccessible>(app.release(), Unref()), pid });
    }
    return m_impl->applications;
}

bool AtspiFocusTracker::mayWalk(qint64 pid) const
{
    const auto found = m_impl->emptyWalks.find(pid);
    if (found == m_impl->emptyWalks.end())
        return true;
    return found->second.generation != m_impl->generation
        || std::chrono::steady_clock::now() - found->second.at >= walkRetry;
}

void AtspiFocusTracker::walked(qint64 pid, AtspiAccessible* found, bool final)
{
    if (found)
        m_impl->focused[pid] = { retained(found), ++m_impl->sequence };
    if (final)
        m_impl->emptyWalks.erase(pid);
    else
        m_impl->emptyWalks[pid] = { m_impl->generation, std::chrono::steady_clock::now() };
}

} // namespace quillcraft
