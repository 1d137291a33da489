#include "AtspiAccessibility.h"

#include "core/Logging.h"
#include "platform/linux/AtspiElement.h"
#include "platform/linux/AtspiSupport.h"

#include <vector>

namespace quillcraft {

using namespace atspi;

namespace {

// Bounds on one walk, far above the 4-8 nodes a focused field usually costs.
constexpr int maxNodes = 400;
constexpr int maxDepth = 40;

Ref<AtspiAccessible> childAt(AtspiAccessible* parent, int index)
{
    return Ref<AtspiAccessible>(atspi_accessible_get_child_at_index(parent, index, nullptr));
}

} // namespace

struct AtspiAccessibility::Impl {
    std::function<std::optional<qint64>()> frontmostPid;
    qint64 ownPid = 0;
    bool available = false;

    Ref<AtspiAccessible> desktop() const { return Ref<AtspiAccessible>(atspi_get_desktop(0)); }

    std::optional<qint64> frontmost() const { return frontmostPid ? frontmostPid() : std::nullopt; }

    // Applications on the bus with their process ids, `front`'s first.
    std::vector<std::pair<Ref<AtspiAccessible>, qint64>> applications(std::optional<qint64> front = std::nullopt) const
    {
        std::vector<std::pair<Ref<AtspiAccessible>, qint64>> result;
        const Ref<AtspiAccessible> root = desktop();
        if (!root)
            return result;
        const int count = atspi_accessible_get_child_count(root.get(), nullptr);
        for (int i = 0; i < count; ++i) {
            Ref<AtspiAccessible> app = childAt(root.get(), i);
            if (!app)
                continue;
            const qint64 pid = atspi_accessible_get_process_id(app.get(), nullptr);
            if (pid == front)
                result.emplace(result.begin(), std::move(app), pid);
            else
                result.emplace_back(std::move(app), pid);
        }
        return result;
    }

    Ref<AtspiAccessible> focusedIn(AtspiAccessible* node, int depth, int& budget) const
    {
        if (--budget < 0 || depth > maxDepth)
            return {};
        Ref<AtspiStateSet> states(atspi_accessible_get_state_set(node));
        if (!states)
            return {};
        if (atspi_state_set_contains(states.get(), ATSPI_STATE_FOCUSED))
            return Ref<AtspiAccessible>(static_cast<AtspiAccessible*>(g_object_ref(node)));
        // Lists and tables with thousands of rows: their rows are not text fields.
        if (atspi_state_set_contains(states.get(), ATSPI_STATE_MANAGES_DESCENDANTS))
            return {};
        const int count = atspi_accessible_get_child_count(node, nullptr);
        for (int i = 0; i < count; ++i) {
            Ref<AtspiAccessible> child = childAt(node, i);
            if (!child || hasState(child.get(), ATSPI_STATE_SHOWING) != true)
                continue;
            if (Ref<AtspiAccessible> found = focusedIn(child.get(), depth + 1, budget))
                return found;
        }
        return {};
    }

    Ref<AtspiAccessible> focusedInApplication(AtspiAccessible* app) const
    {
        const int count = atspi_accessible_get_child_count(app, nullptr);
        for (int i = 0; i < count; ++i) {
            Ref<AtspiAccessible> window = childAt(app, i);
            if (!window || hasState(window.get(), ATSPI_STATE_ACTIVE) != true)
                continue;
            int budget = maxNodes;
            if (Ref<AtspiAccessible> found = focusedIn(window.get(), 0, budget))
                return found;
        }
        return {};
    }
};

AtspiAccessibility::AtspiAccessibility(std::function<std::optional<qint64>()> frontmostPid, qint64 ownPid)
    : m_impl(std::make_unique<Impl>())
{
    m_impl->frontmostPid = std::move(frontmostPid);
    m_impl->ownPid = ownPid;
    // 0 on the first call, 1 when already done; negative when there is no bus.
    m_impl->available = atspi_init() >= 0;
    if (!m_impl->available) {
        qCWarning(lcPlatform) << "The accessibility bus is not reachable.";
        return;
    }
    // No cache mask: without atspi_event_main() libatspi reads every property
    // fresh, which is what focus tracking needs. Setting a mask turns caching on,
    // and then its event handlers (run re-entrantly inside our synchronous calls)
    // may call out for an uncached state and deadlock libdbus's dispatcher.
    setMessagingTimeout(std::chrono::milliseconds(500));
}

AtspiAccessibility::~AtspiAccessibility() = default;

bool AtspiAccessibility::isAvailable() const
{
    return m_impl->available;
}

void AtspiAccessibility::setMessagingTimeout(std::chrono::milliseconds timeout)
{
    // The default is 15 s per call: one frozen application would freeze us as long.
    const auto ms = static_cast<gint>(timeout.count());
    atspi_set_timeout(ms, ms);
}

ElementRef AtspiAccessibility::focusedElement()
{
    if (!m_impl->available)
        return nullptr;
    const std::optional<qint64> front = m_impl->frontmost();
    const auto applications = m_impl->applications(front);
    // The frontmost application answers alone when it is on the bus: asking the
    // others too would let one frozen program in the background stall every
    // look-up for the call time-out. A sandboxed program's window can name a
    // process id the bus does not know; then every application is asked.
    const bool frontOnBus = front && !applications.empty() && applications.front().second == *front;
    for (const auto& [app, pid] : applications) {
        // (A process can have more than one connection; all of its come first.)
        if (frontOnBus && pid != *front)
            break;
        if (pid == m_impl->ownPid)
            continue;
        if (Ref<AtspiAccessible> found = m_impl->focusedInApplication(app.get()))
            return AtspiElement::wrap(found.get());
    }
    return nullptr;
}

AXError AtspiAccessibility::enableAccessibility(qint64 pid)
{
    if (!m_impl->available)
        return AXError::cannotComplete;
    for (const auto& entry : m_impl->applications()) {
        if (entry.second == pid)
            return AXError::success;
    }
    return AXError::cannotComplete;
}

QString AtspiAccessibility::applicationName(qint64 pid) const
{
    if (!m_impl->available || pid == m_impl->ownPid)
        return {};
    for (const auto& [app, appPid] : m_impl->applications()) {
        if (appPid == pid)
            return takeString(atspi_accessible_get_name(app.get(), nullptr));
    }
    return {};
}

} // namespace quillcraft
