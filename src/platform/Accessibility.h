#pragma once

#include "platform/AccessibilityElement.h"

#include <chrono>

namespace quillcraft {

// The process-wide side of the accessibility interface: the focused element and
// settings that apply to every call.
class Accessibility {
public:
    virtual ~Accessibility() = default;

    virtual bool isAvailable() const = 0;
    // Bounds every later call; a target that does not answer in time makes the call fail.
    virtual void setMessagingTimeout(std::chrono::milliseconds timeout) = 0;
    // The element with keyboard focus in the frontmost application, or null.
    virtual ElementRef focusedElement() = 0;
    // Asks an application to expose its accessibility tree (for toolkits that
    // only do so on request) and returns the platform's answer: apiDisabled when
    // the application keeps its windows' contents hidden and cannot be asked.
    virtual AXError enableAccessibility(qint64 pid) = 0;

protected:
    Accessibility() = default;
};

} // namespace quillcraft
