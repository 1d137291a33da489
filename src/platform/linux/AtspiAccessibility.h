#pragma once

#include "platform/Accessibility.h"

#include <functional>
#include <memory>

namespace quillcraft {

// The accessibility interface over libatspi. The focused element is the one
// the frontmost application last reported focused (AtspiFocusTracker), while it
// still is and has text; otherwise a search of its ACTIVE top-level window: one
// Collection query where the toolkit has one (GTK 3), else FocusSearch's walk.
// Our own windows are read in process (QtAccessibleElement). GUI thread only.
class AtspiAccessibility final : public Accessibility {
public:
    // frontmostPid names the application to look at first; ownPid is never
    // asked over the bus, because a synchronous call into our own GUI thread would wait for itself.
    AtspiAccessibility(std::function<std::optional<qint64>()> frontmostPid, qint64 ownPid);
    ~AtspiAccessibility() override;
    AtspiAccessibility(const AtspiAccessibility&) = delete;
    AtspiAccessibility& operator=(const AtspiAccessibility&) = delete;

    bool isAvailable() const override;
    void setMessagingTimeout(std::chrono::milliseconds timeout) override;
    ElementRef focusedElement() override;
    // Nothing on this platform needs switching on per application: success when
    // the application is on the accessibility bus, cannotComplete when not.
    AXError enableAccessibility(qint64 pid) override;

    // The accessibility application's name for a process; "" when it is not on the bus.
    QString applicationName(qint64 pid) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace quillcraft
