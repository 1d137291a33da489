#include "AtspiAccessibility.h"

#include "core/Logging.h"
#include "platform/FocusSearch.h"
#include "platform/linux/AtspiElement.h"
#include "platform/linux/AtspiFocusTracker.h"
#include "platform/linux/AtspiSupport.h"
#include "platform/linux/QtAccessibleElement.h"

#include <algorithm>
#include <vector>

namespace quillcraft {

using namespace atspi;

namespace {

// Elements claiming focus that one collection search returns; KDE marks a dozen.
constexpr gint maxFocusedMatches = 32;

Ref<AtspiAccessible> childAt(AtspiAccessible* parent, int index)
{
    return Ref<AtspiAccessible>(atspi_accessible_get_child_at_index(parent, index, nullptr));
}

bool hasTextInterface(AtspiAccessible* accessible)
{
    return Ref<AtspiText>(atspi_accessible_get_text_iface(accessible)) != nullptr;
}

// Chromium and the programs built on it show only empty top-level windows until they
// are started with their accessibility switch; there is no way to turn it on from here.
bool hidesItsWindows(AtspiAccessible* application)
{
    CallError error;
    const QString toolkit = takeString(atspi_accessible_get_toolkit_name(application, error.out()));
    if (error || toolkit.compare(QLatin1String("Chromium"), Qt::CaseInsensitive) != 0)
        return false;
    // Before its first window is on the bus it shows nothing either.
    const int windows = atspi_accessible_get_child_count(application, nullptr);
    for (int index = 0; index < windows; ++index) {
        const Ref<AtspiAccessible> window = childAt(application, index);
        if (!window)
            return false;
        // Its windows count a child that cannot be fetched.
        const int children = atspi_accessible_get_child_count(window.get(), nullptr);
        for (int child = 0; child < children; ++child) {
            if (childAt(window.get(), child))
                return false;
        }
    }
    return true;
}

// An accessible as the focus search walks it.
class AtspiFocusNode final : public FocusNode {
public:
    explicit AtspiFocusNode(Ref<AtspiAccessible> accessible)
        : m_accessible(std::move(accessible))
    {
    }

    std::optional<States> states() const override
    {
        Ref<AtspiStateSet> set(atspi_accessible_get_state_set(m_accessible.get()));
        if (!set)
            return std::nullopt;
        const auto has = [&set](AtspiStateType state) { return atspi_state_set_contains(set.get(), state) != FALSE; };
        return States { has(ATSPI_STATE_FOCUSED), has(ATSPI_STATE_SHOWING), has(ATSPI_STATE_EDITABLE),
            has(ATSPI_STATE_MANAGES_DESCENDANTS) };
    }
    bool hasText() const override { return hasTextInterface(m_accessible.get()); }
    int childCount() const override { return atspi_accessible_get_child_count(m_accessible.get(), nullptr); }
    std::unique_ptr<FocusNode> child(int index) const override
    {
        Ref<AtspiAccessible> found = childAt(m_accessible.get(), index);
        return found ? std::make_unique<AtspiFocusNode>(std::move(found)) : nullptr;
    }

    Ref<AtspiAccessible> take() { return std::move(m_accessible); }

private:
    Ref<AtspiAccessible> m_accessible;
};

} // namespace

struct AtspiAccessibility::Impl {
    std::function<std::optional<qint64>()> frontmostPid;
    qint64 ownPid = 0;
    bool available = false;
    std::unique_ptr<AtspiFocusTracker> tracker;

    std::optional<qint64> frontmost() const { return frontmostPid ? frontmostPid() : std::nullopt; }

    // The focused element of one process: what its events said, else a walk
    // (bounded, and not repeated while nothing changes). Never our own process.
    // A reported element without text (a status-bar item that also claims
    // focus) is kept only when no walk finds one with text.
    ElementRef focusedInProcess(qint64 pid)
    {
        if (pid == ownPid)
            return nullptr;
        Ref<AtspiAccessible> tracked { tracker->focusedIn(pid, ownPid) };
        if (tracked && hasText(tracked.get()))
            return AtspiElement::wrap(tracked.get());
        if (!tracker->mayWalk(pid))
            return AtspiElement::wrap(tracked.get());
        Ref<AtspiAccessible> found;
        // Copied: a registry event during the walk may renew the list.
        const std::vector<AtspiFocusTracker::Application> applications = tracker->applications();
        for (const auto& application : applications) {
            // (A process can have more than one connection.)
            if (application.pid == pid && (found = focusedInApplication(application.accessible.get())))
                break;
        }
        tracker->walked(pid, found.get(), found && hasText(found.get()));
        return AtspiElement::wrap(found ? found.get() : tracked.get());
    }

    static bool hasText(AtspiAccessible* accessible) { return hasTextInterface(accessible); }

