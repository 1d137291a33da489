#pragma once

#include "platform/AccessibilityElement.h"

#include <QAccessible>

namespace quillcraft {

// One of our own widgets as an AccessibilityElement, read through Qt's
// QAccessible interfaces in process: over the bus, a synchronous call into our
// own GUI thread would wait for itself. Offsets are Qt's own UTF-16 units;
// frames are global screen coordinates, as the bus reports them. GUI thread only.
class QtAccessibleElement final : public AccessibilityElement {
public:
    // The focused object of our focused window, or null when none of our windows has focus.
    static ElementRef focused();
    // Null for a null interface.
    static ElementRef wrap(QAccessibleInterface* interface);

    explicit QtAccessibleElement(QAccessibleInterface* interface);

    bool isEqual(const AccessibilityElement& other) const override;
    std::optional<qint64> processId() const override;
    std::optional<AXValue> copyAttribute(const QString& attribute) const override;
    std::optional<AXValue> copyParameterizedAttribute(
        const QString& attribute, const AXValue& parameter) const override;
    AXError setAttribute(const QString& attribute, const AXValue& value) override;
    std::optional<OffsetUnit> offsetUnit() const override { return OffsetUnit::utf16; }

private:
    // Null once the object behind it is gone.
    QAccessibleInterface* interface() const;
    QString role() const;
    std::optional<TextRange> selection() const;
    AXError setSelection(TextRange range);
    AXError replace(TextRange range, const QString& replacement);
    std::optional<QRectF> boundsFor(TextRange range) const;
    ElementRef window() const;

    QAccessible::Id m_id;
};

} // namespace quillcraft
