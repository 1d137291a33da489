#pragma once

#include "core/OffsetUnit.h"
#include "core/TextRange.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <memory>
#include <optional>
#include <variant>

namespace quillcraft {

class AccessibilityElement;

// Elements are shared: copies of a snapshot refer to the same element.
using ElementRef = std::shared_ptr<AccessibilityElement>;

// The outcome of an accessibility call. Backends map their platform's failures
// onto these; only `success` means the call did what was asked.
enum class AXError {
    success,
    failure,
    illegalArgument,
    notImplemented,
    attributeUnsupported,
    cannotComplete, // no answer in time, or the application went away
    noValue,
    apiDisabled, // the application keeps its windows' contents from accessibility
};

// One attribute value as the platform hands it over. Points and rectangles are
// in the accessibility interface's screen coordinates: origin at the top-left
// corner of the primary screen, y growing downwards. Offsets are UTF-16 units.
using AXValue = std::variant<QString, bool, double, TextRange, QPointF, QSizeF, QRectF, ElementRef>;

// One element of another application's accessibility tree, read and written by
// attribute name ("AXRole", "AXValue", "AXSelectedTextRange", ... see AX.h).
// Calls are synchronous and bounded by the backend's messaging time-out.
class AccessibilityElement {
public:
    virtual ~AccessibilityElement() = default;

    // Whether both refer to the same element of the same application.
    virtual bool isEqual(const AccessibilityElement& other) const = 0;
    // The process that owns the element, if it can be told.
    virtual std::optional<qint64> processId() const = 0;

    // Absent on any failure, including an attribute the element does not have.
    virtual std::optional<AXValue> copyAttribute(const QString& attribute) const = 0;
    virtual std::optional<AXValue> copyParameterizedAttribute(
        const QString& attribute, const AXValue& parameter) const = 0;
    virtual AXError setAttribute(const QString& attribute, const AXValue& value) = 0;

    // The unit the platform counts this element's offsets in, when known. Only
    // diagnostics look at it: values leave the backend in UTF-16 units already.
    virtual std::optional<OffsetUnit> offsetUnit() const { return std::nullopt; }

protected:
    AccessibilityElement() = default;
    AccessibilityElement(const AccessibilityElement&) = default;
    AccessibilityElement& operator=(const AccessibilityElement&) = default;
};

} // namespace quillcraft