    // One call where the toolkit can search itself (GTK 3); others cannot. Several
    // elements may claim focus (status-bar items beside the editor): as in the walk,
    // an editable one with text wins, then the last with text, which in the
    // toolkit's order is the deepest of a nested chain.
    static std::optional<Ref<AtspiAccessible>> collectionMatch(AtspiAccessible* window)
    {
        Ref<AtspiCollection> collection(atspi_accessible_get_collection_iface(window));
        if (!collection)
            return std::nullopt;
        Ref<AtspiStateSet> states(atspi_state_set_new(nullptr));
        atspi_state_set_add(states.get(), ATSPI_STATE_FOCUSED);
        Ref<AtspiMatchRule> rule(
            atspi_match_rule_new(states.get(), ATSPI_Collection_MATCH_ALL, nullptr, ATSPI_Collection_MATCH_NONE,
                nullptr, ATSPI_Collection_MATCH_NONE, nullptr, ATSPI_Collection_MATCH_NONE, FALSE));
        CallError error;
        GArray* matches = atspi_collection_get_matches(
            collection.get(), rule.get(), ATSPI_Collection_SORT_ORDER_CANONICAL, maxFocusedMatches, TRUE, error.out());
        if (error || !matches)
            return std::nullopt;
        std::vector<Ref<AtspiAccessible>> found;
        for (guint i = 0; i < matches->len; ++i)
            found.emplace_back(g_array_index(matches, AtspiAccessible*, i));
        g_array_free(matches, TRUE);
        if (found.size() <= 1)
            return found.empty() ? Ref<AtspiAccessible>() : std::move(found.front());
        Ref<AtspiAccessible>* withText = nullptr;
        for (Ref<AtspiAccessible>& candidate : found) {
            if (!hasText(candidate.get()))
                continue;
            if (hasState(candidate.get(), ATSPI_STATE_EDITABLE) == true)
                return std::move(candidate);
            withText = &candidate;
        }
        return std::move(withText ? *withText : found.front());
    }

    Ref<AtspiAccessible> focusedInApplication(AtspiAccessible* app) const
    {
        Ref<AtspiAccessible> other;
        const int count = atspi_accessible_get_child_count(app, nullptr);
        for (int i = 0; i < count; ++i) {
            Ref<AtspiAccessible> window = childAt(app, i);
            if (!window || hasState(window.get(), ATSPI_STATE_ACTIVE) != true)
                continue;
            // A toolkit that searches itself is believed; one that finds nothing
            // may still hold focus where it does not look (GTK 4, or a slow LibreOffice).
            if (std::optional<Ref<AtspiAccessible>> match = collectionMatch(window.get()); match && *match)
                return std::move(*match);
            const std::shared_ptr<FocusNode> found
                = FocusSearch().find(std::make_shared<AtspiFocusNode>(std::move(window)));
            if (!found)
                continue;
            auto& node = static_cast<AtspiFocusNode&>(*found);
            if (node.hasText())
                return node.take();
            if (!other)
                other = node.take();
        }
        return other;
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
    m_impl->tracker = std::make_unique<AtspiFocusTracker>();
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
    // Our own windows answer in process (whether they count is the caller's choice).
    if (ElementRef own = QtAccessibleElement::focused())
        return own;
    if (!m_impl->available)
        return nullptr;
    const std::optional<qint64> front = m_impl->frontmost();
    if (front == m_impl->ownPid)
        return nullptr;
    AtspiFocusTracker& tracker = *m_impl->tracker;
    const auto& applications = tracker.applications();
    // The frontmost application answers alone when it is on the bus: asking the
    // others too would let one frozen program in the background stall every
    // look-up for the call time-out. A sandboxed program's window can name a
    // process id the bus does not know; then every application is asked, the one
    // that last reported focus first.
    if (front
        && std::any_of(applications.begin(), applications.end(), [&](const auto& app) { return app.pid == *front; }))
        return m_impl->focusedInProcess(*front);
    std::vector<qint64> pids;
    if (const std::optional<qint64> last = tracker.lastFocusedPid(m_impl->ownPid))
        pids.push_back(*last);
    for (const auto& application : applications) {
        if (std::find(pids.begin(), pids.end(), application.pid) == pids.end())
            pids.push_back(application.pid);
    }
    for (const qint64 pid : pids) {
        if (ElementRef found = m_impl->focusedInProcess(pid))
            return found;
    }
    return nullptr;
}

AXError AtspiAccessibility::enableAccessibility(qint64 pid)
{
    if (!m_impl->available)
        return AXError::cannotComplete;
    const auto& applications = m_impl->tracker->applications();
    const auto found
        = std::find_if(applications.begin(), applications.end(), [pid](const auto& app) { return app.pid == pid; });
    if (found == applications.end())
        return AXError::cannotComplete;
    return hidesItsWindows(found->accessible.get()) ? AXError::apiDisabled : AXError::success;
}

QString AtspiAccessibility::applicationName(qint64 pid) const
{
    if (!m_impl->available || pid == m_impl->ownPid)
        return {};
    const std::vector<AtspiFocusTracker::Application> applications = m_impl->tracker->applications();
    for (const auto& application : applications) {
        if (application.pid == pid)
            return takeString(atspi_accessible_get_name(application.accessible.get(), nullptr));
    }
    return {};
}

} // namespace quillcraft
