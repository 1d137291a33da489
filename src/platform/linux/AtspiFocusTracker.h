#pragma once

#include <QtGlobal>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

typedef struct _AtspiAccessible AtspiAccessible; // NOLINT: libatspi's own spelling, no libatspi header here

namespace quillcraft {

// Follows keyboard focus and the applications on the accessibility bus through
// AT-SPI events, so that a look-up costs a call or two instead of a walk.
// Events arrive from Qt's GLib dispatcher, or re-entrantly inside synchronous
// libatspi calls: the handlers only record what they were told and never call
// out (a call into our own process would wait for itself). GUI thread only.
class AtspiFocusTracker final {
public:
    AtspiFocusTracker();
    ~AtspiFocusTracker();
    AtspiFocusTracker(const AtspiFocusTracker&) = delete;
    AtspiFocusTracker& operator=(const AtspiFocusTracker&) = delete;

    // The element of the process that last reported gaining focus, while it still
    // has the FOCUSED state; a new reference, or null. ownPid's elements are never asked.
    AtspiAccessible* focusedIn(qint64 pid, qint64 ownPid);
    // The most recent process that reported a focus change, if any.
    std::optional<qint64> lastFocusedPid(qint64 ownPid);

    // Applications on the bus and their process ids; the list is read again only
    // after the registry reports one coming or going. Copies keep their references.
    struct Application {
        std::shared_ptr<AtspiAccessible> accessible;
        qint64 pid = 0;
    };
    const std::vector<Application>& applications();

    // Whether a walk of the process for a focused element may run now: not again
    // after one that found nothing until an event comes or a second passes.
    bool mayWalk(qint64 pid) const;
    // What a walk of the process found, null for nothing; a find counts as a focus
    // gain. A find that is not final (no text) does not let the walk run again sooner than nothing would.
    void walked(qint64 pid, AtspiAccessible* found, bool final);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace quillcraft
