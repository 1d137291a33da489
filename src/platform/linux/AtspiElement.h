#pragma once

#include "platform/AccessibilityElement.h"

#include <QRectF>
#include <QString>

typedef struct _AtspiAccessible AtspiAccessible; // NOLINT: libatspi's own spelling, no libatspi header here
typedef struct _AtspiText AtspiText; // NOLINT: likewise

namespace quillcraft {

// An AT-SPI accessible as an AccessibilityElement. Maps the attribute names of
// AX.h onto libatspi calls and converts text offsets between the toolkit's unit
// (code points in GTK, UTF-16 units in Qt, told apart per element) and UTF-16.
// GUI thread only, like libatspi itself.
class AtspiElement final : public AccessibilityElement {
public:
    // Null for a null accessible; otherwise an element holding its own reference.
    static ElementRef wrap(AtspiAccessible* accessible);

    explicit AtspiElement(AtspiAccessible* accessible);
    ~AtspiElement() override;
    AtspiElement(const AtspiElement&) = delete;
    AtspiElement& operator=(const AtspiElement&) = delete;

    bool isEqual(const AccessibilityElement& other) const override;
    std::optional<qint64> processId() const override;
    std::optional<AXValue> copyAttribute(const QString& attribute) const override;
    std::optional<AXValue> copyParameterizedAttribute(
        const QString& attribute, const AXValue& parameter) const override;
    AXError setAttribute(const QString& attribute, const AXValue& value) override;
    std::optional<OffsetUnit> offsetUnit() const override;

    AtspiAccessible* handle() const { return m_accessible; }

private:
    struct Text {
        QString text;
        qint64 characterCount = 0;
    };
    // What was read lately from the remote element, kept on libatspi's one object for
    // it, so every wrapper of the same element shares it.
    struct Recent;
    // One round of reads (a snapshot asks for the value, the selection and the bounds
    // one after the other, the presenter for the frames again) shares the text, role and
    // extents read within this long; a write through any wrapper forgets them.
    static constexpr qint64 recentReadMs = 20;
    // The top-level element is looked up again only this often (a widget may move to
    // another window, but not four times a second).
    static constexpr qint64 windowKeptMs = 2000;
    Recent& recent() const;

    std::optional<Text> readText() const;
    std::optional<Text> readTextNow() const;
    std::optional<QRectF> reportedExtents() const;
    void forgetRecentReads();
    OffsetUnit unitFor(const Text& text) const;
    std::optional<TextRange> selection() const;
    AXError setSelection(TextRange range);
    AXError replaceSelection(const QString& replacement);
    AXError setText(const QString& text);
    std::optional<QRectF> boundsFor(TextRange range) const;
    std::optional<QRectF> reportedBounds(AtspiText* iface, int start, int end) const;
    std::optional<qreal> qtLineShift(AtspiText* iface, const Text& text, const QRectF& field) const;
    std::optional<QRectF> characterBounds(AtspiText* iface, int offset) const;
    QString role() const;
    QString roleNow() const;
    ElementRef window() const;
    ElementRef findWindow() const;
    bool isQtElement() const;

    AtspiAccessible* m_accessible;
    // The unit once the text showed it; the same for the element's whole life.
    mutable std::optional<OffsetUnit> m_unit;
    mutable std::optional<bool> m_isQt;
    // Set once the application said it has no range extents.
    mutable bool m_noRangeExtents = false;
};

} // namespace quillcraft
